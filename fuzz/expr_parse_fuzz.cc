// Fuzzes the expression parser and evaluator: any text either parses or is a
// RuntimeError, and evaluating what parses is a value or a RuntimeError.
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/db/expr/expression.h"
#include "runtime/runtime_error.h"
#include "runtime/text.h"

using kalvento::rt::Date;
using kalvento::rt::RuntimeError;
using kalvento::rt::Value;
using kalvento::rt::db::Expression;
using kalvento::rt::db::RecordSource;

namespace {

class Record : public RecordSource {
 public:
  int fieldIndex(std::string_view name) const override {
    static const char* const kNames[] = {"NAME", "BETRAG", "SEIT", "AKTIV", "NOTIZ"};
    for (int i = 0; i < 5; ++i) {
      if (kalvento::rt::EqualsIgnoreCase(name, kNames[i])) return i;
    }
    return -1;
  }
  Value fieldValue(int index) const override {
    switch (index) {
      case 0: return Value("Meier     ");
      case 1: return Value(-36076.18);
      case 2: return Value(Date::FromYmd(2026, 3, 9));
      case 3: return Value(true);
      default: return Value("");
    }
  }
  char fieldType(int index) const override { return "CNDLM"[index]; }
  int fieldLength(int index) const override { return index == 1 ? 10 : index == 2 ? 8 : 10; }
  int fieldDecimals(int index) const override { return index == 1 ? 2 : 0; }
  uint32_t recNo() const override { return 7; }
  bool deleted() const override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    Expression e = Expression::Parse(text);
    Record record;
    e.Evaluate(record);
    e.numericShape(record);
  } catch (const RuntimeError&) {
  }
  return 0;
}
