#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "runtime/runtime_error.h"

namespace kalvento::rt {

// The process's start and end, as the platform runs them:
//   1. the error handler set-up,
//   2. the table-engine set-up (whatever SetTableEngineSetup registered),
//   3. the public routine "AppSys" when one is registered,
//   4. the start routine, by name,
//   5. the exit routine: every exit handler, newest first (tables closed and flushed).
// A RuntimeError from steps 2 to 4 is caught here and nowhere else: it is
// presented (standard error unless a window layer set a presenter), appended to
// the error log in the current directory with the chain of routines where it
// arose, the exit handlers run, and the result is a non-zero status.
// Otherwise the result is the error level the program set (0 by default).
int RunStartSequence(std::string_view startRoutine);

// The file in the current directory that collects runtime errors.
inline constexpr const char* kErrorLogName = "kalvento-error.log";

// Registration points for the layers that come with the runtime.
void SetTableEngineSetup(std::function<void()> setup);
void AddExitHandler(std::function<void()> handler);
void SetErrorPresenter(std::function<void(const RuntimeError&)> presenter);

// The process's exit status once the start routine returns (the platform's ErrorLevel).
void SetErrorLevel(int level);
int ErrorLevel();

// Appends one entry for `error` to the error log; false if the log cannot be written.
bool AppendErrorLog(const RuntimeError& error);

}  // namespace kalvento::rt
