#include "runtime/ui/xbp_mle.h"

#include <QPlainTextEdit>

#include "runtime/text.h"
#include "runtime/ui/presentation.h"
#include "runtime/ui/text_codec.h"

namespace kalvento::rt::ui {

bool XbpMle::isDerivedFrom(std::string_view name) const {
  return EqualsIgnoreCase(name, "XbpMle") || XbpPart::isDerivedFrom(name);
}

QWidget* XbpMle::buildWidget(QWidget* qtParent) {
  auto* edit = new QPlainTextEdit(qtParent);
  edit->setLineWrapMode(wordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  edit->setHorizontalScrollBarPolicy(horizScroll && !wordWrap ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  edit->setVerticalScrollBarPolicy(vertScroll ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  edit->setReadOnly(!editable);
  edit->setTabChangesFocus(ignoreTab);
  edit->setFocusPolicy(Qt::StrongFocus);
  ApplyPresParams(edit, presParams_);
  edit->setPlainText(DecodeForDisplay(original_));
  edit->document()->setModified(false);
  return edit;
}

Value XbpMle::shownValue() const {
  auto* edit = qobject_cast<QPlainTextEdit*>(widget_.data());
  if (!edit || !edit->document()->isModified()) return Value(original_);
  return Value(EncodeEdited(edit->toPlainText(), original_));
}

void XbpMle::showValue(const Value& value) {
  original_ = value.isText() ? value.text() : std::string();
  if (auto* edit = qobject_cast<QPlainTextEdit*>(widget_.data())) {
    edit->setPlainText(DecodeForDisplay(original_));
    edit->document()->setModified(false);
  }
}

}  // namespace kalvento::rt::ui
