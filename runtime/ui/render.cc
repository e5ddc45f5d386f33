#include "runtime/ui/render.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include "runtime/ui/text_codec.h"
#include "runtime/ui/window_metrics.h"
#include "runtime/ui/xbp_dialog.h"

namespace kalvento::rt::ui {

bool RenderToPng(XbpPart& window, const std::string& path) {
  QWidget* w = window.widget();
  if (w == nullptr) return false;
  QCoreApplication::processEvents();
  QPixmap content = w->grab();
  auto* dialog = dynamic_cast<XbpDialog*>(&window);
  if (dialog == nullptr || !w->isWindow()) return content.save(QString::fromStdString(path), "PNG");

  const int caption = dialog->titleBar ? kCaptionHeight : 0;
  QImage image(content.width() + 2 * kFrameWidth, content.height() + caption + 2 * kFrameHeight,
               QImage::Format_RGB32);
  image.fill(QColor(212, 208, 200));
  QPainter p(&image);
  if (caption > 0) {
    QRect bar(kFrameWidth, kFrameHeight, content.width(), caption);
    p.fillRect(bar, QColor(10, 36, 106));
    p.setPen(Qt::white);
    QFont f = QApplication::font();
    f.setBold(true);
    f.setPixelSize(caption - 6);
    p.setFont(f);
    p.drawText(bar.adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft,
               DecodeForDisplay(dialog->getTitle()));
  }
  p.drawPixmap(kFrameWidth, kFrameHeight + caption, content);
  p.setPen(QColor(64, 64, 64));
  p.drawRect(image.rect().adjusted(0, 0, -1, -1));
  p.end();
  return image.save(QString::fromStdString(path), "PNG");
}

}  // namespace kalvento::rt::ui
