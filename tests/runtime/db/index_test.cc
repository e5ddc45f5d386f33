// Index orders in a work area: creation, seek, order navigation, maintenance,
// and reading an NTX file laid out by hand.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "runtime/db/ntx/ntx_file.h"
#include "runtime/db/table_functions.h"
#include "runtime/runtime_error.h"
#include "tests/runtime/db/db_test_util.h"

namespace kalvento::rt::db {
namespace {

using testing::Row;
using testing::Structure;
using testing::TempDir;

std::vector<double> OrderOfRecords() {
  std::vector<double> out;
  for (DbGoTop(); !Eof(); DbSkip()) out.push_back(RecNo());
  return out;
}

class IndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DbCreate(dir_.file("people"), Structure({Row("NAME", "C", 10), Row("AGE", "N", 4)}), Value(),
             Value(true));
    const char* names[] = {"Meier", "Abel", "Zorn", "Berg", "Abel", "Kuhn"};
    const int ages[] = {40, -3, 17, 40, 5, 0};
    for (int i = 0; i < 6; ++i) {
      DbAppend();
      FieldPut(1, Value(names[i]));
      FieldPut(2, Value(ages[i]));
    }
  }
  TempDir dir_;
};

TEST_F(IndexTest, CreateSeekAndNavigateInKeyOrder) {
  OrdCreate(Value(dir_.file("byname")), Value(), Value("UPPER(NAME)"));
  EXPECT_EQ(OrdNumber(), 1);
  EXPECT_EQ(OrderOfRecords(), (std::vector<double>{2, 5, 4, 6, 1, 3}));
  EXPECT_TRUE(DbSeek(Value("ABEL")));
  EXPECT_EQ(RecNo(), 2);
  EXPECT_TRUE(Found());
  EXPECT_TRUE(DbSeek(Value("KU")));  // a shorter key matches as a prefix
  EXPECT_EQ(RecNo(), 6);
  EXPECT_FALSE(DbSeek(Value("LANG")));
  EXPECT_TRUE(Eof());
  EXPECT_FALSE(DbSeek(Value("LANG"), Value(true)));  // soft: the next greater key
  EXPECT_EQ(RecNo(), 1);
  EXPECT_FALSE(Eof());
  EXPECT_FALSE(DbSeek(Value("ZZZ"), Value(true)));
  EXPECT_TRUE(Eof());
  DbGoBottom();
  EXPECT_EQ(RecNo(), 3);
  DbSkip(Value(-1));
  EXPECT_EQ(RecNo(), 1);
  DbGoTop();
  DbSkip(Value(-1));
  EXPECT_TRUE(Bof());
  EXPECT_EQ(RecNo(), 2);

  OrdCreate(Value(dir_.file("byage")), Value(), Value("AGE"));
  EXPECT_EQ(OrdNumber(), 2);
  EXPECT_EQ(OrderOfRecords(), (std::vector<double>{2, 6, 5, 3, 1, 4}));  // negatives first
  EXPECT_TRUE(DbSeek(Value(40)));
  EXPECT_EQ(RecNo(), 1);
  EXPECT_TRUE(DbSeek(Value(-3)));
  EXPECT_EQ(RecNo(), 2);
  OrdSetFocus(Value(0));
  EXPECT_EQ(OrderOfRecords(), (std::vector<double>{1, 2, 3, 4, 5, 6}));
  EXPECT_THROW(DbSeek(Value("x")), RuntimeError);  // no order in focus
  OrdSetFocus(Value("BYNAME"));
  EXPECT_EQ(OrdNumber(), 1);
  EXPECT_THROW(OrdSetFocus(Value(3)), RuntimeError);
  OrdListClear();
  EXPECT_EQ(OrdNumber(), 0);
}

TEST_F(IndexTest, EveryOpenIndexFollowsAppendsWritesDeletesAndRecalls) {
  OrdCreate(Value(dir_.file("byname")), Value(), Value("NAME"));
  OrdCreate(Value(dir_.file("live")), Value(), Value("IIF(DELETED(), 'X', 'A') + NAME"));
  DbCloseArea();
  DbUseArea(Value(true), Value(), Value(dir_.file("people")));
  OrdListAdd(Value(dir_.file("byname")));
  OrdListAdd(Value(dir_.file("live")));
  EXPECT_EQ(OrdNumber(), 1);  // the first index opened is the focus
  DbAppend();
  FieldPut(1, Value("Adam"));
  DbGoto(Value(3));
  ASSERT_TRUE(RLock());
  FieldPut(1, Value("Aaron"));  // Zorn becomes Aaron
  DbUnlock();
  DbGoto(Value(4));
  DbDelete();
  EXPECT_EQ(OrderOfRecords(), (std::vector<double>{3, 2, 5, 7, 4, 6, 1}));
  OrdSetFocus(Value(2));
  EXPECT_EQ(OrderOfRecords(), (std::vector<double>{3, 2, 5, 7, 6, 1, 4}));
  DbGoto(Value(4));
  DbRecall();
  EXPECT_EQ(OrderOfRecords(), (std::vector<double>{3, 2, 5, 7, 4, 6, 1}));
  DbCloseAll();
  for (const char* name : {"byname.ntx", "live.ntx"}) {
    auto ntx = NtxFile::Open(dir_.file(name), NtxOpenMode{});
    NtxCheckResult check = ntx->check(7);
    EXPECT_TRUE(check.ok) << name << ": " << (check.faults.empty() ? "" : check.faults[0]);
  }
}

TEST_F(IndexTest, HiddenDeletedRecordsAndTheUniquenessCheck) {
  OrdCreate(Value(dir_.file("byname")), Value(), Value("NAME"));
  SetDeleted(Value(true));
  // The uniqueness check of a data dialog: mark, seek, go back, recall.
  DbGoto(Value(3));  // Zorn: its key belongs to it alone
  ASSERT_TRUE(DbRLock(Value(3)));
  DbDelete();
  EXPECT_FALSE(DbSeek(Value("Zorn")));
  DbGoto(Value(3));
  DbRecall();
  DbGoto(Value(2));  // Abel: record 5 has the key too
  DbDelete();
  EXPECT_TRUE(DbSeek(Value("Abel")));
  EXPECT_EQ(RecNo(), 5);
  DbGoto(Value(2));
  DbRecall();
  EXPECT_EQ(OrderOfRecords(), (std::vector<double>{2, 5, 4, 6, 1, 3}));
}

TEST_F(IndexTest, UniqueIndexKeepsTheFirstRecordOfAKey) {
  OrdCreate(Value(dir_.file("uniq")), Value(), Value("NAME"), Value(), Value(true));
  EXPECT_EQ(OrderOfRecords(), (std::vector<double>{2, 4, 6, 1, 3}));
}

TEST_F(IndexTest, AKeyExpressionThatDoesNotFitIsAClearError) {
  DbCloseArea();
  DbUseArea(Value(true), Value(), Value(dir_.file("people")));
  EXPECT_THROW(OrdCreate(Value(dir_.file("bad")), Value(), Value("NAME +")), RuntimeError);
  EXPECT_THROW(OrdCreate(Value(dir_.file("bad")), Value(), Value("NOFIELD")), RuntimeError);
  EXPECT_THROW(OrdListAdd(Value(dir_.file("missing"))), RuntimeError);
}

// --- An index file laid out by hand: header, root with keys, two leaves. ---

void Put16(std::string& b, size_t at, unsigned v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}

// One page: items (child, record, key) and the child right of the last key.
std::string Page(int keySize, const std::vector<std::tuple<uint32_t, uint32_t, std::string>>& items,
                 uint32_t lastChild) {
  const int item = keySize + 8;
  const int half = ((1020 / (item + 2)) - 1) / 2;
  const int max = 2 * half;
  std::string p(1024, '\0');
  Put16(p, 0, static_cast<unsigned>(items.size()));
  const int first = (max + 2) * 2;
  for (int i = 0; i <= max; ++i) Put16(p, 2 + 2 * i, static_cast<unsigned>(first + i * item));
  for (size_t i = 0; i <= items.size(); ++i) {
    size_t at = static_cast<size_t>(first + static_cast<int>(i) * item);
    if (i < items.size()) {
      Put32(p, at, std::get<0>(items[i]));
      Put32(p, at + 4, std::get<1>(items[i]));
      std::memcpy(&p[at + 8], std::get<2>(items[i]).data(), static_cast<size_t>(keySize));
    } else {
      Put32(p, at, lastChild);
    }
  }
  return p;
}

std::string Header(int keySize, int decimals, const char* expression, uint32_t root) {
  const int item = keySize + 8;
  const int half = ((1020 / (item + 2)) - 1) / 2;
  std::string h(1024, '\0');
  Put16(h, 0, 6);
  Put16(h, 2, 1);
  Put32(h, 4, root);
  Put16(h, 12, static_cast<unsigned>(item));
  Put16(h, 14, static_cast<unsigned>(keySize));
  Put16(h, 16, static_cast<unsigned>(decimals));
  Put16(h, 18, static_cast<unsigned>(2 * half));
  Put16(h, 20, static_cast<unsigned>(half));
  std::strcpy(&h[22], expression);
  return h;
}

// The numeric key text of an N(4) value: leading blanks as zeros, and for a
// negative number every byte c as 0x5C - c.
std::string NumKey(const char* str4) {
  std::string k(str4);
  bool negative = k.find('-') != std::string::npos;
  for (char& c : k) {
    if (c == ' ' || c == '-') c = '0';
  }
  if (negative) {
    for (char& c : k) c = static_cast<char>(0x5C - c);
  }
  return k;
}

TEST_F(IndexTest, ReadsATwoLevelIndexLaidOutByHand) {
  DbCloseArea();
  // Ages: 1:40 2:-3 3:17 4:40 5:5 6:0 -> order -3(2) 0(6) 5(5) 17(3) 40(1) 40(4).
  // Root holds 5(5) and 40(1); leaves: [-3, 0], [17], [40(4)].
  std::string file = Header(4, 0, "age", 1024);
  file += Page(4, {{2048, 5, NumKey("   5")}, {3072, 1, NumKey("  40")}}, 4096);
  file += Page(4, {{0, 2, NumKey("  -3")}, {0, 6, NumKey("   0")}}, 0);
  file += Page(4, {{0, 3, NumKey("  17")}}, 0);
  file += Page(4, {{0, 4, NumKey("  40")}}, 0);
  std::ofstream(dir_.file("handmade.ntx"), std::ios::binary) << file;

  DbUseArea(Value(true), Value(), Value(dir_.file("people")));
  OrdListAdd(Value(dir_.file("handmade")));
  EXPECT_EQ(OrderOfRecords(), (std::vector<double>{2, 6, 5, 3, 1, 4}));
  EXPECT_TRUE(DbSeek(Value(-3)));
  EXPECT_EQ(RecNo(), 2);
  EXPECT_TRUE(DbSeek(Value(17)));
  EXPECT_EQ(RecNo(), 3);
  EXPECT_TRUE(DbSeek(Value(40)));
  EXPECT_EQ(RecNo(), 1);
  EXPECT_FALSE(DbSeek(Value(6), Value(true)));
  EXPECT_EQ(RecNo(), 3);
  DbGoBottom();
  EXPECT_EQ(RecNo(), 4);
  DbSkip(Value(-3));
  EXPECT_EQ(RecNo(), 5);
}

TEST_F(IndexTest, ADamagedIndexIsAnErrorNotALoop) {
  DbCloseArea();
  std::string file = Header(4, 0, "age", 1024);
  file += Page(4, {{1024, 5, NumKey("   5")}}, 1024);  // the root points at itself
  std::ofstream(dir_.file("cycle.ntx"), std::ios::binary) << file;
  std::string outside = Header(4, 0, "age", 9 * 1024);  // the root beyond the file
  outside += Page(4, {}, 0);
  std::ofstream(dir_.file("outside.ntx"), std::ios::binary) << outside;
  std::string badExpr = Header(4, 0, "age +* 1", 1024);
  badExpr += Page(4, {{0, 1, NumKey("  40")}}, 0);
  std::ofstream(dir_.file("badexpr.ntx"), std::ios::binary) << badExpr;

  DbUseArea(Value(true), Value(), Value(dir_.file("people")));
  for (const char* name : {"cycle", "outside", "badexpr"}) {
    SCOPED_TRACE(name);
    EXPECT_THROW(
        {
          OrdListAdd(Value(dir_.file(name)));
          DbGoTop();
          DbSeek(Value(5));
        },
        RuntimeError);
    OrdListClear();
  }
}

}  // namespace
}  // namespace kalvento::rt::db
