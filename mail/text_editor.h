#pragma once

#include <string>

namespace kalvento::mail {

// Edits a text file in the plain full-screen text editor and writes back what
// the editor answers (the edited text after Ctrl+W, the file's text after
// Esc). True when the file was written.
bool TextEditor(const std::string& cFilename);

}  // namespace kalvento::mail
