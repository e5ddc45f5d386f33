#pragma once

#include <string>

namespace kalvento::rt::db {

// STR(value, width, decimals): the number rounded half away from zero to
// `decimals` places, right-aligned in `width` characters; a number that does
// not fit gives `width` asterisks. Shared by the STR function and the numeric
// index keys.
std::string FormatNumber(double value, int width, int decimals);

}  // namespace kalvento::rt::db
