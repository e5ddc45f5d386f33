#pragma once

#include <memory>
#include <string>

#include "runtime/ui/xbp_part.h"

namespace kalvento::mail {

// The editor window: shows the text file `cString` (a full DOS path; a
// missing file shows as empty) in an application-modal window and lets the
// user edit it. Ctrl+W or Alt+W in the text saves it into the file and keeps
// the window open; Esc, F10, OK and the close box leave without saving. A
// path containing ".DAT" (any case) adds the save and leave keys to the
// title. Answers the working text without leading blanks: the view's text
// after Esc or OK, the text last saved or read after F10 or the close box.
// A save that fails is reported in a message box; the window stays open.
std::string Modaldialog_FM(const std::string& cString, const std::string& cTitle,
                           std::shared_ptr<rt::ui::XbpPart> oDlg1, int nXsize, int nYsize);

// The title suffix of the editor window for settings files.
inline constexpr const char* kEditorTitleSuffix =
    "  -  STRG-W zum Speichern dieses Textes  -  Esc-Taste zum Beenden";

}  // namespace kalvento::mail
