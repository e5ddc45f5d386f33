#pragma once

namespace kalvento::apps {

// Registers the system's set-up routine "AppSys", which the start sequence runs
// before the start routine. It sets nothing up: the system needs no set-up.
void RegisterAppSys();

}  // namespace kalvento::apps
