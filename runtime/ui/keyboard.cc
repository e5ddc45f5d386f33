#include "runtime/ui/keyboard.h"

#include <cmath>
#include <deque>
#include <map>

#include "runtime/clock.h"
#include "runtime/ui/app_event.h"
#include "runtime/ui/key_codes.h"
#include "runtime/ui/window_layer.h"
#include "runtime/ui/xbp_part.h"

namespace kalvento::rt::ui {
namespace {

std::deque<int>& Typeahead() {
  static std::deque<int> keys;
  return keys;
}

std::map<int, CodeBlock>& Bindings() {
  static std::map<int, CodeBlock> bindings;
  return bindings;
}

std::optional<int> NextRawKey() {
  // A character-cell window's own events (its close box) are handled while
  // its routine waits for keys; events of other windows wait for their loop.
  HandOnEventsFor([](const XbpPart& part) { return part.isDerivedFrom("XbpCrt"); });
  if (!Typeahead().empty()) {
    int k = Typeahead().front();
    Typeahead().pop_front();
    return k;
  }
  if (auto code = TakeKeyEvent()) return InkeyCodeFromKeyCode(*code);
  return std::nullopt;
}

// The next key that is not bound to an action; bound keys run theirs.
std::optional<int> NextKey() {
  while (auto key = NextRawKey()) {
    auto it = Bindings().find(*key);
    if (it == Bindings().end() || !it->second) return key;
    CodeBlock action = it->second;
    action({Value(*key)});
  }
  return std::nullopt;
}

}  // namespace

int Inkey() { return NextKey().value_or(0); }

int Inkey(double seconds) {
  std::optional<int> key;
  auto ready = [&key] {
    key = NextKey();
    return key.has_value();
  };
  if (seconds <= 0) {
    if (WindowLayerRunning()) {
      WaitForWindowEvents(ready);
    } else {
      // No window system to wake us: look again once a second.
      while (!CurrentClock().waitFor(Clock::Duration(1000), ready)) {
      }
    }
    return *key;
  }
  auto d = Clock::Duration(static_cast<long long>(std::llround(seconds * 1000)));
  if (CurrentClock().waitFor(d, ready)) return *key;
  return 0;
}

void Keyboard(std::string_view text) {
  for (unsigned char c : text) Typeahead().push_back(c);
}

void ClearTypeahead() { Typeahead().clear(); }

CodeBlock SetKey(int key) {
  auto it = Bindings().find(key);
  return it == Bindings().end() ? CodeBlock() : it->second;
}

CodeBlock SetKey(int key, CodeBlock action) {
  CodeBlock previous = SetKey(key);
  if (action) {
    Bindings()[key] = std::move(action);
  } else {
    Bindings().erase(key);
  }
  return previous;
}

}  // namespace kalvento::rt::ui
