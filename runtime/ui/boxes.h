#pragma once

#include <functional>
#include <memory>
#include <string>

namespace kalvento::rt::ui {

class XbpPart;

// Button sets of ConfirmBox.
inline constexpr int kBoxOk = 0;
inline constexpr int kBoxOkCancel = 1;
inline constexpr int kBoxAbortRetryIgnore = 2;
inline constexpr int kBoxYesNoCancel = 3;
inline constexpr int kBoxYesNo = 4;
inline constexpr int kBoxRetryCancel = 5;
// Styles (icons).
inline constexpr int kBoxCritical = 16;
inline constexpr int kBoxQuestion = 32;
inline constexpr int kBoxWarning = 48;
inline constexpr int kBoxInformation = 64;
// Answers.
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerAbort = 3;
inline constexpr int kAnswerRetry = 4;
inline constexpr int kAnswerIgnore = 5;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

// What a box asks, as an answerer sees it.
struct BoxRequest {
  enum class Kind { kConfirm, kMessage };
  Kind kind = Kind::kConfirm;
  std::shared_ptr<XbpPart> owner;
  std::string message;
  std::string title;
  int buttons = kBoxOk;
  int style = 0;
  int startButton = 0;
};

// The seam for tests and for running without a person: while an answerer is
// set, boxes are not shown; the answerer gets each request and its result is
// the box's answer. An empty function shows real boxes again.
using BoxAnswerer = std::function<int(const BoxRequest&)>;
void SetBoxAnswerer(BoxAnswerer answerer);

// The question box: a modal Qt message box over `owner` (the application
// window when null) with German buttons. `startButton` names the button that
// has the focus first, as 1 to 3 or as the flags 256 / 512. Answers 6 for yes,
// 7 for no, and the numbers above for the other buttons; closing the box
// answers as its cancel or no button does.
int ConfirmBox(std::shared_ptr<XbpPart> owner, const std::string& message, const std::string& title,
               int buttons = kBoxOk, int style = 0, int startButton = 0);

// A message with an OK button, owned by the application window.
void MsgBox(const std::string& text, const std::string& title = "Meldung");

}  // namespace kalvento::rt::ui
