#include "runtime/text.h"

namespace kalvento::rt {
namespace {

char UpperChar(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
char LowerChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

}  // namespace

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperChar(c);
  return out;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerChar(c);
  return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (UpperChar(a[i]) != UpperChar(b[i])) return false;
  }
  return true;
}

void AppendStr(std::string& out, long long number, int width) {
  char digits[24];
  int n = 0;
  unsigned long long magnitude =
      number < 0 ? 0ULL - static_cast<unsigned long long>(number) : static_cast<unsigned long long>(number);
  do {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (number < 0) digits[n++] = '-';
  if (n > width) {
    out.append(static_cast<size_t>(width), '*');
    return;
  }
  out.append(static_cast<size_t>(width - n), ' ');
  while (n > 0) out.push_back(digits[--n]);
}

std::string Str(long long number, int width) {
  std::string out;
  AppendStr(out, number, width);
  return out;
}

}  // namespace kalvento::rt
