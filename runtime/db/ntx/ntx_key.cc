// Index keys from values: the byte images that sort as the values do.
#include <algorithm>

#include "runtime/db/expr/str_format.h"
#include "runtime/db/ntx/ntx_file.h"
#include "runtime/db/ntx/ntx_format.h"
#include "runtime/runtime_error.h"

namespace kalvento::rt::db {
namespace {

[[noreturn]] void KeyFault(const std::string& what) { throw RuntimeError("Indexschlüssel ungültig", what); }

// STR's image with leading blanks made '0'; a negative number's '-' also
// becomes '0' and every byte c then becomes 0x5C - c, so that negatives sort
// first and in order ('0' -> ',', '9' -> '#', '.' stays '.').
std::string NumericKey(double value, const KeySpec& spec) {
  // A number too wide for the key keeps STR's asterisks, as the field would.
  std::string text = FormatNumber(value, spec.size, spec.decimals);
  bool negative = false;
  for (char& c : text) {
    if (c == ' ') c = '0';
    else if (c == '-') { c = '0'; negative = true; }
  }
  if (negative) {
    for (char& c : text) c = static_cast<char>(0x5C - static_cast<unsigned char>(c));
    // '.' is 0x2E and 0x5C - 0x2E = 0x2E: the point stays where it was.
  }
  return text;
}

std::string Encode(const Value& value, const KeySpec& spec, bool seek) {
  switch (spec.type) {
    case 'C': {
      if (!value.isText()) break;
      std::string key = value.text().substr(0, static_cast<size_t>(spec.size));
      if (!seek) key.resize(static_cast<size_t>(spec.size), ' ');
      return key;
    }
    case 'N':
      if (!value.isNumber()) break;
      return NumericKey(value.number(), spec);
    case 'D':
      if (value.isDate()) return value.date().Dtos();
      // A seek on a date index may also give the DTOS text itself.
      if (seek && value.isText()) return value.text().substr(0, 8);
      break;
    case 'L':
      if (!value.isLogical()) break;
      return value.logical() ? "T" : "F";
    default:
      KeyFault("Schlüsseltyp " + std::string(1, spec.type) + " unbekannt");
  }
  KeyFault(std::string("Wert vom Typ ") + value.typeLetter() + " für einen Schlüssel vom Typ " +
           spec.type);
}

}  // namespace

KeySpec DeriveKeySpec(const Expression& expression, const RecordSource& record) {
  Value v = expression.Evaluate(record);
  KeySpec spec;
  auto fault = [&](const std::string& what) {
    throw RuntimeError("Indexschlüssel ungültig", expression.text() + ": " + what);
  };
  switch (v.type()) {
    case Value::Type::kText:
      spec.type = 'C';
      spec.size = static_cast<int>(v.text().size());
      if (spec.size < 1 || spec.size > ntx::kMaxKeySize) {
        fault("Schlüssellänge " + std::to_string(spec.size) + " außerhalb 1 bis " +
              std::to_string(ntx::kMaxKeySize));
      }
      break;
    case Value::Type::kNumber: {
      NumericShape shape = expression.numericShape(record);
      spec.type = 'N';
      spec.size = std::clamp(shape.width, 1, 30);
      spec.decimals = std::clamp(shape.decimals, 0, std::max(spec.size - 2, 0));
      break;
    }
    case Value::Type::kDate: spec.type = 'D'; spec.size = 8; break;
    case Value::Type::kLogical: spec.type = 'L'; spec.size = 1; break;
    default: fault(std::string("Ergebnis vom Typ ") + v.typeLetter() + " taugt nicht als Schlüssel");
  }
  return spec;
}

std::string EncodeKey(const Value& value, const KeySpec& spec) { return Encode(value, spec, false); }

std::string EncodeSeekKey(const Value& value, const KeySpec& spec) { return Encode(value, spec, true); }

}  // namespace kalvento::rt::db
