#include "runtime/ui/window_metrics.h"

#include "runtime/ui/desktop.h"

namespace kalvento::rt::ui {

int SystemMetric(int index) {
  switch (index) {
    case 0: return static_cast<int>(AppDesktop()->currentSize().width);
    case 1: return static_cast<int>(AppDesktop()->currentSize().height);
    case 4: return kCaptionHeight;
    case 7: return kFrameWidth;
    case 8: return kFrameHeight;
    case 15: return kMenuHeight;
    default: return 0;
  }
}

}  // namespace kalvento::rt::ui
