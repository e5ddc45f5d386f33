#include "runtime/ui/xbp_check_box.h"

#include <QCheckBox>

#include "runtime/text.h"
#include "runtime/ui/app_event.h"
#include "runtime/ui/presentation.h"
#include "runtime/ui/text_codec.h"

namespace kalvento::rt::ui {

bool XbpCheckBox::isDerivedFrom(std::string_view name) const {
  return EqualsIgnoreCase(name, "XbpCheckBox") || XbpPart::isDerivedFrom(name);
}

QWidget* XbpCheckBox::buildWidget(QWidget* qtParent) {
  auto* box = new QCheckBox(qtParent);
  box->setFocusPolicy(Qt::StrongFocus);
  ApplyPresParams(box, presParams_);
  box->setChecked(plainValue_.isLogical() && plainValue_.logical());
  std::weak_ptr<XbpPart> self = shared_from_this();
  QObject::connect(box, &QCheckBox::clicked, [self](bool checked) {
    if (auto part = self.lock()) PostAppEvent(kEventActivate, Value(checked), Value(), part);
  });
  return box;
}

void XbpCheckBox::applyCaption() {
  auto* box = static_cast<QCheckBox*>(widget_.data());
  box->setText(caption_.isText() ? CaptionForDisplay(caption_.text()) : QString());
  box->setShortcut(QKeySequence());
}

Value XbpCheckBox::shownValue() const {
  if (auto* box = qobject_cast<QCheckBox*>(widget_.data())) return Value(box->isChecked());
  return Value(plainValue_.isLogical() && plainValue_.logical());
}

void XbpCheckBox::showValue(const Value& value) {
  plainValue_ = Value(value.isLogical() && value.logical());
  if (auto* box = qobject_cast<QCheckBox*>(widget_.data())) box->setChecked(plainValue_.logical());
}

}  // namespace kalvento::rt::ui
