#include "runtime/start_sequence.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/files.h"
#include "runtime/routines.h"
#include "tests/support/temp_dir.h"

namespace kalvento::rt {
namespace {

class StartSequenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetErrorLevel(0);
    SetErrorPresenter([this](const RuntimeError& e) { presented_.push_back(e.what()); });
    SetTableEngineSetup([this] { steps_.push_back("tables"); });
    RegisterRoutine("AppSys", [this](const Args&) {
      steps_.push_back("AppSys");
      return Value();
    });
    AddExitHandler([this] { steps_.push_back("exit"); });
  }
  void TearDown() override {
    SetErrorLevel(0);
    SetErrorPresenter(nullptr);
    SetTableEngineSetup(nullptr);
  }

  testing::TempDir cwd_{/*enter=*/true};
  std::vector<std::string> steps_;
  std::vector<std::string> presented_;
};

TEST_F(StartSequenceTest, RunsSetUpStartAndExitInOrder) {
  RegisterRoutine("StartFine", [this](const Args&) {
    steps_.push_back("start");
    return Value();
  });
  EXPECT_EQ(RunStartSequence("startfine"), 0);
  EXPECT_EQ(steps_, (std::vector<std::string>{"tables", "AppSys", "start", "exit"}));
  EXPECT_TRUE(presented_.empty());
  EXPECT_FALSE(FileExists(kErrorLogName));
}

TEST_F(StartSequenceTest, ErrorLevelBecomesTheExitStatus) {
  RegisterRoutine("StartWithLevel", [](const Args&) {
    SetErrorLevel(3);
    return Value();
  });
  EXPECT_EQ(RunStartSequence("StartWithLevel"), 3);
}

TEST_F(StartSequenceTest, RuntimeErrorIsShownLoggedAndEndsNonZeroAfterExitHandlers) {
  RegisterRoutine("Failing_Step", [](const Args&) -> Value { throw RuntimeError("data type error", "x + 1"); });
  RegisterRoutine("StartFailing", [this](const Args&) {
    steps_.push_back("start");
    return CallRoutine("Failing_Step");
  });
  EXPECT_NE(RunStartSequence("StartFailing"), 0);
  EXPECT_EQ(steps_, (std::vector<std::string>{"tables", "AppSys", "start", "exit"}));
  ASSERT_EQ(presented_.size(), 1u);
  EXPECT_EQ(presented_[0], "data type error: x + 1");

  std::string log = MemoRead(kErrorLogName);
  EXPECT_NE(log.find("data type error: x + 1"), std::string::npos);
  EXPECT_NE(log.find("FAILING_STEP"), std::string::npos);
  EXPECT_NE(log.find("STARTFAILING"), std::string::npos);
}

TEST_F(StartSequenceTest, MissingStartRoutineIsUndefinedFunction) {
  EXPECT_NE(RunStartSequence("NoStartHere"), 0);
  ASSERT_EQ(presented_.size(), 1u);
  EXPECT_EQ(presented_[0], "undefined function: NoStartHere");
  // A second error appends to the log rather than replacing it.
  RunStartSequence("NoStartEither");
  std::string log = MemoRead(kErrorLogName);
  EXPECT_NE(log.find("NoStartHere"), std::string::npos);
  EXPECT_NE(log.find("NoStartEither"), std::string::npos);
}

}  // namespace
}  // namespace kalvento::rt
