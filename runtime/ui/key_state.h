#pragma once

#include <optional>

namespace kalvento::rt::ui {

inline constexpr int kKeyStateUp = 0;
inline constexpr int kKeyStateDown = 1;

// The state of one key now (kKeyStateDown while held): the Ctrl key (65553),
// Shift (65552) and Alt (65554) are asked of the window system; any other key
// reads as up.
int AppKeyState(int keyCode);

// Fixes the state a key reports (std::nullopt: ask the window system again).
void FixKeyState(int keyCode, std::optional<int> state);

}  // namespace kalvento::rt::ui
