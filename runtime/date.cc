#include "runtime/date.h"

#include <cstdio>
#include <ctime>

namespace kalvento::rt {
namespace {

int32_t JulianFromYmd(int y, int m, int d) {
  // Fliegel and Van Flandern's conversion for the Gregorian calendar.
  int a = (14 - m) / 12;
  int yy = y + 4800 - a;
  int mm = m + 12 * a - 3;
  return d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

}  // namespace

Date Date::FromYmd(int year, int month, int day) {
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month)) {
    return Date();
  }
  return FromJulian(JulianFromYmd(year, month, day));
}

Date Date::FromDtos(std::string_view text) {
  if (text.size() != 8) return Date();
  int v[3] = {0, 0, 0};
  const int widths[3] = {4, 2, 2};
  size_t pos = 0;
  for (int part = 0; part < 3; ++part) {
    for (int i = 0; i < widths[part]; ++i, ++pos) {
      char c = text[pos];
      if (c < '0' || c > '9') return Date();
      v[part] = v[part] * 10 + (c - '0');
    }
  }
  return FromYmd(v[0], v[1], v[2]);
}

Date Date::Today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return FromYmd(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

void Date::ToYmd(int* year, int* month, int* day) const {
  if (empty()) {
    *year = *month = *day = 0;
    return;
  }
  int a = julian_ + 32044;
  int b = (4 * a + 3) / 146097;
  int c = a - 146097 * b / 4;
  int d = (4 * c + 3) / 1461;
  int e = c - 1461 * d / 4;
  int m = (5 * e + 2) / 153;
  *day = e - (153 * m + 2) / 5 + 1;
  *month = m + 3 - 12 * (m / 10);
  *year = 100 * b + d - 4800 + m / 10;
}

std::string Date::Dtos() const {
  if (empty()) return std::string(8, ' ');
  int y, m, d;
  ToYmd(&y, &m, &d);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d", y, m, d);
  return buf;
}

}  // namespace kalvento::rt
