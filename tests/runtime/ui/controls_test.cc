#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "runtime/ui/presentation.h"
#include "runtime/ui/xbp_3state.h"
#include "runtime/ui/xbp_check_box.h"
#include "runtime/ui/xbp_list_box.h"
#include "runtime/ui/xbp_mle.h"
#include "runtime/ui/xbp_push_button.h"
#include "runtime/ui/xbp_radio_button.h"
#include "runtime/ui/xbp_sle.h"
#include "runtime/ui/xbp_static.h"
#include "runtime/ui/xbp_tab_page.h"
#include "tests/runtime/ui/ui_test_support.h"

namespace kalvento::rt::ui {
namespace {

using testing::UiTest;

class ControlsTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    dlg = MakeDialog();
  }
  void TearDown() override {
    dlg->destroy();
    UiTest::TearDown();
  }
  template <class T>
  std::shared_ptr<T> Make(Point pos = {10, 10}, Size size = {120, 24}) {
    auto c = std::make_shared<T>(dlg->drawingArea(), nullptr, pos, size);
    return c;
  }
  std::shared_ptr<XbpDialog> dlg;
};

TEST_F(ControlsTest, ClassTestsByNameAndByClass) {
  auto mle = Make<XbpMle>();
  EXPECT_TRUE(mle->isDerivedFrom("xbpmle"));
  EXPECT_TRUE(mle->isDerivedFrom("XbpWindow"));
  EXPECT_FALSE(mle->isDerivedFrom("XbpPushButton"));
  EXPECT_TRUE(mle->isDerivedFromClass<XbpMle>());
  EXPECT_FALSE(mle->isDerivedFromClass<XbpSLE>());
  EXPECT_TRUE(dlg->isDerivedFrom("XbpDialog"));
}

TEST_F(ControlsTest, ADataLinkLoadsAndStoresAndUndoReturnsToTheLoadedText) {
  std::string field = "Alt";
  auto sle = Make<XbpSLE>();
  sle->dataLink = CodeBlock([&](const Args& a) {
    if (a.empty() || a[0].isNil()) return Value(field);
    field = a[0].text();
    return a[0];
  });
  sle->create();
  sle->setData();
  EXPECT_EQ(static_cast<QLineEdit*>(sle->widget())->text(), "Alt");
  EXPECT_FALSE(sle->changed());

  static_cast<QLineEdit*>(sle->widget())->selectAll();
  QTest::keyClicks(sle->widget(), "Neu");
  RunQueue();
  EXPECT_TRUE(sle->changed());
  EXPECT_EQ(field, "Alt");
  EXPECT_EQ(sle->getData(), Value("Neu"));
  EXPECT_EQ(field, "Neu");

  sle->undo();
  EXPECT_EQ(sle->getData(), Value("Alt"));
  EXPECT_FALSE(sle->changed());
}

TEST_F(ControlsTest, ValidateRunsTheValidationBlock) {
  auto sle = Make<XbpSLE>();
  sle->create();
  EXPECT_TRUE(sle->validate());
  sle->validateBlock = CodeBlock([](const Args& a) {
    auto part = std::dynamic_pointer_cast<XbpPart>(a[0].object());
    return Value(part->getData() == Value("gut"));
  });
  sle->setData(Value("schlecht"));
  EXPECT_FALSE(sle->validate());
  sle->setData(Value("gut"));
  EXPECT_TRUE(sle->validate());
}

TEST(FontTextTest, TextsThatNameNoFontGiveNone) {
  for (const char* text : {"", "  ", "0.Arial", "99999999999.Arial"}) {
    EXPECT_EQ(FontFromText(text), std::nullopt) << text;
  }
  EXPECT_EQ(FontFromText("8.Courier")->pointSize(), 8);
}

TEST_F(ControlsTest, FontAndCaptionsComeFromTheSystemsNotation) {
  auto mle = std::make_shared<XbpMle>(dlg->drawingArea(), nullptr, Point{0, 0}, Size{100, 100},
                                      PresParams{{kPPFont, Value("10.Times New Roman")}, {kPPForeground, Value(-47)}});
  mle->create();
  EXPECT_EQ(mle->widget()->font().pointSize(), 10);
  EXPECT_EQ(mle->widget()->font().family(), "Times New Roman");

  auto button = Make<XbpPushButton>();
  button->setCaption(Value("~Senden & mehr"));
  button->create();
  EXPECT_EQ(static_cast<QPushButton*>(button->widget())->text(), "&Senden && mehr");
  // The marker's key is the shortcut manager's: Qt presses nothing itself.
  EXPECT_TRUE(static_cast<QPushButton*>(button->widget())->shortcut().isEmpty());

  auto progress = Make<XbpMle>();
  PartSetup setup;
  setup.presParams = PresParams{{kPPFont, Value("Arial")}};
  progress->create(setup);
  EXPECT_EQ(progress->widget()->font().family(), "Arial");

  auto label = Make<XbpStatic>();
  label->autoSize = true;
  label->setCaption(Value("~Name:"));
  label->create();
  EXPECT_EQ(static_cast<QLabel*>(label->widget())->text(), "Name:");
}

TEST_F(ControlsTest, AClickedRadioButtonClearsItsSiblingsAndSetDataTouchesOnlyItself) {
  auto a = Make<XbpRadioButton>(Point{10, 10});
  auto b = Make<XbpRadioButton>(Point{10, 40});
  a->create();
  b->create();
  a->setData(Value(true));
  QTest::mouseClick(b->widget(), Qt::LeftButton, {}, QPoint(6, 12));
  EXPECT_EQ(a->getData(), Value(false));
  EXPECT_EQ(b->getData(), Value(true));
  b->setData(Value(false));
  EXPECT_EQ(b->getData(), Value(false));
  EXPECT_EQ(a->getData(), Value(false));
  RunQueue();
}

TEST_F(ControlsTest, ThreeStateAndCheckBoxesAdvanceOnClick) {
  auto three = Make<Xbp3State>();
  three->create();
  std::vector<Value> seen;
  for (int i = 0; i < 3; ++i) {
    QTest::mouseClick(three->widget(), Qt::LeftButton, {}, QPoint(6, 12));
    seen.push_back(three->getData());
  }
  EXPECT_EQ(seen, (std::vector<Value>{Value(1), Value(2), Value(0)}));

  auto check = Make<XbpCheckBox>(Point{10, 50});
  check->create();
  QTest::mouseClick(check->widget(), Qt::LeftButton, {}, QPoint(6, 12));
  EXPECT_EQ(check->getData(), Value(true));
  ClearAppEvents();
}

TEST_F(ControlsTest, TabPagesComeForwardOnTheirActivateEvent) {
  auto p1 = Make<XbpTabPage>(Point{0, 0}, Size{300, 200});
  auto p2 = Make<XbpTabPage>(Point{0, 0}, Size{300, 200});
  p1->setCaption(Value("~Adresse"));
  p2->setCaption(Value("~Konto"));
  p1->create();
  p2->create();
  int activated = 0;
  p1->activate = CodeBlock([&](const Args&) {
    ++activated;
    return Value();
  });
  PostAppEvent(kEventTabActivate, {}, {}, p1);
  RunQueue();
  EXPECT_EQ(activated, 1);
  EXPECT_FALSE(p1->minimized());
  EXPECT_TRUE(p2->minimized());
}

TEST_F(ControlsTest, AListBoxAnswersItsSelection) {
  auto list = Make<XbpListBox>(Point{0, 0}, Size{200, 100});
  list->addItem("eins");
  list->addItem("zwei");
  list->create();
  list->setData(Value(Array{Value(2)}));
  EXPECT_EQ(list->getData().array(), (Array{Value(2)}));
  EXPECT_EQ(list->getItem(1), "eins");
}

TEST_F(ControlsTest, DisabledAndHiddenStatesAreReported) {
  auto b = Make<XbpPushButton>();
  EXPECT_FALSE(b->IsVisible());
  b->create();
  EXPECT_TRUE(b->IsVisible());
  EXPECT_TRUE(b->IsEnabled());
  b->disable();
  EXPECT_FALSE(b->IsEnabled());
  EXPECT_FALSE(b->widget()->isEnabled());
  b->hide();
  EXPECT_FALSE(b->IsVisible());
}

TEST_F(ControlsTest, TheKeyStateOfCtrlCanBeFixed) {
  FixKeyState(kKeyCtrlKey, kKeyStateDown);
  EXPECT_EQ(AppKeyState(kKeyCtrlKey), kKeyStateDown);
  FixKeyState(kKeyCtrlKey, std::nullopt);
  EXPECT_EQ(AppKeyState(kKeyCtrlKey), kKeyStateUp);
}

}  // namespace
}  // namespace kalvento::rt::ui
