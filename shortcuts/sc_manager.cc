#include "shortcuts/sc_manager.h"

#include <cctype>

#include "runtime/routines.h"
#include "runtime/ui/app_event.h"
#include "runtime/ui/focus.h"
#include "runtime/ui/key_codes.h"
#include "runtime/ui/xbp_static.h"

namespace kalvento::shortcuts {
namespace {

using rt::ui::XbpPart;

std::shared_ptr<XbpPart> ControlOf(const rt::Args& args) {
  if (args.empty() || !args[0].isObject()) return nullptr;
  return std::dynamic_pointer_cast<XbpPart>(args[0].object());
}

void Activate(const std::shared_ptr<XbpPart>& o, int event) {
  rt::ui::PostAppEvent(event, rt::Value(), rt::Value(), o);
}

// Selects a radio button and clears the first selected radio button among
// its siblings (the group is the parent's children).
void EnableRadioButton(const std::shared_ptr<XbpPart>& oXbp) {
  if (auto parent = oXbp->setParent()) {
    for (const auto& o : parent->childList()) {
      if (!o->isDerivedFrom("XbpRadioButton")) continue;
      rt::Value v = o->getData();
      if (v.isLogical() && v.logical()) {
        o->setData(rt::Value(false));
        break;
      }
    }
  }
  oXbp->setData(rt::Value(true));
}

// The six actions, by kind of control.
rt::CodeBlock FocusAction() {  // A: text label, focuses the control after it
  return rt::CodeBlock([](const rt::Args& a) {
    if (auto o = ControlOf(a)) rt::ui::SetAppFocus(o);
    return rt::Value();
  });
}

rt::CodeBlock ButtonAction() {  // B
  return rt::CodeBlock([](const rt::Args& a) {
    if (auto o = ControlOf(a)) {
      rt::ui::SetAppFocus(o);
      Activate(o, rt::ui::kEventActivate);
    }
    return rt::Value();
  });
}

rt::CodeBlock RadioAction() {  // C
  return rt::CodeBlock([](const rt::Args& a) {
    if (auto o = ControlOf(a)) {
      rt::ui::SetAppFocus(o);
      EnableRadioButton(o);
      Activate(o, rt::ui::kEventActivate);
    }
    return rt::Value();
  });
}

rt::CodeBlock CheckBoxAction() {  // D
  return rt::CodeBlock([](const rt::Args& a) {
    if (auto o = ControlOf(a)) {
      rt::ui::SetAppFocus(o);
      rt::Value v = o->getData();
      o->setData(rt::Value(!(v.isLogical() && v.logical())));
      Activate(o, rt::ui::kEventActivate);
    }
    return rt::Value();
  });
}

rt::CodeBlock ThreeStateAction() {  // E
  return rt::CodeBlock([](const rt::Args& a) {
    if (auto o = ControlOf(a)) {
      rt::ui::SetAppFocus(o);
      rt::Value v = o->getData();
      int n = v.isNumber() ? static_cast<int>(v.number()) : 0;
      o->setData(rt::Value(n + 1 > 2 ? 0 : n + 1));
      Activate(o, rt::ui::kEventActivate);
    }
    return rt::Value();
  });
}

rt::CodeBlock TabPageAction() {  // F
  return rt::CodeBlock([](const rt::Args& a) {
    if (auto o = ControlOf(a)) {
      rt::ui::SetAppFocus(o);
      Activate(o, rt::ui::kEventTabActivate);
    }
    return rt::Value();
  });
}

// A manager as a value, for the class function called by name.
class SCManagerObject : public rt::Object, public SCManager {
 public:
  std::string className() const override { return "SCManager"; }
};

}  // namespace

std::optional<int> ShortCutKeyOfCaption(const rt::Value& caption) {
  if (!caption.isText()) return std::nullopt;
  const std::string& text = caption.text();
  size_t pos = text.find('~');
  if (pos == std::string::npos || pos + 1 >= text.size()) return std::nullopt;
  unsigned char c = static_cast<unsigned char>(text[pos + 1]);
  int nC = (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c;
  if (nC > 64 && nC < 91) return 327745 + nC - 65;
  switch (nC) {
    case 60: return 65569;   // <  Page Up
    case 62: return 65570;   // >  Page Down
    case 91: return 196641;  // [  Shift+Page Up
    case 93: return 196642;  // ]  Shift+Page Down
    case 47: return 589857;  // /  Ctrl+Page Up
    case 92: return 589858;  // \  Ctrl+Page Down
    default: return std::nullopt;
  }
}

std::optional<int> SCManager::CreateShortCut(const XbpPart& o) { return ShortCutKeyOfCaption(o.caption()); }

SCManager& SCManager::init() {
  aShortCuts_.reset();
  return *this;
}

SCManager& SCManager::InitShortCuts(XbpPart& oXbp) {
  std::vector<std::shared_ptr<XbpPart>> aChilds = oXbp.childList();
  const size_t lChilds = aChilds.size();
  if (!aShortCuts_) aShortCuts_.emplace();
  for (size_t i = 0; i < lChilds; ++i) {
    const std::shared_ptr<XbpPart>& child = aChilds[i];
    if (child->isDerivedFrom("XbpStatic")) {
      auto* label = static_cast<rt::ui::XbpStatic*>(child.get());
      if (label->type == rt::ui::kStaticText) {
        std::optional<int> key = CreateShortCut(*child);
        if (key && i + 1 < lChilds) AddShortCut(*key, aChilds[i + 1], FocusAction());
      }
    } else if (child->isDerivedFrom("XbpPushButton")) {
      if (auto key = CreateShortCut(*child)) AddShortCut(*key, child, ButtonAction());
    } else if (child->isDerivedFrom("XbpRadioButton")) {
      if (auto key = CreateShortCut(*child)) AddShortCut(*key, child, RadioAction());
    } else if (child->isDerivedFrom("XbpCheckBox")) {
      if (auto key = CreateShortCut(*child)) AddShortCut(*key, child, CheckBoxAction());
    } else if (child->isDerivedFrom("Xbp3State")) {
      if (auto key = CreateShortCut(*child)) AddShortCut(*key, child, ThreeStateAction());
    } else if (child->isDerivedFrom("XbpTabPage")) {
      if (auto key = CreateShortCut(*child)) AddShortCut(*key, child, TabPageAction());
    }
    if (!child->childList().empty()) InitShortCuts(*child);
  }
  return *this;
}

bool SCManager::HandleShortcut(int nKeyCode) {
  if (!aShortCuts_ || aShortCuts_->empty()) return false;
  // Copied, as an action may add entries while it runs.
  std::vector<ShortCut> entries = *aShortCuts_;
  for (const ShortCut& e : entries) {
    if (e.key != nKeyCode || !e.control) continue;
    if (!e.control->IsVisible()) continue;
    if (!e.control->IsEnabled()) continue;
    e.action({rt::Value(std::static_pointer_cast<rt::Object>(e.control))});
    return true;
  }
  return false;
}

bool SCManager::AddShortCut(int nKey, std::shared_ptr<XbpPart> oXbp, rt::CodeBlock bBlock) {
  if (!aShortCuts_) aShortCuts_.emplace();
  aShortCuts_->push_back(ShortCut{nKey, std::move(oXbp), std::move(bBlock)});
  return true;
}

std::shared_ptr<XbpPart> SCManager::GetShortCut(int nKey) const {
  if (!aShortCuts_) return nullptr;
  for (const ShortCut& e : *aShortCuts_) {
    if (e.key == nKey) return e.control;
  }
  return nullptr;
}

void RegisterShortcutRoutines() {
  rt::RegisterRoutine("SCManager", [](const rt::Args&) {
    return rt::Value(std::static_pointer_cast<rt::Object>(std::make_shared<SCManagerObject>()));
  });
}

}  // namespace kalvento::shortcuts
