#include "runtime/ui/key_codes.h"

#include <gtest/gtest.h>

namespace kalvento::rt::ui {
namespace {

struct KeyCase {
  const char* name;
  int qtKey;
  Qt::KeyboardModifiers modifiers;
  const char* text;
  int code;
};

TEST(KeyCodesTest, QtKeysBecomeTheWindowSystemsCodes) {
  const KeyCase cases[] = {
      {"a", Qt::Key_A, Qt::NoModifier, "a", 97},
      {"Shift+A", Qt::Key_A, Qt::ShiftModifier, "A", 65},
      {"umlaut", Qt::Key_Udiaeresis, Qt::NoModifier, "\xc3\xbc", 252},
      {"Enter", Qt::Key_Return, Qt::NoModifier, "\r", 13},
      {"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier, "\r", 13},
      {"Esc", Qt::Key_Escape, Qt::NoModifier, "\x1b", 27},
      {"F10", Qt::Key_F10, Qt::NoModifier, "", 65657},
      {"Ctrl+W", Qt::Key_W, Qt::ControlModifier, "\x17", 23},
      {"Alt+W", Qt::Key_W, Qt::AltModifier, "w", 327767},
      {"Alt+A", Qt::Key_A, Qt::AltModifier, "a", 327745},
      {"Page Up", Qt::Key_PageUp, Qt::NoModifier, "", 65569},
      {"Page Down", Qt::Key_PageDown, Qt::NoModifier, "", 65570},
      {"Shift+Page Up", Qt::Key_PageUp, Qt::ShiftModifier, "", 196641},
      {"Shift+Page Down", Qt::Key_PageDown, Qt::ShiftModifier, "", 196642},
      {"Ctrl+Page Up", Qt::Key_PageUp, Qt::ControlModifier, "", 589857},
      {"Ctrl+Page Down", Qt::Key_PageDown, Qt::ControlModifier, "", 589858},
      {"Ctrl key alone", Qt::Key_Control, Qt::ControlModifier, "", 0},
  };
  for (const KeyCase& c : cases) {
    EXPECT_EQ(KeyCodeFromQt(c.qtKey, c.modifiers, QString::fromUtf8(c.text)), c.code) << c.name;
  }
}

TEST(KeyCodesTest, PostedCodesBecomeTheQtKeysThatGiveThem) {
  for (int code : {97, 65, 13, 27, 23, 65657, 327767, 65569, 196641, 589858}) {
    NativeKey k = NativeKeyFromCode(code);
    EXPECT_EQ(KeyCodeFromQt(k.qtKey, k.modifiers, k.text), code) << code;
  }
}

TEST(KeyCodesTest, InkeyUsesTheCharacterModeCodes) {
  const std::pair<int, int> cases[] = {
      {97, 97},                            // characters stay
      {65536 + 0x70, 28},                  // F1
      {65536 + 0x71, -1},                  // F2
      {65657, -9},                         // F10
      {65570, 3},                          // Page Down
      {65569, 18},                         // Page Up
      {589857, 31},                        // Ctrl+Page Up
      {327745, 286},                       // Alt+A
      {327767, 273},                       // Alt+W
      {65536 + 0x13, 65536 + 0x13},        // Pause has no counterpart
  };
  for (auto [in, out] : cases) EXPECT_EQ(InkeyCodeFromKeyCode(in), out) << in;
}

}  // namespace
}  // namespace kalvento::rt::ui
