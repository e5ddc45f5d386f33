#include "mail/editor_window.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "mail/text_editor.h"
#include "runtime/files.h"
#include "runtime/ui/xbp_mle.h"
#include "runtime/ui/xbp_push_button.h"
#include "tests/mail/mail_test_support.h"

namespace kalvento::mail {
namespace {

using rt::ui::SetAppFocus;

class EditorWindowTest : public testing::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    file = Path("Verbindung.dat");
    rt::MemoWrit(file, "smtp.example.de\r\n587\r\n");
  }
  std::string Run(const std::string& path = {}) {
    return Modaldialog_FM(path.empty() ? file : path, "Verbindungsdaten eingeben/ändern",
                          rt::ui::SetAppWindow(), 800, 600);
  }
  // Types into the focused text view, through Qt, as a user would.
  static QWidget* View() { return SetAppFocus()->widget(); }
  std::string file;
};

TEST_F(EditorWindowTest, EscLeavesTheFileAndAnswersTheEditedTextLeftTrimmed) {
  WhileOpen([] {
    QTest::keyClicks(View(), "  Neu ");
    QTest::keyClick(View(), Qt::Key_Escape);
  });
  EXPECT_EQ(Run(), "Neu smtp.example.de\r\n587\r\n");
  EXPECT_EQ(rt::MemoRead(file), "smtp.example.de\r\n587\r\n");
}

TEST_F(EditorWindowTest, CtrlWSavesAndF10LeavesWithTheSavedText) {
  WhileOpen([] {
    QTest::keyClicks(View(), " x");
    QTest::keyClick(View(), Qt::Key_W, Qt::ControlModifier);
    QTest::keyClicks(View(), "nicht gespeichert");
    QTest::keyClick(View(), Qt::Key_F10);
  });
  EXPECT_EQ(Run(), "xsmtp.example.de\r\n587\r\n");
  EXPECT_EQ(rt::MemoRead(file), " xsmtp.example.de\r\n587\r\n");  // saved with its leading blank
}

TEST_F(EditorWindowTest, AltWSavesToo) {
  WhileOpen([] {
    QTest::keyClicks(View(), "y");
    QTest::keyClick(View(), Qt::Key_W, Qt::AltModifier);
    QTest::keyClick(View(), Qt::Key_F10);
  });
  Run();
  EXPECT_EQ(rt::MemoRead(file), "ysmtp.example.de\r\n587\r\n");
}

TEST_F(EditorWindowTest, OkTakesTheViewsTextWithoutSaving) {
  WhileOpen([] {
    QTest::keyClicks(View(), "z");
    auto dialog = OpenWindow();
    for (auto& c : dialog->drawingArea()->childList()) {
      if (c->isDerivedFrom("XbpPushButton")) QTest::mouseClick(c->widget(), Qt::LeftButton);
    }
    dialog->widget()->close();  // before the loop has taken the click
  });
  EXPECT_EQ(Run(), "zsmtp.example.de\r\n587\r\n");
  EXPECT_EQ(rt::MemoRead(file), "smtp.example.de\r\n587\r\n");
  EXPECT_EQ(rt::ui::PendingAppEvents(), 0u);  // no close left for the next loop
}

TEST_F(EditorWindowTest, EnterInTheTextIsANewLineAndEnterOnOkPressesIt) {
  WhileOpen([] {
    QTest::keyClick(View(), Qt::Key_Return);
    QTest::keyClick(View(), Qt::Key_Tab);  // on to the OK button
    QTimer::singleShot(0, [] { QTest::keyClick(View(), Qt::Key_Return); });
  });
  EXPECT_EQ(Run(), "\r\nsmtp.example.de\r\n587\r\n");
}

TEST_F(EditorWindowTest, TheCloseBoxLeavesWithTheFilesText) {
  WhileOpen([] {
    QTest::keyClicks(View(), "verworfen");
    OpenWindow()->widget()->close();
  });
  EXPECT_EQ(Run(), "smtp.example.de\r\n587\r\n");
  EXPECT_EQ(rt::MemoRead(file), "smtp.example.de\r\n587\r\n");
}

TEST_F(EditorWindowTest, TheTitleNamesTheKeysOnlyForDatFiles) {
  const std::string drive = Path("laufwerk_c");
  std::filesystem::create_directories(drive + "/LUMO/CMail");
  setenv("KALVENTO_DRIVE_C", drive.c_str(), 1);
  const std::pair<std::string, bool> cases[] = {
      {"C:\\LUMO\\CMail\\Verbindung.dat", true},
      {Path("SETUP.DAT"), true},
      {Path("daten.dateien.txt"), true},  // ".DAT" anywhere in the path counts
      {Path("notiz.txt"), false},
  };
  for (const auto& [path, suffix] : cases) {
    std::string title;
    WhileOpen([&title] {
      title = OpenWindow()->getTitle();
      QTest::keyClick(View(), Qt::Key_F10);
    });
    Run(path);
    EXPECT_EQ(title, suffix ? std::string("Verbindungsdaten eingeben/ändern") + kEditorTitleSuffix
                            : std::string("Verbindungsdaten eingeben/ändern"))
        << path;
  }
  unsetenv("KALVENTO_DRIVE_C");
}

TEST_F(EditorWindowTest, AMissingFileShowsEmptyAndCtrlWCreatesIt) {
  const std::string missing = Path("neu.dat");
  QString shown = "unset";
  WhileOpen([&shown] {
    shown = static_cast<QPlainTextEdit*>(View())->toPlainText();
    QTest::keyClicks(View(), "host");
    QTest::keyClick(View(), Qt::Key_W, Qt::ControlModifier);
    QTest::keyClick(View(), Qt::Key_Escape);
  });
  EXPECT_EQ(Run(missing), "host");
  EXPECT_EQ(shown, "");
  EXPECT_EQ(rt::MemoRead(missing), "host");
}

TEST_F(EditorWindowTest, AFailedSaveIsReportedAndTheWindowStaysOpen) {
  std::vector<std::string> reported;
  rt::ui::SetBoxAnswerer([&](const rt::ui::BoxRequest& r) {
    reported.push_back(r.message);
    return rt::ui::kAnswerOk;
  });
  const std::string unwritable = Path("fehlt/ordner/x.dat");
  WhileOpen([] {
    QTest::keyClicks(View(), "text");
    QTest::keyClick(View(), Qt::Key_W, Qt::ControlModifier);
    QTest::keyClicks(View(), "!");
    QTest::keyClick(View(), Qt::Key_Escape);
  });
  EXPECT_EQ(Run(unwritable), "text!");
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_NE(reported[0].find(unwritable), std::string::npos);
}

TEST_F(EditorWindowTest, LayoutScalesWithTheDesktopWidthAndTheWindowIsCentred) {
  rt::ui::FixDesktopSize(rt::ui::Size{1024, 768});  // nV = 1.28
  rt::ui::Point windowPos, viewPos, okPos;
  rt::ui::Size viewSize, okSize, area;
  bool modal = false;
  WhileOpen([&] {
    auto dialog = OpenWindow();
    windowPos = dialog->currentPos();
    modal = dialog->getModalState() == rt::ui::kModalApplication;
    area = dialog->drawingArea()->currentSize();
    for (auto& c : dialog->drawingArea()->childList()) {
      if (c->isDerivedFrom("XbpMle")) viewPos = c->currentPos(), viewSize = c->currentSize();
      if (c->isDerivedFrom("XbpPushButton")) okPos = c->currentPos(), okSize = c->currentSize();
    }
    QTest::keyClick(View(), Qt::Key_F10);
  });
  Run();
  EXPECT_EQ(windowPos, (rt::ui::Point{112, 84}));
  EXPECT_TRUE(modal);
  EXPECT_EQ(viewPos, (rt::ui::Point{38, 51}));
  EXPECT_EQ(viewSize, (rt::ui::Size{800 - 76, 600 - 89}));
  EXPECT_EQ(okSize, (rt::ui::Size{92, 30}));
  EXPECT_EQ(okPos, (rt::ui::Point{(area.width - 92) / 2, 15}));
  // The text view is created and filled between three pauses of 1/100 s.
  EXPECT_EQ(clock_.sleeps(), (std::vector<rt::Clock::Duration>(3, rt::Clock::Duration(10))));
}

TEST_F(EditorWindowTest, TheFocusGoesBackAndTheWindowIsGone) {
  auto owner = std::make_shared<rt::ui::XbpDialog>(nullptr, nullptr, rt::ui::Point{0, 0}, rt::ui::Size{300, 200});
  owner->create();
  auto button = std::make_shared<rt::ui::XbpPushButton>(owner->drawingArea(), nullptr, rt::ui::Point{0, 0},
                                                        rt::ui::Size{50, 20});
  button->create();
  SetAppFocus(button);
  std::shared_ptr<rt::ui::XbpDialog> editor;
  WhileOpen([&editor] {
    editor = OpenWindow();
    QTest::keyClick(View(), Qt::Key_Escape);
  });
  Modaldialog_FM(file, "Titel", owner, 400, 300);
  EXPECT_EQ(editor->status(), rt::ui::kStatusInit);
  EXPECT_EQ(editor->setOwner(), owner);
  EXPECT_EQ(SetAppFocus(), button);
  owner->destroy();
}

TEST_F(EditorWindowTest, TextEditorWritesBackWhatTheEditorAnswers) {
  WhileOpen([] {
    QTest::keyClicks(View(), "B");
    QTest::keyClick(View(), Qt::Key_W, Qt::ControlModifier);
  });
  EXPECT_TRUE(TextEditor(file));
  EXPECT_EQ(rt::MemoRead(file), "Bsmtp.example.de\r\n587\r\n");

  WhileOpen([] {
    QTest::keyClicks(View(), "verworfen");
    QTest::keyClick(View(), Qt::Key_Escape);
  });
  EXPECT_TRUE(TextEditor(file));
  EXPECT_EQ(rt::MemoRead(file), "Bsmtp.example.de\r\n587\r\n");
}

}  // namespace
}  // namespace kalvento::mail
