#include "runtime/ui/xbp_push_button.h"

#include <QPushButton>

#include "runtime/text.h"
#include "runtime/ui/app_event.h"
#include "runtime/ui/presentation.h"
#include "runtime/ui/text_codec.h"

namespace kalvento::rt::ui {

bool XbpPushButton::isDerivedFrom(std::string_view name) const {
  return EqualsIgnoreCase(name, "XbpPushButton") || XbpPart::isDerivedFrom(name);
}

QWidget* XbpPushButton::buildWidget(QWidget* qtParent) {
  auto* button = new QPushButton(qtParent);
  button->setAutoDefault(false);
  button->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
  ApplyPresParams(button, presParams_);
  std::weak_ptr<XbpPart> self = shared_from_this();
  QObject::connect(button, &QPushButton::clicked, [self] {
    if (auto part = self.lock()) PostAppEvent(kEventActivate, Value(), Value(), part);
  });
  return button;
}

void XbpPushButton::applyCaption() {
  auto* button = static_cast<QPushButton*>(widget_.data());
  button->setText(caption_.isText() ? CaptionForDisplay(caption_.text()) : QString());
  // The underline shows the shortcut; the key itself belongs to the window's
  // shortcut manager, not to Qt.
  button->setShortcut(QKeySequence());
}

}  // namespace kalvento::rt::ui
