#include "runtime/clock.h"

#include <gtest/gtest.h>

namespace kalvento::rt {
namespace {

using std::chrono::milliseconds;

TEST(ClockTest, SleepGoesThroughTheInstalledClockInHundredths) {
  VirtualClock clock;
  {
    ScopedClock scope(clock);
    auto before = CurrentClock().now();
    Sleep(100);
    Sleep(5);
    EXPECT_EQ(CurrentClock().now() - before, milliseconds(1050));
  }
  EXPECT_EQ(clock.sleeps(), (std::vector<Clock::Duration>{milliseconds(1000), milliseconds(50)}));
  EXPECT_NE(&CurrentClock(), &clock);  // the scope put the previous clock back
}

TEST(ClockTest, VirtualClockLetsATestActDuringAPause) {
  VirtualClock clock;
  int calls = 0;
  clock.setOnSleep([&](Clock::Duration d) {
    ++calls;
    EXPECT_EQ(d, milliseconds(10000));
  });
  clock.sleepFor(milliseconds(10000));
  EXPECT_EQ(calls, 1);
}

TEST(ClockTest, RealPauseIsHandedToThePauseHandler) {
  RealClock clock;
  std::vector<Clock::TimePoint> deadlines;
  SetPauseHandler([&](Clock::TimePoint deadline) { deadlines.push_back(deadline); });
  auto before = clock.now();
  clock.sleepFor(milliseconds(250));
  clock.sleepFor(milliseconds(0));  // nothing to wait for
  SetPauseHandler(nullptr);
  ASSERT_EQ(deadlines.size(), 1u);
  EXPECT_GE(deadlines[0] - before, milliseconds(250));
}

}  // namespace
}  // namespace kalvento::rt
