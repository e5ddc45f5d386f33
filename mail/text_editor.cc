#include "mail/text_editor.h"

#include "runtime/files.h"
#include "runtime/ui/memo_edit.h"

namespace kalvento::mail {

bool TextEditor(const std::string& cFilename) {
  std::string text = rt::MemoRead(cFilename);
  std::string edited = rt::ui::MemoEdit(text);
  return rt::MemoWrit(cFilename, edited).ok;
}

}  // namespace kalvento::mail
