#pragma once

#include <memory>

namespace kalvento::rt::ui {

class XbpPart;

// The input focus: SetAppFocus() answers the part that has it (null when
// none); SetAppFocus(part) gives it to the part and answers the one that had
// it before.
std::shared_ptr<XbpPart> SetAppFocus();
std::shared_ptr<XbpPart> SetAppFocus(const std::shared_ptr<XbpPart>& part);

// The application's main window: SetAppWindow() answers it (the desktop until
// one is set); SetAppWindow(window) makes a window the main window and
// answers the previous one.
std::shared_ptr<XbpPart> SetAppWindow();
std::shared_ptr<XbpPart> SetAppWindow(const std::shared_ptr<XbpPart>& window);

}  // namespace kalvento::rt::ui
