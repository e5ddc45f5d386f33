#pragma once

#include <memory>
#include <string>

#include "runtime/ui/xbp_part.h"

namespace kalvento::mail {

// The message window: shows the text `cString`. With lModal it is
// application-modal and stays until the user closes it (OK, the close box);
// without, it is shown for ten seconds (a pause through the runtime clock
// during which it handles no event) and goes. Answers the working text
// without leading blanks.
std::string Modaldialog_ml(const std::string& cString, const std::string& cTitle,
                           std::shared_ptr<rt::ui::XbpPart> oDlg1, int nXsize, int nYsize,
                           bool lModal = false);

// How long the message window stays without lModal, in hundredths of a second.
inline constexpr int kMessageWindowPause = 1000;

}  // namespace kalvento::mail
