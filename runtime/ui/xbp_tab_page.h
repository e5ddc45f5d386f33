#pragma once

#include "runtime/ui/xbp_part.h"

namespace kalvento::rt::ui {

// A tab page: an area with its caption in a tab strip along its top edge
// (tabHeight pixels high); children are placed on the page. Pages with the
// same parent overlap; the tab-page activate event (a click on the tab, or
// posted) brings the page forward and runs the activate callback.
class XbpTabPage : public XbpPart {
 public:
  using XbpPart::XbpPart;
  std::string className() const override { return "XbpTabPage"; }
  bool isDerivedFrom(std::string_view name) const override;

  int tabHeight = 15;
  // True while another page of the group lies in front of this one.
  bool minimized() const { return minimized_; }
  // Brings the page forward and puts its siblings behind it.
  bool maximize();

 protected:
  QWidget* buildWidget(QWidget* qtParent) override;
  void applyCaption() override;
  void onActivate(const Value& mp1) override;

 private:
  bool minimized_ = false;
};

}  // namespace kalvento::rt::ui
