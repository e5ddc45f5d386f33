#include "apps/kalvento-dbf/csv_output.h"

#include <cstdio>

namespace kalvento::dbf {

void WriteCsvLine(std::ostream& out, const std::vector<std::string>& fields) {
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out << ',';
    const std::string& f = fields[i];
    if (f.find_first_of(",\"\r\n") == std::string::npos) {
      out << f;
      continue;
    }
    out << '"';
    for (char c : f) {
      if (c == '"') out << '"';
      out << c;
    }
    out << '"';
  }
  out << '\n';
}

std::string CsvText(const rt::Value& value, int decimals) {
  switch (value.type()) {
    case rt::Value::Type::kText: {
      std::string t = value.text();
      while (!t.empty() && t.back() == ' ') t.pop_back();
      return t;
    }
    case rt::Value::Type::kNumber: {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%.*f", decimals, value.number());
      return buf;
    }
    case rt::Value::Type::kLogical:
      return value.logical() ? "T" : "F";
    case rt::Value::Type::kDate: {
      if (value.date().empty()) return {};
      std::string d = value.date().Dtos();
      return d.substr(0, 4) + "-" + d.substr(4, 2) + "-" + d.substr(6, 2);
    }
    default:
      return {};
  }
}

}  // namespace kalvento::dbf
