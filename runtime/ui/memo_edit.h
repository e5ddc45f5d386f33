#pragma once

#include <string>

namespace kalvento::rt::ui {

// A plain full-screen text editor: a window as large as the desktop with one
// multi-line edit showing `text`. Ctrl+W ends it and answers the edited text;
// Esc or the close box end it and answer `text` unchanged. Runs its own event
// loop and is modal for the application while it is open.
std::string MemoEdit(const std::string& text);

}  // namespace kalvento::rt::ui
