#include "runtime/value.h"

#include <strings.h>

#include "runtime/runtime_error.h"

namespace kalvento::rt {
namespace {

const char* TypeName(Value::Type t) {
  switch (t) {
    case Value::Type::kNil: return "NIL";
    case Value::Type::kText: return "text";
    case Value::Type::kNumber: return "number";
    case Value::Type::kLogical: return "logical";
    case Value::Type::kDate: return "date";
    case Value::Type::kArray: return "array";
    case Value::Type::kBlock: return "code block";
    case Value::Type::kObject: return "object";
  }
  return "?";
}

[[noreturn]] void WrongKind(const Value& v, Value::Type wanted) {
  throw RuntimeError("data type error",
                     std::string("expected ") + TypeName(wanted) + ", got " + TypeName(v.type()));
}

}  // namespace

bool Object::isDerivedFrom(std::string_view name) const {
  std::string own = className();
  return own.size() == name.size() && strncasecmp(own.data(), name.data(), name.size()) == 0;
}

CodeBlock::CodeBlock(Fn fn, int) : fn_(fn ? std::make_shared<const Fn>(std::move(fn)) : nullptr) {}

Value CodeBlock::operator()(const Args& args) const {
  if (!fn_) throw RuntimeError("data type error", "evaluating an empty code block");
  return (*fn_)(args);
}

Value CodeBlock::operator()() const { return (*this)(Args{}); }

char Value::typeLetter() const {
  static const char kLetters[] = "UCNLDABO";
  return kLetters[v_.index()];
}

const std::string& Value::text() const {
  if (!isText()) WrongKind(*this, Type::kText);
  return std::get<std::string>(v_);
}

double Value::number() const {
  if (!isNumber()) WrongKind(*this, Type::kNumber);
  return std::get<double>(v_);
}

bool Value::logical() const {
  if (!isLogical()) WrongKind(*this, Type::kLogical);
  return std::get<bool>(v_);
}

Date Value::date() const {
  if (!isDate()) WrongKind(*this, Type::kDate);
  return std::get<Date>(v_);
}

Array& Value::array() const { return *arrayRef(); }

const std::shared_ptr<Array>& Value::arrayRef() const {
  if (!isArray()) WrongKind(*this, Type::kArray);
  return std::get<std::shared_ptr<Array>>(v_);
}

const CodeBlock& Value::block() const {
  if (!isBlock()) WrongKind(*this, Type::kBlock);
  return std::get<CodeBlock>(v_);
}

const std::shared_ptr<Object>& Value::object() const {
  if (!isObject()) WrongKind(*this, Type::kObject);
  return std::get<std::shared_ptr<Object>>(v_);
}

bool operator==(const Value& a, const Value& b) {
  if (a.type() != b.type()) return false;
  switch (a.type()) {
    case Value::Type::kNil: return true;
    case Value::Type::kText: return a.text() == b.text();
    case Value::Type::kNumber: return a.number() == b.number();
    case Value::Type::kLogical: return a.logical() == b.logical();
    case Value::Type::kDate: return a.date() == b.date();
    case Value::Type::kArray: return a.arrayRef() == b.arrayRef();
    case Value::Type::kBlock: return a.block() == b.block();
    case Value::Type::kObject: return a.object() == b.object();
  }
  return false;
}

}  // namespace kalvento::rt
