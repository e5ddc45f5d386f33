#include "mail/screen_center.h"

#include "mail/window_routines.h"
#include "runtime/routines.h"
#include "runtime/ui/xbp_push_button.h"
#include "tests/mail/mail_test_support.h"

namespace kalvento::mail {
namespace {

using rt::ui::Point;
using rt::ui::Size;

class ScreenCenterTest : public testing::WindowTest {};

TEST_F(ScreenCenterTest, CentresOnTheDesktopFractionsKept) {
  struct Case {
    Size desktop, window;
    Point expected;
  };
  const Case cases[] = {
      {{1024, 768}, {400, 200}, {312, 284}},
      {{800, 600}, {800, 600}, {0, 0}},
      {{800, 600}, {401, 201}, {199.5, 199.5}},
      {{1600, 1200}, {500, 500}, {550, 350}},
      {{640, 480}, {800, 600}, {-80, -60}},
  };
  for (const Case& c : cases) {
    rt::ui::FixDesktopSize(c.desktop);
    auto dlg = std::make_shared<rt::ui::XbpDialog>(nullptr, nullptr, Point{5, 5}, c.window);
    dlg->create();
    EXPECT_EQ(ScreenCenter(*dlg, false), c.expected);
    EXPECT_EQ(dlg->currentPos(), (Point{5, 5}));  // not moved without lSet
    EXPECT_EQ(ScreenCenter(*dlg, true), c.expected);
    EXPECT_EQ(dlg->currentPos(), c.expected);
    dlg->destroy();
  }
}

TEST_F(ScreenCenterTest, AControlIsCentredInItsParentsDrawingArea) {
  auto dlg = std::make_shared<rt::ui::XbpDialog>(nullptr, nullptr, Point{0, 0}, Size{406, 325});
  dlg->create();  // drawing area 400 x 300
  auto button = std::make_shared<rt::ui::XbpPushButton>(dlg->drawingArea(), nullptr, Point{0, 0}, Size{100, 50});
  button->create();
  EXPECT_EQ(ScreenCenter(*button, true), (Point{150, 125}));
  EXPECT_EQ(button->widget()->geometry(), QRect(150, 125, 100, 50));
  dlg->destroy();
}

TEST_F(ScreenCenterTest, TheRoutinesAreCallableByName) {
  RegisterWindowRoutines();
  rt::ui::FixDesktopSize(Size{1024, 768});
  auto dlg = std::make_shared<rt::ui::XbpDialog>(nullptr, nullptr, Point{0, 0}, Size{400, 200});
  dlg->create();
  rt::Value pos = rt::CallRoutine("screencenter", {rt::Value(std::static_pointer_cast<rt::Object>(dlg)), rt::Value(true)});
  EXPECT_EQ(pos.array(), (rt::Array{rt::Value(312), rt::Value(284)}));
  for (const char* name : {"Modaldialog_FM", "Modaldialog_ml", "TextEditor"}) EXPECT_TRUE(rt::IsRoutine(name));
  dlg->destroy();
}

}  // namespace
}  // namespace kalvento::mail
