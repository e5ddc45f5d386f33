#include "runtime/start_sequence.h"

#include <cstdio>
#include <ctime>
#include <iostream>
#include <vector>

#include "runtime/routines.h"

namespace kalvento::rt {
namespace {

struct StartState {
  std::function<void()> tableEngineSetup;
  std::vector<std::function<void()>> exitHandlers;
  std::function<void(const RuntimeError&)> presenter;
  int errorLevel = 0;
};

StartState& State() {
  static StartState state;
  return state;
}

void PresentOnStandardError(const RuntimeError& error) {
  std::cerr << "Laufzeitfehler: " << error.what() << '\n';
  if (!error.where().empty()) std::cerr << "Aufgerufen von: " << error.where().front() << '\n';
}

void SetUpErrorHandler() {
  if (!State().presenter) State().presenter = PresentOnStandardError;
}

// The exit routine. Handlers may themselves fail; the remaining ones still run.
void RunExitHandlers() {
  std::vector<std::function<void()>> handlers;
  handlers.swap(State().exitHandlers);
  for (auto it = handlers.rbegin(); it != handlers.rend(); ++it) {
    try {
      (*it)();
    } catch (const RuntimeError& error) {
      AppendErrorLog(error);
    }
  }
}

void HandleRuntimeError(const RuntimeError& error) {
  State().presenter(error);
  AppendErrorLog(error);
}

}  // namespace

void SetTableEngineSetup(std::function<void()> setup) { State().tableEngineSetup = std::move(setup); }

void AddExitHandler(std::function<void()> handler) { State().exitHandlers.push_back(std::move(handler)); }

void SetErrorPresenter(std::function<void(const RuntimeError&)> presenter) {
  State().presenter = std::move(presenter);
}

void SetErrorLevel(int level) { State().errorLevel = level; }

int ErrorLevel() { return State().errorLevel; }

bool AppendErrorLog(const RuntimeError& error) {
  std::FILE* log = std::fopen(kErrorLogName, "ab");
  if (log == nullptr) return false;
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
  std::fprintf(log, "%s\r\nFehler: %s\r\n", stamp, error.what());
  for (const std::string& routine : error.where()) std::fprintf(log, "Aufgerufen von: %s\r\n", routine.c_str());
  std::fputs("\r\n", log);
  return std::fclose(log) == 0;
}

int RunStartSequence(std::string_view startRoutine) {
  SetUpErrorHandler();
  int status = 0;
  try {
    try {
      if (State().tableEngineSetup) State().tableEngineSetup();
      if (IsRoutine("AppSys")) CallRoutine("AppSys");
      CallRoutine(startRoutine);
      status = ErrorLevel();
    } catch (const std::bad_alloc&) {
      throw RuntimeError("memory exhausted");
    }
  } catch (const RuntimeError& error) {
    HandleRuntimeError(error);
    status = ErrorLevel() != 0 ? ErrorLevel() : 1;
  }
  RunExitHandlers();
  return status;
}

}  // namespace kalvento::rt
