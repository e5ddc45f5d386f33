#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "runtime/date.h"

namespace kalvento::rt {

class Value;
using Args = std::vector<Value>;
using Array = std::vector<Value>;

// Base of every object a Value can hold (windows, controls, table clients ...).
// Objects are shared by reference, as the platform's objects are.
class Object {
 public:
  virtual ~Object() = default;
  // The class name as the platform spells it, e.g. "XbpDialog".
  virtual std::string className() const = 0;
  // True for this class or one it derives from; compared without regard to case.
  virtual bool isDerivedFrom(std::string_view name) const;
};

// A callable value kept in data: button actions, data links, callbacks.
// Copies share the same function.
class CodeBlock {
 public:
  using Fn = std::function<Value(const Args&)>;

  CodeBlock() = default;
  // Any callable taking Args and giving a Value (a lambda, a Fn). A template
  // rather than CodeBlock(Fn), so that copying a CodeBlock never asks whether
  // a CodeBlock converts to Fn while Value is still incomplete (clang refuses).
  template <typename F,
            typename = std::enable_if_t<!std::is_same_v<std::decay_t<F>, CodeBlock>>>
  explicit CodeBlock(F fn) : CodeBlock(Fn(std::move(fn)), 0) {}

  explicit operator bool() const { return fn_ != nullptr; }
  // Evaluating an empty block is a runtime error.
  Value operator()(const Args& args) const;
  Value operator()() const;

  // Copies of one block are the same block.
  friend bool operator==(const CodeBlock& a, const CodeBlock& b) { return a.fn_ == b.fn_; }

 private:
  CodeBlock(Fn fn, int);
  std::shared_ptr<const Fn> fn_;
};

// The dynamic value of the platform: NIL, text (bytes, no encoding implied),
// number, logical, date, array (shared by reference), code block, object.
// Asking a value for a kind it does not hold is a runtime error.
class Value {
 public:
  enum class Type { kNil, kText, kNumber, kLogical, kDate, kArray, kBlock, kObject };

  Value() = default;
  Value(std::string text) : v_(std::move(text)) {}
  Value(std::string_view text) : v_(std::string(text)) {}
  Value(const char* text) : v_(std::string(text)) {}
  Value(double number) : v_(number) {}
  Value(int number) : v_(static_cast<double>(number)) {}
  Value(long number) : v_(static_cast<double>(number)) {}
  Value(long long number) : v_(static_cast<double>(number)) {}
  Value(bool logical) : v_(logical) {}
  Value(Date date) : v_(date) {}
  Value(Array array) : v_(std::make_shared<Array>(std::move(array))) {}
  Value(std::shared_ptr<Array> array) : v_(std::move(array)) {}
  Value(CodeBlock block) : v_(std::move(block)) {}
  Value(std::shared_ptr<Object> object) : v_(std::move(object)) {}

  Type type() const { return static_cast<Type>(v_.index()); }
  // The platform's one-letter type code: U, C, N, L, D, A, B, O.
  char typeLetter() const;

  bool isNil() const { return type() == Type::kNil; }
  bool isText() const { return type() == Type::kText; }
  bool isNumber() const { return type() == Type::kNumber; }
  bool isLogical() const { return type() == Type::kLogical; }
  bool isDate() const { return type() == Type::kDate; }
  bool isArray() const { return type() == Type::kArray; }
  bool isBlock() const { return type() == Type::kBlock; }
  bool isObject() const { return type() == Type::kObject; }

  const std::string& text() const;
  double number() const;
  bool logical() const;
  Date date() const;
  Array& array() const;
  const std::shared_ptr<Array>& arrayRef() const;
  const CodeBlock& block() const;
  const std::shared_ptr<Object>& object() const;

  // Calls the held code block; a runtime error if the value is no block.
  Value eval(const Args& args = {}) const { return block()(args); }

  // Same kind and equal contents; arrays, blocks and objects compare by identity.
  friend bool operator==(const Value& a, const Value& b);

 private:
  std::variant<std::monostate, std::string, double, bool, Date, std::shared_ptr<Array>, CodeBlock,
               std::shared_ptr<Object>>
      v_;
};

}  // namespace kalvento::rt
