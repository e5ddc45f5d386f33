#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "runtime/ui/xbp_dialog.h"
#include "runtime/ui/xbp_mle.h"
#include "runtime/ui/xbp_push_button.h"

namespace kalvento::mail {

// The window the editor window and the message window share: a dialog on the
// desktop owned by `owner`, of the given outer size, listed in the task bar,
// without minimise and maximise buttons, centred on the desktop; a text view
// bound to `working` (reading the view stores its text there) and an OK button
// that takes the view's text, without leading blanks, into `working` and posts
// the close event. Layout offsets scale with desktop width / 800.
//
// Built invisible; the caller shows it and runs it. The text view is created
// and filled between pauses of a hundredth of a second; `beforeView` runs
// before the view is built (the editor reads its file there).
struct TextWindow {
  std::shared_ptr<rt::ui::XbpDialog> dialog;
  std::shared_ptr<rt::ui::XbpMle> view;
  std::shared_ptr<rt::ui::XbpPushButton> ok;
};

TextWindow BuildTextWindow(std::shared_ptr<std::string> working, const std::string& title,
                           std::shared_ptr<rt::ui::XbpPart> owner, int nXsize, int nYsize,
                           const std::function<void()>& beforeView);

// Drops the close events still queued for the window or a part of it (its
// close box, or OK and Esc pressed once more before the loop ended). The
// window is going; left queued, such a close would end the next loop that
// runs, the dispatcher's or the next message window's.
void DropCloseEvents(const TextWindow& w);

// The text without its leading blanks.
std::string LTrim(std::string_view text);

}  // namespace kalvento::mail
