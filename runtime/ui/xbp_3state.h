#pragma once

#include "runtime/ui/xbp_part.h"

namespace kalvento::rt::ui {

// A three-state box; its value is 0 (clear), 1 (checked) or 2 (undetermined).
// A click advances it and posts the activate event with the new state.
class Xbp3State : public XbpPart {
 public:
  using XbpPart::XbpPart;
  std::string className() const override { return "Xbp3State"; }
  bool isDerivedFrom(std::string_view name) const override;

 protected:
  QWidget* buildWidget(QWidget* qtParent) override;
  void applyCaption() override;
  Value shownValue() const override;
  void showValue(const Value& value) override;
};

}  // namespace kalvento::rt::ui
