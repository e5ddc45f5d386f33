#pragma once

#include "runtime/runtime_error.h"

namespace kalvento::rt {

// A set of values that callers hand down "by name" (a dispatcher's shared
// context, the program-wide flags ...): one typed record made current for the
// extent of the call that creates it. Scopes nest per thread; leaving one makes
// the outer record current again.
//
// T names itself for error messages with `static constexpr const char* kName`.
// Reading a context that no caller made current is the runtime error
// "undeclared variable".
template <class T>
class ContextScope {
 public:
  explicit ContextScope(T& record) : previous_(current_) { current_ = &record; }
  ~ContextScope() { current_ = previous_; }
  ContextScope(const ContextScope&) = delete;
  ContextScope& operator=(const ContextScope&) = delete;

  static bool Active() { return current_ != nullptr; }
  static T& Current() {
    if (current_ == nullptr) throw RuntimeError("undeclared variable", T::kName);
    return *current_;
  }

 private:
  T* previous_;
  static inline thread_local T* current_ = nullptr;
};

}  // namespace kalvento::rt
