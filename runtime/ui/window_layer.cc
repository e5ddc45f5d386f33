#include "runtime/ui/window_layer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <iostream>
#include <thread>
#include <unordered_map>

#include "runtime/clock.h"
#include "runtime/start_sequence.h"
#include "runtime/ui/app_event.h"
#include "runtime/ui/boxes.h"
#include "runtime/ui/key_codes.h"
#include "runtime/ui/xbp_part.h"

namespace kalvento::rt::ui {
namespace {

// Kept for the whole process: widgets of parts that outlive main() still
// sign off here while static objects are destroyed.
std::unordered_map<const QWidget*, std::weak_ptr<XbpPart>>& Registry() {
  static auto* registry = new std::unordered_map<const QWidget*, std::weak_ptr<XbpPart>>;
  return *registry;
}

thread_local int keyDeliveryDepth = 0;

// Turns Qt input on the widgets of parts into queue entries. Key presses are
// held back from the widget: the key reaches it when an event loop hands the
// queued event to the part. A close request from the window system becomes
// the close event; the window stays until its owner destroys it.
class InputFilter : public QObject {
 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress: return onKeyPress(object, static_cast<QKeyEvent*>(event));
      case QEvent::KeyRelease: return onKeyRelease(object, static_cast<QKeyEvent*>(event));
      case QEvent::Close: return onClose(object, static_cast<QCloseEvent*>(event));
      default: return false;
    }
  }

 private:
  static bool onKeyPress(QObject* object, QKeyEvent* event) {
    if (keyDeliveryDepth > 0 || !object->isWidgetType()) return false;
    std::shared_ptr<XbpPart> part = PartOfWidget(static_cast<QWidget*>(object));
    if (!part) return false;
    int code = KeyCodeFromQt(event->key(), event->modifiers(), event->text());
    if (code == 0) return false;
    PostAppEvent(kEventKeyboard, Value(code), Value(), part);
    event->accept();
    return true;
  }

  // The release of a queued key is held back too: the part sends press and
  // release together when the key is handed to it.
  static bool onKeyRelease(QObject* object, QKeyEvent* event) {
    if (keyDeliveryDepth > 0 || !object->isWidgetType()) return false;
    if (!PartOfWidget(static_cast<QWidget*>(object))) return false;
    return KeyCodeFromQt(event->key(), event->modifiers(), event->text()) != 0;
  }

  static bool onClose(QObject* object, QCloseEvent* event) {
    if (!object->isWidgetType()) return false;
    QWidget* w = static_cast<QWidget*>(object);
    if (!w->isWindow()) return false;
    std::shared_ptr<XbpPart> part = PartOfRegisteredWidget(w);
    if (!part) return false;
    PostAppEvent(kEventClose, Value(), Value(), part);
    event->ignore();
    return true;
  }
};

bool started = false;

// A pause that keeps windows painting: the window system runs until the
// deadline, user input stays queued for the next event loop.
void PauseKeepingWindowsPainted(Clock::TimePoint deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  if (left.count() <= 0) return;
  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  timer.start(static_cast<int>(left.count()));
  loop.exec(QEventLoop::ExcludeUserInputEvents);
}

// A wait for input with a deadline: the window system runs, idle in between.
bool WaitForInputUntil(Clock::TimePoint deadline, const std::function<bool()>& ready) {
  QTimer timer;
  timer.setSingleShot(true);
  timer.setTimerType(Qt::PreciseTimer);
  bool timedOut = false;
  QObject::connect(&timer, &QTimer::timeout, [&timedOut] { timedOut = true; });
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  if (left.count() > 0) timer.start(static_cast<int>(left.count()));
  while (!ready()) {
    if (timedOut || std::chrono::steady_clock::now() >= deadline) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

void PresentError(const RuntimeError& error) {
  std::cerr << "Laufzeitfehler: " << error.what() << '\n';
  if (!error.where().empty()) std::cerr << "Aufgerufen von: " << error.where().front() << '\n';
  std::string text = error.what();
  if (!error.where().empty()) text += "\nAufgerufen von: " + error.where().front();
  MsgBox(text, "Laufzeitfehler");
}

}  // namespace

void EnsureWindowLayer() {
  if (started) return;
  started = true;
  if (QApplication::instance() == nullptr) {
    static int argc = 1;
    static char name[] = "kalvento";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);  // lives as long as the process
  }
  QApplication::instance()->installEventFilter(new InputFilter);
  SetPauseHandler(PauseKeepingWindowsPainted);
  SetWaitHandler(WaitForInputUntil);
  SetErrorPresenter(PresentError);
}

bool WindowLayerRunning() { return started && QApplication::instance() != nullptr; }

void ProcessPendingWindowEvents() {
  if (!WindowLayerRunning()) return;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void WaitForWindowEvents(const std::function<bool()>& ready) {
  EnsureWindowLayer();
  while (!ready()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void RegisterPartWidget(QWidget* widget, const std::shared_ptr<XbpPart>& part) {
  Registry()[widget] = part;
  // A widget that Qt deletes on its own (with its parent) leaves the registry.
  QObject::connect(widget, &QObject::destroyed, [widget] { Registry().erase(widget); });
}

void UnregisterPartWidget(QWidget* widget) { Registry().erase(widget); }

std::shared_ptr<XbpPart> PartOfRegisteredWidget(const QWidget* widget) {
  auto it = Registry().find(widget);
  if (it == Registry().end()) return nullptr;
  return it->second.lock();
}

KeyDelivery::KeyDelivery() { ++keyDeliveryDepth; }
KeyDelivery::~KeyDelivery() { --keyDeliveryDepth; }
bool KeyDelivery::Active() { return keyDeliveryDepth > 0; }

}  // namespace kalvento::rt::ui
