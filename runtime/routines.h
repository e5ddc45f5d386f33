#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "runtime/value.h"

namespace kalvento::rt {

// The public-routine registry: routines callable by name at run time.
// Names are compared without regard to case ("main" finds "Main").
using Routine = std::function<Value(const Args&)>;

// Registers or replaces a routine.
void RegisterRoutine(std::string_view name, Routine routine);
bool IsRoutine(std::string_view name);
// Calls a routine by name; an unknown name is the runtime error "undefined function".
// While it runs, the name is on the chain that ActiveRoutines() reports.
Value CallRoutine(std::string_view name, const Args& args = {});

// Names of the routines now running through CallRoutine, innermost first.
std::vector<std::string> ActiveRoutines();

}  // namespace kalvento::rt
