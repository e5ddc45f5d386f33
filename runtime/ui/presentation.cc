#include "runtime/ui/presentation.h"

#include <QWidget>
#include <cctype>
#include <string>

#include "runtime/ui/text_codec.h"

namespace kalvento::rt::ui {

std::optional<QFont> FontFromText(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  size_t digits = i;
  while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
  if (digits == i) {  // a face without a size
    QString family = DecodeForDisplay(text.substr(i)).trimmed();
    if (family.isEmpty()) return std::nullopt;
    QFont font;
    font.setFamily(family);
    return font;
  }
  // A size of more digits than any font has is no size (and would overflow).
  if (digits - i > 4) return std::nullopt;
  int points = std::stoi(std::string(text.substr(i, digits - i)));
  if (points <= 0) return std::nullopt;
  std::string_view face = text.substr(digits);
  if (!face.empty() && face.front() == '.') face.remove_prefix(1);
  QString family = DecodeForDisplay(face).trimmed();
  QFont font;
  if (!family.isEmpty()) font.setFamily(family);
  font.setPointSize(points);
  return font;
}

void ApplyPresParams(QWidget* widget, const PresParams& params) {
  if (widget == nullptr) return;
  for (const auto& [code, value] : params) {
    if (code == kPPFont && value.isText()) {
      if (auto font = FontFromText(value.text())) widget->setFont(*font);
    }
  }
}

}  // namespace kalvento::rt::ui
