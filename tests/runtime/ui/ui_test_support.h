#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "runtime/ui/app_event.h"
#include "runtime/ui/boxes.h"
#include "runtime/ui/desktop.h"
#include "runtime/ui/focus.h"
#include "runtime/ui/key_state.h"
#include "runtime/ui/keyboard.h"
#include "runtime/ui/window_layer.h"
#include "runtime/ui/xbp_dialog.h"

namespace kalvento::rt::ui::testing {

// Real widgets on the offscreen platform, an 800 x 600 desktop and an empty
// queue for every test.
class UiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureWindowLayer();
    FixDesktopSize(Size{800, 600});
    ProcessPendingWindowEvents();
    ClearAppEvents();
    ClearTypeahead();
  }
  void TearDown() override {
    ClearAppEvents();
    ClearTypeahead();
    SetBoxAnswerer(nullptr);
    FixDesktopSize(std::nullopt);
    SetAppWindow(nullptr);
  }

  // A shown top-level dialog of 400 x 300.
  std::shared_ptr<XbpDialog> MakeDialog() {
    auto dlg = std::make_shared<XbpDialog>(nullptr, nullptr, Point{100, 100}, Size{400, 300});
    dlg->title = "Test";
    dlg->create();
    return dlg;
  }

  // Hands queued events to their addressees as the system's loops do (Enter
  // on a push button posts its activate event) until the queue is empty or
  // the close event was taken. Answers the last event.
  int RunQueue() {
    int event = 0;
    while (event != kEventClose && PendingAppEvents() > 0) {
      Value mp1, mp2;
      std::shared_ptr<XbpPart> source;
      event = AppEvent(mp1, mp2, source);
      if (event == kEventKeyboard && mp1 == Value(kKeyEnter) && source &&
          source->isDerivedFrom("XbpPushButton")) {
        PostAppEvent(kEventActivate, {}, {}, source);
      }
      if (source) source->handleEvent(event, mp1, mp2);
    }
    return event;
  }
};

}  // namespace kalvento::rt::ui::testing
