#include "mail/message_window.h"

#include <QPlainTextEdit>
#include <QTest>

#include "runtime/ui/xbp_push_button.h"
#include "tests/mail/mail_test_support.h"

namespace kalvento::mail {
namespace {

using rt::Clock;

class MessageWindowTest : public testing::WindowTest {
 protected:
  static std::shared_ptr<rt::ui::XbpPart> OkButton() {
    for (auto& c : OpenWindow()->drawingArea()->childList()) {
      if (c->isDerivedFrom("XbpPushButton")) return c;
    }
    return nullptr;
  }
  // The codes of the events still queued, taken out.
  static std::vector<int> Leftover() {
    std::vector<int> codes;
    while (rt::ui::PendingAppEvents() > 0) {
      rt::Value mp1, mp2;
      std::shared_ptr<rt::ui::XbpPart> to;
      codes.push_back(rt::ui::AppEvent(mp1, mp2, to));
    }
    return codes;
  }
};

TEST_F(MessageWindowTest, WithoutModalItStaysTenSecondsAndHandlesNoEvent) {
  std::shared_ptr<rt::ui::XbpDialog> window;
  QString shown;
  bool visible = false;
  clock_.setOnSleep([&](Clock::Duration d) {
    if (d != Clock::Duration(10000)) return;
    window = OpenWindow();
    visible = window->IsVisible();
    shown = static_cast<QPlainTextEdit*>(rt::ui::SetAppFocus()->widget())->toPlainText();
    QTest::mouseClick(OkButton()->widget(), Qt::LeftButton);  // not handled by this routine
  });
  EXPECT_EQ(Modaldialog_ml("  Diese Mail\r\n", "Diese Mail wird jetzt gesendet:", rt::ui::SetAppWindow(), 800, 600),
            "Diese Mail\r\n");
  EXPECT_EQ(clock_.sleeps(), (std::vector<Clock::Duration>{Clock::Duration(10), Clock::Duration(10),
                                                           Clock::Duration(10), Clock::Duration(10000)}));
  EXPECT_TRUE(visible);
  EXPECT_EQ(shown, "  Diese Mail\n");
  EXPECT_EQ(window->getTitle(), "Diese Mail wird jetzt gesendet:");
  EXPECT_EQ(window->getModalState(), rt::ui::kModalNone);
  EXPECT_EQ(window->status(), rt::ui::kStatusInit);
  // The click waits in the queue for whichever loop comes next.
  EXPECT_EQ(rt::ui::PendingAppEvents(), 1u);
}

TEST_F(MessageWindowTest, ModalItWaitsForOk) {
  bool modal = false;
  WhileOpen([&modal] {
    modal = OpenWindow()->getModalState() == rt::ui::kModalApplication;
    QTest::keyClicks(rt::ui::SetAppFocus()->widget(), "  ");
    QTest::mouseClick(OkButton()->widget(), Qt::LeftButton);
  });
  EXPECT_EQ(Modaldialog_ml("alle Sendungen erledigt!", "Abschluss-Meldung:", rt::ui::SetAppWindow(), 400, 400, true),
            "alle Sendungen erledigt!");
  EXPECT_TRUE(modal);
  EXPECT_EQ(clock_.sleeps().size(), 3u);  // only the three short pauses
}

TEST_F(MessageWindowTest, ModalItEndsOnTheCloseBoxAndEscIsNoKeyOfItsOwn) {
  WhileOpen([] {
    QTest::keyClick(rt::ui::SetAppFocus()->widget(), Qt::Key_Escape);
    QTest::keyClick(rt::ui::SetAppFocus()->widget(), Qt::Key_F10);
    QTimer::singleShot(0, [] { OpenWindow()->widget()->close(); });
  });
  EXPECT_EQ(Modaldialog_ml("Probleme beim Senden!", "Abschluss-Meldung:", rt::ui::SetAppWindow(), 500, 500, true),
            "Probleme beim Senden!");
}

// A close left queued for a window that is gone would end the next loop
// (the dispatcher's, or the closing message's) at once.
TEST_F(MessageWindowTest, NoCloseOutlivesTheWindow) {
  clock_.setOnSleep([](Clock::Duration d) {
    if (d == Clock::Duration(10000)) OpenWindow()->widget()->close();
  });
  Modaldialog_ml("Mail", "Diese Mail wird jetzt gesendet:", rt::ui::SetAppWindow(), 800, 600);
  EXPECT_EQ(Leftover(), std::vector<int>{});

  clock_.setOnSleep(nullptr);
  WhileOpen([] {
    QTest::mouseClick(OkButton()->widget(), Qt::LeftButton);
    OpenWindow()->widget()->close();  // before the loop has taken the click
  });
  Modaldialog_ml("Fertig", "Abschluss-Meldung:", rt::ui::SetAppWindow(), 400, 400, true);
  EXPECT_EQ(Leftover(), std::vector<int>{});
}

}  // namespace
}  // namespace kalvento::mail
