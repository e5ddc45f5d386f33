#include "runtime/ui/boxes.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <vector>

#include "runtime/ui/focus.h"
#include "runtime/ui/text_codec.h"
#include "runtime/ui/window_layer.h"
#include "runtime/ui/xbp_part.h"

namespace kalvento::rt::ui {
namespace {

BoxAnswerer& Answerer() {
  static BoxAnswerer answerer;
  return answerer;
}

struct ButtonSpec {
  const char* text;
  QMessageBox::ButtonRole role;
  int answer;
};

std::vector<ButtonSpec> ButtonsOf(int set) {
  switch (set) {
    case kBoxOkCancel:
      return {{"OK", QMessageBox::AcceptRole, kAnswerOk}, {"Abbrechen", QMessageBox::RejectRole, kAnswerCancel}};
    case kBoxAbortRetryIgnore:
      return {{"Abbrechen", QMessageBox::RejectRole, kAnswerAbort},
              {"Wiederholen", QMessageBox::AcceptRole, kAnswerRetry},
              {"Ignorieren", QMessageBox::AcceptRole, kAnswerIgnore}};
    case kBoxYesNoCancel:
      return {{"Ja", QMessageBox::YesRole, kAnswerYes},
              {"Nein", QMessageBox::NoRole, kAnswerNo},
              {"Abbrechen", QMessageBox::RejectRole, kAnswerCancel}};
    case kBoxYesNo:
      return {{"Ja", QMessageBox::YesRole, kAnswerYes}, {"Nein", QMessageBox::NoRole, kAnswerNo}};
    case kBoxRetryCancel:
      return {{"Wiederholen", QMessageBox::AcceptRole, kAnswerRetry},
              {"Abbrechen", QMessageBox::RejectRole, kAnswerCancel}};
    default: return {{"OK", QMessageBox::AcceptRole, kAnswerOk}};
  }
}

QMessageBox::Icon IconOf(int style) {
  switch (style & 0xF0) {
    case kBoxCritical: return QMessageBox::Critical;
    case kBoxQuestion: return QMessageBox::Question;
    case kBoxWarning: return QMessageBox::Warning;
    case kBoxInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

// 1 to 3, or the flag values 0 / 256 / 512, as a 0-based index.
int StartIndex(int startButton) {
  if (startButton >= 1 && startButton <= 3) return startButton - 1;
  if (startButton >= 256) return (startButton / 256) & 3;
  return 0;
}

int ShowBox(const BoxRequest& request) {
  EnsureWindowLayer();
  std::shared_ptr<XbpPart> owner = request.owner ? request.owner : SetAppWindow();
  QWidget* parent = owner && owner->widget() ? owner->widget()->window() : nullptr;
  QMessageBox box(IconOf(request.style), DecodeForDisplay(request.title), DecodeForDisplay(request.message),
                  QMessageBox::NoButton, parent);
  box.setWindowModality(Qt::ApplicationModal);
  std::vector<ButtonSpec> specs = ButtonsOf(request.buttons);
  std::vector<QPushButton*> buttons;
  for (const ButtonSpec& s : specs) buttons.push_back(box.addButton(s.text, s.role));
  int start = StartIndex(request.startButton);
  if (start < static_cast<int>(buttons.size())) box.setDefaultButton(buttons[start]);
  // Closing the box answers as cancel, else as no, else as the only button.
  int escape = static_cast<int>(buttons.size()) - 1;
  for (size_t i = 0; i < specs.size(); ++i) {
    if (specs[i].answer == kAnswerCancel || specs[i].answer == kAnswerNo) escape = static_cast<int>(i);
  }
  box.setEscapeButton(buttons[escape]);
  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  for (size_t i = 0; i < buttons.size(); ++i) {
    if (buttons[i] == clicked) return specs[i].answer;
  }
  return specs[escape].answer;
}

int Ask(const BoxRequest& request) {
  if (Answerer()) return Answerer()(request);
  return ShowBox(request);
}

}  // namespace

void SetBoxAnswerer(BoxAnswerer answerer) { Answerer() = std::move(answerer); }

int ConfirmBox(std::shared_ptr<XbpPart> owner, const std::string& message, const std::string& title,
               int buttons, int style, int startButton) {
  BoxRequest r;
  r.kind = BoxRequest::Kind::kConfirm;
  r.owner = std::move(owner);
  r.message = message;
  r.title = title;
  r.buttons = buttons;
  r.style = style;
  r.startButton = startButton;
  return Ask(r);
}

void MsgBox(const std::string& text, const std::string& title) {
  BoxRequest r;
  r.kind = BoxRequest::Kind::kMessage;
  r.owner = SetAppWindow();
  r.message = text;
  r.title = title;
  r.buttons = kBoxOk;
  Ask(r);
}

}  // namespace kalvento::rt::ui
