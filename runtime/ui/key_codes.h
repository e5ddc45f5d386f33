#pragma once

#include <QString>
#include <Qt>

namespace kalvento::rt::ui {

// Event codes of the application queue.
inline constexpr int kEventBase = 1048576;
inline constexpr int kEventKeyboard = kEventBase + 4;     // 1048580, mp1 = key code
inline constexpr int kEventResize = kEventBase + 12;      // 1048588, mp1/mp2 old/new size
inline constexpr int kEventActivate = kEventBase + 33;    // 1048609, a button or box
inline constexpr int kEventClose = kEventBase + 56;       // 1048632
inline constexpr int kEventTabActivate = kEventBase + 320;  // 1048896
inline constexpr int kEventNotify = kEventBase + 1024;    // 1049600, work-area notification

// Key codes of the window system: a key that gives a character is that
// character's code; any other key is kKeyVirtual plus its Windows virtual-key
// code; Shift, Ctrl and Alt add their values.
inline constexpr int kKeyVirtual = 65536;
inline constexpr int kKeyShift = 131072;
inline constexpr int kKeyAlt = 262144;
inline constexpr int kKeyCtrl = 524288;

inline constexpr int kKeyEnter = 13;
inline constexpr int kKeyEsc = 27;
inline constexpr int kKeyCtrlW = 23;
inline constexpr int kKeyF10 = kKeyVirtual + 0x79;       // 65657
inline constexpr int kKeyPageUp = kKeyVirtual + 0x21;    // 65569
inline constexpr int kKeyPageDown = kKeyVirtual + 0x22;  // 65570
inline constexpr int kKeyCtrlKey = kKeyVirtual + 0x11;   // 65553, the Ctrl key itself
inline constexpr int kKeyAltW = kKeyAlt + kKeyVirtual + 'W';  // 327767

// The key code of a Qt key press; 0 for a press of a modifier key alone and
// for keys the scheme has no code for.
int KeyCodeFromQt(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text);

// A Qt key press that gives `code` (the reverse of KeyCodeFromQt), used to
// deliver a posted key to a widget. `qtKey` is 0 when there is none.
struct NativeKey {
  int qtKey = 0;
  Qt::KeyboardModifiers modifiers;
  QString text;
};
NativeKey NativeKeyFromCode(int code);

// The code Inkey and SetKey use for a window-system key code: characters stay
// as they are; function, cursor and Alt keys get the character-mode codes
// (F1 28, F2 to F10 -1 to -9, Page Up 18, Page Down 3, Alt+A 286 ...).
// Codes without such a counterpart stay unchanged.
int InkeyCodeFromKeyCode(int code);

}  // namespace kalvento::rt::ui
