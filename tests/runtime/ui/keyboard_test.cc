#include "runtime/ui/keyboard.h"

#include <QTest>

#include "runtime/clock.h"
#include "runtime/ui/xbp_mle.h"
#include "tests/runtime/ui/ui_test_support.h"

namespace kalvento::rt::ui {
namespace {

using testing::UiTest;

class KeyboardTest : public UiTest {
 protected:
  void TearDown() override {
    for (int key : bound) SetKey(key, CodeBlock());
    UiTest::TearDown();
  }
  VirtualClock clock;
  std::vector<int> bound;
};

TEST_F(KeyboardTest, InkeyWaitsItsTimeoutOnTheRuntimeClock) {
  ScopedClock scoped(clock);
  EXPECT_EQ(Inkey(1), 0);
  EXPECT_EQ(clock.sleeps(), std::vector<Clock::Duration>{Clock::Duration(1000)});
  EXPECT_EQ(Inkey(), 0);  // without a timeout: no wait at all
  EXPECT_EQ(clock.sleeps().size(), 1u);
}

TEST_F(KeyboardTest, AKeyDuringTheWaitEndsIt) {
  ScopedClock scoped(clock);
  clock.setOnSleep([](Clock::Duration) { PostAppEvent(kEventKeyboard, Value(kKeyEnter)); });
  EXPECT_EQ(Inkey(5), kKeyEnter);
  EXPECT_EQ(Inkey(), 0);
}

TEST_F(KeyboardTest, AWaitingKeyIsTakenWithoutPausing) {
  ScopedClock scoped(clock);
  Keyboard("ok");
  EXPECT_EQ(Inkey(1), 'o');
  EXPECT_EQ(Inkey(1), 'k');
  EXPECT_TRUE(clock.sleeps().empty());
}

TEST_F(KeyboardTest, KeysComeFromTypedInputInOrderAndOtherEventsStayQueued) {
  auto dlg = MakeDialog();
  auto mle = std::make_shared<XbpMle>(dlg->drawingArea(), nullptr, Point{0, 0}, Size{100, 100});
  mle->create();
  PostAppEvent(kEventActivate, {}, {}, mle);
  QTest::keyClick(mle->widget(), Qt::Key_X);
  QTest::keyClick(mle->widget(), Qt::Key_F2);
  PostAppEvent(kKeyPageDown);  // a key code posted as the event itself
  EXPECT_EQ(Inkey(), 'x');
  EXPECT_EQ(Inkey(), -1);  // F2 in the character-mode codes
  EXPECT_EQ(Inkey(), 3);   // Page Down
  EXPECT_EQ(Inkey(), 0);
  EXPECT_EQ(PendingAppEvents(), 1u);
  dlg->destroy();
}

TEST_F(KeyboardTest, SetKeyAnswersThePreviousActionAndABoundKeyFeedsTheBuffer) {
  CodeBlock feed([](const Args&) {
    Keyboard("ab");
    return Value();
  });
  bound.push_back(-1);
  EXPECT_FALSE(SetKey(-1, feed));
  CodeBlock other([](const Args&) { return Value(); });
  EXPECT_TRUE(SetKey(-1, other) == feed);
  EXPECT_TRUE(SetKey(-1) == other);
  SetKey(-1, feed);

  PostAppEvent(kEventKeyboard, Value(kKeyVirtual + 0x71));  // F2
  EXPECT_EQ(Inkey(), 'a');
  EXPECT_EQ(Inkey(), 'b');
}

}  // namespace
}  // namespace kalvento::rt::ui
