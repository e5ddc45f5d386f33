#include "runtime/ui/text_codec.h"

#include <QPlainTextEdit>
#include <QTest>

#include "runtime/ui/xbp_mle.h"
#include "tests/runtime/ui/ui_test_support.h"

namespace kalvento::rt::ui {
namespace {

using testing::UiTest;

TEST(TextCodecTest, BytesShowAsUtf8WhenValidElseAsWindows1252) {
  EXPECT_EQ(DecodeForDisplay("B\xc3\xbcro"), QString::fromUtf8("Büro"));
  EXPECT_EQ(DecodeForDisplay("B\xfcro \x80"), QString::fromUtf8("Büro €"));
}

TEST(TextCodecTest, EditedTextKeepsTheEncodingAndLineEndsOfItsOrigin) {
  EXPECT_EQ(EncodeEdited(QString::fromUtf8("Büro\nZwei"), "B\xfcro\r\n"), "B\xfcro\r\nZwei");
  EXPECT_EQ(EncodeEdited(QString::fromUtf8("Büro\nZwei"), "B\xc3\xbcro\n"), "B\xc3\xbcro\nZwei");
  EXPECT_EQ(EncodeEdited(QString::fromUtf8("a\nb"), ""), "a\r\nb");
  // A character Windows-1252 has no place for keeps the text in UTF-8.
  EXPECT_EQ(EncodeEdited(QString::fromUtf8("Ω"), "x"), "\xce\xa9");
}

class MleBytesTest : public UiTest {};

TEST_F(MleBytesTest, AnUneditedTextComesBackByteForByte) {
  auto dlg = MakeDialog();
  auto mle = std::make_shared<XbpMle>(dlg->drawingArea(), nullptr, Point{0, 0}, Size{200, 100});
  mle->create();
  const std::string bytes = "Gr\xfc\xdf""e\r\n\r\n\tEnde\r\n";  // Windows-1252, tab, CR LF
  mle->setData(Value(bytes));
  EXPECT_EQ(mle->getData(), Value(bytes));

  QTest::keyClick(mle->widget(), Qt::Key_End, Qt::ControlModifier);
  QTest::keyClicks(mle->widget(), "!");
  RunQueue();
  EXPECT_EQ(mle->getData(), Value(bytes + "!"));
  dlg->destroy();
}

}  // namespace
}  // namespace kalvento::rt::ui
