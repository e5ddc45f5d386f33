#include "mail/editor_window.h"

#include "mail/text_window.h"
#include "runtime/files.h"
#include "runtime/text.h"
#include "runtime/ui/app_event.h"
#include "runtime/ui/boxes.h"
#include "runtime/ui/focus.h"
#include "runtime/ui/xbp_dialog.h"

namespace kalvento::mail {
namespace {

using namespace rt::ui;

int KeyOf(const rt::Value& mp1) { return mp1.isNumber() ? static_cast<int>(mp1.number()) : 0; }

}  // namespace

std::string Modaldialog_FM(const std::string& cString, const std::string& cTitle,
                           std::shared_ptr<XbpPart> oDlg1, int nXsize, int nYsize) {
  std::shared_ptr<XbpPart> oldFocus = SetAppFocus();
  const std::string path = cString;
  std::string title = cTitle;
  if (rt::Upper(path).find(".DAT") != std::string::npos) title += kEditorTitleSuffix;

  auto working = std::make_shared<std::string>();
  TextWindow w = BuildTextWindow(working, title, std::move(oDlg1), nXsize, nYsize,
                                 [&] { *working = rt::MemoRead(path); });

  w.dialog->setModalState(kModalApplication);
  w.dialog->show();
  rt::Value mp1, mp2;
  std::shared_ptr<XbpPart> source;
  int event = 0;
  while (event != kEventClose) {
    event = AppEvent(mp1, mp2, source);
    if (event == kEventKeyboard) {
      switch (int key = KeyOf(mp1)) {
        case kKeyEsc: {
          rt::Value text = w.view->getData();
          *working = LTrim(text.isText() ? text.text() : std::string());
          PostAppEvent(kEventClose);
          break;
        }
        case kKeyEnter:
          if (source && source->isDerivedFrom("XbpPushButton")) PostAppEvent(kEventActivate, {}, {}, source);
          break;
        case kKeyF10:
          PostAppEvent(kEventClose);
          break;
        default:
          if ((key == kKeyCtrlW || key == kKeyAltW) && source && source->isDerivedFrom("XbpMle")) {
            rt::Value text = source->getData();
            *working = text.isText() ? text.text() : std::string();
            rt::WriteResult written = rt::MemoWrit(path, *working);
            if (!written) {
              MsgBox("Der Text konnte nicht gespeichert werden:\n" + path + "\n" + written.error,
                     "Speichern fehlgeschlagen");
            }
            source->enable();
          }
          break;
      }
    }
    if (source) source->handleEvent(event, mp1, mp2);
  }
  w.dialog->setModalState(kModalNone);

  DropCloseEvents(w);
  w.dialog->destroy();
  if (oldFocus) SetAppFocus(oldFocus);
  return LTrim(*working);
}

}  // namespace kalvento::mail
