#include "runtime/db/dbf_header.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "runtime/runtime_error.h"

namespace kalvento::rt::db {
namespace {

std::string ValidFile(uint32_t records = 2) {
  DbfHeader h;
  h.fields = {{"NAME", 'C', 10, 0, 0}, {"AMOUNT", 'N', 8, 2, 0}, {"WHEN", 'D', 8, 0, 0}};
  h.recordCount = records;
  h.year = 2026;
  std::string bytes = BuildDbfHeader(&h);
  bytes.append(static_cast<size_t>(records) * h.recordLength, ' ');
  bytes.push_back(0x1A);
  return bytes;
}

void Put16(std::string& b, size_t at, unsigned v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>(v >> 8);
}

TEST(DbfHeader, BuildsAndParsesEveryFieldKind) {
  DbfHeader h;
  h.fields = {{"TEXT", 'C', 300, 0, 0}, {"NUM", 'N', 12, 3, 0}, {"FLT", 'F', 10, 2, 0},
              {"FLAG", 'L', 1, 0, 0},   {"DAY", 'D', 8, 0, 0},  {"NOTES", 'M', 10, 0, 0}};
  h.year = 2026;
  std::string bytes = BuildDbfHeader(&h);
  EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x83);    // memo present
  EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 126);     // 2026 - 1900
  EXPECT_EQ(bytes.size(), 32u + 6 * 32 + 2);                // 0x0D 0x00 terminator
  EXPECT_EQ(bytes[32 + 16], static_cast<char>(300 % 256));  // long C: low byte ...
  EXPECT_EQ(bytes[32 + 17], static_cast<char>(300 / 256));  // ... high byte in decimals

  DbfHeader back = ParseDbfHeader(bytes, bytes.size(), "t.dbf");
  ASSERT_EQ(back.fields.size(), 6u);
  EXPECT_EQ(back.fields[0].length, 300);
  EXPECT_EQ(back.fields[0].decimals, 0);
  EXPECT_EQ(back.fields[1].decimals, 3);
  EXPECT_EQ(back.fields[5].offset, 1 + 300 + 12 + 10 + 1 + 8);
  EXPECT_EQ(back.recordLength, h.recordLength);
  EXPECT_EQ(back.year, 2026);
}

TEST(DbfHeader, AcceptsTheSingleTerminatorOfDbaseThreePlus) {
  std::string b = ValidFile(0);
  // Header length 32 + 32n + 1: no NUL after 0x0D.
  b.erase(32 + 3 * 32 + 1, 1);
  Put16(b, 8, 32 + 3 * 32 + 1);
  DbfHeader h = ParseDbfHeader(b, b.size(), "t.dbf");
  EXPECT_EQ(h.headerLength, 32u + 3 * 32 + 1);
  EXPECT_EQ(h.fields.size(), 3u);
}

struct Damage {
  const char* what;
  std::function<void(std::string&)> apply;
  const char* expected;  // part of the error's operation text
};

TEST(DbfHeader, DamagedHeadersNameTheFileAndTheFault) {
  const Damage cases[] = {
      {"truncated", [](std::string& b) { b.resize(20); }, "kürzer als 32"},
      {"unknown version", [](std::string& b) { b[0] = 0x42; }, "Versionskennung 0x42"},
      {"header length too small", [](std::string& b) { Put16(b, 8, 40); }, "Kopflänge 40"},
      {"header length past the end", [](std::string& b) { Put16(b, 8, 60000); },
       "größer als die Datei"},
      {"record length wrong", [](std::string& b) { Put16(b, 10, 5); }, "Satzlänge 5"},
      {"count beyond size", [](std::string& b) { b[4] = 100; }, "übersteigt die Dateigröße"},
      {"count overflow", [](std::string& b) { b[4] = b[5] = b[6] = b[7] = '\xFF'; }, "übersteigt"},
      {"no terminator", [](std::string& b) { b[32 + 3 * 32] = 'X'; }, "0x0D"},
      {"bad type", [](std::string& b) { b[32 + 11] = 'Q'; }, "Feldtyp 'Q'"},
      {"empty name", [](std::string& b) { b[32] = '\0'; }, "ungültiger Feldname"},
      {"duplicate name", [](std::string& b) { std::memcpy(&b[64], "NAME\0\0", 6); }, "doppelt"},
      {"zero length",
       [](std::string& b) {
         b[32 + 16] = 0;
         b[32 + 17] = 0;
       },
       "Länge"},
      {"date length", [](std::string& b) { b[96 + 16] = 9; }, "Länge muss 8"},
      {"decimals too many", [](std::string& b) { b[64 + 17] = 7; }, "Dezimalstellen"},
  };
  for (const Damage& d : cases) {
    SCOPED_TRACE(d.what);
    std::string b = ValidFile(2);
    d.apply(b);
    try {
      ParseDbfHeader(b, b.size(), "/data/kunden.dbf");
      ADD_FAILURE() << "no error";
    } catch (const RuntimeError& e) {
      EXPECT_NE(std::string(e.what()).find("/data/kunden.dbf"), std::string::npos) << e.what();
      EXPECT_NE(e.operation().find(d.expected), std::string::npos) << e.what();
    }
  }
}

TEST(DbfHeader, NewFieldDefinitionsAreChecked) {
  struct Case {
    FieldInfo field;
    bool ok;
  };
  const Case cases[] = {
      {{"name", 'c', 20, 0, 0}, true},  {{"LOGIC", 'L', 0, 0, 0}, true},
      {{"MEMO", 'M', 0, 0, 0}, true},   {{"TOOLONGNAME", 'C', 5, 0, 0}, false},
      {{"1ST", 'C', 5, 0, 0}, false},   {{"X", 'Z', 5, 0, 0}, false},
      {{"N", 'N', 33, 0, 0}, false},    {{"N", 'N', 5, 4, 0}, false},
      {{"C", 'C', 70000, 0, 0}, false},
  };
  FieldInfo lower{"name", 'c', 20, 0, 0}, logic{"L", 'L', 0, 0, 0}, memo{"M", 'M', 0, 0, 0};
  NormalizeFieldDefinition(&lower);
  NormalizeFieldDefinition(&logic);
  NormalizeFieldDefinition(&memo);
  EXPECT_EQ(lower.name, "NAME");
  EXPECT_EQ(lower.type, 'C');
  EXPECT_EQ(logic.length, 1);
  EXPECT_EQ(memo.length, 10);
  for (const Case& c : cases) {
    FieldInfo f = c.field;
    SCOPED_TRACE(f.name);
    if (c.ok) {
      EXPECT_NO_THROW(NormalizeFieldDefinition(&f));
    } else {
      EXPECT_THROW(NormalizeFieldDefinition(&f), RuntimeError);
    }
  }
}

}  // namespace
}  // namespace kalvento::rt::db
