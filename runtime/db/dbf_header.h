#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento::rt::db {

// One field of a table: name (upper case, at most 10 characters), type letter
// (C N F L D M), length, decimals, and its offset inside the record (the
// deletion flag is byte 0, so the first field starts at 1).
struct FieldInfo {
  std::string name;
  char type = 'C';
  int length = 0;
  int decimals = 0;
  int offset = 0;
};

// The 32-byte file header and the field descriptors of a .dbf file.
struct DbfHeader {
  uint8_t version = 0x03;
  int year = 0;  // full year of the last update
  int month = 1;
  int day = 1;
  uint32_t recordCount = 0;
  uint32_t headerLength = 0;
  uint32_t recordLength = 0;
  std::vector<FieldInfo> fields;

  bool hasMemo() const;
};

inline constexpr size_t kDbfPrefixSize = 32;
inline constexpr size_t kDbfMaxHeaderLength = 65535;

// Parses and validates the header of `fileName`. `bytes` is the start of the file
// (at least its header; more is ignored) and `fileSize` its whole size. Every
// fault (unknown version, field descriptors out of range, a record length that
// does not add up, a record count beyond the file size ...) is a RuntimeError
// naming the file and what is wrong.
DbfHeader ParseDbfHeader(std::string_view bytes, uint64_t fileSize, std::string_view fileName);

// The header bytes for a new table: descriptors ended with 0x0D 0x00, version
// 0x83 when a memo field is present, else 0x03. Fills in offsets, header and
// record length.
std::string BuildDbfHeader(DbfHeader* header);

// Checks one field definition for a new table and brings it into canonical form
// (name upper case, type upper case, fixed lengths for L D M). A RuntimeError
// naming the field for a bad name, type, length or decimals.
void NormalizeFieldDefinition(FieldInfo* field);

// Writes the update date and record count into the first 8 header bytes.
void EncodeHeaderPrefix(const DbfHeader& header, unsigned char out[8]);

}  // namespace kalvento::rt::db
