#pragma once

#include <chrono>
#include <functional>
#include <vector>

namespace kalvento::rt {

// Every pause of the system goes through the current clock, so tests can swap
// in a VirtualClock and assert the waits instead of sleeping them.
class Clock {
 public:
  using Duration = std::chrono::milliseconds;
  using TimePoint = std::chrono::steady_clock::time_point;

  virtual ~Clock() = default;
  virtual TimePoint now() const = 0;
  // Pauses the calling thread for `d` (nothing for zero or less).
  virtual void sleepFor(Duration d) = 0;
  // Waits until `ready` holds or `d` has passed, whichever comes first, and
  // returns `ready()` at the end. The default asks once, pauses the whole of
  // `d`, and asks again; clocks that can be woken early override it.
  virtual bool waitFor(Duration d, const std::function<bool()>& ready);
};

// The clock in force for the whole process; a RealClock unless a test installed another.
Clock& CurrentClock();

// Installs `clock` as the current clock for the life of this object.
class ScopedClock {
 public:
  explicit ScopedClock(Clock& clock);
  ~ScopedClock();
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

 private:
  Clock* previous_;
};

// What a real pause does instead of a plain sleep once a window layer exists:
// it is handed the deadline and keeps windows painting until then, leaving user
// input queued. Empty means a plain sleep.
using PauseHandler = std::function<void(Clock::TimePoint deadline)>;
void SetPauseHandler(PauseHandler handler);

// What a real wait for an input ("a key or the deadline") does once a window
// layer exists: it runs the window system until `ready` holds or the deadline
// passes, without spinning, and returns `ready()`. Empty means a plain wait
// that looks at `ready` every few milliseconds.
using WaitHandler = std::function<bool(Clock::TimePoint deadline, const std::function<bool()>& ready)>;
void SetWaitHandler(WaitHandler handler);

class RealClock : public Clock {
 public:
  TimePoint now() const override { return std::chrono::steady_clock::now(); }
  void sleepFor(Duration d) override;
  bool waitFor(Duration d, const std::function<bool()>& ready) override;
};

// A clock for tests: time moves only when someone sleeps, at once, and every
// sleep is recorded. `onSleep` runs after each sleep, so a test can act "during"
// a pause (post a key, inspect a window). A wait (waitFor) that is not ready at
// once counts as a sleep of its whole length.
class VirtualClock : public Clock {
 public:
  TimePoint now() const override { return start_ + elapsed_; }
  void sleepFor(Duration d) override;

  void advance(Duration d) { elapsed_ += d; }
  const std::vector<Duration>& sleeps() const { return sleeps_; }
  Duration elapsed() const { return elapsed_; }
  void setOnSleep(std::function<void(Duration)> onSleep) { onSleep_ = std::move(onSleep); }

 private:
  TimePoint start_{};
  Duration elapsed_{0};
  std::vector<Duration> sleeps_;
  std::function<void(Duration)> onSleep_;
};

// The platform's Sleep: a pause in hundredths of a second through the current clock.
void Sleep(int hundredths);

}  // namespace kalvento::rt
