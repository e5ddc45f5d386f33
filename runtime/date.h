#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kalvento::rt {

// A calendar date as a Julian day number; 0 is the empty date (a blank field).
// Valid dates run from 0100-01-01 to 9999-12-31 of the proleptic Gregorian calendar.
class Date {
 public:
  constexpr Date() = default;
  static constexpr Date FromJulian(int32_t julian) { Date d; d.julian_ = julian; return d; }
  // An out-of-range or impossible day gives the empty date.
  static Date FromYmd(int year, int month, int day);
  // "YYYYMMDD"; blanks or anything unparsable give the empty date.
  static Date FromDtos(std::string_view text);
  static Date Today();

  bool empty() const { return julian_ == 0; }
  int32_t julian() const { return julian_; }
  void ToYmd(int* year, int* month, int* day) const;
  // "YYYYMMDD", or eight blanks for the empty date.
  std::string Dtos() const;

  friend constexpr bool operator==(Date a, Date b) { return a.julian_ == b.julian_; }
  friend constexpr auto operator<=>(Date a, Date b) { return a.julian_ <=> b.julian_; }

 private:
  int32_t julian_ = 0;
};

}  // namespace kalvento::rt
