#include "runtime/ui/focus.h"

#include <QApplication>
#include <QWidget>

#include "runtime/ui/desktop.h"
#include "runtime/ui/window_layer.h"
#include "runtime/ui/xbp_part.h"

namespace kalvento::rt::ui {
namespace {

std::weak_ptr<XbpPart>& LastFocus() {
  static std::weak_ptr<XbpPart> part;
  return part;
}

std::shared_ptr<XbpPart>& AppWindow() {
  static std::shared_ptr<XbpPart> window;
  return window;
}

}  // namespace

std::shared_ptr<XbpPart> SetAppFocus() {
  if (WindowLayerRunning()) {
    if (QWidget* w = QApplication::focusWidget()) {
      if (auto part = PartOfWidget(w)) return part;
    }
  }
  // The window system may not have activated the window yet (or runs
  // without a screen); the part last given the focus still has it.
  auto last = LastFocus().lock();
  if (last && last->status() == kStatusCreate) return last;
  return nullptr;
}

std::shared_ptr<XbpPart> SetAppFocus(const std::shared_ptr<XbpPart>& part) {
  std::shared_ptr<XbpPart> previous = SetAppFocus();
  if (!part) return previous;
  LastFocus() = part;
  if (QWidget* w = part->widget()) {
    QWidget* window = w->window();
    if (window->isVisible()) window->activateWindow();
    w->setFocus(Qt::OtherFocusReason);
  }
  return previous;
}

std::shared_ptr<XbpPart> SetAppWindow() {
  if (AppWindow()) return AppWindow();
  return AppDesktop();
}

std::shared_ptr<XbpPart> SetAppWindow(const std::shared_ptr<XbpPart>& window) {
  std::shared_ptr<XbpPart> previous = SetAppWindow();
  AppWindow() = window;
  return previous;
}

}  // namespace kalvento::rt::ui
