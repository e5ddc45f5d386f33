#include "runtime/clock.h"

#include <atomic>
#include <thread>

namespace kalvento::rt {
namespace {

RealClock& TheRealClock() {
  static RealClock clock;
  return clock;
}

std::atomic<Clock*> currentClock{nullptr};

PauseHandler& ThePauseHandler() {
  static PauseHandler handler;
  return handler;
}

}  // namespace

Clock& CurrentClock() {
  Clock* c = currentClock.load();
  return c ? *c : TheRealClock();
}

ScopedClock::ScopedClock(Clock& clock) : previous_(currentClock.exchange(&clock)) {}

ScopedClock::~ScopedClock() { currentClock.store(previous_); }

void SetPauseHandler(PauseHandler handler) { ThePauseHandler() = std::move(handler); }

void RealClock::sleepFor(Duration d) {
  if (d <= Duration::zero()) return;
  TimePoint deadline = now() + d;
  if (ThePauseHandler()) {
    ThePauseHandler()(deadline);
  } else {
    std::this_thread::sleep_until(deadline);
  }
}

void VirtualClock::sleepFor(Duration d) {
  if (d < Duration::zero()) d = Duration::zero();
  elapsed_ += d;
  sleeps_.push_back(d);
  if (onSleep_) onSleep_(d);
}

void Sleep(int hundredths) { CurrentClock().sleepFor(Clock::Duration(10LL * hundredths)); }

}  // namespace kalvento::rt
