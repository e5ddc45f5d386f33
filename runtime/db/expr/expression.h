#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/value.h"

namespace kalvento::rt::db {

// The record an expression is evaluated against: a work area's current record
// (or its blank record at end of file). Field indexes are 0-based.
class RecordSource {
 public:
  virtual ~RecordSource() = default;
  // The field's index, compared without regard to case; -1 if there is none.
  virtual int fieldIndex(std::string_view name) const = 0;
  // The field's value as the table reads it: C/M text, N/F number, L logical, D date.
  virtual Value fieldValue(int index) const = 0;
  // The field's type letter (C, N, F, L, D, M), length and decimals.
  virtual char fieldType(int index) const = 0;
  virtual int fieldLength(int index) const = 0;
  virtual int fieldDecimals(int index) const = 0;
  virtual uint32_t recNo() const = 0;
  virtual bool deleted() const = 0;
};

// The width and decimals a numeric result is shown with (STR without length,
// numeric index keys). A plain field keeps its own; see expression.cc for the rest.
struct NumericShape {
  int width = 10;
  int decimals = 0;
};

// A key or condition expression in the xBase notation: field names (also
// FIELD->NAME), literals ("text", 'text', [text], 12.5, .T./.F./.Y./.N., dates
// as 0dYYYYMMDD or {^YYYY-MM-DD}), + - * / % ^, comparisons (= compares texts
// over the length of the right side, == exactly), $, .AND./.OR./.NOT./!,
// parentheses and the functions UPPER LOWER TRIM RTRIM LTRIM ALLTRIM LEFT RIGHT
// SUBSTR STR VAL DTOS DTOC CTOD STOD PADL PADR IIF/IF RECNO DELETED EMPTY LEN
// SPACE INT. CTOD and DTOC use the default date format MM/DD/YY (two-digit
// years in 1900-1999). Names and functions are matched without regard to
// case. Parsing checks syntax and function names; field names are resolved at
// evaluation. Copies share the parsed tree; evaluation is const and
// thread-compatible.
class Expression {
 public:
  // A RuntimeError naming the text if it does not parse.
  static Expression Parse(std::string_view text);

  // A RuntimeError naming the expression when it cannot be evaluated (unknown
  // field, operand of the wrong type, unknown function at run time).
  Value Evaluate(const RecordSource& record) const;

  // The width and decimals of a numeric result on this record.
  NumericShape numericShape(const RecordSource& record) const;

  // The text as given to Parse.
  const std::string& text() const { return text_; }

  struct Node;

 private:
  Expression() = default;
  std::string text_;
  std::shared_ptr<const Node> root_;
};

}  // namespace kalvento::rt::db
