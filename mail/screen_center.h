#pragma once

#include "runtime/ui/xbp_part.h"

namespace kalvento::mail {

// Centres a window on its parent: the position is half the difference of the
// parent's and the window's current sizes, fractions kept. With lSet the
// window is moved there. Answers the position.
rt::ui::Point ScreenCenter(rt::ui::XbpPart& oXbp, bool lSet);

}  // namespace kalvento::mail
