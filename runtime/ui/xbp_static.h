#pragma once

#include "runtime/ui/xbp_part.h"

namespace kalvento::rt::ui {

// Types of a static control.
inline constexpr int kStaticText = 1;
inline constexpr int kStaticGroupBox = 2;
inline constexpr int kStaticFrame = 8;

// A static control: a text label (type 1, the default), a group box or a
// frame. It takes no input; children may be placed on it. With autoSize the
// label takes the size its caption needs.
class XbpStatic : public XbpPart {
 public:
  using XbpPart::XbpPart;
  std::string className() const override { return "XbpStatic"; }
  bool isDerivedFrom(std::string_view name) const override;

  int type = kStaticText;
  bool autoSize = false;

 protected:
  QWidget* buildWidget(QWidget* qtParent) override;
  void applyCaption() override;
};

}  // namespace kalvento::rt::ui
