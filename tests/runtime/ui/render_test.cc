#include "runtime/ui/render.h"

#include <QImage>
#include <cstdio>
#include <string>

#include "tests/runtime/ui/ui_test_support.h"

namespace kalvento::rt::ui {
namespace {

using testing::UiTest;

class RenderTest : public UiTest {};

TEST_F(RenderTest, AWindowIsWrittenAsAPictureOfItsOuterSize) {
  auto dlg = std::make_shared<XbpDialog>(nullptr, nullptr, Point{0, 0}, Size{400, 300});
  dlg->title = "Bild";
  const std::string path = ::testing::TempDir() + "render_test.png";
  EXPECT_FALSE(RenderToPng(*dlg, path));  // not created yet
  dlg->create();
  ASSERT_TRUE(RenderToPng(*dlg, path));
  QImage image(QString::fromStdString(path));
  EXPECT_EQ(image.size(), QSize(400, 300));
  EXPECT_FALSE(RenderToPng(*dlg, "/nonexistent-folder/x.png"));
  std::remove(path.c_str());
  dlg->destroy();
}

}  // namespace
}  // namespace kalvento::rt::ui
