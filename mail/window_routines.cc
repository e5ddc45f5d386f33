#include "mail/window_routines.h"

#include "mail/editor_window.h"
#include "mail/message_window.h"
#include "mail/screen_center.h"
#include "mail/text_editor.h"
#include "runtime/routines.h"
#include "runtime/runtime_error.h"

namespace kalvento::mail {
namespace {

const rt::Value& Arg(const rt::Args& args, size_t i) {
  static const rt::Value kNil;
  return i < args.size() ? args[i] : kNil;
}

std::shared_ptr<rt::ui::XbpPart> PartArg(const rt::Args& args, size_t i) {
  const rt::Value& v = Arg(args, i);
  if (v.isNil()) return nullptr;
  auto part = std::dynamic_pointer_cast<rt::ui::XbpPart>(v.object());
  if (!part) throw rt::RuntimeError("data type error", "expected a window");
  return part;
}

int NumberArg(const rt::Args& args, size_t i) { return static_cast<int>(Arg(args, i).number()); }

}  // namespace

void RegisterWindowRoutines() {
  rt::RegisterRoutine("Modaldialog_FM", [](const rt::Args& a) {
    return rt::Value(Modaldialog_FM(Arg(a, 0).text(), Arg(a, 1).text(), PartArg(a, 2), NumberArg(a, 3),
                                    NumberArg(a, 4)));
  });
  rt::RegisterRoutine("Modaldialog_ml", [](const rt::Args& a) {
    bool modal = !Arg(a, 5).isNil() && Arg(a, 5).logical();
    return rt::Value(Modaldialog_ml(Arg(a, 0).text(), Arg(a, 1).text(), PartArg(a, 2), NumberArg(a, 3),
                                    NumberArg(a, 4), modal));
  });
  rt::RegisterRoutine("ScreenCenter", [](const rt::Args& a) {
    auto part = PartArg(a, 0);
    if (!part) throw rt::RuntimeError("data type error", "ScreenCenter: no window");
    rt::ui::Point p = ScreenCenter(*part, !Arg(a, 1).isNil() && Arg(a, 1).logical());
    return rt::Value(rt::Array{rt::Value(p.x), rt::Value(p.y)});
  });
  rt::RegisterRoutine("TextEditor", [](const rt::Args& a) { return rt::Value(TextEditor(Arg(a, 0).text())); });
}

}  // namespace kalvento::mail
