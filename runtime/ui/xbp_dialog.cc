#include "runtime/ui/xbp_dialog.h"

#include <QFrame>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "runtime/text.h"
#include "runtime/ui/app_event.h"
#include "runtime/ui/desktop.h"
#include "runtime/ui/presentation.h"
#include "runtime/ui/text_codec.h"
#include "runtime/ui/window_metrics.h"

namespace kalvento::rt::ui {
namespace {

std::vector<std::weak_ptr<XbpDialog>>& LiveDialogs() {
  static std::vector<std::weak_ptr<XbpDialog>> dialogs;
  return dialogs;
}

// The Qt side of a dialog: reports what the window system does to it.
class DialogWidget : public QFrame {
 public:
  DialogWidget(QWidget* parent, Qt::WindowFlags flags, std::weak_ptr<XbpDialog> part)
      : QFrame(parent, flags), part_(std::move(part)) {}

 protected:
  void moveEvent(QMoveEvent* event) override {
    QFrame::moveEvent(event);
    if (auto p = part_.lock(); p && isWindow()) p->windowMoved(pos().x(), pos().y());
  }
  void resizeEvent(QResizeEvent* event) override {
    QFrame::resizeEvent(event);
    if (auto p = part_.lock()) p->windowResized(width(), height());
  }

 private:
  std::weak_ptr<XbpDialog> part_;
};

}  // namespace

bool XbpIWindow::isDerivedFrom(std::string_view name) const {
  return EqualsIgnoreCase(name, "XbpIWindow") || XbpPart::isDerivedFrom(name);
}

QWidget* XbpIWindow::buildWidget(QWidget* qtParent) {
  auto* w = new QWidget(qtParent);
  w->setAutoFillBackground(true);
  return w;
}

Size XbpIWindow::currentSize() const {
  if (widget_) return Size{static_cast<double>(widget_->width()), static_cast<double>(widget_->height())};
  return size_;
}

void XbpIWindow::setColorBG(int colour) {
  if (!widget_ || colour < 0) return;
  QPalette p = widget_->palette();
  p.setColor(QPalette::Window, QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
  widget_->setPalette(p);
}

XbpDialog::XbpDialog(std::shared_ptr<XbpPart> parent, std::shared_ptr<XbpPart> owner,
                     std::optional<Point> pos, std::optional<Size> size, PresParams presParams,
                     bool visible)
    : XbpPart(std::move(parent), std::move(owner), pos, size, std::move(presParams), visible),
      drawingArea_(std::make_shared<XbpIWindow>()) {}

bool XbpDialog::isDerivedFrom(std::string_view name) const {
  return EqualsIgnoreCase(name, "XbpDialog") || XbpPart::isDerivedFrom(name);
}

bool XbpDialog::isTopLevel() const {
  auto parent = setParent();
  return !parent || parent->isDerivedFrom("XbpDesktop");
}

Size XbpDialog::frameExtra() const {
  double caption = titleBar ? kCaptionHeight : 0;
  return Size{2.0 * kFrameWidth, caption + 2.0 * kFrameHeight};
}

QWidget* XbpDialog::buildWidget(QWidget* qtParent) {
  auto self = std::static_pointer_cast<XbpDialog>(shared_from_this());
  if (!isTopLevel()) {
    auto* w = new DialogWidget(qtParent, Qt::Widget, self);
    w->setFrameStyle(border == 0 ? QFrame::NoFrame : QFrame::Panel | QFrame::Raised);
    return w;
  }
  Qt::WindowFlags flags = taskList ? Qt::Window : Qt::Tool;
  if (!titleBar) {
    flags |= Qt::FramelessWindowHint;
  } else {
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (sysMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (minButton) flags |= Qt::WindowMinimizeButtonHint;
    if (maxButton) flags |= Qt::WindowMaximizeButtonHint;
  }
  QWidget* ownerWindow = nullptr;
  if (auto owner = setOwner(); owner && owner->widget()) ownerWindow = owner->widget()->window();
  auto* w = new DialogWidget(ownerWindow, flags, self);
  return w;
}

XbpPart& XbpDialog::create() {
  if (status() == kStatusCreate) return *this;
  // The dialog appears only after its drawing area exists.
  bool wasVisible = visible_;
  visible_ = false;
  XbpPart::create();
  visible_ = wasVisible;
  ApplyPresParams(widget_, presParams_);
  if (minSize) {
    Size extra = isTopLevel() ? frameExtra() : Size{};
    widget_->setMinimumSize(static_cast<int>(minSize->width - extra.width),
                            static_cast<int>(minSize->height - extra.height));
  }
  drawingArea_->setParent(shared_from_this());
  drawingArea_->create();
  placeDrawingArea();
  applyModality();
  LiveDialogs().push_back(std::static_pointer_cast<XbpDialog>(shared_from_this()));
  if (visible_) show();
  return *this;
}

XbpPart& XbpDialog::configure() {
  XbpPart::configure();
  placeDrawingArea();
  applyModality();
  return *this;
}

XbpPart& XbpDialog::destroy() {
  std::erase_if(LiveDialogs(), [this](const std::weak_ptr<XbpDialog>& d) {
    auto p = d.lock();
    return !p || p.get() == this;
  });
  return XbpPart::destroy();
}

bool XbpDialog::show() {
  if (widget_) widget_->setUpdatesEnabled(true);
  XbpPart::show();
  if (widget_ && isTopLevel()) {
    widget_->raise();
    widget_->activateWindow();
  }
  return true;
}

void XbpDialog::applyCaption() {
  if (widget_) widget_->setWindowTitle(DecodeForDisplay(title));
}

void XbpDialog::setTitle(const std::string& newTitle) {
  title = newTitle;
  applyCaption();
}

void XbpDialog::placeWidget() {
  if (!widget_) return;
  placing_ = true;
  if (isTopLevel()) {
    Size extra = frameExtra();
    double deskHeight = AppDesktop()->currentSize().height;
    widget_->move(static_cast<int>(std::floor(pos_.x)),
                  static_cast<int>(std::floor(deskHeight - pos_.y - size_.height)));
    widget_->resize(std::max(0, static_cast<int>(size_.width - extra.width)),
                    std::max(0, static_cast<int>(size_.height - extra.height)));
  } else {
    XbpPart::placeWidget();
  }
  placing_ = false;
  placeDrawingArea();
}

void XbpDialog::placeDrawingArea() {
  QWidget* area = drawingArea_ ? drawingArea_->widget() : nullptr;
  if (!widget_ || !area) return;
  if (isTopLevel()) {
    area->setGeometry(0, 0, widget_->width(), widget_->height());
  } else {
    int top = (titleBar ? kCaptionHeight : 0) + kFrameHeight;
    area->setGeometry(kFrameWidth, top, std::max(0, widget_->width() - 2 * kFrameWidth),
                      std::max(0, widget_->height() - top - kFrameHeight));
  }
}

Point XbpDialog::currentPos() const { return pos_; }

bool XbpDialog::setModalState(int state) {
  modalState_ = state == kModalApplication ? kModalApplication : kModalNone;
  applyModality();
  return true;
}

void XbpDialog::applyModality() {
  if (!widget_ || !isTopLevel()) return;
  Qt::WindowModality wanted = modalState_ == kModalApplication ? Qt::ApplicationModal : Qt::NonModal;
  if (widget_->windowModality() == wanted) return;
  bool shown = widget_->isVisible();
  if (shown) widget_->hide();
  widget_->setWindowModality(wanted);
  if (shown) widget_->show();
}

bool XbpDialog::lockUpdate(bool lock) {
  if (widget_) widget_->setUpdatesEnabled(!lock);
  return true;
}

void XbpDialog::resize(Size oldSize, Size newSize) {
  if (resizeCallback) {
    resizeCallback({Value(Array{Value(oldSize.width), Value(oldSize.height)}),
                         Value(Array{Value(newSize.width), Value(newSize.height)}),
                         Value(std::static_pointer_cast<Object>(shared_from_this()))});
  }
}

void XbpDialog::windowMoved(int qtX, int qtY) {
  if (placing_ || !isTopLevel()) return;
  double deskHeight = AppDesktop()->currentSize().height;
  Point now{static_cast<double>(qtX), deskHeight - qtY - size_.height};
  if (std::floor(now.x) == std::floor(pos_.x) && std::floor(now.y) == std::floor(pos_.y)) return;
  double dx = now.x - pos_.x;
  double dy = now.y - pos_.y;
  pos_ = now;
  moveOwnedWindows(dx, dy);
}

void XbpDialog::windowResized(int clientWidth, int clientHeight) {
  placeDrawingArea();
  if (placing_ || !isTopLevel()) return;
  Size extra = frameExtra();
  Size now{clientWidth + extra.width, clientHeight + extra.height};
  if (static_cast<int>(now.width) == static_cast<int>(size_.width) &&
      static_cast<int>(now.height) == static_cast<int>(size_.height)) {
    return;
  }
  Size old = size_;
  size_ = now;
  // The callback runs when an event loop hands the event on, not inside Qt's
  // own event handling.
  PostAppEvent(kEventResize, Value(Array{Value(old.width), Value(old.height)}),
               Value(Array{Value(now.width), Value(now.height)}), shared_from_this());
}

void XbpDialog::handleEvent(int event, const Value& mp1, const Value& mp2) {
  if (event == kEventResize) {
    auto sizeOf = [](const Value& v) {
      if (!v.isArray() || v.array().size() < 2) return Size{};
      return Size{v.array()[0].number(), v.array()[1].number()};
    };
    if (widget_) resize(sizeOf(mp1), sizeOf(mp2));
    return;
  }
  XbpPart::handleEvent(event, mp1, mp2);
}

void XbpDialog::moveOwnedWindows(double dx, double dy) {
  for (const auto& weak : LiveDialogs()) {
    auto d = weak.lock();
    if (!d || d.get() == this || !d->movewithOwner) continue;
    if (d->setOwner().get() != this) continue;
    Point p = d->currentPos();
    d->setPos(Point{p.x + dx, p.y + dy});
  }
}

}  // namespace kalvento::rt::ui
