// The functions an expression may call, and the number formatting they share.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "runtime/db/expr/expression_node.h"
#include "runtime/text.h"

namespace kalvento::rt::db {
namespace {

using Node = Expression::Node;

constexpr ExprFunction kFunctions[] = {
    {"UPPER", 1, 1},  {"LOWER", 1, 1}, {"TRIM", 1, 1},    {"RTRIM", 1, 1}, {"LTRIM", 1, 1},
    {"ALLTRIM", 1, 1}, {"LEFT", 2, 2},  {"RIGHT", 2, 2},   {"SUBSTR", 2, 3}, {"STR", 1, 3},
    {"VAL", 1, 1},    {"DTOS", 1, 1},  {"CTOD", 1, 1},    {"STOD", 1, 1},  {"DTOC", 1, 1},
    {"PADL", 2, 3},   {"PADR", 2, 3},  {"IIF", 3, 3},     {"IF", 3, 3},    {"RECNO", 0, 0},
    {"DELETED", 0, 0}, {"EMPTY", 1, 1}, {"LEN", 1, 1},     {"SPACE", 1, 1}, {"INT", 1, 1},
};

// Longest text a function may build (SPACE, PADL, PADR), so a bad argument
// cannot ask for gigabytes.
constexpr double kMaxTextLength = 65535;

bool IsBlank(char c) { return c == ' '; }

std::string TrimRight(const std::string& s) {
  size_t end = s.size();
  while (end > 0 && IsBlank(s[end - 1])) --end;
  return s.substr(0, end);
}

std::string TrimLeft(const std::string& s) {
  size_t start = 0;
  while (start < s.size() && IsBlank(s[start])) ++start;
  return s.substr(start);
}

double Pow10(int n) {
  static const double kPowers[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10};
  return n >= 0 && n <= 10 ? kPowers[n] : std::pow(10.0, n);
}

}  // namespace

int FindExprFunction(const std::string& upperName) {
  for (size_t i = 0; i < std::size(kFunctions); ++i) {
    if (upperName == kFunctions[i].name) return static_cast<int>(i);
  }
  // Four-letter abbreviations of longer names, as the xBase family accepts them.
  if (upperName.size() >= 4) {
    for (size_t i = 0; i < std::size(kFunctions); ++i) {
      std::string_view full(kFunctions[i].name);
      if (full.size() > upperName.size() && full.substr(0, upperName.size()) == upperName) {
        return static_cast<int>(i);
      }
    }
  }
  return -1;
}

const ExprFunction& ExprFunctionAt(int index) { return kFunctions[index]; }

// STR(value, width, decimals): rounded half away from zero, right-aligned; too
// wide gives `width` asterisks.
std::string FormatNumber(double value, int width, int decimals) {
  if (width <= 0) return std::string();
  decimals = std::clamp(decimals, 0, 30);
  if (!std::isfinite(value)) return std::string(static_cast<size_t>(width), '*');
  double scaled = value * Pow10(decimals);
  // A nudge of a few units in the last place, so that 2.675 (stored as
  // 2.67499999...) rounds to 2.68 as it reads.
  scaled += std::copysign(std::fabs(scaled) * 1e-13, scaled);
  double rounded = std::round(scaled) / Pow10(decimals);
  if (rounded == 0) rounded = 0;  // no "-0.00"
  if (std::fabs(rounded) >= 1e30) return std::string(static_cast<size_t>(width), '*');
  char buf[64];
  int n = std::snprintf(buf, sizeof buf, "%.*f", decimals, rounded);
  if (n < 0 || n >= static_cast<int>(sizeof buf) || n > width) {
    return std::string(static_cast<size_t>(width), '*');
  }
  std::string out(static_cast<size_t>(width - n), ' ');
  out.append(buf, static_cast<size_t>(n));
  return out;
}

// VAL: leading blanks, a sign, digits and one point; stops at the first other
// character. `decimals` receives the digits seen after the point.
double ParseNumberPrefix(const std::string& text, int* decimals) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  std::string digits;
  int afterPoint = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c >= '0' && c <= '9') {
      digits.push_back(c);
      if (point) ++afterPoint;
    } else if (c == '.' && !point) {
      point = true;
      digits.push_back(c);
    } else {
      break;
    }
  }
  *decimals = afterPoint;
  if (digits.empty() || digits == ".") return 0;
  double v = std::strtod(digits.c_str(), nullptr);
  return negative ? -v : v;
}

// Dates as text use the default date format MM/DD/YY.
std::string DateToCtodText(Date date) {
  if (date.empty()) return "  /  /  ";
  int y, m, d;
  date.ToYmd(&y, &m, &d);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%02d", m, d, y % 100);
  return buf;
}

// CTOD in the default format MM/DD/YY: month, day and year are runs of digits
// separated by any one non-digit character; a two-digit year lies in
// 1900-1999 (the default epoch), a year of three or four digits is taken as
// written. Blank text or an impossible date gives the empty date.
Date CtodFromText(const std::string& text) {
  int parts[3] = {0, 0, 0};
  int lengths[3] = {0, 0, 0};
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  for (int p = 0; p < 3; ++p) {
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && lengths[p] < 4) {
      parts[p] = parts[p] * 10 + (text[i] - '0');
      ++lengths[p];
      ++i;
    }
    if (lengths[p] == 0) return Date();
    if (p < 2) {
      if (i >= text.size() || (text[i] >= '0' && text[i] <= '9')) return Date();
      ++i;
    }
  }
  int year = parts[2];
  if (lengths[2] <= 2) year += 1900;
  return Date::FromYmd(year, parts[0], parts[1]);
}

Value Evaluator::call(const Node& node) const {
  const std::string& fn = ExprFunctionAt(node.function).name;
  if (fn == "IIF" || fn == "IF") {
    Value cond = eval(*node.kids[0]);
    if (!cond.isLogical()) fail(fn + "() mit einer Bedingung vom Typ " + cond.typeLetter());
    return eval(*node.kids[cond.logical() ? 1 : 2]);
  }
  if (fn == "RECNO") return Value(static_cast<double>(record_.recNo()));
  if (fn == "DELETED") return Value(record_.deleted());

  std::vector<Value> args;
  args.reserve(node.kids.size());
  for (const auto& kid : node.kids) args.push_back(eval(*kid));
  auto need = [&](size_t i, Value::Type type, const char* what) -> const Value& {
    if (args[i].type() != type) {
      fail(fn + "(): Argument " + std::to_string(i + 1) + " ist kein " + what);
    }
    return args[i];
  };
  auto text = [&](size_t i) -> const std::string& { return need(i, Value::Type::kText, "Text").text(); };
  auto number = [&](size_t i) { return need(i, Value::Type::kNumber, "Zahl").number(); };
  auto count = [&](size_t i) {
    double n = number(i);
    if (n > kMaxTextLength) fail(fn + "(): Länge " + std::to_string(n) + " zu groß");
    return n < 0 ? 0 : static_cast<size_t>(n);
  };

  if (fn == "UPPER") return Value(Upper(text(0)));
  if (fn == "LOWER") return Value(Lower(text(0)));
  if (fn == "TRIM" || fn == "RTRIM") return Value(TrimRight(text(0)));
  if (fn == "LTRIM") return Value(TrimLeft(text(0)));
  if (fn == "ALLTRIM") return Value(TrimLeft(TrimRight(text(0))));
  if (fn == "LEFT") {
    const std::string& s = text(0);
    return Value(s.substr(0, std::min(count(1), s.size())));
  }
  if (fn == "RIGHT") {
    const std::string& s = text(0);
    size_t n = std::min(count(1), s.size());
    return Value(s.substr(s.size() - n));
  }
  if (fn == "SUBSTR") {
    const std::string& s = text(0);
    double start = std::trunc(number(1));
    // A negative start counts from the end; 0 is the first character.
    long long from = start > 0 ? static_cast<long long>(start) - 1
                     : start < 0 ? static_cast<long long>(s.size()) + static_cast<long long>(std::max(start, -1e9))
                                 : 0;
    if (from < 0) from = 0;
    if (from >= static_cast<long long>(s.size())) return Value(std::string());
    size_t n = args.size() > 2 ? count(2) : s.size();
    return Value(s.substr(static_cast<size_t>(from), n));
  }
  if (fn == "STR") {
    double v = number(0);
    NumericShape shape = this->shape(*node.kids[0]);
    int width = shape.width;
    int decimals = shape.decimals;
    if (args.size() > 1) {
      width = static_cast<int>(std::min<size_t>(count(1), 255));
      decimals = 0;
    }
    if (args.size() > 2) {
      decimals = static_cast<int>(std::min<size_t>(count(2), 30));
    }
    return Value(FormatNumber(v, width, decimals));
  }
  if (fn == "VAL") {
    int decimals = 0;
    return Value(ParseNumberPrefix(text(0), &decimals));
  }
  if (fn == "DTOS") return Value(need(0, Value::Type::kDate, "Datum").date().Dtos());
  if (fn == "DTOC") return Value(DateToCtodText(need(0, Value::Type::kDate, "Datum").date()));
  if (fn == "CTOD") return Value(CtodFromText(text(0)));
  if (fn == "STOD") return Value(Date::FromDtos(text(0)));
  if (fn == "PADL" || fn == "PADR") {
    std::string s;
    const Value& v = args[0];
    if (v.isText()) s = v.text();
    else if (v.isNumber()) s = TrimLeft(FormatNumber(v.number(), shape(*node.kids[0]).width, shape(*node.kids[0]).decimals));
    else if (v.isDate()) s = DateToCtodText(v.date());
    else if (v.isLogical()) s = v.logical() ? "T" : "F";
    else if (!v.isNil()) fail(fn + "(): Argument 1 ist kein Text");
    size_t n = count(1);
    char fill = ' ';
    if (args.size() > 2) {
      const std::string& f = text(2);
      if (!f.empty()) fill = f[0];
    }
    if (s.size() >= n) return Value(s.substr(0, n));
    std::string pad(n - s.size(), fill);
    return Value(fn == "PADL" ? pad + s : s + pad);
  }
  if (fn == "EMPTY") {
    const Value& v = args[0];
    switch (v.type()) {
      case Value::Type::kNil: return Value(true);
      case Value::Type::kText:
        return Value(v.text().find_first_not_of(" \t\r\n") == std::string::npos);
      case Value::Type::kNumber: return Value(v.number() == 0);
      case Value::Type::kLogical: return Value(!v.logical());
      case Value::Type::kDate: return Value(v.date().empty());
      case Value::Type::kArray: return Value(v.array().empty());
      default: return Value(false);
    }
  }
  if (fn == "LEN") return Value(static_cast<double>(text(0).size()));
  if (fn == "SPACE") return Value(std::string(count(0), ' '));
  if (fn == "INT") return Value(std::trunc(number(0)));
  fail("unbekannte Funktion " + fn + "()");
}

}  // namespace kalvento::rt::db
