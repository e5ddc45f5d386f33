#include "runtime/ui/xbp_static.h"

#include <QGroupBox>
#include <QLabel>

#include "runtime/text.h"
#include "runtime/ui/presentation.h"
#include "runtime/ui/text_codec.h"

namespace kalvento::rt::ui {

bool XbpStatic::isDerivedFrom(std::string_view name) const {
  return EqualsIgnoreCase(name, "XbpStatic") || XbpPart::isDerivedFrom(name);
}

QWidget* XbpStatic::buildWidget(QWidget* qtParent) {
  QWidget* w = nullptr;
  if (type == kStaticGroupBox) {
    w = new QGroupBox(qtParent);
  } else if (type == kStaticText) {
    auto* label = new QLabel(qtParent);
    label->setTextFormat(Qt::PlainText);
    w = label;
  } else {
    auto* frame = new QFrame(qtParent);
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    w = frame;
  }
  ApplyPresParams(w, presParams_);
  return w;
}

void XbpStatic::applyCaption() {
  QString text = caption_.isText() ? DecodeForDisplay(caption_.text()).remove('~') : QString();
  if (auto* label = qobject_cast<QLabel*>(widget_.data())) {
    label->setText(text);
    if (autoSize) {
      label->adjustSize();
      size_ = Size{static_cast<double>(label->width()), static_cast<double>(label->height())};
    }
  } else if (auto* box = qobject_cast<QGroupBox*>(widget_.data())) {
    box->setTitle(text);
  }
}

}  // namespace kalvento::rt::ui
