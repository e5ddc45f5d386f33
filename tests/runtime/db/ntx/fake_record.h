#pragma once

#include <string>
#include <vector>

#include "runtime/db/expr/expression.h"
#include "runtime/text.h"

namespace kalvento::rt::db {

// A record with a fixed set of fields, for key derivation in tests.
class FakeRecord : public RecordSource {
 public:
  struct Field {
    std::string name;
    char type;
    int length;
    int decimals;
    Value value;
  };
  explicit FakeRecord(std::vector<Field> fields) : fields_(std::move(fields)) {}
  int fieldIndex(std::string_view name) const override {
    for (size_t i = 0; i < fields_.size(); ++i) {
      if (EqualsIgnoreCase(fields_[i].name, name)) return static_cast<int>(i);
    }
    return -1;
  }
  Value fieldValue(int index) const override { return fields_[index].value; }
  char fieldType(int index) const override { return fields_[index].type; }
  int fieldLength(int index) const override { return fields_[index].length; }
  int fieldDecimals(int index) const override { return fields_[index].decimals; }
  uint32_t recNo() const override { return 1; }
  bool deleted() const override { return false; }

 private:
  std::vector<Field> fields_;
};

}  // namespace kalvento::rt::db
