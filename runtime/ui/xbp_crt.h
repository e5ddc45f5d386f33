#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/ui/xbp_dialog.h"

namespace kalvento::rt::ui {

// A character-cell window: rows x columns of cells, each with a character
// and a colour (foreground and background, 0 to 15 in the character-mode
// numbering N, B, G, BG, R, RB, GR, W and their bright forms). Text goes
// to it with DevPos/DevOut while it is the current output device; keys typed
// into it arrive as keyboard events and are read with Inkey. The window is a
// dialog whose size follows from its rows and columns.
class XbpCrt : public XbpDialog {
 public:
  XbpCrt(std::shared_ptr<XbpPart> parent = nullptr, std::shared_ptr<XbpPart> owner = nullptr,
         std::optional<Point> pos = std::nullopt, int rows = 25, int cols = 80, std::string title = {},
         bool visible = true);
  std::string className() const override { return "XbpCrt"; }
  bool isDerivedFrom(std::string_view name) const override;
  using XbpPart::configure;
  using XbpPart::create;
  XbpPart& create() override;
  XbpPart& destroy() override;

  int rows() const { return rows_; }
  int cols() const { return cols_; }
  // Writes text at a cell in a colour; text beyond the right edge is cut.
  void write(int row, int col, std::string_view text, uint8_t colour);
  void clear(uint8_t colour);
  char16_t charAt(int row, int col) const;
  uint8_t colourAt(int row, int col) const;
  void setCursorPos(int row, int col);
  void setCursorVisible(bool visible);
  bool cursorVisible() const { return cursorVisible_; }
  int cursorRow() const { return cursorRow_; }
  int cursorCol() const { return cursorCol_; }

 private:
  struct Cell {
    char16_t ch = ' ';
    uint8_t colour = 0x07;
  };
  void repaint();

  int rows_;
  int cols_;
  std::vector<Cell> cells_;
  int cursorRow_ = 0;
  int cursorCol_ = 0;
  bool cursorVisible_ = false;
};

// Colours of a colour text such as "GR+/B,W+/R,,,N/W": standard, enhanced,
// border, background, unselected; each pair foreground/background. Double
// quotes around the list are passed over; an empty pair keeps its colour.
struct ColourSetting {
  uint8_t standard = 0x07;
  uint8_t enhanced = 0x70;
  uint8_t unselected = 0x70;
};
ColourSetting ParseColourText(std::string_view text, ColourSetting base = {});
// One pair ("GR+/B") as a cell colour (background in the high four bits).
std::optional<uint8_t> ParseColourPair(std::string_view pair);

// The output device: the character-cell window that is the application
// window, else the newest one created, else standard output.
std::string SetColor(std::string_view colourText);  // answers the previous text
std::string SetColor();
int SetCursor(int shape);  // 0 off, else on; answers the previous shape
int SetCursor();
void DevPos(int row, int col);
void DevOut(std::string_view text);
int Row();
int Col();

}  // namespace kalvento::rt::ui
