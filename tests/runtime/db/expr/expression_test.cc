#include "runtime/db/expr/expression.h"

#include <gtest/gtest.h>

#include <vector>

#include "runtime/runtime_error.h"
#include "runtime/text.h"

namespace kalvento::rt::db {
namespace {

// A record with a fixed set of fields.
class FakeRecord : public RecordSource {
 public:
  struct Field {
    std::string name;
    char type;
    int length;
    int decimals;
    Value value;
  };
  explicit FakeRecord(std::vector<Field> fields, uint32_t recNo = 7, bool deleted = false)
      : fields_(std::move(fields)), recNo_(recNo), deleted_(deleted) {}

  int fieldIndex(std::string_view name) const override {
    for (size_t i = 0; i < fields_.size(); ++i) {
      if (EqualsIgnoreCase(fields_[i].name, name)) return static_cast<int>(i);
    }
    return -1;
  }
  Value fieldValue(int index) const override { return fields_[index].value; }
  char fieldType(int index) const override { return fields_[index].type; }
  int fieldLength(int index) const override { return fields_[index].length; }
  int fieldDecimals(int index) const override { return fields_[index].decimals; }
  uint32_t recNo() const override { return recNo_; }
  bool deleted() const override { return deleted_; }

 private:
  std::vector<Field> fields_;
  uint32_t recNo_;
  bool deleted_;
};

const FakeRecord& Customer() {
  static const FakeRecord record({
      {"NAME", 'C', 10, 0, Value("Meier     ")},
      {"VORNAME", 'C', 8, 0, Value("Anna    ")},
      {"BETRAG", 'N', 10, 2, Value(-36076.18)},
      {"MENGE", 'N', 5, 0, Value(42.0)},
      {"SEIT", 'D', 8, 0, Value(Date::FromYmd(2026, 3, 9))},
      {"LEER", 'D', 8, 0, Value(Date())},
      {"AKTIV", 'L', 1, 0, Value(true)},
      {"NOTIZ", 'M', 10, 0, Value("")},
  });
  return record;
}

Value Eval(const std::string& text) { return Expression::Parse(text).Evaluate(Customer()); }

std::string Show(const Value& v) {
  switch (v.type()) {
    case Value::Type::kText: return "C:" + v.text();
    case Value::Type::kNumber: {
      char buf[64];
      std::snprintf(buf, sizeof buf, "N:%.10g", v.number());
      return buf;
    }
    case Value::Type::kLogical: return v.logical() ? "L:T" : "L:F";
    case Value::Type::kDate: return "D:" + v.date().Dtos();
    case Value::Type::kNil: return "U";
    default: return "?";
  }
}

struct Case {
  const char* expression;
  const char* expected;  // Show() of the result
};

void RunCases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expression);
    try {
      EXPECT_EQ(Show(Eval(c.expression)), c.expected);
    } catch (const RuntimeError& e) {
      ADD_FAILURE() << e.what();
    }
  }
}

TEST(ExpressionTest, FieldsAndLiterals) {
  RunCases({
      {"name", "C:Meier     "},
      {"FIELD->Name", "C:Meier     "},
      {"Betrag", "N:-36076.18"},
      {"seit", "D:20260309"},
      {"aktiv", "L:T"},
      {"\"a'b\"", "C:a'b"},
      {"[x\"y]", "C:x\"y"},
      {"12.50", "N:12.5"},
      {".5", "N:0.5"},
      {".t.", "L:T"},
      {".N.", "L:F"},
      {"0d20240229", "D:20240229"},
      {"{^2024-02-29}", "D:20240229"},
      {"{^2024/3/1}", "D:20240301"},
  });
}

TEST(ExpressionTest, Arithmetic) {
  RunCases({
      {"1 + 2 * 3", "N:7"},
      {"(1 + 2) * 3", "N:9"},
      {"-2 ^ 2", "N:-4"},
      {"2 ** 3 ** 2", "N:64"},  // left to right, as the xBase family does
      {"7 % 3", "N:1"},
      {"10 / 4", "N:2.5"},
      {"--3", "N:3"},
      {"Menge * 2 - 1", "N:83"},
      {"seit + 30", "D:20260408"},
      {"30 + seit", "D:20260408"},
      {"seit - 9", "D:20260228"},
      {"seit - 0d20251231", "N:68"},
      {"leer + 5", "D:        "},
      {"name + vorname", "C:Meier     Anna    "},
      {"name - vorname", "C:MeierAnna         "},
      {"'ab  ' - 'cd '", "C:abcd   "},
      {"'' - ''", "C:"},
  });
}

TEST(ExpressionTest, Comparisons) {
  RunCases({
      {"'ABCD' = 'AB'", "L:T"},
      {"'AB' = 'ABCD'", "L:F"},
      {"'AB' = ''", "L:T"},
      {"'ABCD' == 'AB'", "L:F"},
      {"'AB' == 'AB'", "L:T"},
      {"'ABCD' != 'AB'", "L:F"},
      {"'ABCD' <> 'AC'", "L:T"},
      {"'ABCD' # 'AC'", "L:T"},
      {"'ABC' < 'ABD'", "L:T"},
      {"'AB' < 'ABC'", "L:T"},
      {"'ABC' > 'AB'", "L:F"},
      {"'ABC' >= 'AB'", "L:T"},
      {"'b' > 'a'", "L:T"},
      {"'Z' < 'a'", "L:T"},  // byte order
      {"name = 'Mei'", "L:T"},
      {"name == 'Meier'", "L:F"},
      {"Trim(name) == 'Meier'", "L:T"},
      {"betrag < 0", "L:T"},
      {"menge >= 42 .and. menge <= 42", "L:T"},
      {"seit > 0d20260308", "L:T"},
      {"leer < seit", "L:T"},
      {".F. < .T.", "L:T"},
      {"aktiv = .T.", "L:T"},
      {"'ei' $ name", "L:T"},
      {"'x' $ name", "L:F"},
  });
}

TEST(ExpressionTest, LogicalOperatorsAndPrecedence) {
  RunCases({
      {".T. .OR. .F. .AND. .F.", "L:T"},
      {"(.T. .OR. .F.) .AND. .F.", "L:F"},
      {".NOT. .T. .OR. .T.", "L:T"},
      {"!aktiv", "L:F"},
      {"! (1 = 2)", "L:T"},
      {".not.1=2", "L:T"},
      {"1 < 2 .AnD. 'a' = 'a'", "L:T"},
      // Short-circuit: the right side is never evaluated.
      {".F. .AND. nosuchfield", "L:F"},
      {".T. .OR. 1/0 = 1", "L:T"},
  });
}

TEST(ExpressionTest, TextFunctions) {
  RunCases({
      {"upper(vorname)", "C:ANNA    "},
      {"Lower(NAME)", "C:meier     "},
      {"trim(name)", "C:Meier"},
      {"rtrim('  a  ')", "C:  a"},
      {"ltrim('  a  ')", "C:a  "},
      {"alltrim('  a b  ')", "C:a b"},
      {"alltrim('')", "C:"},
      {"left(name, 3)", "C:Mei"},
      {"left(name, 0)", "C:"},
      {"left('ab', 5)", "C:ab"},
      {"left('ab', -1)", "C:"},
      {"right(trim(name), 2)", "C:er"},
      {"right('ab', 9)", "C:ab"},
      {"substr('abcdef', 2, 3)", "C:bcd"},
      {"substr('abcdef', 4)", "C:def"},
      {"substr('abcdef', 0, 2)", "C:ab"},
      {"substr('abcdef', -2)", "C:ef"},
      {"substr('abcdef', 9)", "C:"},
      {"substr('abcdef', 2, 0)", "C:"},
      {"padl('ab', 5)", "C:   ab"},
      {"padr('ab', 5, '.')", "C:ab..."},
      {"padl(7, 3, '0')", "C:007"},
      {"padr('abcdef', 3)", "C:abc"},
      {"padl(seit, 10)", "C:  03/09/26"},
      {"len(name)", "N:10"},
      {"space(3) + 'x'", "C:   x"},
      {"SUBS('abcdef', 2, 2)", "C:bc"},  // four-letter abbreviation
  });
}

TEST(ExpressionTest, StrFormatsWithRoundingAndOverflow) {
  RunCases({
      {"str(42)", "C:        42"},
      {"str(menge)", "C:   42"},           // a field keeps its width
      {"str(betrag)", "C: -36076.18"},
      {"str(betrag, 12, 1)", "C:    -36076.2"},
      {"str(3.14159, 6, 2)", "C:  3.14"},
      {"str(2.675, 5, 2)", "C: 2.68"},
      {"str(-2.5, 3)", "C: -3"},
      {"str(2.5, 3)", "C:  3"},
      {"str(0.004, 5, 2)", "C: 0.00"},
      {"str(-0.004, 5, 2)", "C: 0.00"},
      {"str(12345, 4)", "C:****"},
      {"str(-999, 3)", "C:***"},
      {"str(1.5, 3, 2)", "C:***"},
      {"str(5, 0)", "C:"},
      {"len(str(5, 200))", "N:200"},  // wider than any number: blanks, no overrun
      {"right(str(-1.5, 120, 1), 5)", "C: -1.5"},
      {"str(recno(), 7)", "C:      7"},
      {"val('  -12.50xyz')", "N:-12.5"},
      {"val('abc')", "N:0"},
      {"val('')", "N:0"},
      {"val('+3')", "N:3"},
      {"int(-7.9)", "N:-7"},
  });
}

TEST(ExpressionTest, DateFunctions) {
  RunCases({
      {"dtos(seit)", "C:20260309"},
      {"dtos(leer)", "C:        "},
      {"stod('20240229')", "D:20240229"},
      {"stod('20230229')", "D:        "},
      {"stod('')", "D:        "},
      {"ctod('03/09/26')", "D:19260309"},  // two-digit years lie in 1900-1999
      {"ctod('03/09/2026')", "D:20260309"},
      {"ctod('3.9.2026')", "D:20260309"},
      {"ctod('02/30/2026')", "D:        "},
      {"ctod('  /  /  ')", "D:        "},
      {"ctod('')", "D:        "},
      {"ctod('12/31')", "D:        "},
      {"dtoc(seit)", "C:03/09/26"},
      {"dtoc(leer)", "C:  /  /  "},
      {"dtos(ctod(dtoc(seit)) + 36525)", "C:20260309"},
  });
}

TEST(ExpressionTest, ConditionalAndRecordFunctions) {
  RunCases({
      {"iif(aktiv, 'ja', 'nein')", "C:ja"},
      {"iif(menge > 100, 1/0, 'klein')", "C:klein"},  // the branch not taken is not evaluated
      {"if(.f., 1, 2)", "N:2"},
      {"recno()", "N:7"},
      {"deleted()", "L:F"},
      {"empty(notiz)", "L:T"},
      {"empty(name)", "L:F"},
      {"empty('  \t ')", "L:T"},
      {"empty(0)", "L:T"},
      {"empty(leer)", "L:T"},
      {"empty(.f.)", "L:T"},
      {"upper(name) + str(menge, 5) + dtos(seit)", "C:MEIER        4220260309"},
  });
}

TEST(ExpressionTest, DeletedAndRecnoFollowTheRecord) {
  FakeRecord gone({{"A", 'C', 1, 0, Value("x")}}, 12, true);
  EXPECT_TRUE(Expression::Parse("DELETED()").Evaluate(gone).logical());
  EXPECT_EQ(Expression::Parse("RecNo()").Evaluate(gone).number(), 12);
}

TEST(ExpressionTest, ParseErrorsNameTheExpression) {
  const char* const bad[] = {
      "",        "name +",      "(name",         "name)",         "upper(name",
      "'open",   "[open",       "nosuch(1)",     "upper()",       "upper(a, b)",
      "substr('a')", "iif(.t., 1)", "a ; b",      "'it''s'",      "other->name",   "1 2",
      "{^2024-13-01}", "0d2024021x", "field->",  ".and.",         "name = = 1",
  };
  for (const char* text : bad) {
    try {
      Expression::Parse(text);
      ADD_FAILURE() << "parsed: " << text;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.description(), "Ausdruck fehlerhaft") << text;
      EXPECT_NE(std::string(e.what()).find(text), std::string::npos) << e.what();
    }
  }
}

TEST(ExpressionTest, DeepNestingIsRefusedNotACrash) {
  std::string deep(100000, '(');
  EXPECT_THROW(Expression::Parse(deep + "1"), RuntimeError);
  std::string nots;
  for (int i = 0; i < 50000; ++i) nots += "!";
  EXPECT_THROW(Expression::Parse(nots + ".t."), RuntimeError);
  std::string ok = "1";
  for (int i = 0; i < 900; ++i) ok += "+1";  // a long chain is a deep tree
  EXPECT_EQ(Eval(ok).number(), 901);
  EXPECT_THROW(Expression::Parse(ok + std::string(200, '+') + "1"), RuntimeError);
  std::string chain = ok;
  for (int i = 0; i < 200; ++i) chain += "+1";
  EXPECT_THROW(Expression::Parse(chain), RuntimeError);
}

TEST(ExpressionTest, EvaluationErrorsNameTheExpression) {
  const char* const bad[] = {
      "nosuch",         "name + 1",          "1 + name",        "name * 2",
      "upper(menge)",   "left(name, 'x')",   "1 / 0",           "7 % 0",
      "aktiv .and. 1",  ".not. name",        "-name",           "name < 1",
      "iif(1, 2, 3)",   "dtos(name)",        "seit - leer",     "space(1000000000)",
      "padr('a', 10 ^ 12)", "10 ^ 300 * 10 ^ 300",    "'a' $ 1",         "aktiv + aktiv",
  };
  for (const char* text : bad) {
    try {
      Value v = Eval(text);
      ADD_FAILURE() << "evaluated: " << text << " -> " << Show(v);
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.description(), "Ausdruck nicht auswertbar") << text;
      EXPECT_NE(std::string(e.what()).find(text), std::string::npos) << e.what();
    }
  }
}

TEST(ExpressionTest, NumericShapes) {
  struct ShapeCase {
    const char* expression;
    int width;
    int decimals;
  };
  const ShapeCase cases[] = {
      {"betrag", 10, 2}, {"menge", 5, 0},      {"-menge", 5, 0},  {"42", 10, 0},
      {"1.25", 10, 2},   {"betrag + menge", 11, 2}, {"menge * menge", 10, 0},
      {"val('1.5')", 12, 1}, {"iif(.t., menge, betrag)", 5, 0}, {"recno()", 10, 0},
  };
  for (const ShapeCase& c : cases) {
    NumericShape s = Expression::Parse(c.expression).numericShape(Customer());
    EXPECT_EQ(s.width, c.width) << c.expression;
    EXPECT_EQ(s.decimals, c.decimals) << c.expression;
  }
}

TEST(ExpressionTest, TextIsKeptAndCopiesShareTheTree) {
  Expression e = Expression::Parse("  Upper( name ) ");
  EXPECT_EQ(e.text(), "  Upper( name ) ");
  Expression copy = e;
  EXPECT_EQ(copy.Evaluate(Customer()).text(), "MEIER     ");
}

}  // namespace
}  // namespace kalvento::rt::db
