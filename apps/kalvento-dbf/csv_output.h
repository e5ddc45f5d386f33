#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "runtime/value.h"

namespace kalvento::dbf {

// One CSV line (RFC 4180: fields with comma, quote or line break are quoted,
// quotes doubled), ended with "\n".
void WriteCsvLine(std::ostream& out, const std::vector<std::string>& fields);

// A field value as CSV text: text without trailing blanks, numbers with the
// field's decimals, dates as YYYY-MM-DD (empty for the empty date), logicals T/F.
std::string CsvText(const rt::Value& value, int decimals);

}  // namespace kalvento::dbf
