#pragma once

#include <memory>
#include <string>
#include <vector>

#include "runtime/db/expr/expression.h"
#include "runtime/db/expr/str_format.h"
#include "runtime/value.h"

namespace kalvento::rt::db {

// The parsed form of an expression: a tree of literals, field references,
// operators and function calls. Internal to the evaluator.
struct Expression::Node {
  enum class Kind { kLiteral, kField, kUnary, kBinary, kAnd, kOr, kCall };
  enum class Op {
    kNone, kAdd, kSub, kMul, kDiv, kMod, kPow, kNeg, kPlus, kNot,
    kEq, kExactEq, kNe, kLt, kLe, kGt, kGe, kContains
  };

  Kind kind = Kind::kLiteral;
  Op op = Op::kNone;
  Value literal;                 // kLiteral
  int literalDecimals = 0;       // digits after the point of a number literal
  std::string name;              // kField: field name; kCall: upper-case function name
  int function = -1;             // kCall: index into the function table
  int depth = 1;                 // levels of the subtree, this node included
  std::vector<std::shared_ptr<const Node>> kids;
};

// The function table shared by parser and evaluator.
struct ExprFunction {
  const char* name;
  int minArgs;
  int maxArgs;
};
// The function's index in the table, -1 if unknown; `name` upper-case.
int FindExprFunction(const std::string& upperName);
const ExprFunction& ExprFunctionAt(int index);

// Evaluation, with the expression text for error messages.
class Evaluator {
 public:
  Evaluator(const std::string& text, const RecordSource& record) : text_(text), record_(record) {}
  Value eval(const Expression::Node& node) const;
  NumericShape shape(const Expression::Node& node) const;
  [[noreturn]] void fail(const std::string& what) const;

 private:
  Value binary(const Expression::Node& node) const;
  Value call(const Expression::Node& node) const;
  Value field(const Expression::Node& node) const;
  const std::string& text_;
  const RecordSource& record_;
};

// Shared helpers of the functions.
double ParseNumberPrefix(const std::string& text, int* decimals);
std::string DateToCtodText(Date date);
Date CtodFromText(const std::string& text);

}  // namespace kalvento::rt::db
