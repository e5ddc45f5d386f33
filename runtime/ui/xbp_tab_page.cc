#include "runtime/ui/xbp_tab_page.h"

#include <QFrame>
#include <QMouseEvent>
#include <QPushButton>

#include "runtime/text.h"
#include "runtime/ui/app_event.h"
#include "runtime/ui/presentation.h"
#include "runtime/ui/text_codec.h"

namespace kalvento::rt::ui {

bool XbpTabPage::isDerivedFrom(std::string_view name) const {
  return EqualsIgnoreCase(name, "XbpTabPage") || XbpPart::isDerivedFrom(name);
}

QWidget* XbpTabPage::buildWidget(QWidget* qtParent) {
  auto* page = new QFrame(qtParent);
  page->setFrameStyle(QFrame::Panel | QFrame::Raised);
  page->setAutoFillBackground(true);
  auto* tab = new QPushButton(page);
  tab->setObjectName("tab");
  tab->setFlat(true);
  tab->setFocusPolicy(Qt::NoFocus);
  ApplyPresParams(page, presParams_);
  std::weak_ptr<XbpPart> self = shared_from_this();
  QObject::connect(tab, &QPushButton::clicked, [self] {
    if (auto part = self.lock()) PostAppEvent(kEventTabActivate, Value(), Value(), part);
  });
  return page;
}

void XbpTabPage::applyCaption() {
  auto* tab = widget_->findChild<QPushButton*>("tab");
  if (!tab) return;
  tab->setText(caption_.isText() ? CaptionForDisplay(caption_.text()) : QString());
  tab->setShortcut(QKeySequence());
  tab->setGeometry(2, 0, tab->sizeHint().width(), tabHeight);
}

bool XbpTabPage::maximize() {
  if (auto parent = setParent()) {
    for (const auto& sibling : parent->childList()) {
      if (sibling.get() != this && sibling->isDerivedFrom("XbpTabPage")) {
        static_cast<XbpTabPage*>(sibling.get())->minimized_ = true;
      }
    }
  }
  minimized_ = false;
  if (widget_) widget_->raise();
  return true;
}

void XbpTabPage::onActivate(const Value&) { maximize(); }

}  // namespace kalvento::rt::ui
