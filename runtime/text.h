#pragma once

#include <string>
#include <string_view>

namespace kalvento::rt {

// Text functions on byte strings. Case mapping touches ASCII letters only, as
// names and keys in this system are ASCII.
std::string Upper(std::string_view text);
std::string Lower(std::string_view text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// The number right-aligned in `width` characters, padded with blanks on the left
// (the platform's Str(n, width) for whole numbers); a number too wide for the
// field gives `width` asterisks.
std::string Str(long long number, int width);
// Appends Str(number, width) without building a temporary.
void AppendStr(std::string& out, long long number, int width);

}  // namespace kalvento::rt
