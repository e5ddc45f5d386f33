#pragma once

#include "runtime/ui/xbp_part.h"

namespace kalvento::rt::ui {

// A radio button; its value is logical. The radio buttons with the same
// parent form a group: a click selects the button, clears the others of the
// group and posts the activate event. setData changes only the button itself.
class XbpRadioButton : public XbpPart {
 public:
  using XbpPart::XbpPart;
  std::string className() const override { return "XbpRadioButton"; }
  bool isDerivedFrom(std::string_view name) const override;

 protected:
  QWidget* buildWidget(QWidget* qtParent) override;
  void applyCaption() override;
  Value shownValue() const override;
  void showValue(const Value& value) override;
};

}  // namespace kalvento::rt::ui
