#include "runtime/value.h"

#include <gtest/gtest.h>

#include "runtime/runtime_error.h"

namespace kalvento::rt {
namespace {

class Window : public Object {
 public:
  std::string className() const override { return "XbpDialog"; }
};

TEST(ValueTest, KindsAndTypeLetters) {
  struct Case {
    Value value;
    Value::Type type;
    char letter;
  };
  const Case cases[] = {
      {Value(), Value::Type::kNil, 'U'},
      {Value("abc"), Value::Type::kText, 'C'},
      {Value(42), Value::Type::kNumber, 'N'},
      {Value(1.5), Value::Type::kNumber, 'N'},
      {Value(true), Value::Type::kLogical, 'L'},
      {Value(Date::FromYmd(2026, 12, 11)), Value::Type::kDate, 'D'},
      {Value(Array{Value(1), Value("x")}), Value::Type::kArray, 'A'},
      {Value(CodeBlock([](const Args&) { return Value(); })), Value::Type::kBlock, 'B'},
      {Value(std::shared_ptr<Object>(std::make_shared<Window>())), Value::Type::kObject, 'O'},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.value.type(), c.type);
    EXPECT_EQ(c.value.typeLetter(), c.letter);
  }
}

TEST(ValueTest, WrongKindIsRuntimeError) {
  EXPECT_THROW(Value("text").number(), RuntimeError);
  EXPECT_THROW(Value(1).text(), RuntimeError);
  EXPECT_THROW(Value().logical(), RuntimeError);
  EXPECT_THROW(Value(true).eval(), RuntimeError);
  EXPECT_THROW(CodeBlock()(), RuntimeError);
}

TEST(ValueTest, ArraysAreSharedByReference) {
  Value a(Array{Value(1)});
  Value b = a;
  b.array().push_back(Value(2));
  EXPECT_EQ(a.array().size(), 2u);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, Value(Array{Value(1), Value(2)}));  // equal contents, other array
}

TEST(ValueTest, CodeBlockTakesArgumentsAndCopiesAreTheSameBlock) {
  CodeBlock add([](const Args& args) { return Value(args[0].number() + args[1].number()); });
  Value block(add);
  EXPECT_EQ(block.eval({Value(2), Value(3)}).number(), 5);
  EXPECT_EQ(block, Value(add));
  EXPECT_NE(block, Value(CodeBlock([](const Args&) { return Value(); })));
}

TEST(ValueTest, ObjectsKnowTheirClassWithoutRegardToCase) {
  Window w;
  EXPECT_TRUE(w.isDerivedFrom("xbpdialog"));
  EXPECT_FALSE(w.isDerivedFrom("XbpDialogX"));
}

}  // namespace
}  // namespace kalvento::rt
