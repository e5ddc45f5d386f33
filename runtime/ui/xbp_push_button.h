#pragma once

#include "runtime/ui/xbp_part.h"

namespace kalvento::rt::ui {

// A push button. A click, or the activate event posted to it, runs its
// activate callback when the event is handed to the button. Enter on a
// focused button does nothing by itself: the event loop that owns the window
// decides (it posts the activate event). tabStop makes it reachable by Tab.
class XbpPushButton : public XbpPart {
 public:
  using XbpPart::XbpPart;
  std::string className() const override { return "XbpPushButton"; }
  bool isDerivedFrom(std::string_view name) const override;

 protected:
  QWidget* buildWidget(QWidget* qtParent) override;
  void applyCaption() override;
};

}  // namespace kalvento::rt::ui
