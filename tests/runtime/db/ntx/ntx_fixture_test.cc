// NTX files built byte by byte from the documented layout (not by this
// library's writer): the reader must walk them, and must refuse damaged ones
// with a clear error.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <unistd.h>

#include "runtime/db/ntx/ntx_file.h"
#include "runtime/runtime_error.h"
#include "tests/runtime/db/ntx/temp_files.h"

namespace kalvento::rt::db {
namespace {

void Put16(std::vector<uint8_t>& f, size_t at, uint32_t v) {
  f[at] = static_cast<uint8_t>(v);
  f[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& f, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) f[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

struct Item {
  uint32_t child;
  uint32_t rec;
  std::string key;
};

// A file laid out as the format notes describe: 1024-byte pages, page 0 the
// header; in each page the item count, a table of 16-bit slot offsets (max + 1
// entries) and the slots (child page, record number, key).
class FixtureFile {
 public:
  FixtureFile(int keySize, int decimals, const std::string& expression, bool unique)
      : keySize_(keySize) {
    half_ = ((1020 / (keySize + 8 + 2)) - 1) / 2;
    max_ = 2 * half_;
    bytes_.assign(1024, 0);
    Put16(bytes_, 0, 6);      // signature
    Put16(bytes_, 2, 1);      // version
    Put16(bytes_, 12, keySize + 8);
    Put16(bytes_, 14, keySize);
    Put16(bytes_, 16, decimals);
    Put16(bytes_, 18, max_);
    Put16(bytes_, 20, half_);
    std::memcpy(&bytes_[22], expression.data(), expression.size());
    bytes_[278] = unique ? 1 : 0;
  }

  // A page with `items` and the child for keys above the last one. Slots are
  // placed from the end of the page backwards, so the table, not the slot
  // order, gives the key order. `zeroFreeEntries` leaves the unused table
  // entries 0, as some writers do.
  uint32_t addPage(const std::vector<Item>& items, uint32_t lastChild, bool zeroFreeEntries = false) {
    uint32_t at = static_cast<uint32_t>(bytes_.size());
    bytes_.resize(bytes_.size() + 1024, 0);
    const int item = keySize_ + 8;
    const int first = (max_ + 2) * 2;
    Put16(bytes_, at, static_cast<uint32_t>(items.size()));
    for (int k = 0; k <= max_; ++k) {
      uint32_t slot = static_cast<uint32_t>(first + (max_ - k) * item);
      bool used = k <= static_cast<int>(items.size());
      Put16(bytes_, at + 2 + 2 * k, used || !zeroFreeEntries ? slot : 0);
      if (k < static_cast<int>(items.size())) {
        Put32(bytes_, at + slot, items[k].child);
        Put32(bytes_, at + slot + 4, items[k].rec);
        std::memcpy(&bytes_[at + slot + 8], items[k].key.data(), items[k].key.size());
      } else if (k == static_cast<int>(items.size())) {
        Put32(bytes_, at + slot, lastChild);
      }
    }
    return at;
  }

  void setRoot(uint32_t root) { Put32(bytes_, 4, root); }
  std::vector<uint8_t>& bytes() { return bytes_; }
  int max() const { return max_; }

 private:
  int keySize_;
  int half_;
  int max_;
  std::vector<uint8_t> bytes_;
};

std::string TempPath(const std::string& name) { return TestFile("fixture_" + name + ".ntx"); }

std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
  std::string path = TempPath(name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::string Key10(const std::string& text) { return text + std::string(10 - text.size(), ' '); }

// Root (a branch page) holding CHARLIE, over two leaves.
FixtureFile NamesFixture(bool zeroFreeEntries = false) {
  FixtureFile f(10, 0, "upper(name)", false);
  uint32_t left = f.addPage({{0, 1, Key10("ALPHA")}, {0, 2, Key10("BRAVO")}}, 0, zeroFreeEntries);
  uint32_t right = f.addPage({{0, 4, Key10("DELTA")}, {0, 5, Key10("ECHO")}}, 0, zeroFreeEntries);
  uint32_t root = f.addPage({{left, 3, Key10("CHARLIE")}}, right, zeroFreeEntries);
  f.setRoot(root);
  return f;
}

std::vector<uint32_t> Forward(NtxFile& ntx) {
  std::vector<uint32_t> recs;
  for (ntx.first(); !ntx.eof(); ntx.next()) recs.push_back(ntx.recNo());
  return recs;
}

TEST(NtxFixtureTest, ReadsTheHeader) {
  auto ntx = NtxFile::Open(Write("hdr", NamesFixture().bytes()), {.readOnly = true});
  EXPECT_EQ(ntx->expression(), "upper(name)");
  EXPECT_EQ(ntx->keySize(), 10);
  EXPECT_EQ(ntx->keyDecimals(), 0);
  EXPECT_FALSE(ntx->unique());
  EXPECT_FALSE(ntx->descending());
  EXPECT_EQ(ntx->version(), 1);
  EXPECT_EQ(ntx->keySpec().type, '?');
}

TEST(NtxFixtureTest, WalksATwoLevelTreeWithKeysOnTheBranchPage) {
  auto ntx = NtxFile::Open(Write("walk", NamesFixture().bytes()), {.readOnly = true});
  EXPECT_EQ(Forward(*ntx), (std::vector<uint32_t>{1, 2, 3, 4, 5}));
  std::vector<uint32_t> back;
  for (ntx->last(); !ntx->bof(); ntx->prev()) back.push_back(ntx->recNo());
  EXPECT_EQ(back, (std::vector<uint32_t>{5, 4, 3, 2, 1}));
  EXPECT_EQ(ntx->recNo(), 1u);  // stays on the first entry

  EXPECT_TRUE(ntx->seek("CH", false));  // the entry on the branch page
  EXPECT_EQ(ntx->recNo(), 3u);
  EXPECT_EQ(ntx->key(), Key10("CHARLIE"));
  ntx->next();
  EXPECT_EQ(ntx->recNo(), 4u);
  ntx->prev();
  ntx->prev();
  EXPECT_EQ(ntx->recNo(), 2u);
  EXPECT_TRUE(ntx->seek(Key10("ECHO"), false));
  EXPECT_EQ(ntx->recNo(), 5u);
  EXPECT_FALSE(ntx->seek("BX", false));
  EXPECT_TRUE(ntx->eof());
  EXPECT_FALSE(ntx->seek("BX", true));
  EXPECT_EQ(ntx->recNo(), 3u);
  EXPECT_FALSE(ntx->seek("F", true));
  EXPECT_TRUE(ntx->eof());
  EXPECT_TRUE(ntx->gotoEntry(Key10("DELTA"), 4));
  EXPECT_FALSE(ntx->gotoEntry(Key10("DELTA"), 5));
}

TEST(NtxFixtureTest, NumericKeysWithNegativesInOrder) {
  // N(6,1) keys as the format notes describe them (STR image, blanks as '0';
  // negatives with '-' as '0' and each byte c as 0x5C - c).
  FixtureFile f(6, 1, "betrag", false);
  uint32_t left = f.addPage({{0, 11, ",,+*.'"},     // -12.5
                             {0, 12, ",,,).,"}},    //  -3.0
                            0);
  uint32_t right = f.addPage({{0, 14, "0004.5"}, {0, 15, "0100.0"}}, 0);
  uint32_t root = f.addPage({{left, 13, "0000.0"}}, right);
  f.setRoot(root);
  auto ntx = NtxFile::Open(Write("num", f.bytes()), {});
  ntx->setKeyType('N');
  EXPECT_EQ(Forward(*ntx), (std::vector<uint32_t>{11, 12, 13, 14, 15}));
  const struct {
    double value;
    bool found;
    uint32_t rec;
  } seeks[] = {{-12.5, true, 11}, {-3, true, 12}, {0, true, 13}, {100, true, 15},
               {-5, false, 12},   {1, false, 14}, {-20, false, 11}};
  for (const auto& s : seeks) {
    EXPECT_EQ(ntx->seek(EncodeSeekKey(Value(s.value), ntx->keySpec()), true), s.found) << s.value;
    EXPECT_EQ(ntx->recNo(), s.rec) << s.value;
  }
  // Maintaining the foreign file keeps it sound.
  EXPECT_TRUE(ntx->insert(EncodeKey(Value(-7.25), {'N', 6, 1}), 16));
  EXPECT_TRUE(ntx->remove("0000.0", 13));
  EXPECT_EQ(Forward(*ntx), (std::vector<uint32_t>{11, 16, 12, 14, 15}));
  EXPECT_TRUE(ntx->check().ok);
}

TEST(NtxFixtureTest, GrowsAForeignFileWhoseFreeTableEntriesAreZero) {
  std::string path = Write("grow", NamesFixture(true).bytes());
  {
    auto ntx = NtxFile::Open(path, {});
    for (uint32_t i = 0; i < 500; ++i) {
      char key[11];
      std::snprintf(key, sizeof key, "K%09u", i * 7919 % 1000);
      ASSERT_TRUE(ntx->insert(key, 100 + i));
    }
    ntx->flush();
  }
  auto ntx = NtxFile::Open(path, {.readOnly = true});
  NtxCheckResult r = ntx->check();
  EXPECT_TRUE(r.ok) << (r.faults.empty() ? "" : r.faults[0]);
  EXPECT_EQ(r.entries, 505u);
  EXPECT_EQ(ntx->version(), 501);
  ASSERT_TRUE(ntx->seek("CHARLIE", false));
  EXPECT_EQ(ntx->recNo(), 3u);
}

// Damage applied to the names fixture: the open, or the first walk, must fail
// with the runtime error for a damaged index naming the file.
TEST(NtxFixtureTest, DamagedFilesGiveAClearError) {
  struct Damage {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> apply;
  };
  const uint32_t leaf = 1024, root = 3072;
  const Damage damages[] = {
      {"signature", [](auto& f) { Put16(f, 0, 0x4242); }},
      {"key size 0", [](auto& f) { Put16(f, 14, 0); }},
      {"key size 400", [](auto& f) { Put16(f, 14, 400); Put16(f, 12, 408); }},
      {"item size", [](auto& f) { Put16(f, 12, 99); }},
      {"max items", [](auto& f) { Put16(f, 18, 200); }},
      {"half page", [](auto& f) { Put16(f, 20, 0); }},
      {"root outside", [](auto& f) { Put32(f, 4, 1024 * 50); }},
      {"root unaligned", [](auto& f) { Put32(f, 4, 1500); }},
      {"root is header", [](auto& f) { Put32(f, 4, 0); }},
      {"free outside", [](auto& f) { Put32(f, 8, 1024 * 70); }},
      {"expression endless", [](auto& f) { std::memset(&f[22], 'x', 256); }},
      {"expression empty", [](auto& f) { f[22] = 0; }},
      {"truncated", [](auto& f) { f.resize(2048); }},
      {"short", [](auto& f) { f.resize(100); }},
      {"count over max", [=](auto& f) { Put16(f, root, 51); }},
      {"slot outside page", [=](auto& f) { Put16(f, root + 2, 1020); }},
      {"slot in table", [=](auto& f) { Put16(f, root + 2, 4); }},
      {"slots overlap", [=](auto& f) { Put16(f, leaf + 4, 990); }},
      {"child outside", [=](auto& f) { Put32(f, root + (52 * 2) + 50 * 18, 99 * 1024); }},
      {"child unaligned", [=](auto& f) { Put32(f, root + (52 * 2) + 50 * 18, 1030); }},
      {"child is self", [=](auto& f) { Put32(f, root + (52 * 2) + 50 * 18, root); }},
      {"leaf and branch", [=](auto& f) { Put32(f, root + (52 * 2) + 50 * 18, 0); }},
      {"cycle", [=](auto& f) {
         // The left leaf becomes a branch page that leads back to the root.
         Put32(f, leaf + (52 * 2) + 50 * 18, root);
         Put32(f, leaf + (52 * 2) + 49 * 18, root);
         Put32(f, leaf + (52 * 2) + 48 * 18, root);
       }},
  };
  for (const Damage& d : damages) {
    SCOPED_TRACE(d.what);
    FixtureFile f = NamesFixture();
    d.apply(f.bytes());
    std::string path = Write("bad", f.bytes());
    try {
      auto ntx = NtxFile::Open(path, {.readOnly = true});
      Forward(*ntx);
      ntx->last();
      while (!ntx->bof()) ntx->prev();
      ADD_FAILURE() << "no error";
    } catch (const RuntimeError& e) {
      EXPECT_NE(std::string(e.what()).find("Indexdatei beschädigt"), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
  }
}

// Found by fuzzing: removals that rebalance must cope with a branch page
// without keys, and must validate a neighbour page before using it.
TEST(NtxFixtureTest, RemovalsOnOddFilesStaySafe) {
  FixtureFile keyless(10, 0, "name", false);
  uint32_t leaf = keyless.addPage({{0, 1, Key10("AA")}, {0, 2, Key10("BB")}}, 0);
  keyless.setRoot(keyless.addPage({}, leaf));
  auto a = NtxFile::Open(Write("keyless", keyless.bytes()), {});
  EXPECT_TRUE(a->remove(Key10("AA"), 1));
  EXPECT_EQ(Forward(*a), (std::vector<uint32_t>{2}));

  FixtureFile damaged = NamesFixture();
  Put16(damaged.bytes(), 2048, 999);  // the right leaf's count
  auto b = NtxFile::Open(Write("neighbour", damaged.bytes()), {});
  EXPECT_TRUE(b->seek("ALPHA", false));  // the left side reads fine
  try {
    b->remove(Key10("ALPHA"), 1);  // underflow: borrow from the right leaf
    ADD_FAILURE() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_NE(std::string(e.what()).find("Seite 2048"), std::string::npos) << e.what();
  }
  // A failed change leaves the exclusive open unusable rather than half-written.
  EXPECT_THROW(b->seek("ALPHA", false), RuntimeError);
}

TEST(NtxFixtureTest, CheckReportsFaultsInsteadOfThrowing) {
  FixtureFile f = NamesFixture();
  // Swap two keys of a leaf: the tree is no longer sorted.
  std::vector<uint8_t>& b = f.bytes();
  uint16_t s0, s1;
  std::memcpy(&s0, &b[1024 + 2], 2);
  std::memcpy(&s1, &b[1024 + 4], 2);
  Put16(b, 1024 + 2, s1);
  Put16(b, 1024 + 4, s0);
  auto ntx = NtxFile::Open(Write("unsorted", b), {.readOnly = true});
  NtxCheckResult r = ntx->check(5);
  EXPECT_FALSE(r.ok);
  ASSERT_FALSE(r.faults.empty());
  EXPECT_NE(r.faults[0].find("Schlüsselfolge"), std::string::npos) << r.faults[0];

  auto sound = NtxFile::Open(Write("sound", NamesFixture().bytes()), {.readOnly = true});
  EXPECT_TRUE(sound->check(5).ok);
  NtxCheckResult missing = sound->check(6);
  EXPECT_FALSE(missing.ok);
  EXPECT_NE(missing.faults.back().find("Satz 6"), std::string::npos) << missing.faults.back();
}

}  // namespace
}  // namespace kalvento::rt::db
