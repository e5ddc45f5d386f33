#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QTimer>
#include <filesystem>
#include <functional>
#include <string>

#include "runtime/clock.h"
#include "runtime/ui/app_event.h"
#include "runtime/ui/boxes.h"
#include "runtime/ui/desktop.h"
#include "runtime/ui/focus.h"
#include "runtime/ui/keyboard.h"
#include "runtime/ui/window_layer.h"
#include "runtime/ui/xbp_dialog.h"

namespace kalvento::mail::testing {

// Headless windows on an 800 x 600 desktop, the runtime clock virtual, a
// fresh folder for files, and an empty event queue.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::ui::EnsureWindowLayer();
    rt::ui::FixDesktopSize(rt::ui::Size{800, 600});
    rt::ui::ProcessPendingWindowEvents();
    rt::ui::ClearAppEvents();
    char tmpl[] = "/tmp/kalvento-mail-XXXXXX";
    dir_ = mkdtemp(tmpl);
  }
  void TearDown() override {
    rt::ui::ClearAppEvents();
    rt::ui::SetBoxAnswerer(nullptr);
    rt::ui::FixDesktopSize(std::nullopt);
    std::filesystem::remove_all(dir_);
  }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  // Runs `act` once the window's event loop waits for input.
  static void WhileOpen(std::function<void()> act) { QTimer::singleShot(0, std::move(act)); }

  // The dialog that holds the focused control, and that control.
  static std::shared_ptr<rt::ui::XbpDialog> OpenWindow() {
    auto part = rt::ui::SetAppFocus();
    while (part && !part->isDerivedFrom("XbpDialog")) part = part->setParent();
    return std::dynamic_pointer_cast<rt::ui::XbpDialog>(part);
  }

  rt::VirtualClock clock_;
  rt::ScopedClock scoped_{clock_};
  std::string dir_;
};

}  // namespace kalvento::mail::testing
