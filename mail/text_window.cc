#include "mail/text_window.h"

#include "mail/screen_center.h"
#include "runtime/clock.h"
#include "runtime/ui/app_event.h"
#include "runtime/ui/desktop.h"
#include "runtime/ui/focus.h"

namespace kalvento::mail {
namespace {

using rt::ui::Point;
using rt::ui::Size;

// k scaled by nV, the fraction dropped.
double Scaled(double k, double nV) { return static_cast<double>(static_cast<long long>(k * nV)); }

}  // namespace

std::string LTrim(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  return std::string(text.substr(i));
}

void DropCloseEvents(const TextWindow& w) {
  const rt::ui::XbpPart* window = w.dialog.get();
  rt::ui::DropAppEvents([window](int event, const rt::ui::XbpPart* to) {
    if (event != rt::ui::kEventClose) return false;
    for (std::shared_ptr<rt::ui::XbpPart> p; to; to = (p = to->setParent()).get()) {
      if (to == window) return true;
    }
    return false;
  });
}

TextWindow BuildTextWindow(std::shared_ptr<std::string> working, const std::string& title,
                           std::shared_ptr<rt::ui::XbpPart> owner, int nXsize, int nYsize,
                           const std::function<void()>& beforeView) {
  const double nV = rt::ui::AppDesktop()->currentSize().width / 800.0;
  TextWindow w;
  w.dialog = std::make_shared<rt::ui::XbpDialog>(rt::ui::AppDesktop(), owner, std::nullopt,
                                                 Size{static_cast<double>(nXsize), static_cast<double>(nYsize)},
                                                 rt::ui::PresParams{}, false);
  w.dialog->title = title;
  w.dialog->taskList = true;
  w.dialog->minButton = false;
  w.dialog->maxButton = false;
  w.dialog->create();
  ScreenCenter(*w.dialog, true);

  if (beforeView) beforeView();

  auto area = w.dialog->drawingArea();
  rt::Sleep(1);
  w.view = std::make_shared<rt::ui::XbpMle>(
      area, nullptr, Point{Scaled(30, nV), Scaled(40, nV)},
      Size{nXsize - Scaled(60, nV), nYsize - Scaled(70, nV)},
      rt::ui::PresParams{{rt::ui::kPPFont, rt::Value("10.Times New Roman")}, {rt::ui::kPPForeground, rt::Value(-47)}});
  w.view->wordWrap = true;
  w.view->horizScroll = false;
  w.view->dataLink = rt::CodeBlock([working](const rt::Args& args) -> rt::Value {
    if (args.empty() || args[0].isNil()) return rt::Value(*working);
    *working = args[0].isText() ? args[0].text() : std::string();
    return args[0];
  });
  w.view->create();
  rt::Sleep(1);
  w.view->setData();
  rt::Sleep(1);

  const double buttonWidth = Scaled(72, nV);
  const double areaWidth = area->currentSize().width;
  w.ok = std::make_shared<rt::ui::XbpPushButton>(area, nullptr, Point{(areaWidth - buttonWidth) / 2, Scaled(12, nV)},
                                                 Size{buttonWidth, Scaled(24, nV)});
  w.ok->setCaption(rt::Value("OK"));
  w.ok->tabStop = true;
  std::weak_ptr<rt::ui::XbpMle> view = w.view;
  w.ok->activate = rt::CodeBlock([working, view](const rt::Args&) -> rt::Value {
    if (auto v = view.lock()) {
      rt::Value text = v->getData();
      *working = LTrim(text.isText() ? text.text() : std::string());
    }
    rt::ui::PostAppEvent(rt::ui::kEventClose);
    return rt::Value();
  });
  w.ok->create();
  rt::ui::SetAppFocus(w.view);
  return w;
}

}  // namespace kalvento::mail
