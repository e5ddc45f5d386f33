#include "runtime/db/expr/expression.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "runtime/db/expr/expression_node.h"
#include "runtime/runtime_error.h"
#include "runtime/text.h"

namespace kalvento::rt::db {
namespace {

using Node = Expression::Node;
using NodePtr = std::shared_ptr<const Node>;

// Nesting deeper than this is refused rather than risking the stack: while
// parsing (brackets, prefixes) and in the tree the evaluator walks (long
// chains of operators).
constexpr int kMaxDepth = 200;
constexpr int kMaxTreeDepth = 1000;

enum class Tok { kEnd, kNumber, kText, kDate, kLogical, kName, kOp, kLParen, kRParen, kComma };

struct Token {
  Tok kind = Tok::kEnd;
  std::string text;   // operator spelling, name (upper-case), text literal
  double number = 0;
  int decimals = 0;
  bool logical = false;
  Date date;
};

class Parser {
 public:
  explicit Parser(std::string_view text) : src_(text) { advance(); }

  NodePtr parseAll() {
    NodePtr root = parseOr(0);
    if (tok_.kind != Tok::kEnd) fail("unerwartetes Zeichen an Stelle " + std::to_string(tokStart_ + 1));
    return root;
  }

 private:
  [[noreturn]] void fail(const std::string& what) {
    throw RuntimeError("Ausdruck fehlerhaft", std::string(src_) + ": " + what);
  }

  void skipBlanks() {
    while (pos_ < src_.size() && (src_[pos_] == ' ' || src_[pos_] == '\t' || src_[pos_] == '\r' ||
                                  src_[pos_] == '\n')) {
      ++pos_;
    }
  }

  // Recognises .AND. .OR. .NOT. .T. .F. .Y. .N. at pos_ (which holds '.').
  bool dotWord() {
    static const char* const kWords[] = {".AND.", ".OR.", ".NOT.", ".T.", ".F.", ".Y.", ".N."};
    for (const char* w : kWords) {
      std::string_view word(w);
      if (src_.size() - pos_ >= word.size() && EqualsIgnoreCase(src_.substr(pos_, word.size()), word)) {
        pos_ += word.size();
        std::string upper(word);
        if (upper == ".T." || upper == ".Y." || upper == ".F." || upper == ".N.") {
          tok_.kind = Tok::kLogical;
          tok_.logical = upper == ".T." || upper == ".Y.";
        } else {
          tok_.kind = Tok::kOp;
          tok_.text = upper;
        }
        return true;
      }
    }
    return false;
  }

  void lexNumber() {
    size_t start = pos_;
    while (pos_ < src_.size() && std::isdigit(static_cast<unsigned char>(src_[pos_]))) ++pos_;
    int decimals = 0;
    if (pos_ < src_.size() && src_[pos_] == '.' && pos_ + 1 < src_.size() &&
        std::isdigit(static_cast<unsigned char>(src_[pos_ + 1]))) {
      ++pos_;
      while (pos_ < src_.size() && std::isdigit(static_cast<unsigned char>(src_[pos_]))) {
        ++pos_;
        ++decimals;
      }
    }
    std::string digits(src_.substr(start, pos_ - start));
    tok_.kind = Tok::kNumber;
    tok_.number = std::strtod(digits.c_str(), nullptr);
    tok_.decimals = decimals;
  }

  void lexText(char close) {
    size_t end = src_.find(close, pos_ + 1);
    if (end == std::string_view::npos) fail("Text ohne schließendes " + std::string(1, close));
    tok_.kind = Tok::kText;
    tok_.text = std::string(src_.substr(pos_ + 1, end - pos_ - 1));
    pos_ = end + 1;
  }

  // 0dYYYYMMDD or {^YYYY-MM-DD} / {^YYYY/MM/DD}.
  bool lexDate() {
    if (src_[pos_] == '0' && pos_ + 10 <= src_.size() && (src_[pos_ + 1] == 'd' || src_[pos_ + 1] == 'D')) {
      std::string_view digits = src_.substr(pos_ + 2, 8);
      Date d = Date::FromDtos(digits);
      if (d.empty() && digits != "00000000") fail("ungültiges Datum 0d" + std::string(digits));
      tok_.kind = Tok::kDate;
      tok_.date = d;
      pos_ += 10;
      return true;
    }
    if (src_[pos_] == '{' && pos_ + 1 < src_.size() && src_[pos_ + 1] == '^') {
      size_t end = src_.find('}', pos_);
      if (end == std::string_view::npos) fail("Datum ohne schließende Klammer");
      std::string body(src_.substr(pos_ + 2, end - pos_ - 2));
      int y = 0, m = 0, d = 0;
      char s1 = 0, s2 = 0;
      Date date;
      if (std::sscanf(body.c_str(), " %d%c%d%c%d", &y, &s1, &m, &s2, &d) == 5 && (s1 == '-' || s1 == '/') &&
          s1 == s2) {
        date = Date::FromYmd(y, m, d);
      }
      if (date.empty()) fail("ungültiges Datum {^" + body + "}");
      tok_.kind = Tok::kDate;
      tok_.date = date;
      pos_ = end + 1;
      return true;
    }
    return false;
  }

  void advance() {
    skipBlanks();
    tokStart_ = pos_;
    tok_ = Token();
    if (pos_ >= src_.size()) return;
    char c = src_[pos_];
    if (c == '.' && dotWord()) return;
    if ((c == '0' || c == '{') && lexDate()) return;
    if (std::isdigit(static_cast<unsigned char>(c)) ||
        (c == '.' && pos_ + 1 < src_.size() && std::isdigit(static_cast<unsigned char>(src_[pos_ + 1])))) {
      lexNumber();
      return;
    }
    if (c == '"' || c == '\'') return lexText(c);
    if (c == '[') return lexText(']');
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      size_t start = pos_;
      while (pos_ < src_.size() &&
             (std::isalnum(static_cast<unsigned char>(src_[pos_])) || src_[pos_] == '_')) {
        ++pos_;
      }
      tok_.kind = Tok::kName;
      tok_.text = Upper(src_.substr(start, pos_ - start));
      return;
    }
    ++pos_;
    switch (c) {
      case '(': tok_.kind = Tok::kLParen; return;
      case ')': tok_.kind = Tok::kRParen; return;
      case ',': tok_.kind = Tok::kComma; return;
      default: break;
    }
    static const char* const kTwo[] = {"==", "!=", "<>", "<=", ">=", "**", "->"};
    for (const char* two : kTwo) {
      if (c == two[0] && pos_ < src_.size() && src_[pos_] == two[1]) {
        ++pos_;
        tok_.kind = Tok::kOp;
        tok_.text = two;
        return;
      }
    }
    if (std::string_view("+-*/%^=<>#!$").find(c) != std::string_view::npos) {
      tok_.kind = Tok::kOp;
      tok_.text = std::string(1, c);
      return;
    }
    fail("unerwartetes Zeichen '" + std::string(1, c) + "' an Stelle " + std::to_string(tokStart_ + 1));
  }

  bool isOp(const char* op) const { return tok_.kind == Tok::kOp && tok_.text == op; }

  NodePtr makeBinary(Node::Kind kind, Node::Op op, NodePtr a, NodePtr b) {
    auto n = std::make_shared<Node>();
    n->kind = kind;
    n->op = op;
    n->kids = {std::move(a), std::move(b)};
    return withDepth(n);
  }

  NodePtr withDepth(const std::shared_ptr<Node>& n) {
    for (const NodePtr& kid : n->kids) n->depth = std::max(n->depth, kid->depth + 1);
    if (n->depth > kMaxTreeDepth) fail("zu tief geschachtelt");
    return n;
  }

  void enter(int depth) {
    if (depth > kMaxDepth) fail("zu tief geschachtelt");
  }

  NodePtr parseOr(int depth) {
    enter(depth);
    NodePtr left = parseAnd(depth + 1);
    while (isOp(".OR.")) {
      advance();
      left = makeBinary(Node::Kind::kOr, Node::Op::kNone, left, parseAnd(depth + 1));
    }
    return left;
  }

  NodePtr parseAnd(int depth) {
    NodePtr left = parseNot(depth + 1);
    while (isOp(".AND.")) {
      advance();
      left = makeBinary(Node::Kind::kAnd, Node::Op::kNone, left, parseNot(depth + 1));
    }
    return left;
  }

  NodePtr parseNot(int depth) {
    enter(depth);
    if (isOp(".NOT.") || isOp("!")) {
      advance();
      auto n = std::make_shared<Node>();
      n->kind = Node::Kind::kUnary;
      n->op = Node::Op::kNot;
      n->kids = {parseNot(depth + 1)};
      return withDepth(n);
    }
    return parseCompare(depth + 1);
  }

  NodePtr parseCompare(int depth) {
    NodePtr left = parseAdd(depth + 1);
    for (;;) {
      Node::Op op = Node::Op::kNone;
      if (isOp("=")) op = Node::Op::kEq;
      else if (isOp("==")) op = Node::Op::kExactEq;
      else if (isOp("!=") || isOp("<>") || isOp("#")) op = Node::Op::kNe;
      else if (isOp("<")) op = Node::Op::kLt;
      else if (isOp("<=")) op = Node::Op::kLe;
      else if (isOp(">")) op = Node::Op::kGt;
      else if (isOp(">=")) op = Node::Op::kGe;
      else if (isOp("$")) op = Node::Op::kContains;
      else return left;
      advance();
      left = makeBinary(Node::Kind::kBinary, op, left, parseAdd(depth + 1));
    }
  }

  NodePtr parseAdd(int depth) {
    NodePtr left = parseMul(depth + 1);
    for (;;) {
      Node::Op op;
      if (isOp("+")) op = Node::Op::kAdd;
      else if (isOp("-")) op = Node::Op::kSub;
      else return left;
      advance();
      left = makeBinary(Node::Kind::kBinary, op, left, parseMul(depth + 1));
    }
  }

  NodePtr parseMul(int depth) {
    NodePtr left = parseUnary(depth + 1);
    for (;;) {
      Node::Op op;
      if (isOp("*")) op = Node::Op::kMul;
      else if (isOp("/")) op = Node::Op::kDiv;
      else if (isOp("%")) op = Node::Op::kMod;
      else return left;
      advance();
      left = makeBinary(Node::Kind::kBinary, op, left, parseUnary(depth + 1));
    }
  }

  NodePtr parseUnary(int depth) {
    enter(depth);
    if (isOp("-") || isOp("+")) {
      Node::Op op = isOp("-") ? Node::Op::kNeg : Node::Op::kPlus;
      advance();
      auto n = std::make_shared<Node>();
      n->kind = Node::Kind::kUnary;
      n->op = op;
      n->kids = {parseUnary(depth + 1)};
      return withDepth(n);
    }
    return parsePower(depth + 1);
  }

  NodePtr parsePower(int depth) {
    NodePtr left = parsePrimary(depth + 1);
    while (isOp("^") || isOp("**")) {
      advance();
      left = makeBinary(Node::Kind::kBinary, Node::Op::kPow, left, parsePrimary(depth + 1));
    }
    return left;
  }

  NodePtr literal(Value v, int decimals = 0) {
    auto n = std::make_shared<Node>();
    n->kind = Node::Kind::kLiteral;
    n->literal = std::move(v);
    n->literalDecimals = decimals;
    advance();
    return n;
  }

  NodePtr parsePrimary(int depth) {
    enter(depth);
    switch (tok_.kind) {
      case Tok::kNumber: return literal(Value(tok_.number), tok_.decimals);
      case Tok::kText: return literal(Value(tok_.text));
      case Tok::kLogical: return literal(Value(tok_.logical));
      case Tok::kDate: return literal(Value(tok_.date));
      case Tok::kLParen: {
        advance();
        NodePtr inner = parseOr(depth + 1);
        if (tok_.kind != Tok::kRParen) fail("schließende Klammer fehlt");
        advance();
        return inner;
      }
      case Tok::kName: return parseName(depth);
      case Tok::kEnd: fail("Ausdruck endet unerwartet");
      default: fail("unerwartetes Zeichen an Stelle " + std::to_string(tokStart_ + 1));
    }
  }

  NodePtr parseName(int depth) {
    std::string name = tok_.text;
    advance();
    if (isOp("->")) {
      // FIELD->NAME (also _FIELD->NAME) names a field of this table; other aliases
      // would reach into another work area, which a key expression cannot.
      if (name != "FIELD" && name != "_FIELD") fail("Alias " + name + "-> wird nicht unterstützt");
      advance();
      if (tok_.kind != Tok::kName) fail("Feldname fehlt nach " + name + "->");
      name = tok_.text;
      advance();
    } else if (tok_.kind == Tok::kLParen) {
      int fn = FindExprFunction(name);
      if (fn < 0) fail("unbekannte Funktion " + name + "()");
      advance();
      auto n = std::make_shared<Node>();
      n->kind = Node::Kind::kCall;
      n->name = name;
      n->function = fn;
      if (tok_.kind != Tok::kRParen) {
        for (;;) {
          n->kids.push_back(parseOr(depth + 1));
          if (tok_.kind == Tok::kComma) {
            advance();
            continue;
          }
          break;
        }
      }
      if (tok_.kind != Tok::kRParen) fail("schließende Klammer fehlt nach " + name + "(");
      advance();
      const ExprFunction& f = ExprFunctionAt(fn);
      int count = static_cast<int>(n->kids.size());
      if (count < f.minArgs || count > f.maxArgs) {
        fail(name + "() mit " + std::to_string(count) + " Argumenten");
      }
      return withDepth(n);
    }
    auto n = std::make_shared<Node>();
    n->kind = Node::Kind::kField;
    n->name = name;
    return n;
  }

  std::string_view src_;
  size_t pos_ = 0;
  size_t tokStart_ = 0;
  Token tok_;
};

}  // namespace

Expression Expression::Parse(std::string_view text) {
  Expression e;
  e.text_ = std::string(text);
  Parser parser(e.text_);
  e.root_ = parser.parseAll();
  return e;
}

Value Expression::Evaluate(const RecordSource& record) const {
  return Evaluator(text_, record).eval(*root_);
}

NumericShape Expression::numericShape(const RecordSource& record) const {
  return Evaluator(text_, record).shape(*root_);
}

}  // namespace kalvento::rt::db
