#pragma once

namespace kalvento::rt::db {

// Installs the table engine into the start sequence: its set-up registers the
// table routines by name, and the exit routine writes and closes every work
// area of the thread that ran the program. Safe to call more than once.
void InstallTableEngine();

// Registers the table routines by name (also done by the engine's set-up).
void RegisterTableEngineRoutines();

}  // namespace kalvento::rt::db
