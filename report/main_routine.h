#pragma once

#include "runtime/value.h"

namespace kalvento::report {

// The file names the start routine writes into the current directory.
inline constexpr const char* kNeighbourFile = "Roula.html";
inline constexpr const char* kDistanceFile = "Roulb.html";

// The start routine: builds the neighbour table, writes Roula.html, then builds
// the distance table and writes Roulb.html. Both writes are attempted; a write
// that fails is named with its reason on standard error and makes the process's
// exit status non-zero. Returns NIL.
rt::Value Main(const rt::Args& args);

// Registers "Main" as a public routine.
void RegisterReportRoutines();

}  // namespace kalvento::report
