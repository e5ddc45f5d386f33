#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "runtime/db/ntx/ntx_file.h"
#include "runtime/runtime_error.h"
#include "tests/runtime/db/ntx/fake_record.h"

namespace kalvento::rt::db {
namespace {

TEST(NtxKeyTest, EncodesEachKeyType) {
  struct Case {
    Value value;
    KeySpec spec;
    std::string expected;
  };
  const Case cases[] = {
      {Value("Meier"), {'C', 8, 0}, "Meier   "},
      {Value("Meierhofer"), {'C', 5, 0}, "Meier"},
      {Value(""), {'C', 3, 0}, "   "},
      {Value(36076.18), {'N', 10, 2}, "0036076.18"},
      {Value(0.0), {'N', 10, 2}, "0000000.00"},
      {Value(42.0), {'N', 5, 0}, "00042"},
      // " -36076.18" -> "0036076.18" -> each byte c as 0x5C - c
      {Value(-36076.18), {'N', 10, 2}, ",,)&,%&.+$"},
      {Value(-12.5), {'N', 6, 1}, ",,+*.'"},
      {Value(-0.004), {'N', 6, 2}, "000.00"},  // rounds to zero: no negative key
      {Value(123456.0), {'N', 4, 0}, "****"},  // too wide, as STR shows it
      {Value(Date::FromYmd(2026, 3, 9)), {'D', 8, 0}, "20260309"},
      {Value(Date()), {'D', 8, 0}, "        "},
      {Value(true), {'L', 1, 0}, "T"},
      {Value(false), {'L', 1, 0}, "F"},
  };
  for (const Case& c : cases) EXPECT_EQ(EncodeKey(c.value, c.spec), c.expected) << c.expected;
}

TEST(NtxKeyTest, NumericKeysSortAsTheNumbers) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> dist(-99999.0, 99999.0);
  std::vector<double> values = {0, -0.01, 0.01, -99999.99, 99999.99, -1, 1, -10, 10};
  for (int i = 0; i < 2000; ++i) values.push_back(std::round(dist(rng) * 100) / 100);
  const KeySpec spec{'N', 9, 2};
  std::sort(values.begin(), values.end());
  for (size_t i = 1; i < values.size(); ++i) {
    std::string a = EncodeKey(Value(values[i - 1]), spec);
    std::string b = EncodeKey(Value(values[i]), spec);
    if (values[i - 1] == values[i]) EXPECT_EQ(a, b);
    else EXPECT_LT(a, b) << values[i - 1] << " " << values[i];
  }
}

TEST(NtxKeyTest, SeekKeysStayShortAndWrongTypesAreRefused) {
  EXPECT_EQ(EncodeSeekKey(Value("Mei"), {'C', 8, 0}), "Mei");
  EXPECT_EQ(EncodeSeekKey(Value("Meierhofer"), {'C', 5, 0}), "Meier");
  EXPECT_EQ(EncodeSeekKey(Value(5.0), {'N', 5, 0}), "00005");
  EXPECT_EQ(EncodeSeekKey(Value("2026"), {'D', 8, 0}), "2026");
  EXPECT_THROW(EncodeKey(Value(5.0), {'C', 5, 0}), RuntimeError);
  EXPECT_THROW(EncodeKey(Value("5"), {'N', 5, 0}), RuntimeError);
  EXPECT_THROW(EncodeKey(Value("x"), {'?', 5, 0}), RuntimeError);
  EXPECT_THROW(EncodeKey(Value(), {'L', 1, 0}), RuntimeError);
}

TEST(NtxKeyTest, KeySpecFollowsTheExpression) {
  FakeRecord record({
      {"NAME", 'C', 20, 0, Value(std::string(20, ' '))},
      {"BETRAG", 'N', 10, 2, Value(0.0)},
      {"SEIT", 'D', 8, 0, Value(Date())},
      {"AKTIV", 'L', 1, 0, Value(false)},
  });
  struct Case {
    const char* expression;
    char type;
    int size;
    int decimals;
  };
  const Case cases[] = {
      {"NAME", 'C', 20, 0},          {"UPPER(NAME)+DTOS(SEIT)", 'C', 28, 0},
      {"BETRAG", 'N', 10, 2},        {"SEIT", 'D', 8, 0},
      {"AKTIV", 'L', 1, 0},          {"STR(BETRAG, 12, 3)", 'C', 12, 0},
      {"LEFT(NAME, 4)", 'C', 4, 0},
  };
  for (const Case& c : cases) {
    KeySpec spec = DeriveKeySpec(Expression::Parse(c.expression), record);
    EXPECT_EQ(spec.type, c.type) << c.expression;
    EXPECT_EQ(spec.size, c.size) << c.expression;
    EXPECT_EQ(spec.decimals, c.decimals) << c.expression;
  }
  for (const char* bad : {"TRIM(NAME)", "SPACE(331)", "NOSUCH"}) {
    EXPECT_THROW(DeriveKeySpec(Expression::Parse(bad), record), RuntimeError) << bad;
  }
}

}  // namespace
}  // namespace kalvento::rt::db
