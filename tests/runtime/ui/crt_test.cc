#include "runtime/ui/xbp_crt.h"

#include <QTest>

#include "tests/runtime/ui/ui_test_support.h"

namespace kalvento::rt::ui {
namespace {

using testing::UiTest;

TEST(ColourTextTest, PairsGiveForegroundAndBackgroundAndQuotesArePassedOver) {
  EXPECT_EQ(ParseColourPair("GR+/B"), std::optional<uint8_t>(0x1E));
  EXPECT_EQ(ParseColourPair("W+/R"), std::optional<uint8_t>(0x4F));
  EXPECT_EQ(ParseColourPair("N/W"), std::optional<uint8_t>(0x70));
  EXPECT_EQ(ParseColourPair("Q/W"), std::nullopt);
  ColourSetting c = ParseColourText("\"GR+/B,W+/R,,,N/W\"");
  EXPECT_EQ(c.standard, 0x1E);
  EXPECT_EQ(c.enhanced, 0x4F);
  EXPECT_EQ(c.unselected, 0x70);
  // An empty pair keeps what was set before.
  EXPECT_EQ(ParseColourText(",B/W", c).standard, 0x1E);
}

class CrtTest : public UiTest {};

TEST_F(CrtTest, OutputLandsInTheCellsOfTheApplicationWindowAndKeysAreReadWithInkey) {
  auto crt = std::make_shared<XbpCrt>(nullptr, nullptr, Point{0, 0}, 25, 80, "Prozedur");
  crt->create();
  EXPECT_EQ(crt->rows(), 25);
  EXPECT_EQ(crt->cols(), 80);
  auto previous = SetAppWindow(crt);
  std::string oldColours = SetColor("\"GR+/B,W+/R,,,N/W\"");
  SetCursor(1);
  DevPos(2, 78);
  DevOut("abc");  // cut at the right edge
  EXPECT_EQ(crt->charAt(2, 78), u'a');
  EXPECT_EQ(crt->charAt(2, 79), u'b');
  EXPECT_EQ(crt->colourAt(2, 78), 0x1E);
  EXPECT_TRUE(crt->cursorVisible());

  QTest::keyClick(crt->widget(), Qt::Key_PageDown);
  EXPECT_EQ(Inkey(), 3);

  // The close box does not close the window: its callback feeds Page Down.
  crt->close = CodeBlock([](const Args&) {
    PostAppEvent(kKeyPageDown);
    return Value();
  });
  auto other = MakeDialog();
  PostAppEvent(kEventActivate, {}, {}, other);
  EXPECT_FALSE(crt->widget()->close());
  EXPECT_EQ(Inkey(), 3);
  EXPECT_EQ(crt->status(), kStatusCreate);
  EXPECT_EQ(PendingAppEvents(), 1u);  // the other window's event waits for its loop
  other->destroy();

  SetColor(oldColours);
  SetCursor(0);
  SetAppWindow(previous);
  crt->destroy();
}

}  // namespace
}  // namespace kalvento::rt::ui
