#include "runtime/ui/xbp_list_box.h"

#include <QListWidget>

#include "runtime/text.h"
#include "runtime/ui/app_event.h"
#include "runtime/ui/presentation.h"
#include "runtime/ui/text_codec.h"

namespace kalvento::rt::ui {

bool XbpListBox::isDerivedFrom(std::string_view name) const {
  return EqualsIgnoreCase(name, "XbpListBox") || XbpPart::isDerivedFrom(name);
}

QWidget* XbpListBox::buildWidget(QWidget* qtParent) {
  auto* list = new QListWidget(qtParent);
  list->setSelectionMode(multiSelection ? QAbstractItemView::MultiSelection : QAbstractItemView::SingleSelection);
  ApplyPresParams(list, presParams_);
  for (const std::string& item : items_) list->addItem(DecodeForDisplay(item));
  std::weak_ptr<XbpPart> self = shared_from_this();
  QObject::connect(list, &QListWidget::itemActivated, [self] {
    if (auto part = self.lock()) PostAppEvent(kEventActivate, Value(), Value(), part);
  });
  showValue(plainValue_);
  return list;
}

int XbpListBox::addItem(const std::string& text) {
  items_.push_back(text);
  if (auto* list = qobject_cast<QListWidget*>(widget_.data())) list->addItem(DecodeForDisplay(text));
  return numItems();
}

void XbpListBox::clear() {
  items_.clear();
  if (auto* list = qobject_cast<QListWidget*>(widget_.data())) list->clear();
}

std::string XbpListBox::getItem(int position) const {
  if (position < 1 || position > numItems()) return {};
  return items_[static_cast<size_t>(position - 1)];
}

Value XbpListBox::shownValue() const {
  auto* list = qobject_cast<QListWidget*>(widget_.data());
  if (!list) return plainValue_.isArray() ? plainValue_ : Value(Array{});
  Array selected;
  for (int i = 0; i < list->count(); ++i) {
    if (list->item(i)->isSelected()) selected.emplace_back(i + 1);
  }
  return Value(std::move(selected));
}

void XbpListBox::showValue(const Value& value) {
  plainValue_ = value.isArray() ? value : Value(Array{});
  auto* list = qobject_cast<QListWidget*>(widget_.data());
  if (!list) return;
  list->clearSelection();
  for (const Value& v : plainValue_.array()) {
    if (!v.isNumber()) continue;
    int row = static_cast<int>(v.number()) - 1;
    if (row >= 0 && row < list->count()) list->item(row)->setSelected(true);
  }
}

}  // namespace kalvento::rt::ui
