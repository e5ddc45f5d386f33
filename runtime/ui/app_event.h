#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "runtime/ui/key_codes.h"
#include "runtime/value.h"

namespace kalvento::rt::ui {

class XbpPart;

// The application event queue. Every event loop of the system takes its
// events from here, one at a time, and hands each to its addressee's
// handleEvent. Qt input arrives here through the window layer (key presses as
// keyboard events, button clicks as activate events, the close box as the
// close event); code posts its own events with PostAppEvent.

// Queues an event. Without an addressee it goes to the part that has the
// input focus, or to the application window when none has.
void PostAppEvent(int event, Value mp1 = {}, Value mp2 = {},
                  std::shared_ptr<XbpPart> addressee = nullptr);

// Takes the next event: its code is returned, its parameters and addressee are
// stored into the three references. Waits until one comes, running the window
// system meanwhile (an idle wait uses no processor time). With a timeout in
// hundredths of a second it returns 0 (no event) when the time has passed;
// the timeout goes through the runtime clock.
int AppEvent(Value& mp1, Value& mp2, std::shared_ptr<XbpPart>& addressee,
             std::optional<int> timeoutHundredths = std::nullopt);

// Events now waiting, and dropping them all (for tests and for a clean start).
size_t PendingAppEvents();
void ClearAppEvents();

// Takes the events for which `which` holds out of the queue, unhandled.
void DropAppEvents(const std::function<bool(int event, const XbpPart* addressee)>& which);

// Takes the first keyboard event out of the queue, leaving other events in
// place, and gives its key code. An event whose code is itself a key code
// (below the event base, as PostAppEvent(65570) gives) counts as a key too.
std::optional<int> TakeKeyEvent();

// Takes the events (other than keys) addressed to parts for which `which`
// holds out of the queue, in order, and hands each to its addressee.
void HandOnEventsFor(const std::function<bool(const XbpPart&)>& which);

}  // namespace kalvento::rt::ui
