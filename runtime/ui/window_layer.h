#pragma once

#include <functional>
#include <memory>

class QWidget;

namespace kalvento::rt::ui {

class XbpPart;

// Starts the window layer once: the Qt application object (when the program
// has none yet), the filter that turns Qt input into queue entries, the pause
// and wait handlers of the runtime clock (a pause keeps windows painting and
// leaves user input queued), and the error presenter that shows runtime errors
// in a message box besides standard error. Every part calls it on create.
void EnsureWindowLayer();
bool WindowLayerRunning();

// Runs the window system's pending events without waiting (nothing before the
// window layer has started).
void ProcessPendingWindowEvents();
// Runs the window system until `ready` holds, sleeping while nothing happens.
void WaitForWindowEvents(const std::function<bool()>& ready);

// The link from a widget back to its part, kept by XbpPart.
void RegisterPartWidget(QWidget* widget, const std::shared_ptr<XbpPart>& part);
void UnregisterPartWidget(QWidget* widget);
std::shared_ptr<XbpPart> PartOfRegisteredWidget(const QWidget* widget);

// Set while a part delivers a key to its own widget, so that the input filter
// lets the key through instead of queueing it again.
class KeyDelivery {
 public:
  KeyDelivery();
  ~KeyDelivery();
  static bool Active();
};

}  // namespace kalvento::rt::ui
