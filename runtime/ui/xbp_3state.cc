#include "runtime/ui/xbp_3state.h"

#include <QCheckBox>

#include "runtime/text.h"
#include "runtime/ui/app_event.h"
#include "runtime/ui/presentation.h"
#include "runtime/ui/text_codec.h"

namespace kalvento::rt::ui {
namespace {

int StateOf(const Value& v) {
  if (!v.isNumber()) return 0;
  int n = static_cast<int>(v.number());
  return n >= 0 && n <= 2 ? n : 0;
}

Qt::CheckState QtState(int n) {
  return n == 1 ? Qt::Checked : n == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
}

// A click advances clear -> checked -> undetermined -> clear.
class ThreeStateBox : public QCheckBox {
 public:
  using QCheckBox::QCheckBox;

 protected:
  void nextCheckState() override {
    switch (checkState()) {
      case Qt::Unchecked: setCheckState(Qt::Checked); break;
      case Qt::Checked: setCheckState(Qt::PartiallyChecked); break;
      default: setCheckState(Qt::Unchecked); break;
    }
  }
};

}  // namespace

bool Xbp3State::isDerivedFrom(std::string_view name) const {
  return EqualsIgnoreCase(name, "Xbp3State") || XbpPart::isDerivedFrom(name);
}

QWidget* Xbp3State::buildWidget(QWidget* qtParent) {
  auto* box = new ThreeStateBox(qtParent);
  box->setTristate(true);
  box->setFocusPolicy(Qt::StrongFocus);
  ApplyPresParams(box, presParams_);
  box->setCheckState(QtState(StateOf(plainValue_)));
  std::weak_ptr<XbpPart> self = shared_from_this();
  QObject::connect(box, &QCheckBox::clicked, [this, self] {
    if (auto part = self.lock()) PostAppEvent(kEventActivate, shownValue(), Value(), part);
  });
  return box;
}

void Xbp3State::applyCaption() {
  auto* box = static_cast<QCheckBox*>(widget_.data());
  box->setText(caption_.isText() ? CaptionForDisplay(caption_.text()) : QString());
  box->setShortcut(QKeySequence());
}

Value Xbp3State::shownValue() const {
  if (auto* box = qobject_cast<QCheckBox*>(widget_.data())) {
    switch (box->checkState()) {
      case Qt::Checked: return Value(1);
      case Qt::PartiallyChecked: return Value(2);
      default: return Value(0);
    }
  }
  return Value(StateOf(plainValue_));
}

void Xbp3State::showValue(const Value& value) {
  plainValue_ = Value(StateOf(value));
  if (auto* box = qobject_cast<QCheckBox*>(widget_.data())) box->setCheckState(QtState(StateOf(value)));
}

}  // namespace kalvento::rt::ui
