#include "mail/screen_center.h"

namespace kalvento::mail {

rt::ui::Point ScreenCenter(rt::ui::XbpPart& oXbp, bool lSet) {
  std::shared_ptr<rt::ui::XbpPart> parent = oXbp.setParent();
  rt::ui::Size p = parent ? parent->currentSize() : rt::ui::Size{};
  rt::ui::Size w = oXbp.currentSize();
  rt::ui::Point pos{(p.width - w.width) / 2, (p.height - w.height) / 2};
  if (lSet) oXbp.setPos(pos);
  return pos;
}

}  // namespace kalvento::mail
