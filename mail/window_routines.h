#pragma once

namespace kalvento::mail {

// Registers the public routines of the editor and message windows:
// Modaldialog_FM, Modaldialog_ml, ScreenCenter and TextEditor.
void RegisterWindowRoutines();

}  // namespace kalvento::mail
