#include "runtime/ui/memo_edit.h"

#include "runtime/ui/app_event.h"
#include "runtime/ui/desktop.h"
#include "runtime/ui/focus.h"
#include "runtime/ui/key_codes.h"
#include "runtime/ui/xbp_dialog.h"
#include "runtime/ui/xbp_mle.h"

namespace kalvento::rt::ui {

std::string MemoEdit(const std::string& text) {
  std::shared_ptr<XbpPart> oldFocus = SetAppFocus();
  Size desk = AppDesktop()->currentSize();
  auto dlg = std::make_shared<XbpDialog>(AppDesktop(), SetAppWindow(), Point{0, 0}, desk, PresParams{}, false);
  dlg->title = "Texteditor  -  STRG-W speichert  -  Esc bricht ab";
  dlg->taskList = true;
  dlg->create();
  Size area = dlg->drawingArea()->currentSize();
  auto mle = std::make_shared<XbpMle>(dlg->drawingArea(), nullptr, Point{0, 0}, area);
  mle->create();
  mle->setData(Value(text));
  dlg->setModalState(kModalApplication);
  dlg->show();
  SetAppFocus(mle);

  std::string result = text;
  Value mp1, mp2;
  std::shared_ptr<XbpPart> source;
  int event = 0;
  while (event != kEventClose) {
    event = AppEvent(mp1, mp2, source);
    if (event == kEventKeyboard && mp1.isNumber()) {
      int key = static_cast<int>(mp1.number());
      if (key == kKeyCtrlW && source == mle) {
        Value edited = mle->getData();
        result = edited.isText() ? edited.text() : std::string();
        PostAppEvent(kEventClose, Value(), Value(), dlg);
        continue;
      }
      if (key == kKeyEsc) {
        PostAppEvent(kEventClose, Value(), Value(), dlg);
        continue;
      }
    }
    if (source) source->handleEvent(event, mp1, mp2);
  }
  dlg->setModalState(kModalNone);
  dlg->destroy();
  if (oldFocus) SetAppFocus(oldFocus);
  return result;
}

}  // namespace kalvento::rt::ui
