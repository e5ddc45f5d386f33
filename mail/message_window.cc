#include "mail/message_window.h"

#include "mail/text_window.h"
#include "runtime/clock.h"
#include "runtime/ui/app_event.h"
#include "runtime/ui/focus.h"
#include "runtime/ui/xbp_dialog.h"

namespace kalvento::mail {

using namespace rt::ui;

std::string Modaldialog_ml(const std::string& cString, const std::string& cTitle,
                           std::shared_ptr<XbpPart> oDlg1, int nXsize, int nYsize, bool lModal) {
  std::shared_ptr<XbpPart> oldFocus = SetAppFocus();
  auto working = std::make_shared<std::string>(cString);
  TextWindow w = BuildTextWindow(working, cTitle, std::move(oDlg1), nXsize, nYsize, nullptr);

  if (lModal) {
    w.dialog->setModalState(kModalApplication);
    w.dialog->show();
    rt::Value mp1, mp2;
    std::shared_ptr<XbpPart> source;
    int event = 0;
    while (event != kEventClose) {
      event = AppEvent(mp1, mp2, source);
      if (source) source->handleEvent(event, mp1, mp2);
    }
    w.dialog->setModalState(kModalNone);
  } else {
    w.dialog->show();
    rt::Sleep(kMessageWindowPause);
  }

  DropCloseEvents(w);
  w.dialog->destroy();
  if (oldFocus) SetAppFocus(oldFocus);
  return LTrim(*working);
}

}  // namespace kalvento::mail
