#include "runtime/ui/key_state.h"

#include <QGuiApplication>
#include <map>

#include "runtime/ui/key_codes.h"
#include "runtime/ui/window_layer.h"

namespace kalvento::rt::ui {
namespace {

std::map<int, int>& Fixed() {
  static std::map<int, int> fixed;
  return fixed;
}

}  // namespace

int AppKeyState(int keyCode) {
  if (auto it = Fixed().find(keyCode); it != Fixed().end()) return it->second;
  EnsureWindowLayer();
  Qt::KeyboardModifiers m = QGuiApplication::queryKeyboardModifiers();
  switch (keyCode) {
    case kKeyVirtual + 0x11: return (m & Qt::ControlModifier) ? kKeyStateDown : kKeyStateUp;
    case kKeyVirtual + 0x10: return (m & Qt::ShiftModifier) ? kKeyStateDown : kKeyStateUp;
    case kKeyVirtual + 0x12: return (m & Qt::AltModifier) ? kKeyStateDown : kKeyStateUp;
    default: return kKeyStateUp;
  }
}

void FixKeyState(int keyCode, std::optional<int> state) {
  if (state) {
    Fixed()[keyCode] = *state;
  } else {
    Fixed().erase(keyCode);
  }
}

}  // namespace kalvento::rt::ui
