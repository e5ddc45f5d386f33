#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "runtime/clock.h"
#include "runtime/ui/xbp_mle.h"
#include "runtime/ui/xbp_push_button.h"
#include "tests/runtime/ui/ui_test_support.h"

namespace kalvento::rt::ui {
namespace {

using testing::UiTest;

class EventLoopTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    dlg = MakeDialog();
    mle = std::make_shared<XbpMle>(dlg->drawingArea(), nullptr, Point{10, 50}, Size{300, 200});
    mle->create();
    button = std::make_shared<XbpPushButton>(dlg->drawingArea(), nullptr, Point{10, 10}, Size{80, 24});
    button->setCaption(Value("~OK"));
    button->tabStop = true;
    button->activate = CodeBlock([this](const Args&) {
      ++pressed;
      return Value();
    });
    button->create();
  }
  void TearDown() override {
    dlg->destroy();
    UiTest::TearDown();
  }

  QString EditText() const { return static_cast<QPlainTextEdit*>(mle->widget())->toPlainText(); }

  std::shared_ptr<XbpDialog> dlg;
  std::shared_ptr<XbpMle> mle;
  std::shared_ptr<XbpPushButton> button;
  int pressed = 0;
};

TEST_F(EventLoopTest, TypedKeysWaitInTheQueueUntilTheLoopHandsThemOn) {
  QTest::keyClicks(mle->widget(), "ab");
  EXPECT_EQ(EditText(), "");
  ASSERT_EQ(PendingAppEvents(), 2u);

  Value mp1, mp2;
  std::shared_ptr<XbpPart> source;
  EXPECT_EQ(AppEvent(mp1, mp2, source), kEventKeyboard);
  EXPECT_EQ(mp1, Value('a'));
  EXPECT_EQ(source, mle);
  source->handleEvent(kEventKeyboard, mp1, mp2);
  EXPECT_EQ(EditText(), "a");
  RunQueue();
  EXPECT_EQ(EditText(), "ab");
}

TEST_F(EventLoopTest, EnterOnAFocusedButtonRunsItsActionAndInAnEditOnlyReachesTheEdit) {
  QTest::keyClick(mle->widget(), Qt::Key_Return);
  RunQueue();
  EXPECT_EQ(pressed, 0);
  EXPECT_EQ(EditText(), "\n");

  QTest::keyClick(button->widget(), Qt::Key_Return);
  RunQueue();
  EXPECT_EQ(pressed, 1);
  EXPECT_EQ(EditText(), "\n");
}

TEST_F(EventLoopTest, SpaceOnAFocusedButtonClicksItWhenHandedOn) {
  QTest::keyClick(button->widget(), Qt::Key_Space);
  EXPECT_EQ(pressed, 0);
  RunQueue();
  EXPECT_EQ(pressed, 1);
}

TEST_F(EventLoopTest, TheKeyboardCallbackSeesEachKeyBeforeTheWidget) {
  std::vector<std::pair<int, QString>> seen;
  mle->keyboard = CodeBlock([&](const Args& a) {
    EXPECT_EQ(a.at(2).object(), mle);
    seen.emplace_back(static_cast<int>(a.at(0).number()), EditText());
    return Value();
  });
  QTest::keyClicks(mle->widget(), "xy");
  QTest::keyClick(mle->widget(), Qt::Key_F10);
  RunQueue();
  EXPECT_EQ(seen, (std::vector<std::pair<int, QString>>{{'x', ""}, {'y', "x"}, {kKeyF10, "xy"}}));
}

TEST_F(EventLoopTest, AClickRunsTheActionOnlyWhenTheActivateEventIsHandled) {
  QTest::mouseClick(button->widget(), Qt::LeftButton);
  EXPECT_EQ(pressed, 0);
  Value mp1, mp2;
  std::shared_ptr<XbpPart> source;
  EXPECT_EQ(AppEvent(mp1, mp2, source), kEventActivate);
  EXPECT_EQ(source, button);
  source->handleEvent(kEventActivate, mp1, mp2);
  EXPECT_EQ(pressed, 1);
}

TEST_F(EventLoopTest, TheCloseBoxPostsTheCloseEventAndTheWindowStays) {
  int closeCalls = 0;
  dlg->close = CodeBlock([&](const Args&) {
    ++closeCalls;
    return Value();
  });
  EXPECT_FALSE(dlg->widget()->close());
  EXPECT_EQ(RunQueue(), kEventClose);
  EXPECT_EQ(closeCalls, 1);
  EXPECT_EQ(dlg->status(), kStatusCreate);
}

TEST_F(EventLoopTest, ALoopWaitsForInputWithoutAnEventPostedBeforehand) {
  // The key arrives while AppEvent is already waiting in the window system.
  QTimer::singleShot(0, [this] { QTest::keyClick(mle->widget(), Qt::Key_Escape); });
  Value mp1, mp2;
  std::shared_ptr<XbpPart> source;
  EXPECT_EQ(AppEvent(mp1, mp2, source), kEventKeyboard);
  EXPECT_EQ(mp1, Value(kKeyEsc));
}

TEST_F(EventLoopTest, AppEventWithATimeoutAnswersZeroOnTheRuntimeClock) {
  VirtualClock clock;
  ScopedClock scoped(clock);
  Value mp1, mp2;
  std::shared_ptr<XbpPart> source;
  EXPECT_EQ(AppEvent(mp1, mp2, source, 150), 0);
  EXPECT_EQ(clock.elapsed(), Clock::Duration(1500));
  EXPECT_EQ(source, nullptr);
}

TEST_F(EventLoopTest, PostedEventsGoToTheFocusWhenNoAddresseeIsGiven) {
  SetAppFocus(button);
  PostAppEvent(kEventActivate);
  Value mp1, mp2;
  std::shared_ptr<XbpPart> source;
  AppEvent(mp1, mp2, source);
  EXPECT_EQ(source, button);
}

TEST_F(EventLoopTest, EventsForADestroyedControlAreDropped) {
  QTest::mouseClick(button->widget(), Qt::LeftButton);
  button->destroy();
  RunQueue();
  EXPECT_EQ(pressed, 0);
}

TEST_F(EventLoopTest, FocusIsGivenAndTheFormerHolderAnswered) {
  SetAppFocus(mle);
  EXPECT_EQ(SetAppFocus(), mle);
  EXPECT_EQ(SetAppFocus(button), mle);
  EXPECT_EQ(SetAppFocus(), button);
}

TEST_F(EventLoopTest, ApplicationModalStateIsQtsApplicationModality) {
  dlg->setModalState(kModalApplication);
  EXPECT_EQ(dlg->widget()->windowModality(), Qt::ApplicationModal);
  EXPECT_TRUE(dlg->widget()->isVisible());
  dlg->setModalState(kModalNone);
  EXPECT_EQ(dlg->widget()->windowModality(), Qt::NonModal);
}

}  // namespace
}  // namespace kalvento::rt::ui
