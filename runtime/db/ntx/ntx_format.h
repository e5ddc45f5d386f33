#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace kalvento::rt::db::ntx {

// Layout constants and little-endian access for NTX files.
constexpr uint32_t kPageSize = 1024;
constexpr int kMaxKeySize = 330;         // the largest key for which a page holds two items
constexpr int kMaxExpressionLength = 250;
constexpr int kExpressionOffset = 22;
constexpr int kUniqueOffset = 278;
constexpr int kDescendingOffset = 280;
constexpr int kConditionOffset = 282;
constexpr uint64_t kLockBase = 1000000000ULL;     // the index semaphore byte
constexpr uint64_t kNewLockOffset = 0xFFFFFFFFULL;  // with signature bit 4
// A sound tree with at least two children per branch page is never deeper.
constexpr int kMaxDepth = 40;

inline uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void Put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Items per page as the classic writers compute it: half = ((1020 / (item + 2)) - 1) / 2.
inline int HalfPageFor(int keySize) { return ((1020 / (keySize + 8 + 2)) - 1) / 2; }

// Byte offset of the first item slot after the offset table of a page holding
// up to `maxItems` items (one slot more than that).
inline int FirstSlotOffset(int maxItems) { return (maxItems + 2 + (maxItems % 2)) * 2; }

// The header fields this engine reads and writes.
struct NtxHeader {
  uint16_t signature = 6;
  uint16_t version = 1;
  uint32_t root = 0;
  uint32_t freePage = 0;
  int itemSize = 0;
  int keySize = 0;
  int keyDecimals = 0;
  int maxItems = 0;
  int halfPage = 0;
  std::string expression;
  bool unique = false;
  bool descending = false;
  std::string condition;
};

// Validates the header page; an empty text when sound, else the fault.
std::string ParseHeader(const uint8_t* page, uint64_t fileSize, NtxHeader* header);
// The whole header page for `header`.
void WriteHeader(const NtxHeader& header, uint8_t* page);
// A header for a new file with these key properties.
NtxHeader NewHeader(const std::string& expression, int keySize, int keyDecimals, bool unique);

}  // namespace kalvento::rt::db::ntx
