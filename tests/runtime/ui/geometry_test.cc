#include "runtime/ui/geometry.h"

#include "runtime/ui/window_metrics.h"
#include "runtime/ui/xbp_push_button.h"
#include "tests/runtime/ui/ui_test_support.h"

namespace kalvento::rt::ui {
namespace {

using testing::UiTest;

TEST(GeometryTest, LowerLeftPositionsBecomeTopLeftRectangles) {
  EXPECT_EQ(ToQtRect(Point{10, 40}, Size{380, 530}, 600), QRect(10, 30, 380, 530));
  EXPECT_EQ(ToQtRect(Point{0, 0}, Size{100, 20}, 600), QRect(0, 580, 100, 20));
  EXPECT_EQ(ToQtRect(Point{312.5, 284.5}, Size{400, 200}, 768), QRect(312, 283, 400, 200));
  EXPECT_EQ(FromQtRect(QRect(10, 30, 380, 530), 600), (Point{10, 40}));
}

class WindowGeometryTest : public UiTest {};

TEST_F(WindowGeometryTest, ADialogKeepsItsOuterSizeAndItsControlsSitFromTheLowerLeft) {
  FixDesktopSize(Size{1024, 768});
  auto dlg = std::make_shared<XbpDialog>(nullptr, nullptr, Point{312, 284}, Size{400, 200});
  dlg->create();
  EXPECT_EQ(dlg->currentSize(), (Size{400, 200}));
  EXPECT_EQ(dlg->currentPos(), (Point{312, 284}));
  EXPECT_EQ(dlg->widget()->pos(), QPoint(312, 768 - 284 - 200));
  Size area = dlg->drawingArea()->currentSize();
  EXPECT_EQ(area, (Size{400.0 - 2 * kFrameWidth, 200.0 - kCaptionHeight - 2 * kFrameHeight}));

  auto button = std::make_shared<XbpPushButton>(dlg->drawingArea(), nullptr, Point{30, 12}, Size{72, 24});
  button->create();
  EXPECT_EQ(button->widget()->geometry(), QRect(30, static_cast<int>(area.height) - 12 - 24, 72, 24));
  EXPECT_EQ(button->setParent(), dlg->drawingArea());
  EXPECT_EQ(dlg->drawingArea()->childList().size(), 1u);
  dlg->destroy();
  EXPECT_EQ(dlg->status(), kStatusInit);
  EXPECT_EQ(button->status(), kStatusInit);
}

TEST_F(WindowGeometryTest, AWindowMovesWithItsOwnerWhenAskedTo) {
  auto owner = std::make_shared<XbpDialog>(nullptr, nullptr, Point{100, 50}, Size{400, 300});
  owner->create();
  auto follower = std::make_shared<XbpDialog>(nullptr, owner, Point{120, 60}, Size{100, 19});
  follower->movewithOwner = true;
  follower->titleBar = false;
  follower->create();
  auto stayer = std::make_shared<XbpDialog>(nullptr, owner, Point{10, 10}, Size{100, 19});
  stayer->create();

  owner->widget()->move(150, 600 - 80 - 300);  // the user drags the window
  EXPECT_EQ(owner->currentPos(), (Point{150, 80}));
  EXPECT_EQ(follower->currentPos(), (Point{170, 90}));
  EXPECT_EQ(stayer->currentPos(), (Point{10, 10}));
  follower->destroy();
  stayer->destroy();
  owner->destroy();
}

TEST_F(WindowGeometryTest, AResizeByTheWindowSystemReachesTheCallbackThroughTheQueue) {
  auto dlg = MakeDialog();
  std::vector<Value> seen;
  dlg->resizeCallback = CodeBlock([&](const Args& a) {
    seen = {a[0], a[1]};
    return Value();
  });
  dlg->widget()->resize(500, 400);  // the drawing area's new size
  EXPECT_TRUE(seen.empty());
  RunQueue();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].array(), (Array{Value(400), Value(300)}));
  EXPECT_EQ(seen[1].array(), (Array{Value(500 + 2 * kFrameWidth), Value(400 + kCaptionHeight + 2 * kFrameHeight)}));
  EXPECT_EQ(dlg->currentSize(), (Size{500.0 + 2 * kFrameWidth, 400.0 + kCaptionHeight + 2 * kFrameHeight}));
  EXPECT_EQ(dlg->drawingArea()->currentSize(), (Size{500, 400}));
  dlg->destroy();
}

TEST_F(WindowGeometryTest, TheDesktopAnswersItsFixedSizeAndSystemMetrics) {
  FixDesktopSize(Size{1600, 1200});
  EXPECT_EQ(AppDesktop()->currentSize(), (Size{1600, 1200}));
  EXPECT_EQ(SystemMetric(0), 1600);
  EXPECT_EQ(SystemMetric(4), kCaptionHeight);
  EXPECT_EQ(SystemMetric(15), kMenuHeight);
  auto dlg = MakeDialog();
  EXPECT_EQ(dlg->setParent(), AppDesktop());
  dlg->destroy();
}

}  // namespace
}  // namespace kalvento::rt::ui
