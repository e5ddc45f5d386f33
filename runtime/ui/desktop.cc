#include "runtime/ui/desktop.h"

#include <QGuiApplication>
#include <QScreen>

#include "runtime/text.h"
#include "runtime/ui/window_layer.h"

namespace kalvento::rt::ui {
namespace {

std::optional<Size>& FixedSize() {
  static std::optional<Size> size;
  return size;
}

}  // namespace

bool XbpDesktop::isDerivedFrom(std::string_view name) const {
  return EqualsIgnoreCase(name, "XbpDesktop") || XbpPart::isDerivedFrom(name);
}

Size XbpDesktop::desktopSize() const {
  if (FixedSize()) return *FixedSize();
  EnsureWindowLayer();
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return Size{800, 600};
  QSize s = screen->geometry().size();
  return Size{static_cast<double>(s.width()), static_cast<double>(s.height())};
}

std::shared_ptr<XbpDesktop> AppDesktop() {
  static std::shared_ptr<XbpDesktop> desktop = std::make_shared<XbpDesktop>();
  return desktop;
}

void FixDesktopSize(std::optional<Size> size) { FixedSize() = size; }

}  // namespace kalvento::rt::ui
