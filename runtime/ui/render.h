#pragma once

#include <string>

namespace kalvento::rt::ui {

class XbpPart;

// Writes a picture of a created window to a PNG file, for a person to look
// at: the window's contents as the window system draws them (works without
// a screen, under the offscreen platform), with a plain title bar showing the
// title above a top-level dialog. False when the part is not created or the
// file cannot be written.
bool RenderToPng(XbpPart& window, const std::string& path);

}  // namespace kalvento::rt::ui
