#include "apps/app_sys.h"

#include "runtime/routines.h"

namespace kalvento::apps {

void RegisterAppSys() {
  rt::RegisterRoutine("AppSys", [](const rt::Args&) { return rt::Value(); });
}

}  // namespace kalvento::apps
