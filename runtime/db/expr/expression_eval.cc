// Evaluation of the parsed tree: field values, operators and the typing rules
// of the xBase notation.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "runtime/db/expr/expression_node.h"
#include "runtime/runtime_error.h"

namespace kalvento::rt::db {
namespace {

using Node = Expression::Node;
using Op = Node::Op;

const char* TypeName(const Value& v) {
  switch (v.type()) {
    case Value::Type::kNil: return "NIL";
    case Value::Type::kText: return "Text";
    case Value::Type::kNumber: return "Zahl";
    case Value::Type::kLogical: return "Logisch";
    case Value::Type::kDate: return "Datum";
    default: return "Wert";
  }
}

const char* OpName(Op op) {
  switch (op) {
    case Op::kAdd: return "+";
    case Op::kSub: return "-";
    case Op::kMul: return "*";
    case Op::kDiv: return "/";
    case Op::kMod: return "%";
    case Op::kPow: return "^";
    case Op::kEq: return "=";
    case Op::kExactEq: return "==";
    case Op::kNe: return "!=";
    case Op::kLt: return "<";
    case Op::kLe: return "<=";
    case Op::kGt: return ">";
    case Op::kGe: return ">=";
    case Op::kContains: return "$";
    default: return "?";
  }
}

// Text comparison with EXACT off: the left side is compared over the length of
// the right side only, so "ABCD" = "AB" holds and "AB" = "ABCD" does not.
int CompareText(const std::string& a, const std::string& b, bool exact) {
  std::string_view left(a);
  if (!exact && left.size() > b.size()) left = left.substr(0, b.size());
  size_t n = std::min(left.size(), b.size());
  int c = std::memcmp(left.data(), b.data(), n);
  if (c != 0) return c < 0 ? -1 : 1;
  if (left.size() == b.size()) return 0;
  return left.size() < b.size() ? -1 : 1;
}

template <typename T>
int Compare3(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

void Evaluator::fail(const std::string& what) const {
  throw RuntimeError("Ausdruck nicht auswertbar", text_ + ": " + what);
}

Value Evaluator::field(const Node& node) const {
  int index = record_.fieldIndex(node.name);
  if (index < 0) fail("Feld " + node.name + " unbekannt");
  return record_.fieldValue(index);
}

Value Evaluator::eval(const Node& node) const {
  switch (node.kind) {
    case Node::Kind::kLiteral: return node.literal;
    case Node::Kind::kField: return field(node);
    case Node::Kind::kAnd:
    case Node::Kind::kOr: {
      bool isAnd = node.kind == Node::Kind::kAnd;
      Value a = eval(*node.kids[0]);
      if (!a.isLogical()) fail(std::string(isAnd ? ".AND." : ".OR.") + " mit " + TypeName(a));
      if (a.logical() != isAnd) return a;
      Value b = eval(*node.kids[1]);
      if (!b.isLogical()) fail(std::string(isAnd ? ".AND." : ".OR.") + " mit " + TypeName(b));
      return b;
    }
    case Node::Kind::kUnary: {
      Value a = eval(*node.kids[0]);
      if (node.op == Op::kNot) {
        if (!a.isLogical()) fail(".NOT. mit " + std::string(TypeName(a)));
        return Value(!a.logical());
      }
      if (!a.isNumber()) fail(std::string(node.op == Op::kNeg ? "-" : "+") + " mit " + TypeName(a));
      return node.op == Op::kNeg ? Value(-a.number()) : a;
    }
    case Node::Kind::kBinary: return binary(node);
    case Node::Kind::kCall: return call(node);
  }
  fail("unbekannter Knoten");
}

Value Evaluator::binary(const Node& node) const {
  Value a = eval(*node.kids[0]);
  Value b = eval(*node.kids[1]);
  auto mismatch = [&]() {
    fail(std::string(TypeName(a)) + " " + OpName(node.op) + " " + TypeName(b));
  };
  switch (node.op) {
    case Op::kAdd:
      if (a.isNumber() && b.isNumber()) return Value(a.number() + b.number());
      if (a.isText() && b.isText()) return Value(a.text() + b.text());
      if (a.isDate() && b.isNumber() && !a.date().empty()) {
        return Value(Date::FromJulian(a.date().julian() + static_cast<int32_t>(std::llround(b.number()))));
      }
      if (a.isNumber() && b.isDate() && !b.date().empty()) {
        return Value(Date::FromJulian(b.date().julian() + static_cast<int32_t>(std::llround(a.number()))));
      }
      if (a.isDate() && a.date().empty() && b.isNumber()) return a;
      mismatch();
      break;
    case Op::kSub:
      if (a.isNumber() && b.isNumber()) return Value(a.number() - b.number());
      if (a.isText() && b.isText()) {
        // The left side's trailing blanks move to the end of the result.
        const std::string& left = a.text();
        size_t keep = left.find_last_not_of(' ');
        keep = keep == std::string::npos ? 0 : keep + 1;
        std::string out = left.substr(0, keep) + b.text();
        out.append(left.size() - keep, ' ');
        return Value(std::move(out));
      }
      if (a.isDate() && b.isNumber()) {
        if (a.date().empty()) return a;
        return Value(Date::FromJulian(a.date().julian() - static_cast<int32_t>(std::llround(b.number()))));
      }
      if (a.isDate() && b.isDate()) {
        if (a.date().empty() || b.date().empty()) fail("Differenz mit leerem Datum");
        return Value(static_cast<double>(a.date().julian() - b.date().julian()));
      }
      mismatch();
      break;
    case Op::kMul:
    case Op::kDiv:
    case Op::kMod:
    case Op::kPow: {
      if (!a.isNumber() || !b.isNumber()) mismatch();
      double x = a.number(), y = b.number();
      if ((node.op == Op::kDiv || node.op == Op::kMod) && y == 0) fail("Division durch Null");
      double r = node.op == Op::kMul   ? x * y
                 : node.op == Op::kDiv ? x / y
                 : node.op == Op::kMod ? std::fmod(x, y)
                                       : std::pow(x, y);
      if (!std::isfinite(r)) fail("Zahl außerhalb des Bereichs");
      return Value(r);
    }
    case Op::kContains:
      if (!a.isText() || !b.isText()) mismatch();
      return Value(b.text().find(a.text()) != std::string::npos);
    default: break;
  }
  // Comparisons.
  int c = 0;
  if (a.isText() && b.isText()) {
    c = CompareText(a.text(), b.text(), node.op == Op::kExactEq);
  } else if (a.isNumber() && b.isNumber()) {
    c = Compare3(a.number(), b.number());
  } else if (a.isDate() && b.isDate()) {
    c = Compare3(a.date().julian(), b.date().julian());
  } else if (a.isLogical() && b.isLogical()) {
    c = Compare3(a.logical() ? 1 : 0, b.logical() ? 1 : 0);
  } else if (a.isNil() || b.isNil()) {
    if (node.op != Op::kEq && node.op != Op::kExactEq && node.op != Op::kNe) mismatch();
    c = a.isNil() && b.isNil() ? 0 : 1;
  } else {
    mismatch();
  }
  switch (node.op) {
    case Op::kEq:
    case Op::kExactEq: return Value(c == 0);
    case Op::kNe: return Value(c != 0);
    case Op::kLt: return Value(c < 0);
    case Op::kLe: return Value(c <= 0);
    case Op::kGt: return Value(c > 0);
    case Op::kGe: return Value(c >= 0);
    default: break;
  }
  fail("unbekannter Operator");
}

// Shapes of numeric results: a field keeps its width and decimals; a literal
// has width 10 and its own decimals; + and - keep the larger decimals and one
// digit more than the wider operand's integer part; * adds the decimals; /
// gives two decimals more than the left operand (at most 9). Results of other
// functions take width 10 (STR's default).
NumericShape Evaluator::shape(const Node& node) const {
  switch (node.kind) {
    case Node::Kind::kField: {
      int index = record_.fieldIndex(node.name);
      if (index < 0) fail("Feld " + node.name + " unbekannt");
      char type = record_.fieldType(index);
      if (type == 'N' || type == 'F') {
        return {record_.fieldLength(index), record_.fieldDecimals(index)};
      }
      return {};
    }
    case Node::Kind::kLiteral: return {10, node.literalDecimals};
    case Node::Kind::kUnary: return shape(*node.kids[0]);
    case Node::Kind::kBinary: {
      NumericShape a = shape(*node.kids[0]);
      NumericShape b = shape(*node.kids[1]);
      auto whole = [](NumericShape s) { return s.width - (s.decimals > 0 ? s.decimals + 1 : 0); };
      auto make = [](int wholeDigits, int decimals) {
        decimals = std::min(decimals, 9);
        int width = std::min(wholeDigits + (decimals > 0 ? decimals + 1 : 0), 30);
        return NumericShape{std::max(width, 1), decimals};
      };
      switch (node.op) {
        case Op::kAdd:
        case Op::kSub:
          return make(std::max(whole(a), whole(b)) + 1, std::max(a.decimals, b.decimals));
        case Op::kMul: return make(whole(a) + whole(b), a.decimals + b.decimals);
        case Op::kDiv: return make(std::max(whole(a), 10), a.decimals + 2);
        default: return make(std::max(whole(a), whole(b)), std::max(a.decimals, b.decimals));
      }
    }
    case Node::Kind::kCall:
      if (node.name == "IIF" || node.name == "IF") {
        Value cond = eval(*node.kids[0]);
        return shape(*node.kids[cond.isLogical() && cond.logical() ? 1 : 2]);
      }
      if (node.name == "VAL") {
        Value arg = eval(*node.kids[0]);
        int decimals = 0;
        if (arg.isText()) ParseNumberPrefix(arg.text(), &decimals);
        return {10 + (decimals > 0 ? decimals + 1 : 0), decimals};
      }
      return {};
    default: return {};
  }
}

}  // namespace kalvento::rt::db
