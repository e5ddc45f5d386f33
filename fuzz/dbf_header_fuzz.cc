// Fuzzes the .dbf header parser: any bytes give a header or a RuntimeError.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "runtime/db/dbf_header.h"
#include "runtime/runtime_error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    kalvento::rt::db::DbfHeader h = kalvento::rt::db::ParseDbfHeader(bytes, size, "fuzz.dbf");
    // What the parser accepts must describe records inside the file.
    uint64_t end = h.headerLength + uint64_t{h.recordCount} * h.recordLength;
    if (end > size || h.fields.empty()) __builtin_trap();
    int offset = 1;
    for (const auto& f : h.fields) {
      if (f.offset != offset || f.length <= 0) __builtin_trap();
      offset += f.length;
    }
    if (static_cast<uint32_t>(offset) != h.recordLength) __builtin_trap();
  } catch (const kalvento::rt::RuntimeError&) {
  }
  return 0;
}
