#include "runtime/ui/xbp_sle.h"

#include <QLineEdit>

#include "runtime/text.h"
#include "runtime/ui/presentation.h"
#include "runtime/ui/text_codec.h"

namespace kalvento::rt::ui {

bool XbpSLE::isDerivedFrom(std::string_view name) const {
  return EqualsIgnoreCase(name, "XbpSLE") || XbpPart::isDerivedFrom(name);
}

QWidget* XbpSLE::buildWidget(QWidget* qtParent) {
  auto* edit = new QLineEdit(qtParent);
  if (bufferLength > 0) edit->setMaxLength(bufferLength);
  edit->setReadOnly(!editable);
  edit->setFocusPolicy(Qt::StrongFocus);
  ApplyPresParams(edit, presParams_);
  edit->setText(DecodeForDisplay(original_));
  edit->setModified(false);
  return edit;
}

Value XbpSLE::shownValue() const {
  auto* edit = qobject_cast<QLineEdit*>(widget_.data());
  if (!edit || !edit->isModified()) return Value(original_);
  return Value(EncodeEdited(edit->text(), original_));
}

void XbpSLE::showValue(const Value& value) {
  original_ = value.isText() ? value.text() : std::string();
  if (auto* edit = qobject_cast<QLineEdit*>(widget_.data())) {
    edit->setText(DecodeForDisplay(original_));
    edit->setModified(false);
  }
}

}  // namespace kalvento::rt::ui
