// Fuzzes opening a .dbf file and reading every field of every record through
// the table layer: any bytes give values or a RuntimeError, never a crash.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "runtime/db/dbf_table.h"
#include "runtime/runtime_error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/kalvento-dbf-fuzz-" + std::to_string(::getpid()) + ".dbf";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  try {
    auto opened = kalvento::rt::db::DbfTable::Open(path, true, true);
    if (opened.table) {
      auto& t = *opened.table;
      std::string rec;
      uint32_t n = t.recordCount() < 64 ? t.recordCount() : 64;
      for (uint32_t r = 1; r <= n; ++r) {
        t.readRecord(r, &rec);
        for (size_t i = 0; i < t.fields().size(); ++i) {
          try {
            t.decodeField(static_cast<int>(i), rec);
          } catch (const kalvento::rt::RuntimeError&) {
          }
        }
      }
    }
  } catch (const kalvento::rt::RuntimeError&) {
  }
  return 0;
}
