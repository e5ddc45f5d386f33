#include "runtime/ui/xbp_radio_button.h"

#include <QRadioButton>

#include "runtime/text.h"
#include "runtime/ui/app_event.h"
#include "runtime/ui/presentation.h"
#include "runtime/ui/text_codec.h"

namespace kalvento::rt::ui {

bool XbpRadioButton::isDerivedFrom(std::string_view name) const {
  return EqualsIgnoreCase(name, "XbpRadioButton") || XbpPart::isDerivedFrom(name);
}

QWidget* XbpRadioButton::buildWidget(QWidget* qtParent) {
  auto* button = new QRadioButton(qtParent);
  button->setAutoExclusive(false);  // the group is kept here, so code may clear a button
  button->setFocusPolicy(Qt::StrongFocus);
  ApplyPresParams(button, presParams_);
  button->setChecked(plainValue_.isLogical() && plainValue_.logical());
  std::weak_ptr<XbpPart> self = shared_from_this();
  QObject::connect(button, &QRadioButton::clicked, [self](bool) {
    auto part = self.lock();
    if (!part) return;
    if (auto parent = part->setParent()) {
      for (const auto& sibling : parent->childList()) {
        if (sibling != part && sibling->isDerivedFrom("XbpRadioButton")) sibling->setData(Value(false));
      }
    }
    part->setData(Value(true));
    PostAppEvent(kEventActivate, Value(true), Value(), part);
  });
  return button;
}

void XbpRadioButton::applyCaption() {
  auto* button = static_cast<QRadioButton*>(widget_.data());
  button->setText(caption_.isText() ? CaptionForDisplay(caption_.text()) : QString());
  button->setShortcut(QKeySequence());
}

Value XbpRadioButton::shownValue() const {
  if (auto* b = qobject_cast<QRadioButton*>(widget_.data())) return Value(b->isChecked());
  return Value(plainValue_.isLogical() && plainValue_.logical());
}

void XbpRadioButton::showValue(const Value& value) {
  plainValue_ = Value(value.isLogical() && value.logical());
  if (auto* b = qobject_cast<QRadioButton*>(widget_.data())) b->setChecked(plainValue_.logical());
}

}  // namespace kalvento::rt::ui
