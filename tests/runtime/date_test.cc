#include "runtime/date.h"

#include <gtest/gtest.h>

namespace kalvento::rt {
namespace {

TEST(DateTest, DtosRoundTrips) {
  for (const char* text : {"20261211", "20000229", "19000101", "01000101", "99991231"}) {
    EXPECT_EQ(Date::FromDtos(text).Dtos(), text);
  }
}

TEST(DateTest, ImpossibleOrBlankGivesEmptyDate) {
  for (const char* text : {"        ", "20230229", "19001301", "2026121", "2026-1-1", "00000000"}) {
    EXPECT_TRUE(Date::FromDtos(text).empty()) << text;
  }
  EXPECT_EQ(Date().Dtos(), "        ");
}

TEST(DateTest, ConsecutiveDaysAreConsecutiveNumbers) {
  EXPECT_EQ(Date::FromYmd(2024, 3, 1).julian() - Date::FromYmd(2024, 2, 28).julian(), 2);
  EXPECT_EQ(Date::FromYmd(2023, 3, 1).julian() - Date::FromYmd(2023, 2, 28).julian(), 1);
  EXPECT_LT(Date::FromYmd(1999, 12, 31), Date::FromYmd(2000, 1, 1));
}

}  // namespace
}  // namespace kalvento::rt
