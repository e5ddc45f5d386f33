#pragma once

#include <memory>
#include <optional>

#include "runtime/ui/xbp_part.h"

namespace kalvento::rt::ui {

// The desktop: the parent of every top-level window. Its currentSize() is the
// screen's size in pixels, unless a size has been fixed (tests fix it to lay
// windows out for a given screen).
class XbpDesktop : public XbpPart {
 public:
  std::string className() const override { return "XbpDesktop"; }
  bool isDerivedFrom(std::string_view name) const override;
  using XbpPart::configure;
  using XbpPart::create;
  XbpPart& create() override { return *this; }
  XbpPart& destroy() override { return *this; }
  Size desktopSize() const;
  Size currentSize() const override { return desktopSize(); }
  Point currentPos() const override { return Point{}; }

 protected:
  QWidget* buildWidget(QWidget*) override { return nullptr; }
};

std::shared_ptr<XbpDesktop> AppDesktop();

// Fixes the desktop's size (std::nullopt: the screen's size again).
void FixDesktopSize(std::optional<Size> size);

}  // namespace kalvento::rt::ui
