#include "runtime/ui/app_event.h"

#include <deque>
#include <vector>

#include "runtime/clock.h"
#include "runtime/ui/focus.h"
#include "runtime/ui/window_layer.h"
#include "runtime/ui/xbp_part.h"

namespace kalvento::rt::ui {
namespace {

struct Entry {
  int event = 0;
  Value mp1;
  Value mp2;
  std::shared_ptr<XbpPart> addressee;
};

std::deque<Entry>& Queue() {
  static std::deque<Entry> queue;
  return queue;
}

bool IsKeyEntry(const Entry& e) { return e.event == kEventKeyboard || (e.event > 0 && e.event < kEventBase); }

}  // namespace

void PostAppEvent(int event, Value mp1, Value mp2, std::shared_ptr<XbpPart> addressee) {
  if (!addressee) addressee = SetAppFocus();
  if (!addressee) addressee = SetAppWindow();
  Queue().push_back(Entry{event, std::move(mp1), std::move(mp2), std::move(addressee)});
}

int AppEvent(Value& mp1, Value& mp2, std::shared_ptr<XbpPart>& addressee,
             std::optional<int> timeoutHundredths) {
  // Entries already queued come first; the window system runs only when
  // the queue is empty.
  auto ready = [] {
    if (!Queue().empty()) return true;
    ProcessPendingWindowEvents();
    return !Queue().empty();
  };
  if (!ready()) {
    if (timeoutHundredths) {
      if (!CurrentClock().waitFor(Clock::Duration(10LL * *timeoutHundredths), ready)) {
        mp1 = Value();
        mp2 = Value();
        addressee = nullptr;
        return 0;
      }
    } else {
      WaitForWindowEvents(ready);
    }
  }
  Entry e = std::move(Queue().front());
  Queue().pop_front();
  mp1 = std::move(e.mp1);
  mp2 = std::move(e.mp2);
  addressee = std::move(e.addressee);
  return e.event;
}

size_t PendingAppEvents() { return Queue().size(); }

void ClearAppEvents() { Queue().clear(); }

void DropAppEvents(const std::function<bool(int event, const XbpPart* addressee)>& which) {
  auto& q = Queue();
  for (auto it = q.begin(); it != q.end();) {
    it = which(it->event, it->addressee.get()) ? q.erase(it) : it + 1;
  }
}

std::optional<int> TakeKeyEvent() {
  ProcessPendingWindowEvents();
  auto& q = Queue();
  for (auto it = q.begin(); it != q.end(); ++it) {
    if (!IsKeyEntry(*it)) continue;
    int code = it->event == kEventKeyboard ? (it->mp1.isNumber() ? static_cast<int>(it->mp1.number()) : 0)
                                           : it->event;
    q.erase(it);
    return code;
  }
  return std::nullopt;
}

void HandOnEventsFor(const std::function<bool(const XbpPart&)>& which) {
  std::vector<Entry> taken;
  auto& q = Queue();
  for (auto it = q.begin(); it != q.end();) {
    if (!IsKeyEntry(*it) && it->addressee && which(*it->addressee)) {
      taken.push_back(std::move(*it));
      it = q.erase(it);
    } else {
      ++it;
    }
  }
  for (Entry& e : taken) e.addressee->handleEvent(e.event, e.mp1, e.mp2);
}

}  // namespace kalvento::rt::ui
