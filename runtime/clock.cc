#include "runtime/clock.h"

#include <algorithm>
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

WaitHandler& TheWaitHandler() {
  static WaitHandler handler;
  return handler;
}

// How often a plain wait (no window layer) looks at its condition.
constexpr Clock::Duration kPlainWaitStep{20};

}  // namespace

Clock& CurrentClock() {
  Clock* c = currentClock.load();
  return c ? *c : TheRealClock();
}

ScopedClock::ScopedClock(Clock& clock) : previous_(currentClock.exchange(&clock)) {}

ScopedClock::~ScopedClock() { currentClock.store(previous_); }

void SetPauseHandler(PauseHandler handler) { ThePauseHandler() = std::move(handler); }

void SetWaitHandler(WaitHandler handler) { TheWaitHandler() = std::move(handler); }

bool Clock::waitFor(Duration d, const std::function<bool()>& ready) {
  if (ready()) return true;
  sleepFor(d);
  return ready();
}

bool RealClock::waitFor(Duration d, const std::function<bool()>& ready) {
  if (ready()) return true;
  if (d <= Duration::zero()) return false;
  TimePoint deadline = now() + d;
  if (TheWaitHandler()) return TheWaitHandler()(deadline, ready);
  while (!ready()) {
    TimePoint t = now();
    if (t >= deadline) return false;
    std::this_thread::sleep_for(std::min<Duration>(
        kPlainWaitStep, std::chrono::duration_cast<Duration>(deadline - t) + Duration(1)));
  }
  return true;
}

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
