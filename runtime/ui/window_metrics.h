#pragma once

namespace kalvento::rt::ui {

// The frame a dialog window draws around its drawing area, in pixels. The
// window system draws the real frame; these numbers decide how much of a
// dialog's outer size goes to its drawing area, the same on every screen.
inline constexpr int kCaptionHeight = 19;  // title bar
inline constexpr int kMenuHeight = 19;     // menu bar
inline constexpr int kFrameWidth = 3;      // dialog frame, left and right
inline constexpr int kFrameHeight = 3;     // dialog frame, top and bottom

// Window-system metrics by the index numbers of GetSystemMetrics: 0 and 1 the
// desktop's width and height, 4 the caption height, 7 and 8 the dialog
// frame's width and height, 15 the menu-bar height; 0 for other indexes.
int SystemMetric(int index);

}  // namespace kalvento::rt::ui
