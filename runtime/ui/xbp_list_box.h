#pragma once

#include <string>
#include <vector>

#include "runtime/ui/xbp_part.h"

namespace kalvento::rt::ui {

// A list box of texts. Its value is the array of the selected items'
// positions (1-based). Enter keeps its own meaning in a list box.
class XbpListBox : public XbpPart {
 public:
  using XbpPart::XbpPart;
  std::string className() const override { return "XbpListBox"; }
  bool isDerivedFrom(std::string_view name) const override;

  bool multiSelection = false;

  int addItem(const std::string& text);
  void clear();
  int numItems() const { return static_cast<int>(items_.size()); }
  std::string getItem(int position) const;

 protected:
  QWidget* buildWidget(QWidget* qtParent) override;
  Value shownValue() const override;
  void showValue(const Value& value) override;

 private:
  std::vector<std::string> items_;
};

}  // namespace kalvento::rt::ui
