#include "runtime/db/ntx/ntx_format.h"

namespace kalvento::rt::db::ntx {
namespace {

// A NUL-terminated text inside [p, p + max); false if no NUL is there.
bool ReadText(const uint8_t* p, int max, std::string* out) {
  const void* nul = std::memchr(p, 0, static_cast<size_t>(max));
  if (nul == nullptr) return false;
  out->assign(reinterpret_cast<const char*>(p), static_cast<const uint8_t*>(nul) - p);
  return true;
}

bool PageOffsetOk(uint32_t offset, uint64_t fileSize) {
  return offset >= kPageSize && offset % kPageSize == 0 && uint64_t{offset} + kPageSize <= fileSize;
}

}  // namespace

std::string ParseHeader(const uint8_t* page, uint64_t fileSize, NtxHeader* h) {
  h->signature = Get16(page);
  int flags = h->signature & 0xFF;
  int high = h->signature >> 8;
  // 0x06 (bits 1-2) marks an NTX file, bit 0 a FOR condition, bit 4 the new
  // lock offset; 0x03 is the older format with the same layout.
  bool known = (flags & 0x06) == 0x06 || flags == 0x03;
  if (!known || high > 1) {
    return "unbekannte Kennung " + std::to_string(h->signature);
  }
  h->version = Get16(page + 2);
  h->root = Get32(page + 4);
  h->freePage = Get32(page + 8);
  h->itemSize = Get16(page + 12);
  h->keySize = Get16(page + 14);
  h->keyDecimals = Get16(page + 16);
  h->maxItems = Get16(page + 18);
  h->halfPage = Get16(page + 20);
  if (h->keySize < 1 || h->keySize > kMaxKeySize) {
    return "Schlüssellänge " + std::to_string(h->keySize) + " außerhalb 1 bis " +
           std::to_string(kMaxKeySize);
  }
  if (h->itemSize != h->keySize + 8) return "Eintragslänge " + std::to_string(h->itemSize) + " passt nicht zur Schlüssellänge";
  if (h->keyDecimals >= h->keySize && h->keyDecimals != 0) {
    return "Dezimalstellen " + std::to_string(h->keyDecimals) + " zu groß";
  }
  // The offset table and max + 1 slots must fit the page.
  if (h->maxItems < 2 ||
      FirstSlotOffset(h->maxItems) + (h->maxItems + 1) * h->itemSize > static_cast<int>(kPageSize)) {
    return "Einträge je Seite " + std::to_string(h->maxItems) + " passen nicht in eine Seite";
  }
  if (h->halfPage < 1 || h->halfPage > h->maxItems / 2) {
    return "halbe Seite " + std::to_string(h->halfPage) + " passt nicht zu " + std::to_string(h->maxItems);
  }
  if (fileSize < 2 * kPageSize) return "Datei zu kurz (" + std::to_string(fileSize) + " Bytes)";
  if (!PageOffsetOk(h->root, fileSize)) return "Wurzelseite " + std::to_string(h->root) + " außerhalb der Datei";
  if (h->freePage != 0 && !PageOffsetOk(h->freePage, fileSize)) {
    return "freie Seite " + std::to_string(h->freePage) + " außerhalb der Datei";
  }
  if (!ReadText(page + kExpressionOffset, 256, &h->expression)) return "Schlüsselausdruck ohne Ende";
  if (h->expression.empty()) return "Schlüsselausdruck leer";
  h->unique = page[kUniqueOffset] != 0;
  h->descending = Get16(page + kDescendingOffset) != 0;
  h->condition.clear();
  if ((flags & 0x01) != 0 && !ReadText(page + kConditionOffset, 256, &h->condition)) {
    return "Bedingung ohne Ende";
  }
  return {};
}

void WriteHeader(const NtxHeader& h, uint8_t* page) {
  std::memset(page, 0, kPageSize);
  Put16(page, h.signature);
  Put16(page + 2, h.version);
  Put32(page + 4, h.root);
  Put32(page + 8, h.freePage);
  Put16(page + 12, static_cast<uint32_t>(h.itemSize));
  Put16(page + 14, static_cast<uint32_t>(h.keySize));
  Put16(page + 16, static_cast<uint32_t>(h.keyDecimals));
  Put16(page + 18, static_cast<uint32_t>(h.maxItems));
  Put16(page + 20, static_cast<uint32_t>(h.halfPage));
  std::memcpy(page + kExpressionOffset, h.expression.data(), std::min<size_t>(h.expression.size(), 255));
  page[kUniqueOffset] = h.unique ? 1 : 0;
  if ((h.signature & 0x01) != 0) {
    std::memcpy(page + kConditionOffset, h.condition.data(), std::min<size_t>(h.condition.size(), 255));
  }
}

NtxHeader NewHeader(const std::string& expression, int keySize, int keyDecimals, bool unique) {
  NtxHeader h;
  h.signature = 6;
  h.version = 1;
  h.keySize = keySize;
  h.itemSize = keySize + 8;
  h.keyDecimals = keyDecimals;
  h.halfPage = HalfPageFor(keySize);
  h.maxItems = 2 * h.halfPage;
  h.expression = expression;
  h.unique = unique;
  return h;
}

}  // namespace kalvento::rt::db::ntx
