#include "runtime/ui/boxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "tests/runtime/ui/ui_test_support.h"

namespace kalvento::rt::ui {
namespace {

using testing::UiTest;

class BoxesTest : public UiTest {};

TEST_F(BoxesTest, AnAnswererSeesTheQuestionAndGivesTheAnswer) {
  auto owner = MakeDialog();
  std::vector<BoxRequest> asked;
  SetBoxAnswerer([&](const BoxRequest& r) {
    asked.push_back(r);
    return kAnswerNo;
  });
  EXPECT_EQ(ConfirmBox(owner, "Nochmal versuchen=JA - Programmabbruch=NEIN", "Datei X kann nicht geöffnet werden!",
                       kBoxYesNo, kBoxQuestion),
            kAnswerNo);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].kind, BoxRequest::Kind::kConfirm);
  EXPECT_EQ(asked[0].owner, owner);
  EXPECT_EQ(asked[0].message, "Nochmal versuchen=JA - Programmabbruch=NEIN");
  EXPECT_EQ(asked[0].buttons, 4);
  EXPECT_EQ(asked[0].style, 32);

  MsgBox("Fertig.");
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[1].kind, BoxRequest::Kind::kMessage);
  EXPECT_EQ(asked[1].owner, SetAppWindow());
  owner->destroy();
}

// Presses a button of the real box by its German text once the box is open.
void PressWhenOpen(const QString& text, QString* title = nullptr) {
  QTimer::singleShot(0, [text, title] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    if (title) *title = box->windowTitle();
    for (QAbstractButton* b : box->buttons()) {
      if (b->text() == text) {
        b->click();
        return;
      }
    }
    ADD_FAILURE() << "no button " << text.toStdString();
    box->reject();
  });
}

TEST_F(BoxesTest, TheRealBoxAnswersWithThePlatformsNumbers) {
  struct Case {
    int buttons;
    const char* press;
    int answer;
  };
  const Case cases[] = {{kBoxYesNo, "Ja", kAnswerYes},         {kBoxYesNo, "Nein", kAnswerNo},
                        {kBoxOkCancel, "Abbrechen", kAnswerCancel}, {kBoxOk, "OK", kAnswerOk},
                        {kBoxRetryCancel, "Wiederholen", kAnswerRetry},
                        {kBoxYesNoCancel, "Abbrechen", kAnswerCancel}};
  for (const Case& c : cases) {
    QString title;
    PressWhenOpen(c.press, &title);
    EXPECT_EQ(ConfirmBox(nullptr, "Frage?", "Titel \xc3\xa4", c.buttons, kBoxQuestion), c.answer) << c.press;
    EXPECT_EQ(title, QString::fromUtf8("Titel ä"));
  }
}

TEST_F(BoxesTest, ClosingTheRealBoxAnswersNoOrCancel) {
  QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
  EXPECT_EQ(ConfirmBox(nullptr, "Frage?", "Titel", kBoxYesNo), kAnswerNo);
}

}  // namespace
}  // namespace kalvento::rt::ui
