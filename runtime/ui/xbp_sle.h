#pragma once

#include <string>

#include "runtime/ui/xbp_part.h"

namespace kalvento::rt::ui {

// A single-line edit holding a text, with the byte-keeping rules of XbpMle.
// bufferLength limits the characters the user may type (0: no limit).
class XbpSLE : public XbpPart {
 public:
  using XbpPart::XbpPart;
  std::string className() const override { return "XbpSLE"; }
  bool isDerivedFrom(std::string_view name) const override;

  int bufferLength = 0;
  bool editable = true;

 protected:
  QWidget* buildWidget(QWidget* qtParent) override;
  Value shownValue() const override;
  void showValue(const Value& value) override;

 private:
  std::string original_;
};

}  // namespace kalvento::rt::ui
