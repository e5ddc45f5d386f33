#include "runtime/ui/geometry.h"

#include <cmath>

namespace kalvento::rt::ui {

QRect ToQtRect(Point pos, Size size, double parentHeight) {
  int w = static_cast<int>(std::floor(size.width));
  int h = static_cast<int>(std::floor(size.height));
  int x = static_cast<int>(std::floor(pos.x));
  int top = static_cast<int>(std::floor(parentHeight - pos.y - size.height));
  return QRect(x, top, w, h);
}

Point FromQtRect(const QRect& rect, double parentHeight) {
  return Point{static_cast<double>(rect.x()), parentHeight - rect.y() - rect.height()};
}

}  // namespace kalvento::rt::ui
