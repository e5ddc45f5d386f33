#include "runtime/db/dbf_header.h"

#include <cstdio>
#include <cstring>
#include <set>

#include "runtime/runtime_error.h"
#include "runtime/text.h"

namespace kalvento::rt::db {
namespace {

uint16_t Get16(std::string_view b, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) |
                               (static_cast<unsigned char>(b[at + 1]) << 8));
}

uint32_t Get32(std::string_view b, size_t at) {
  return static_cast<uint32_t>(Get16(b, at)) | (static_cast<uint32_t>(Get16(b, at + 2)) << 16);
}

[[noreturn]] void Damaged(std::string_view fileName, const std::string& what) {
  throw RuntimeError("Tabelle beschädigt: " + std::string(fileName), what);
}

bool KnownVersion(uint8_t v) {
  switch (v) {
    case 0x03:
    case 0x83:
    case 0x8B:
    case 0x30:
    case 0x31:
    case 0xF5:
      return true;
    default:
      return false;
  }
}

bool ValidNameChar(char c, bool first) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  if (first) return false;
  return (c >= '0' && c <= '9') || c == '_';
}

// Checks the sizes a field type allows; returns the fault or an empty text.
std::string FieldSizeFault(const FieldInfo& f) {
  switch (f.type) {
    case 'C':
      if (f.length < 1 || f.length > 65519) return "Länge außerhalb 1 bis 65519";
      return {};
    case 'N':
    case 'F':
      if (f.length < 1 || f.length > 32) return "Länge außerhalb 1 bis 32";
      if (f.decimals < 0 || (f.decimals > 0 && f.decimals > f.length - 2))
        return "Dezimalstellen passen nicht zur Länge";
      return {};
    case 'L':
      return f.length == 1 ? std::string() : "Länge muss 1 sein";
    case 'D':
      return f.length == 8 ? std::string() : "Länge muss 8 sein";
    case 'M':
      return f.length == 10 ? std::string() : "Länge muss 10 sein";
    default:
      return std::string("Feldtyp '") + f.type + "' wird nicht unterstützt";
  }
}

}  // namespace

bool DbfHeader::hasMemo() const {
  for (const FieldInfo& f : fields) {
    if (f.type == 'M') return true;
  }
  return false;
}

DbfHeader ParseDbfHeader(std::string_view bytes, uint64_t fileSize, std::string_view fileName) {
  if (fileSize < kDbfPrefixSize || bytes.size() < kDbfPrefixSize)
    Damaged(fileName, "Dateikopf fehlt (Datei kürzer als 32 Bytes)");
  DbfHeader h;
  h.version = static_cast<uint8_t>(bytes[0]);
  if (!KnownVersion(h.version)) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", h.version);
    Damaged(fileName, std::string("unbekannte Versionskennung ") + hex);
  }
  int yy = static_cast<unsigned char>(bytes[1]);
  h.year = yy < 80 ? 2000 + yy : 1900 + yy;
  h.month = static_cast<unsigned char>(bytes[2]);
  h.day = static_cast<unsigned char>(bytes[3]);
  h.recordCount = Get32(bytes, 4);
  h.headerLength = Get16(bytes, 8);
  h.recordLength = Get16(bytes, 10);

  if (h.headerLength < kDbfPrefixSize + 32 + 1)
    Damaged(fileName, "Kopflänge " + std::to_string(h.headerLength) + " zu klein");
  if (h.headerLength > fileSize)
    Damaged(fileName, "Kopflänge " + std::to_string(h.headerLength) + " größer als die Datei");
  if (bytes.size() < h.headerLength) Damaged(fileName, "Dateikopf unvollständig");
  if (h.recordLength < 2)
    Damaged(fileName, "Satzlänge " + std::to_string(h.recordLength) + " zu klein");

  std::set<std::string> names;
  uint32_t offset = 1;
  size_t pos = kDbfPrefixSize;
  bool terminated = false;
  while (pos < h.headerLength) {
    if (static_cast<unsigned char>(bytes[pos]) == 0x0D) {
      terminated = true;
      break;
    }
    if (pos + 32 > h.headerLength) break;
    std::string_view d = bytes.substr(pos, 32);
    FieldInfo f;
    size_t nameLen = 0;
    while (nameLen < 11 && d[nameLen] != '\0') ++nameLen;
    f.name = Upper(d.substr(0, nameLen));
    int index = static_cast<int>(h.fields.size()) + 1;
    std::string which = "Feld " + std::to_string(index);
    if (f.name.empty() || nameLen > 10) Damaged(fileName, which + ": ungültiger Feldname");
    for (size_t i = 0; i < f.name.size(); ++i) {
      if (!ValidNameChar(f.name[i], i == 0)) Damaged(fileName, which + ": ungültiger Feldname");
    }
    if (!names.insert(f.name).second) Damaged(fileName, "Feldname " + f.name + " doppelt");
    f.type = static_cast<char>(d[11]);
    if (f.type >= 'a' && f.type <= 'z') f.type = static_cast<char>(f.type - 32);
    f.length = static_cast<unsigned char>(d[16]);
    f.decimals = static_cast<unsigned char>(d[17]);
    if (f.type == 'C') {  // long character fields keep the high byte in the decimals byte
      f.length += 256 * f.decimals;
      f.decimals = 0;
    }
    std::string fault = FieldSizeFault(f);
    if (!fault.empty()) Damaged(fileName, "Feld " + f.name + ": " + fault);
    f.offset = static_cast<int>(offset);
    offset += static_cast<uint32_t>(f.length);
    h.fields.push_back(f);
    pos += 32;
  }
  if (!terminated) Damaged(fileName, "Ende der Feldbeschreibungen (0x0D) fehlt");
  if (h.fields.empty()) Damaged(fileName, "keine Felder");
  if (offset != h.recordLength)
    Damaged(fileName, "Satzlänge " + std::to_string(h.recordLength) +
                          " passt nicht zu den Feldern (" + std::to_string(offset) + ")");
  uint64_t needed = h.headerLength + static_cast<uint64_t>(h.recordCount) * h.recordLength;
  if (needed > fileSize)
    Damaged(fileName, "Satzanzahl " + std::to_string(h.recordCount) +
                          " übersteigt die Dateigröße " + std::to_string(fileSize));
  return h;
}

void NormalizeFieldDefinition(FieldInfo* f) {
  f->name = Upper(f->name);
  if (f->type >= 'a' && f->type <= 'z') f->type = static_cast<char>(f->type - 32);
  bool nameOk = !f->name.empty() && f->name.size() <= 10;
  for (size_t i = 0; nameOk && i < f->name.size(); ++i) nameOk = ValidNameChar(f->name[i], i == 0);
  if (!nameOk) throw RuntimeError("ungültiger Feldname", "\"" + f->name + "\"");
  switch (f->type) {
    case 'L':
      if (f->length == 0) f->length = 1;
      f->decimals = 0;
      break;
    case 'D':
      if (f->length == 0) f->length = 8;
      f->decimals = 0;
      break;
    case 'M':
      if (f->length == 0) f->length = 10;
      f->decimals = 0;
      break;
    case 'C':
      f->decimals = 0;
      break;
    default:
      break;
  }
  std::string fault = FieldSizeFault(*f);
  if (!fault.empty()) throw RuntimeError("ungültige Felddefinition", f->name + ": " + fault);
}

void EncodeHeaderPrefix(const DbfHeader& h, unsigned char out[8]) {
  out[0] = h.version;
  out[1] = static_cast<unsigned char>(h.year - 1900);
  out[2] = static_cast<unsigned char>(h.month);
  out[3] = static_cast<unsigned char>(h.day);
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<unsigned char>(h.recordCount >> (8 * i));
}

std::string BuildDbfHeader(DbfHeader* h) {
  h->version = h->hasMemo() ? 0x83 : 0x03;
  uint32_t offset = 1;
  for (FieldInfo& f : h->fields) {
    f.offset = static_cast<int>(offset);
    offset += static_cast<uint32_t>(f.length);
  }
  if (offset > 65535) throw RuntimeError("Satzlänge zu groß", std::to_string(offset));
  h->recordLength = offset;
  h->headerLength = static_cast<uint32_t>(kDbfPrefixSize + 32 * h->fields.size() + 2);
  if (h->headerLength > kDbfMaxHeaderLength) throw RuntimeError("zu viele Felder");
  std::string out(h->headerLength, '\0');
  unsigned char prefix[8];
  EncodeHeaderPrefix(*h, prefix);
  std::memcpy(out.data(), prefix, 8);
  out[8] = static_cast<char>(h->headerLength & 0xFF);
  out[9] = static_cast<char>(h->headerLength >> 8);
  out[10] = static_cast<char>(h->recordLength & 0xFF);
  out[11] = static_cast<char>(h->recordLength >> 8);
  size_t pos = kDbfPrefixSize;
  for (const FieldInfo& f : h->fields) {
    std::memcpy(out.data() + pos, f.name.data(), f.name.size());
    out[pos + 11] = f.type;
    if (f.type == 'C') {
      out[pos + 16] = static_cast<char>(f.length & 0xFF);
      out[pos + 17] = static_cast<char>(f.length >> 8);
    } else {
      out[pos + 16] = static_cast<char>(f.length);
      out[pos + 17] = static_cast<char>(f.decimals);
    }
    pos += 32;
  }
  out[pos] = 0x0D;
  return out;
}

}  // namespace kalvento::rt::db
