#pragma once

#include <optional>
#include <string_view>

#include "runtime/value.h"

namespace kalvento::rt::ui {

// The keyboard buffer and the wait for keys, in the character-mode key codes
// (characters as their codes, F1 28, F2 to F10 -1 to -9, Page Down 3 ...;
// see InkeyCodeFromKeyCode). Keys come from the typeahead buffer first (what
// Keyboard put there), then from the keyboard events of the application
// queue, in order. Events addressed to a character-cell window (XbpCrt) are
// handed to it meanwhile, so its close callback runs while its routine reads
// keys; other events stay queued for their window's loop.
//
// A key bound with SetKey does not come back from Inkey: its action runs
// (with the key code as argument) and the wait goes on, so an action that
// feeds text with Keyboard makes Inkey return that text's first character.

// Inkey(): the next key or 0, without waiting. Inkey(seconds): waits at most
// that long, through the runtime clock, and answers 0 when the time ran out;
// a key ends the wait early. Inkey(0): waits until a key comes.
int Inkey();
int Inkey(double seconds);

// The platform's _Keyboard: appends the text's characters to the typeahead
// buffer as if they had been typed.
void Keyboard(std::string_view text);
// Drops whatever the typeahead buffer holds.
void ClearTypeahead();

// SetKey(key): the action bound to a key (an empty block when none).
// SetKey(key, action): binds the action (an empty block unbinds) and answers
// the action bound before.
CodeBlock SetKey(int key);
CodeBlock SetKey(int key, CodeBlock action);

}  // namespace kalvento::rt::ui
