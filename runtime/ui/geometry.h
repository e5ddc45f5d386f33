#pragma once

#include <QRect>

namespace kalvento::rt::ui {

// Positions and sizes as the system gives them: pixels, fractions allowed,
// a position measured from the lower left corner of the parent's drawing area
// with y growing upwards.
struct Point {
  double x = 0;
  double y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  double width = 0;
  double height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// The one place where the lower-left, y-up convention meets Qt's top-left,
// y-down one. A half pixel is dropped (the box moves to the lower whole pixel).
QRect ToQtRect(Point pos, Size size, double parentHeight);
// The lower-left position of a Qt rectangle inside a parent of `parentHeight`.
Point FromQtRect(const QRect& rect, double parentHeight);

}  // namespace kalvento::rt::ui
