#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace kalvento::rt::ui {

// Texts are bytes; windows show them decoded as UTF-8 when they are valid
// UTF-8, else as Windows-1252.
QString DecodeForDisplay(std::string_view bytes);

// The bytes for a text the user edited in a window whose text came from
// `original`: UTF-8 when the original was UTF-8 with non-ASCII characters,
// else Windows-1252 when every character has a place there, else UTF-8.
// Line ends become CR LF when the original had CR LF or was empty, else LF.
std::string EncodeEdited(const QString& shown, std::string_view original);

// The text a label or title shows for a caption: "~" marks the shortcut
// character and shows as Qt's mnemonic underline; a literal "&" is doubled.
QString CaptionForDisplay(std::string_view caption);

}  // namespace kalvento::rt::ui
