#include "shortcuts/sc_manager.h"

#include <gtest/gtest.h>

#include "runtime/routines.h"
#include "runtime/ui/app_event.h"
#include "runtime/ui/desktop.h"
#include "runtime/ui/focus.h"
#include "runtime/ui/window_layer.h"
#include "runtime/ui/xbp_3state.h"
#include "runtime/ui/xbp_check_box.h"
#include "runtime/ui/xbp_dialog.h"
#include "runtime/ui/xbp_push_button.h"
#include "runtime/ui/xbp_radio_button.h"
#include "runtime/ui/xbp_sle.h"
#include "runtime/ui/xbp_static.h"
#include "runtime/ui/xbp_tab_page.h"

namespace kalvento::shortcuts {
namespace {

using namespace rt::ui;

constexpr int kAlt = 327680;

TEST(ShortCutKeyTest, TheCharacterAfterTheFirstMarkerChoosesTheKey) {
  const std::pair<rt::Value, std::optional<int>> cases[] = {
      {rt::Value("~Senden"), kAlt + 'S'},
      {rt::Value("~senden"), kAlt + 'S'},
      {rt::Value("Wieder~holen"), kAlt + 'H'},
      {rt::Value("a~b~c"), kAlt + 'B'},
      {rt::Value("~z"), kAlt + 'Z'},
      {rt::Value("~<"), 65569},
      {rt::Value("~>"), 65570},
      {rt::Value("~["), 196641},
      {rt::Value("~]"), 196642},
      {rt::Value("~/"), 589857},
      {rt::Value("~\\"), 589858},
      {rt::Value("Ende~"), std::nullopt},
      {rt::Value("~1"), std::nullopt},
      {rt::Value("~\xe4nderung"), std::nullopt},  // umlaut
      {rt::Value("~ Leer"), std::nullopt},
      {rt::Value("ohne"), std::nullopt},
      {rt::Value(), std::nullopt},
      {rt::Value(5), std::nullopt},
  };
  for (const auto& [caption, key] : cases) {
    EXPECT_EQ(ShortCutKeyOfCaption(caption), key) << (caption.isText() ? caption.text() : "(no text)");
  }
}

class SCManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureWindowLayer();
    FixDesktopSize(Size{800, 600});
    dlg = std::make_shared<XbpDialog>(nullptr, nullptr, Point{0, 0}, Size{500, 400});
    dlg->create();
    ClearAppEvents();
  }
  void TearDown() override {
    dlg->destroy();
    ClearAppEvents();
    FixDesktopSize(std::nullopt);
  }

  template <class T>
  std::shared_ptr<T> Add(const char* caption, std::shared_ptr<XbpPart> parent = nullptr) {
    auto c = std::make_shared<T>(parent ? parent : dlg->drawingArea(), nullptr, Point{10, y_ -= 30},
                                 Size{150, 24});
    c->setCaption(rt::Value(caption));
    c->create();
    return c;
  }

  // The events now queued, as (code, addressee).
  std::vector<std::pair<int, std::shared_ptr<XbpPart>>> Posted() {
    std::vector<std::pair<int, std::shared_ptr<XbpPart>>> out;
    while (PendingAppEvents() > 0) {
      rt::Value mp1, mp2;
      std::shared_ptr<XbpPart> to;
      int e = AppEvent(mp1, mp2, to);
      out.emplace_back(e, to);
    }
    return out;
  }

  std::shared_ptr<XbpDialog> dlg;
  SCManager sc;
  double y_ = 360;
};

TEST_F(SCManagerTest, AFreshManagerHandlesNothing) {
  EXPECT_FALSE(sc.HandleShortcut(kAlt + 'A'));
  EXPECT_EQ(sc.GetShortCut(kAlt + 'A'), nullptr);
  EXPECT_FALSE(sc.shortCuts().has_value());
}

TEST_F(SCManagerTest, AButtonShortcutFocusesAndPressesIt) {
  auto send = Add<XbpPushButton>("~Senden");
  int pressed = 0;
  send->activate = rt::CodeBlock([&](const rt::Args&) {
    ++pressed;
    return rt::Value();
  });
  sc.InitShortCuts(*dlg);
  EXPECT_EQ(sc.GetShortCut(kAlt + 'S'), send);
  EXPECT_TRUE(sc.HandleShortcut(kAlt + 'S'));
  EXPECT_EQ(SetAppFocus(), send);
  EXPECT_EQ(pressed, 0);  // the press waits in the queue
  auto posted = Posted();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0], std::make_pair(kEventActivate, std::shared_ptr<XbpPart>(send)));
  EXPECT_FALSE(sc.HandleShortcut(kAlt + 'X'));
}

TEST_F(SCManagerTest, ALabelGivesItsShortcutToTheControlAfterIt) {
  auto label = Add<XbpStatic>("~Name:");
  auto name = Add<XbpSLE>("");
  auto last = Add<XbpStatic>("~Letztes");  // last child: nothing to focus
  sc.InitShortCuts(*dlg);
  EXPECT_EQ(sc.GetShortCut(kAlt + 'N'), name);
  EXPECT_EQ(sc.GetShortCut(kAlt + 'L'), nullptr);
  EXPECT_TRUE(sc.HandleShortcut(kAlt + 'N'));
  EXPECT_EQ(SetAppFocus(), name);
  EXPECT_TRUE(Posted().empty());
}

TEST_F(SCManagerTest, AStaticThatIsNoTextLabelAddsNothingButItsChildrenCount) {
  auto group = std::make_shared<XbpStatic>(dlg->drawingArea(), nullptr, Point{10, 10}, Size{300, 200});
  group->type = kStaticGroupBox;
  group->setCaption(rt::Value("~Gruppe"));
  group->create();
  auto inner = Add<XbpPushButton>("~Ja", group);
  auto after = Add<XbpPushButton>("~Danach");
  sc.InitShortCuts(*dlg);
  ASSERT_TRUE(sc.shortCuts().has_value());
  ASSERT_EQ(sc.shortCuts()->size(), 2u);
  EXPECT_EQ((*sc.shortCuts())[0].control, inner);  // depth first
  EXPECT_EQ((*sc.shortCuts())[1].control, after);
  EXPECT_EQ(sc.GetShortCut(kAlt + 'G'), nullptr);
}

TEST_F(SCManagerTest, TheFirstVisibleAndEnabledOfTwoWithTheSameKeyFires) {
  auto first = Add<XbpPushButton>("~Ordner");
  auto second = Add<XbpPushButton>("~Ok");
  sc.InitShortCuts(*dlg);
  EXPECT_TRUE(sc.HandleShortcut(kAlt + 'O'));
  EXPECT_EQ(Posted().at(0).second, first);

  first->disable();
  EXPECT_TRUE(sc.HandleShortcut(kAlt + 'O'));
  EXPECT_EQ(Posted().at(0).second, second);

  first->enable();
  first->hide();
  EXPECT_TRUE(sc.HandleShortcut(kAlt + 'O'));
  EXPECT_EQ(Posted().at(0).second, second);
  EXPECT_EQ(sc.GetShortCut(kAlt + 'O'), first);  // the list ignores states

  second->disable();
  EXPECT_FALSE(sc.HandleShortcut(kAlt + 'O'));
}

TEST_F(SCManagerTest, BoxActionsChangeTheValueBeforeTheirActivateIsHandled) {
  auto three = Add<Xbp3State>("~Drei");
  auto check = Add<XbpCheckBox>("~Haken");
  sc.InitShortCuts(*dlg);
  rt::Value seenByHandler;
  check->activate = rt::CodeBlock([&](const rt::Args&) {
    seenByHandler = check->getData();
    return rt::Value();
  });

  std::vector<rt::Value> states;
  for (int i = 0; i < 3; ++i) {
    sc.HandleShortcut(kAlt + 'D');
    states.push_back(three->getData());
  }
  EXPECT_EQ(states, (std::vector<rt::Value>{rt::Value(1), rt::Value(2), rt::Value(0)}));

  sc.HandleShortcut(kAlt + 'H');
  EXPECT_EQ(check->getData(), rt::Value(true));
  ClearAppEvents();
  sc.HandleShortcut(kAlt + 'H');
  EXPECT_EQ(check->getData(), rt::Value(false));
  for (auto& [event, to] : Posted()) to->handleEvent(event, {}, {});
  EXPECT_EQ(seenByHandler, rt::Value(false));
  EXPECT_EQ(SetAppFocus(), check);
}

TEST_F(SCManagerTest, ARadioShortcutSelectsItsButtonAndClearsTheSelectedOne) {
  auto a = Add<XbpRadioButton>("~Alpha");
  auto b = Add<XbpRadioButton>("~Beta");
  auto c = Add<XbpRadioButton>("~Gamma");
  a->setData(rt::Value(true));
  sc.InitShortCuts(*dlg);
  sc.HandleShortcut(kAlt + 'G');
  EXPECT_EQ(a->getData(), rt::Value(false));
  EXPECT_EQ(b->getData(), rt::Value(false));
  EXPECT_EQ(c->getData(), rt::Value(true));
  sc.HandleShortcut(kAlt + 'G');  // already selected: stays
  EXPECT_EQ(c->getData(), rt::Value(true));
  EXPECT_EQ(Posted().size(), 2u);
}

TEST_F(SCManagerTest, ATabPageShortcutPostsTheTabActivateEvent) {
  auto page = Add<XbpTabPage>("~Konto");
  sc.InitShortCuts(*dlg);
  EXPECT_TRUE(sc.HandleShortcut(kAlt + 'K'));
  EXPECT_EQ(Posted().at(0), std::make_pair(kEventTabActivate, std::shared_ptr<XbpPart>(page)));
}

TEST_F(SCManagerTest, InitialisingTwiceDoublesTheEntriesAndDispatchStaysTheSame) {
  auto send = Add<XbpPushButton>("~Senden");
  auto end = Add<XbpPushButton>("~Ende");
  sc.InitShortCuts(*dlg);
  sc.InitShortCuts(*dlg);
  ASSERT_EQ(sc.shortCuts()->size(), 4u);
  EXPECT_EQ(sc.GetShortCut(kAlt + 'E'), end);
  EXPECT_TRUE(sc.HandleShortcut(kAlt + 'E'));
  EXPECT_EQ(Posted().size(), 1u);  // one action per call
}

TEST_F(SCManagerTest, AddedEntriesAreFoundAndRun) {
  auto sle = Add<XbpSLE>("");
  int ran = 0;
  EXPECT_TRUE(sc.AddShortCut(65657, sle, rt::CodeBlock([&](const rt::Args& a) {
    EXPECT_EQ(a.at(0).object(), sle);
    ++ran;
    return rt::Value();
  })));
  EXPECT_EQ(sc.GetShortCut(65657), sle);
  EXPECT_TRUE(sc.HandleShortcut(65657));
  EXPECT_EQ(ran, 1);
  sc.init();
  EXPECT_FALSE(sc.HandleShortcut(65657));
}

TEST_F(SCManagerTest, TheClassFunctionAnswersANewManager) {
  RegisterShortcutRoutines();
  rt::Value a = rt::CallRoutine("SCManager");
  rt::Value b = rt::CallRoutine("scmanager");
  EXPECT_EQ(a.object()->className(), "SCManager");
  EXPECT_FALSE(a == b);
}

}  // namespace
}  // namespace kalvento::shortcuts
