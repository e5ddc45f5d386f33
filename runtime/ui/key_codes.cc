#include "runtime/ui/key_codes.h"

#include <array>
#include <utility>

namespace kalvento::rt::ui {
namespace {

// Qt keys without a character and their Windows virtual-key codes.
constexpr std::pair<int, int> kVirtualKeys[] = {
    {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09},       {Qt::Key_Backtab, 0x09},
    {Qt::Key_Return, 0x0D},    {Qt::Key_Enter, 0x0D},     {Qt::Key_Pause, 0x13},
    {Qt::Key_CapsLock, 0x14},  {Qt::Key_Escape, 0x1B},    {Qt::Key_Space, 0x20},
    {Qt::Key_PageUp, 0x21},    {Qt::Key_PageDown, 0x22},  {Qt::Key_End, 0x23},
    {Qt::Key_Home, 0x24},      {Qt::Key_Left, 0x25},      {Qt::Key_Up, 0x26},
    {Qt::Key_Right, 0x27},     {Qt::Key_Down, 0x28},      {Qt::Key_Print, 0x2C},
    {Qt::Key_Insert, 0x2D},    {Qt::Key_Delete, 0x2E},    {Qt::Key_Menu, 0x5D},
    {Qt::Key_NumLock, 0x90},   {Qt::Key_ScrollLock, 0x91},
};

int VirtualKeyOf(int qtKey) {
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 0x70 + (qtKey - Qt::Key_F1);
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return qtKey;  // same codes as 'A'..'Z'
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return qtKey;
  for (auto [qt, vk] : kVirtualKeys) {
    if (qt == qtKey) return vk;
  }
  return 0;
}

int QtKeyOfVirtual(int vk) {
  if (vk >= 0x70 && vk <= 0x87) return Qt::Key_F1 + (vk - 0x70);
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return vk;
  for (auto [qt, v] : kVirtualKeys) {
    if (v == vk) return qt;
  }
  return 0;
}

bool IsModifierKey(int qtKey) {
  return qtKey == Qt::Key_Control || qtKey == Qt::Key_Shift || qtKey == Qt::Key_Alt ||
         qtKey == Qt::Key_Meta || qtKey == Qt::Key_AltGr;
}

int ModifierValue(Qt::KeyboardModifiers m) {
  int v = 0;
  if (m & Qt::ShiftModifier) v += kKeyShift;
  if (m & Qt::ControlModifier) v += kKeyCtrl;
  if (m & Qt::AltModifier) v += kKeyAlt;
  return v;
}

}  // namespace

int KeyCodeFromQt(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text) {
  if (IsModifierKey(qtKey)) return 0;
  const bool ctrl = modifiers & Qt::ControlModifier;
  const bool alt = modifiers & Qt::AltModifier;
  // Enter, Esc, Backspace and Tab give their control characters.
  if (!ctrl && !alt) {
    switch (qtKey) {
      case Qt::Key_Return:
      case Qt::Key_Enter: return 13;
      case Qt::Key_Escape: return 27;
      case Qt::Key_Backspace: return 8;
      case Qt::Key_Tab:
      case Qt::Key_Backtab: return 9;
      default: break;
    }
  }
  // Alt with a letter: the Alt value, the virtual-key mark and the capital.
  if (alt && !ctrl && qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return kKeyAlt + kKeyVirtual + qtKey;
  // Ctrl with a letter gives the control character (Ctrl+W is 23).
  if (ctrl && !alt && qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return qtKey - Qt::Key_A + 1;
  // A printable character typed without Ctrl or Alt (AltGr characters included).
  if (!text.isEmpty() && text.at(0).unicode() >= 32 && text.at(0).unicode() != 127 &&
      !(ctrl != alt)) {
    return text.at(0).unicode();
  }
  int vk = VirtualKeyOf(qtKey);
  if (vk == 0) return 0;
  return kKeyVirtual + vk + ModifierValue(modifiers);
}

NativeKey NativeKeyFromCode(int code) {
  NativeKey k;
  if (code <= 0) return k;
  if (code < kKeyVirtual) {
    switch (code) {
      case 13: k.qtKey = Qt::Key_Return; k.text = "\r"; return k;
      case 27: k.qtKey = Qt::Key_Escape; k.text = QString(QChar(27)); return k;
      case 8: k.qtKey = Qt::Key_Backspace; k.text = QString(QChar(8)); return k;
      case 9: k.qtKey = Qt::Key_Tab; k.text = "\t"; return k;
      default: break;
    }
    if (code < 27) {  // Ctrl with a letter
      k.qtKey = Qt::Key_A + code - 1;
      k.modifiers = Qt::ControlModifier;
      k.text = QString(QChar(code));
      return k;
    }
    QChar c(static_cast<char16_t>(code));
    k.text = QString(c);
    QChar up = c.toUpper();
    if (up.unicode() >= 'A' && up.unicode() <= 'Z') {
      k.qtKey = up.unicode();
      if (c.isUpper()) k.modifiers = Qt::ShiftModifier;
    } else if (code == ' ') {
      k.qtKey = Qt::Key_Space;
    } else {
      k.qtKey = code < 128 ? code : Qt::Key_unknown;
    }
    return k;
  }
  int rest = code;
  if (rest >= kKeyCtrl + kKeyVirtual) { k.modifiers |= Qt::ControlModifier; rest -= kKeyCtrl; }
  if (rest >= kKeyAlt + kKeyVirtual) { k.modifiers |= Qt::AltModifier; rest -= kKeyAlt; }
  if (rest >= kKeyShift + kKeyVirtual) { k.modifiers |= Qt::ShiftModifier; rest -= kKeyShift; }
  k.qtKey = QtKeyOfVirtual(rest - kKeyVirtual);
  return k;
}

int InkeyCodeFromKeyCode(int code) {
  if (code < kKeyVirtual) return code;
  // Alt with a letter: the character-mode codes (scan code plus 256).
  static constexpr std::array<int, 26> kAltLetters = {
      286, 304, 302, 288, 274, 289, 290, 291, 279, 292, 293, 294, 306,
      305, 280, 281, 272, 275, 287, 276, 278, 303, 273, 301, 277, 300};
  if (code >= kKeyAlt + kKeyVirtual + 'A' && code <= kKeyAlt + kKeyVirtual + 'Z') {
    return kAltLetters[code - (kKeyAlt + kKeyVirtual + 'A')];
  }
  const int vk = (code - kKeyVirtual) % kKeyShift;
  const int mods = code - kKeyVirtual - vk;
  if (vk >= 0x70 && vk <= 0x79) {  // F1 to F10
    int n = vk - 0x70 + 1;
    switch (mods) {
      case 0: return n == 1 ? 28 : 1 - n;
      case kKeyShift: return -9 - n;
      case kKeyCtrl: return -19 - n;
      case kKeyAlt: return -29 - n;
      default: return code;
    }
  }
  if (mods == 0) {
    switch (vk) {
      case 0x7A: return -40;  // F11
      case 0x7B: return -41;  // F12
      case 0x21: return 18;   // Page Up
      case 0x22: return 3;    // Page Down
      case 0x23: return 6;    // End
      case 0x24: return 1;    // Home
      case 0x25: return 19;   // Left
      case 0x26: return 5;    // Up
      case 0x27: return 4;    // Right
      case 0x28: return 24;   // Down
      case 0x2D: return 22;   // Insert
      case 0x2E: return 7;    // Delete
      default: return code;
    }
  }
  if (mods == kKeyCtrl) {
    switch (vk) {
      case 0x21: return 31;  // Ctrl+Page Up
      case 0x22: return 30;  // Ctrl+Page Down
      case 0x23: return 23;  // Ctrl+End
      case 0x24: return 29;  // Ctrl+Home
      case 0x25: return 26;  // Ctrl+Left
      case 0x27: return 2;   // Ctrl+Right
      default: return code;
    }
  }
  if (mods == kKeyShift && vk == 0x09) return 271;  // Shift+Tab
  return code;
}

}  // namespace kalvento::rt::ui
