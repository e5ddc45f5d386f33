#include "runtime/text.h"

#include <gtest/gtest.h>

namespace kalvento::rt {
namespace {

TEST(TextTest, StrRightAlignsInTheWidth) {
  struct Case {
    long long number;
    int width;
    const char* expected;
  };
  const Case cases[] = {
      {18, 2, "18"},   {7, 2, " 7"},     {0, 2, " 0"},      {-18, 4, " -18"},
      {0, 4, "   0"},  {-1, 2, "-1"},    {123, 2, "**"},    {-10, 2, "**"},
      {9, 1, "9"},     {-9223372036854775807LL - 1, 20, "-9223372036854775808"},
  };
  for (const Case& c : cases) EXPECT_EQ(Str(c.number, c.width), c.expected) << c.number;
}

TEST(TextTest, CaseMappingTouchesAsciiOnly) {
  EXPECT_EQ(Upper("Ma\xe4il_1"), "MA\xe4IL_1");
  EXPECT_EQ(Lower("MWSTDAT"), "mwstdat");
  EXPECT_TRUE(EqualsIgnoreCase("Roula.HTML", "roula.html"));
  EXPECT_FALSE(EqualsIgnoreCase("abc", "abcd"));
}

}  // namespace
}  // namespace kalvento::rt
