#include "runtime/ui/xbp_crt.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QWidget>
#include <cstdio>

#include "runtime/text.h"
#include "runtime/ui/focus.h"
#include "runtime/ui/text_codec.h"
#include "runtime/ui/window_metrics.h"

namespace kalvento::rt::ui {
namespace {

// The 16 character-mode colours.
const QColor kPalette[16] = {
    QColor(0, 0, 0),       QColor(0, 0, 170),     QColor(0, 170, 0),     QColor(0, 170, 170),
    QColor(170, 0, 0),     QColor(170, 0, 170),   QColor(170, 85, 0),    QColor(170, 170, 170),
    QColor(85, 85, 85),    QColor(85, 85, 255),   QColor(85, 255, 85),   QColor(85, 255, 255),
    QColor(255, 85, 85),   QColor(255, 85, 255),  QColor(255, 255, 85),  QColor(255, 255, 255)};

QFont CellFont() {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSize(10);
  return font;
}

std::vector<std::weak_ptr<XbpCrt>>& Crts() {
  static std::vector<std::weak_ptr<XbpCrt>> crts;
  return crts;
}

struct Device {
  std::string colourText = "W/N,N/W,,,N/W";
  ColourSetting colours;
  int cursorShape = 0;
  int row = 0;
  int col = 0;
};

Device& Out() {
  static Device device;
  return device;
}

std::shared_ptr<XbpCrt> CurrentCrt() {
  if (auto w = std::dynamic_pointer_cast<XbpCrt>(SetAppWindow()); w && w->status() == kStatusCreate) return w;
  for (auto it = Crts().rbegin(); it != Crts().rend(); ++it) {
    if (auto c = it->lock(); c && c->status() == kStatusCreate) return c;
  }
  return nullptr;
}

// Paints the cells of its window.
class CrtWidget : public QWidget {
 public:
  CrtWidget(QWidget* parent, XbpCrt* crt) : QWidget(parent), crt_(crt) {
    setFont(CellFont());
    setFocusPolicy(Qt::NoFocus);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    QFontMetrics fm(font());
    const int cw = fm.horizontalAdvance('M');
    const int ch = fm.height();
    for (int r = 0; r < crt_->rows(); ++r) {
      for (int c = 0; c < crt_->cols(); ++c) {
        uint8_t colour = crt_->colourAt(r, c);
        QRect cell(c * cw, r * ch, cw, ch);
        p.fillRect(cell, kPalette[(colour >> 4) & 0x0F]);
        char16_t chr = crt_->charAt(r, c);
        if (chr != ' ') {
          p.setPen(kPalette[colour & 0x0F]);
          p.drawText(cell, Qt::AlignCenter, QString(QChar(chr)));
        }
      }
    }
    if (crt_->cursorVisible()) {
      p.fillRect(crt_->cursorCol() * cw, crt_->cursorRow() * ch + ch - 2, cw, 2, kPalette[15]);
    }
  }

 private:
  XbpCrt* crt_;
};

QSize CellSize() {
  QFontMetrics fm(CellFont());
  return QSize(fm.horizontalAdvance('M'), fm.height());
}

int ColourLetters(std::string_view s, bool& ok) {
  std::string u = Upper(s);
  static const std::pair<const char*, int> kNames[] = {{"N", 0}, {"B", 1}, {"G", 2}, {"BG", 3}, {"GB", 3},
                                                       {"R", 4}, {"RB", 5}, {"BR", 5}, {"GR", 6}, {"RG", 6},
                                                       {"W", 7}, {"X", 0}, {"", 0}};
  for (auto [name, value] : kNames) {
    if (u == name) return value;
  }
  ok = false;
  return 0;
}

// "GR+" -> 14; "*" on a background makes it bright.
std::optional<int> ParseColour(std::string_view s) {
  bool bright = false;
  std::string letters;
  for (char c : s) {
    if (c == '+' || c == '*') {
      bright = true;
    } else if (c != ' ') {
      letters.push_back(c);
    }
  }
  bool ok = true;
  int v = ColourLetters(letters, ok);
  if (!ok) return std::nullopt;
  return v + (bright ? 8 : 0);
}

}  // namespace

std::optional<uint8_t> ParseColourPair(std::string_view pair) {
  size_t slash = pair.find('/');
  std::string_view fg = pair.substr(0, slash);
  std::string_view bg = slash == std::string_view::npos ? std::string_view() : pair.substr(slash + 1);
  auto f = ParseColour(fg);
  auto b = ParseColour(bg);
  if (!f || !b) return std::nullopt;
  return static_cast<uint8_t>((*b << 4) | *f);
}

ColourSetting ParseColourText(std::string_view text, ColourSetting base) {
  while (!text.empty() && (text.front() == '"' || text.front() == ' ')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == '"' || text.back() == ' ')) text.remove_suffix(1);
  ColourSetting out = base;
  int index = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    std::string_view pair = text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    if (!pair.empty()) {
      if (auto c = ParseColourPair(pair)) {
        if (index == 0) out.standard = *c;
        if (index == 1) out.enhanced = *c;
        if (index == 4) out.unselected = *c;
      }
    }
    if (comma == std::string_view::npos) break;
    start = comma + 1;
    ++index;
  }
  return out;
}

XbpCrt::XbpCrt(std::shared_ptr<XbpPart> parent, std::shared_ptr<XbpPart> owner, std::optional<Point> pos,
               int rows, int cols, std::string crtTitle, bool visible)
    : XbpDialog(std::move(parent), std::move(owner), pos, std::nullopt, {}, visible),
      rows_(rows > 0 ? rows : 25),
      cols_(cols > 0 ? cols : 80),
      cells_(static_cast<size_t>(rows_ * cols_)) {
  title = std::move(crtTitle);
  taskList = true;
  maxButton = false;
  QSize cell = CellSize();
  size_ = Size{static_cast<double>(cols_ * cell.width() + 2 * kFrameWidth),
               static_cast<double>(rows_ * cell.height() + kCaptionHeight + 2 * kFrameHeight)};
}

bool XbpCrt::isDerivedFrom(std::string_view name) const {
  return EqualsIgnoreCase(name, "XbpCrt") || XbpPart::isDerivedFrom(name);
}

XbpPart& XbpCrt::create() {
  if (status() == kStatusCreate) return *this;
  XbpDialog::create();
  widget_->setFocusPolicy(Qt::StrongFocus);
  auto* cells = new CrtWidget(drawingArea()->widget(), this);
  cells->setObjectName("cells");
  cells->setGeometry(drawingArea()->widget()->rect());
  cells->show();
  Crts().push_back(std::static_pointer_cast<XbpCrt>(shared_from_this()));
  return *this;
}

XbpPart& XbpCrt::destroy() {
  std::erase_if(Crts(), [this](const std::weak_ptr<XbpCrt>& c) {
    auto p = c.lock();
    return !p || p.get() == this;
  });
  return XbpDialog::destroy();
}

void XbpCrt::write(int row, int col, std::string_view text, uint8_t colour) {
  if (row < 0 || row >= rows_) return;
  QString s = DecodeForDisplay(text);
  for (QChar ch : s) {
    if (col >= cols_) break;
    if (col >= 0) cells_[static_cast<size_t>(row * cols_ + col)] = Cell{ch.unicode(), colour};
    ++col;
  }
  repaint();
}

void XbpCrt::clear(uint8_t colour) {
  for (Cell& c : cells_) c = Cell{' ', colour};
  repaint();
}

char16_t XbpCrt::charAt(int row, int col) const {
  if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return ' ';
  return cells_[static_cast<size_t>(row * cols_ + col)].ch;
}

uint8_t XbpCrt::colourAt(int row, int col) const {
  if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return 0x07;
  return cells_[static_cast<size_t>(row * cols_ + col)].colour;
}

void XbpCrt::setCursorPos(int row, int col) {
  cursorRow_ = row;
  cursorCol_ = col;
  repaint();
}

void XbpCrt::setCursorVisible(bool visible) {
  cursorVisible_ = visible;
  repaint();
}

void XbpCrt::repaint() {
  if (widget_) {
    if (auto* cells = widget_->findChild<QWidget*>("cells")) cells->update();
  }
}

std::string SetColor() { return Out().colourText; }

std::string SetColor(std::string_view colourText) {
  std::string previous = Out().colourText;
  Out().colourText = std::string(colourText);
  Out().colours = ParseColourText(colourText, Out().colours);
  return previous;
}

int SetCursor() { return Out().cursorShape; }

int SetCursor(int shape) {
  int previous = Out().cursorShape;
  Out().cursorShape = shape;
  if (auto crt = CurrentCrt()) crt->setCursorVisible(shape != 0);
  return previous;
}

void DevPos(int row, int col) {
  Out().row = row;
  Out().col = col;
  if (auto crt = CurrentCrt()) crt->setCursorPos(row, col);
}

void DevOut(std::string_view text) {
  if (auto crt = CurrentCrt()) {
    crt->write(Out().row, Out().col, text, Out().colours.standard);
    Out().col += static_cast<int>(DecodeForDisplay(text).size());
    crt->setCursorPos(Out().row, Out().col);
    return;
  }
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
  Out().col += static_cast<int>(text.size());
}

int Row() { return Out().row; }
int Col() { return Out().col; }

}  // namespace kalvento::rt::ui
