#include "runtime/routines.h"

#include <gtest/gtest.h>

#include "runtime/runtime_error.h"

namespace kalvento::rt {
namespace {

TEST(RoutinesTest, CalledByNameWithoutRegardToCase) {
  RegisterRoutine("Twice_Value", [](const Args& args) { return Value(2 * args.at(0).number()); });
  EXPECT_TRUE(IsRoutine("TWICE_VALUE"));
  EXPECT_EQ(CallRoutine("twice_value", {Value(21)}).number(), 42);
}

TEST(RoutinesTest, UnknownNameIsUndefinedFunction) {
  try {
    CallRoutine("NoSuchRoutine");
    FAIL() << "expected a runtime error";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.description(), "undefined function");
    EXPECT_EQ(error.operation(), "NoSuchRoutine");
  }
}

TEST(RoutinesTest, ErrorsRememberTheChainOfRoutines) {
  RegisterRoutine("Inner", [](const Args&) -> Value { throw RuntimeError("data type error"); });
  RegisterRoutine("Outer", [](const Args&) { return CallRoutine("Inner"); });
  try {
    CallRoutine("Outer");
    FAIL() << "expected a runtime error";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.where(), (std::vector<std::string>{"INNER", "OUTER"}));
  }
  EXPECT_TRUE(ActiveRoutines().empty());  // the chain unwinds with the error
}

}  // namespace
}  // namespace kalvento::rt
