#pragma once

#include <string>

#include "runtime/ui/xbp_part.h"

namespace kalvento::rt::ui {

// A multi-line edit holding a text. The text is bytes: it shows decoded (UTF-8
// when valid, else Windows-1252), and getData gives back the very bytes it was
// given unless the user edited the text, which is then encoded as its origin
// was (line ends as CR LF for texts that had them).
class XbpMle : public XbpPart {
 public:
  using XbpPart::XbpPart;
  std::string className() const override { return "XbpMle"; }
  bool isDerivedFrom(std::string_view name) const override;

  bool wordWrap = true;
  bool horizScroll = true;
  bool vertScroll = true;
  bool editable = true;
  // Tab moves the focus on instead of typing a tab character.
  bool ignoreTab = true;

 protected:
  QWidget* buildWidget(QWidget* qtParent) override;
  Value shownValue() const override;
  void showValue(const Value& value) override;

 private:
  std::string original_;
};

}  // namespace kalvento::rt::ui
