// kalvento-render: draws the editor window and the message windows as PNG
// files, so a person can see what the program shows without a screen.
//
//   kalvento-render <folder> [width height]
//
// writes editor.png (the connection settings editor on a sample file),
// message.png (the mail shown while it is sent) and closing.png (the closing
// message) into <folder>, for a desktop of the given size (default 1024 x 768).
// It runs under Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <QTimer>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "mail/editor_window.h"
#include "mail/message_window.h"
#include "runtime/clock.h"
#include "runtime/files.h"
#include "runtime/ui/app_event.h"
#include "runtime/ui/desktop.h"
#include "runtime/ui/focus.h"
#include "runtime/ui/render.h"
#include "runtime/ui/window_layer.h"
#include "runtime/ui/xbp_dialog.h"

namespace {

using namespace kalvento;

// The dialog the focused control sits in.
std::shared_ptr<rt::ui::XbpPart> FocusedWindow() {
  auto part = rt::ui::SetAppFocus();
  while (part && !part->isDerivedFrom("XbpDialog")) part = part->setParent();
  return part;
}

bool RenderFocusedWindow(const std::string& path) {
  auto window = FocusedWindow();
  bool ok = window && rt::ui::RenderToPng(*window, path);
  std::printf("%s %s\n", ok ? "geschrieben:" : "FEHLER beim Schreiben:", path.c_str());
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 4) {
    std::fprintf(stderr, "Aufruf: kalvento-render <Ordner> [Breite Höhe]\n");
    return 2;
  }
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const std::string folder = argv[1];
  double width = argc == 4 ? std::atof(argv[2]) : 1024;
  double height = argc == 4 ? std::atof(argv[3]) : 768;
  rt::ui::EnsureWindowLayer();
  rt::ui::FixDesktopSize(rt::ui::Size{width, height});
  bool ok = true;

  // The windows' pauses pass at once; the message window is drawn during its
  // ten seconds.
  rt::VirtualClock clock;
  rt::ScopedClock scoped(clock);

  const std::string settings = folder + "/Verbindung.dat";
  rt::MemoWrit(settings, "smtp.example.de\r\n587\r\nversand@example.de\r\ngeheim\r\n"
                         "versand@example.de\r\nBüro Muster\r\n");
  QTimer::singleShot(0, [&] {
    ok = RenderFocusedWindow(folder + "/editor.png") && ok;
    rt::ui::PostAppEvent(rt::ui::kEventKeyboard, rt::Value(rt::ui::kKeyF10));
  });
  mail::Modaldialog_FM(settings, "Verbindungsdaten eingeben/ändern", rt::ui::SetAppWindow(), 800, 600);

  clock.setOnSleep([&](rt::Clock::Duration d) {
    if (d.count() == 10LL * mail::kMessageWindowPause) ok = RenderFocusedWindow(folder + "/message.png") && ok;
  });
  mail::Modaldialog_ml("Empfänger: kunde@example.de\r\nBetreff: Formular für Sterbefall\r\n"
                       "Text: Formular für Sterbefall im Anhang\r\nAnhang: C:\\LUMO\\Formular.pdf",
                       "Diese Mail wird jetzt gesendet:", rt::ui::SetAppWindow(), 800, 600);
  clock.setOnSleep(nullptr);

  QTimer::singleShot(0, [&] {
    ok = RenderFocusedWindow(folder + "/closing.png") && ok;
    rt::ui::PostAppEvent(rt::ui::kEventClose);
  });
  mail::Modaldialog_ml("alle Sendungen erledigt!\r\nABER:\r\nFehler im Failure-Ordner.\r\n"
                       "Auftrag-4711.ausg",
                       "Abschluss-Meldung:", rt::ui::SetAppWindow(), 400, 400, true);
  return ok ? 0 : 1;
}
