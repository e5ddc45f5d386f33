#include "runtime/ui/xbp_part.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <algorithm>

#include "runtime/runtime_error.h"
#include "runtime/text.h"
#include "runtime/ui/desktop.h"
#include "runtime/ui/key_codes.h"
#include "runtime/ui/window_layer.h"

namespace kalvento::rt::ui {

XbpPart::XbpPart(std::shared_ptr<XbpPart> parent, std::shared_ptr<XbpPart> owner,
                 std::optional<Point> pos, std::optional<Size> size, PresParams presParams,
                 bool visible)
    : parent_(parent),
      owner_(owner),
      pos_(pos.value_or(Point{})),
      size_(size.value_or(Size{})),
      posGiven_(pos.has_value()),
      presParams_(std::move(presParams)),
      visible_(visible) {}

XbpPart::~XbpPart() {
  if (widget_) {
    UnregisterPartWidget(widget_);
    delete widget_.data();
  }
}

bool XbpPart::isDerivedFrom(std::string_view name) const {
  return EqualsIgnoreCase(name, "XbpPart") || EqualsIgnoreCase(name, "XbpWindow");
}

XbpPart& XbpPart::create() {
  if (widget_) return *this;
  EnsureWindowLayer();
  std::shared_ptr<XbpPart> parent = setParent();
  QWidget* qtParent = nullptr;
  if (!isTopLevel()) {
    if (!parent || parent->status() != kStatusCreate || parent->childArea() == nullptr) {
      throw RuntimeError("parent window not created", className() + ":create");
    }
    qtParent = parent->childArea();
  }
  QWidget* w = buildWidget(qtParent);
  widget_ = w;
  RegisterPartWidget(w, shared_from_this());
  applyCaption();
  placeWidget();
  w->setEnabled(enabled_);
  if (parent) parent->addChild(shared_from_this());
  if (visible_) w->show();
  return *this;
}

XbpPart& XbpPart::create(const PartSetup& setup) {
  if (setup.parent) parent_ = setup.parent;
  if (setup.owner) owner_ = setup.owner;
  if (setup.pos) pos_ = *setup.pos, posGiven_ = true;
  if (setup.size) size_ = *setup.size;
  if (setup.presParams) presParams_ = *setup.presParams;
  if (setup.visible) visible_ = *setup.visible;
  return create();
}

XbpPart& XbpPart::configure(const PartSetup& setup) {
  if (setup.pos) pos_ = *setup.pos, posGiven_ = true;
  if (setup.size) size_ = *setup.size;
  if (setup.presParams) presParams_ = *setup.presParams;
  if (setup.visible) {
    visible_ = *setup.visible;
    if (widget_) widget_->setVisible(visible_);
  }
  return configure();
}

XbpPart& XbpPart::configure() {
  if (!widget_) return *this;
  applyCaption();
  placeWidget();
  widget_->setEnabled(enabled_);
  return *this;
}

XbpPart& XbpPart::destroy() {
  // Children go first, newest first, as their widgets die with this one.
  std::vector<std::shared_ptr<XbpPart>> kids = children_;
  for (auto it = kids.rbegin(); it != kids.rend(); ++it) (*it)->destroy();
  children_.clear();
  if (widget_) {
    QWidget* w = widget_;
    widget_ = nullptr;
    UnregisterPartWidget(w);
    w->hide();
    delete w;
  }
  if (auto parent = parent_.lock()) parent->removeChild(this);
  return *this;
}

std::shared_ptr<XbpPart> XbpPart::setParent() const {
  if (auto p = parent_.lock()) return p;
  if (isDerivedFrom("XbpDesktop")) return nullptr;
  return AppDesktop();
}

std::vector<std::shared_ptr<XbpPart>> XbpPart::childList() const { return children_; }

void XbpPart::addChild(const std::shared_ptr<XbpPart>& child) {
  if (std::find(children_.begin(), children_.end(), child) == children_.end()) {
    children_.push_back(child);
  }
}

void XbpPart::removeChild(const XbpPart* child) {
  std::erase_if(children_, [child](const std::shared_ptr<XbpPart>& c) { return c.get() == child; });
}

double XbpPart::parentAreaHeight() const {
  std::shared_ptr<XbpPart> parent = setParent();
  if (!parent) return 0;
  if (isTopLevel() || parent->isDerivedFrom("XbpDesktop")) return parent->currentSize().height;
  if (QWidget* area = parent->childArea()) return area->height();
  return parent->currentSize().height;
}

void XbpPart::placeWidget() {
  if (!widget_) return;
  widget_->setGeometry(ToQtRect(pos_, size_, parentAreaHeight()));
}

Point XbpPart::currentPos() const { return pos_; }

Size XbpPart::currentSize() const {
  if (widget_) {
    // A widget the window system resized (a layout, the user) has its own size.
    QSize s = widget_->size();
    if (s.width() != static_cast<int>(size_.width) || s.height() != static_cast<int>(size_.height)) {
      return Size{static_cast<double>(s.width()), static_cast<double>(s.height())};
    }
  }
  return size_;
}

bool XbpPart::setPos(Point pos) {
  pos_ = pos;
  posGiven_ = true;
  placeWidget();
  return true;
}

bool XbpPart::setSize(Size size) {
  size_ = size;
  placeWidget();
  return true;
}

bool XbpPart::setPosAndSize(Point pos, Size size) {
  pos_ = pos;
  posGiven_ = true;
  size_ = size;
  placeWidget();
  return true;
}

bool XbpPart::show() {
  visible_ = true;
  if (widget_) widget_->show();
  return true;
}

bool XbpPart::hide() {
  visible_ = false;
  if (widget_) widget_->hide();
  return true;
}

bool XbpPart::IsVisible() const { return widget_ && widget_->isVisible(); }

bool XbpPart::enable() {
  enabled_ = true;
  if (widget_) widget_->setEnabled(true);
  return true;
}

bool XbpPart::disable() {
  enabled_ = false;
  if (widget_) widget_->setEnabled(false);
  return true;
}

bool XbpPart::IsEnabled() const { return enabled_; }

void XbpPart::setCaption(Value caption) {
  caption_ = std::move(caption);
  if (widget_) applyCaption();
}

void XbpPart::setPresParam(int code, Value value) {
  for (auto& [c, v] : presParams_) {
    if (c == code) {
      v = std::move(value);
      return;
    }
  }
  presParams_.emplace_back(code, std::move(value));
}

Value XbpPart::setData() {
  Value v = dataLink ? dataLink() : loaded_;
  return setData(v);
}

Value XbpPart::setData(const Value& value) {
  loaded_ = value;
  showValue(value);
  return value;
}

Value XbpPart::getData() {
  Value v = shownValue();
  if (dataLink) dataLink({v});
  return v;
}

bool XbpPart::changed() const { return !(shownValue() == loaded_); }

bool XbpPart::validate() {
  if (!validateBlock) return true;
  Value ok = validateBlock({Value(std::const_pointer_cast<XbpPart>(shared_from_this()))});
  return ok.isLogical() ? ok.logical() : true;
}

bool XbpPart::undo() {
  showValue(loaded_);
  return true;
}

void XbpPart::handleEvent(int event, const Value& mp1, const Value& mp2) {
  Value self(std::static_pointer_cast<Object>(shared_from_this()));
  if (event == kEventKeyboard || (event > 0 && event < kEventBase)) {
    int code = event == kEventKeyboard ? (mp1.isNumber() ? static_cast<int>(mp1.number()) : 0) : event;
    if (!widget_) return;
    if (keyboard) keyboard({Value(code), mp2, self});
    if (widget_) deliverKey(code);
    return;
  }
  if (event == kEventActivate || event == kEventTabActivate) {
    if (!widget_) return;
    onActivate(mp1);
    if (activate) activate({mp1, mp2, self});
    return;
  }
  if (event == kEventClose) {
    if (close) close({mp1, mp2, self});
    return;
  }
}

void XbpPart::deliverKey(int code) {
  NativeKey k = NativeKeyFromCode(code);
  if (k.qtKey == 0 || !widget_) return;
  QWidget* target = widget_;
  if (QWidget* focus = QApplication::focusWidget(); focus && (focus == target || target->isAncestorOf(focus))) {
    target = focus;
  } else if (QWidget* proxy = target->focusProxy()) {
    target = proxy;
  }
  KeyDelivery delivering;
  QPointer<QWidget> receiver = target;
  QKeyEvent press(QEvent::KeyPress, k.qtKey, k.modifiers, k.text);
  QApplication::sendEvent(receiver, &press);
  if (!receiver) return;
  QKeyEvent release(QEvent::KeyRelease, k.qtKey, k.modifiers, k.text);
  QApplication::sendEvent(receiver, &release);
}

std::shared_ptr<XbpPart> PartOfWidget(const QWidget* widget) {
  // The search stays inside one window: a message box over a dialog is no
  // part of the dialog.
  for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
    if (auto part = PartOfRegisteredWidget(w)) return part;
    if (w->isWindow()) break;
  }
  return nullptr;
}

}  // namespace kalvento::rt::ui
