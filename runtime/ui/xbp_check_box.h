#pragma once

#include "runtime/ui/xbp_part.h"

namespace kalvento::rt::ui {

// A check box; its value is logical. A click toggles it and posts the
// activate event with the new value as mp1.
class XbpCheckBox : public XbpPart {
 public:
  using XbpPart::XbpPart;
  std::string className() const override { return "XbpCheckBox"; }
  bool isDerivedFrom(std::string_view name) const override;

 protected:
  QWidget* buildWidget(QWidget* qtParent) override;
  void applyCaption() override;
  Value shownValue() const override;
  void showValue(const Value& value) override;
};

}  // namespace kalvento::rt::ui
