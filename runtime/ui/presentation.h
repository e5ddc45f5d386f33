#pragma once

#include <QFont>
#include <optional>
#include <string_view>

#include "runtime/ui/xbp_part.h"

class QWidget;

namespace kalvento::rt::ui {

// A font given as "size.face" ("10.Times New Roman", "12. consolas"); either
// part may be left out ("Arial"). std::nullopt for an empty text.
std::optional<QFont> FontFromText(std::string_view text);

// Applies the presentation parameters the layer understands to a widget: the
// font (15). Colours given as system colour numbers (negative) keep the
// toolkit's colours.
void ApplyPresParams(QWidget* widget, const PresParams& params);

}  // namespace kalvento::rt::ui
