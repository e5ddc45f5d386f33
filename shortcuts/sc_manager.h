#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "runtime/ui/xbp_part.h"
#include "runtime/value.h"

namespace kalvento::shortcuts {

// Keyboard shortcuts derived from control captions, and their dispatch.
// A caption marks its shortcut with "~": a letter after the first marker gives
// Alt plus that letter; "<", ">", "[", "]", "/" and "\" give Page Up, Page
// Down and their Shift and Ctrl forms. InitShortCuts walks a window's controls
// depth first and adds one entry per control whose kind has an action (a text
// label's shortcut focuses the control after it). HandleShortcut runs the
// action of the first entry with the key whose control is visible and
// enabled. Entries are only ever added, never removed.
//
// Meant as a base class beside a dialog class; it has no base of its own.
class SCManager {
 public:
  struct ShortCut {
    int key = 0;
    std::shared_ptr<rt::ui::XbpPart> control;
    rt::CodeBlock action;  // {|oControl| ...}
  };

  SCManager() { init(); }
  virtual ~SCManager() = default;

  // Leaves the list unset (no shortcuts, HandleShortcut answers false).
  SCManager& init();
  // Registers the shortcuts of every control below `oXbp`.
  SCManager& InitShortCuts(rt::ui::XbpPart& oXbp);
  // Runs the first fitting entry's action; false when none fits.
  bool HandleShortcut(int nKeyCode);
  // Appends an entry (creating the list on first use); always true.
  bool AddShortCut(int nKey, std::shared_ptr<rt::ui::XbpPart> oXbp, rt::CodeBlock bBlock);
  // The control of the first entry with exactly that key, or null.
  std::shared_ptr<rt::ui::XbpPart> GetShortCut(int nKey) const;

  // The entries, in the order they were added (std::nullopt before the first
  // InitShortCuts or AddShortCut).
  const std::optional<std::vector<ShortCut>>& shortCuts() const { return aShortCuts_; }

 private:
  // The key code a control's caption gives, if any.
  static std::optional<int> CreateShortCut(const rt::ui::XbpPart& o);

  std::optional<std::vector<ShortCut>> aShortCuts_;
};

// The key code a caption gives (the rule CreateShortCut applies), if any.
std::optional<int> ShortCutKeyOfCaption(const rt::Value& caption);

// Registers the class function "SCManager", which answers a new manager.
void RegisterShortcutRoutines();

}  // namespace kalvento::shortcuts
