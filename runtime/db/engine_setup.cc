#include "runtime/db/engine_setup.h"

#include "runtime/db/structure_copy.h"
#include "runtime/db/table_functions.h"
#include "runtime/start_sequence.h"

namespace kalvento::rt::db {

void RegisterTableEngineRoutines() {
  RegisterTableRoutines();
  RegisterStructureRoutines();
}

void InstallTableEngine() {
  SetTableEngineSetup([] {
    RegisterTableEngineRoutines();
    AddExitHandler([] { DbCloseAll(); });
  });
}

}  // namespace kalvento::rt::db
