// The NTX writer, maintenance and cursor, against a model of the entries.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <random>
#include <set>

#include "runtime/db/ntx/ntx_file.h"
#include "runtime/runtime_error.h"
#include "tests/runtime/db/ntx/temp_files.h"

namespace kalvento::rt::db {
namespace {

std::string TempPath(const std::string& name) { return TestFile("file_" + name + ".ntx"); }

std::string Key(int n, int size = 8) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "K%0*d", size - 1, n);
  return buf;
}

using Model = std::set<std::pair<std::string, uint32_t>>;

Model Entries(NtxFile& ntx) {
  Model seen;
  std::vector<std::pair<std::string, uint32_t>> order;
  for (ntx.first(); !ntx.eof(); ntx.next()) order.emplace_back(ntx.key(), ntx.recNo());
  for (size_t i = 1; i < order.size(); ++i) EXPECT_LT(order[i - 1], order[i]);
  seen.insert(order.begin(), order.end());
  return seen;
}

void ExpectSound(NtxFile& ntx) {
  NtxCheckResult r = ntx.check(0, true);
  EXPECT_TRUE(r.ok) << (r.faults.empty() ? "" : r.faults[0]);
}

long FileSize(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
}

TEST(NtxFileTest, CreateBuildsBalancedTreesOfAnySize) {
  const KeySpec spec{'C', 8, 0};  // max 40 items a page
  for (int n : {0, 1, 2, 40, 41, 42, 81, 1640, 1641, 1700, 20000}) {
    SCOPED_TRACE(n);
    std::vector<KeyEntry> entries;
    Model model;
    std::mt19937 rng(static_cast<unsigned>(n));
    for (int i = 1; i <= n; ++i) {
      std::string key = Key(static_cast<int>(rng() % 5000));
      entries.push_back({key, static_cast<uint32_t>(i)});
      model.insert({key, static_cast<uint32_t>(i)});
    }
    std::string path = TempPath("create");
    auto ntx = NtxFile::Create(path, "name", spec, false, entries);
    EXPECT_EQ(ntx->keySpec().type, 'C');
    ExpectSound(*ntx);
    NtxCheckResult r = ntx->check(static_cast<uint32_t>(n));
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.entries, static_cast<uint64_t>(n));
    EXPECT_EQ(Entries(*ntx), model);
  }
}

TEST(NtxFileTest, CreateSortsKeysLongerThanTheirCommonPrefix) {
  // The sort compares the first 24 bytes inline and the rest from the keys.
  for (int size : {20, 24, 25, 40}) {
    SCOPED_TRACE(size);
    std::mt19937 rng(static_cast<unsigned>(size));
    std::vector<KeyEntry> entries;
    Model model;
    for (int i = 1; i <= 3000; ++i) {
      std::string key(static_cast<size_t>(size), 'P');
      key[static_cast<size_t>(size) - 1] = static_cast<char>('a' + rng() % 26);
      key[static_cast<size_t>(size) - 2] = static_cast<char>('a' + rng() % 3);
      entries.push_back({key, static_cast<uint32_t>(i)});
      model.insert({key, static_cast<uint32_t>(i)});
    }
    auto ntx = NtxFile::Create(TempPath("prefix"), "name", {'C', size, 0}, false, entries);
    EXPECT_EQ(Entries(*ntx), model);
    ExpectSound(*ntx);
    auto unique = NtxFile::Create(TempPath("prefixu"), "name", {'C', size, 0}, true, entries);
    Model firsts;
    for (const auto& e : model) {
      if (firsts.empty() || firsts.rbegin()->first != e.first) firsts.insert(e);
    }
    EXPECT_EQ(Entries(*unique), firsts);
  }
}

TEST(NtxFileTest, CreateRefusesBadInput) {
  std::string path = TempPath("refuse");
  EXPECT_THROW(NtxFile::Create(path, "name", {'C', 0, 0}, false, {}), RuntimeError);
  EXPECT_THROW(NtxFile::Create(path, "name", {'C', 331, 0}, false, {}), RuntimeError);
  EXPECT_THROW(NtxFile::Create(path, "", {'C', 4, 0}, false, {}), RuntimeError);
  EXPECT_THROW(NtxFile::Create(path, std::string(251, 'x'), {'C', 4, 0}, false, {}), RuntimeError);
  EXPECT_THROW(NtxFile::Create(path, "name", {'C', 4, 0}, false, {{"abc", 1}}), RuntimeError);
  EXPECT_THROW(NtxFile::Create(path, "name", {'C', 4, 0}, false, {{"abcd", 0}}), RuntimeError);
  EXPECT_THROW(NtxFile::Create("/nonexistent-dir/x.ntx", "name", {'C', 4, 0}, false, {}), RuntimeError);
  // The largest key still makes a working file.
  auto big = NtxFile::Create(path, "name", {'C', 330, 0}, false,
                             {{std::string(330, 'b'), 2}, {std::string(330, 'a'), 1}, {std::string(330, 'c'), 3}});
  for (int i = 4; i < 50; ++i) big->insert(std::string(330, static_cast<char>('A' + i % 26)), i);
  ExpectSound(*big);
}

TEST(NtxFileTest, UniqueIndexKeepsTheFirstRecordOfAKey) {
  std::string path = TempPath("unique");
  auto ntx = NtxFile::Create(path, "name", {'C', 4, 0}, true,
                             {{"BBBB", 5}, {"AAAA", 3}, {"BBBB", 2}, {"AAAA", 9}, {"CCCC", 1}});
  EXPECT_TRUE(ntx->unique());
  EXPECT_EQ(Entries(*ntx), (Model{{"AAAA", 3}, {"BBBB", 2}, {"CCCC", 1}}));
  EXPECT_FALSE(ntx->insert("BBBB", 1));
  EXPECT_TRUE(ntx->insert("DDDD", 4));
  EXPECT_TRUE(ntx->remove("BBBB", 2));
  EXPECT_TRUE(ntx->insert("BBBB", 7));
  EXPECT_EQ(Entries(*ntx), (Model{{"AAAA", 3}, {"BBBB", 7}, {"CCCC", 1}, {"DDDD", 4}}));
  ntx.reset();
  auto again = NtxFile::Open(path, {.readOnly = true});
  EXPECT_TRUE(again->unique());
}

// Random inserts and removes against a model, with the structure checked as
// it goes; equal keys are frequent so that runs of them span pages.
TEST(NtxFileTest, RandomChangesMatchTheModel) {
  std::string path = TempPath("random");
  auto ntx = NtxFile::Create(path, "name", {'C', 8, 0}, false, {});
  Model model;
  std::mt19937 rng(20261211);
  uint32_t lastRec = 0;
  for (int op = 0; op < 6000; ++op) {
    bool add = model.empty() || rng() % 100 < (op < 3000 ? 70 : 35);
    if (add && !model.empty() && rng() % 20 == 0) {
      // An entry that is there already is not added twice.
      auto it = model.begin();
      std::advance(it, rng() % model.size());
      ASSERT_FALSE(ntx->insert(it->first, it->second)) << op;
    } else if (add) {
      std::string key = Key(static_cast<int>(rng() % 300));
      uint32_t rec = ++lastRec;
      model.insert({key, rec});
      ASSERT_TRUE(ntx->insert(key, rec)) << op;
    } else {
      auto it = model.begin();
      std::advance(it, rng() % model.size());
      ASSERT_TRUE(ntx->remove(it->first, it->second)) << op;
      EXPECT_FALSE(ntx->remove(it->first, it->second)) << op;
      model.erase(it);
    }
    if (op % 500 == 0) {
      ExpectSound(*ntx);
      ASSERT_EQ(Entries(*ntx), model) << op;
    }
  }
  ExpectSound(*ntx);
  EXPECT_EQ(Entries(*ntx), model);
  ntx->flush();
  ntx.reset();
  auto reopened = NtxFile::Open(path, {});
  EXPECT_EQ(Entries(*reopened), model);
  ExpectSound(*reopened);
  // Remove everything: the tree shrinks back to one empty leaf.
  for (const auto& [key, rec] : model) ASSERT_TRUE(reopened->remove(key, rec));
  reopened->first();
  EXPECT_TRUE(reopened->eof());
  ExpectSound(*reopened);
}

TEST(NtxFileTest, FreedPagesAreReused) {
  std::string path = TempPath("reuse");
  std::vector<KeyEntry> entries;
  for (int i = 1; i <= 5000; ++i) entries.push_back({Key(i), static_cast<uint32_t>(i)});
  auto ntx = NtxFile::Create(path, "name", {'C', 8, 0}, false, entries);
  for (int i = 1; i <= 4000; ++i) ASSERT_TRUE(ntx->remove(Key(i), i));
  ntx->flush();
  long size = FileSize(path);
  // About 100 pages were freed; 600 entries in ascending order fill about 30.
  for (int i = 1; i <= 600; ++i) ASSERT_TRUE(ntx->insert(Key(i), i));
  ntx->flush();
  EXPECT_EQ(FileSize(path), size);
  ExpectSound(*ntx);
}

TEST(NtxFileTest, CursorMovesAndSeeks) {
  std::string path = TempPath("cursor");
  auto ntx = NtxFile::Create(path, "name", {'C', 4, 0}, false,
                             {{"ABBA", 1}, {"ABBA", 4}, {"ABC ", 2}, {"BOB ", 3}});
  EXPECT_TRUE(ntx->seek("ABBA", false));
  EXPECT_EQ(ntx->recNo(), 1u);  // the first of equal keys
  EXPECT_TRUE(ntx->seek("AB", false));
  EXPECT_EQ(ntx->recNo(), 1u);
  EXPECT_TRUE(ntx->seek("ABC", false));
  EXPECT_EQ(ntx->recNo(), 2u);
  EXPECT_TRUE(ntx->seek("ABC ", false));
  EXPECT_FALSE(ntx->seek("ABCD", false));
  EXPECT_TRUE(ntx->eof());
  EXPECT_EQ(ntx->recNo(), 0u);
  EXPECT_FALSE(ntx->seek("ABCD", true));
  EXPECT_EQ(ntx->recNo(), 3u);
  EXPECT_TRUE(ntx->seek("", false));  // the empty key matches the first entry
  EXPECT_EQ(ntx->recNo(), 1u);
  EXPECT_TRUE(ntx->seek("BOB xyz", false));  // longer than the key: cut
  ntx->next();
  EXPECT_TRUE(ntx->eof());
  ntx->next();
  EXPECT_TRUE(ntx->eof());
  ntx->prev();  // from end of file to the last entry
  EXPECT_EQ(ntx->recNo(), 3u);
  ntx->first();
  ntx->prev();
  EXPECT_TRUE(ntx->bof());
  EXPECT_EQ(ntx->recNo(), 1u);
  ntx->next();
  EXPECT_FALSE(ntx->bof());
  EXPECT_EQ(ntx->recNo(), 4u);

  auto empty = NtxFile::Create(TempPath("empty"), "name", {'C', 4, 0}, false, {});
  empty->first();
  EXPECT_TRUE(empty->eof());
  EXPECT_TRUE(empty->bof());
  empty->last();
  EXPECT_TRUE(empty->eof());
  EXPECT_FALSE(empty->seek("A", true));
}

TEST(NtxFileTest, CursorKeepsItsPlaceWhileTheTreeChanges) {
  std::string path = TempPath("place");
  std::vector<KeyEntry> entries;
  for (int i = 0; i < 2000; i += 2) entries.push_back({Key(i), static_cast<uint32_t>(i + 1)});
  auto ntx = NtxFile::Create(path, "name", {'C', 8, 0}, false, entries);
  ASSERT_TRUE(ntx->seek(Key(1000), false));
  // Many inserts around it split pages under the cursor.
  for (int i = 1; i < 2000; i += 2) ntx->insert(Key(i), static_cast<uint32_t>(i + 1));
  EXPECT_EQ(ntx->key(), Key(1000));
  ntx->next();
  EXPECT_EQ(ntx->key(), Key(1001));
  ntx->prev();
  ntx->prev();
  EXPECT_EQ(ntx->key(), Key(999));
  // Its own entry removed: next goes to the successor, prev to the predecessor.
  ASSERT_TRUE(ntx->remove(Key(999), 1000));
  ntx->next();
  EXPECT_EQ(ntx->key(), Key(1000));
  ASSERT_TRUE(ntx->remove(Key(1000), 1001));
  for (int i = 1001; i < 1400; ++i) ASSERT_TRUE(ntx->remove(Key(i), static_cast<uint32_t>(i + 1)));
  ntx->prev();
  EXPECT_EQ(ntx->key(), Key(998));
  ExpectSound(*ntx);
}

TEST(NtxFileTest, MisuseIsARuntimeError) {
  std::string path = TempPath("misuse");
  NtxFile::Create(path, "name", {'C', 4, 0}, false, {{"AAAA", 1}});
  auto ro = NtxFile::Open(path, {.readOnly = true});
  EXPECT_THROW(ro->insert("BBBB", 2), RuntimeError);
  EXPECT_THROW(ro->remove("AAAA", 1), RuntimeError);
  auto rw = NtxFile::Open(path, {});
  EXPECT_THROW(rw->insert("BBB", 2), RuntimeError);
  EXPECT_THROW(rw->insert("BBBBB", 2), RuntimeError);
  EXPECT_FALSE(rw->insert("AAAA", 1));
  EXPECT_FALSE(rw->remove("AAAA", 2));
  EXPECT_THROW(NtxFile::Open(TempPath("missing"), {}), RuntimeError);
}

TEST(NtxFileTest, VersionCountsChanges) {
  std::string path = TempPath("version");
  auto ntx = NtxFile::Create(path, "name", {'C', 4, 0}, false, {});
  EXPECT_EQ(ntx->version(), 1);
  for (int i = 0; i < 10; ++i) ntx->insert(Key(i, 4), i + 1);
  ntx->remove(Key(3, 4), 4);
  ntx->remove(Key(3, 4), 4);  // nothing removed, nothing counted
  EXPECT_EQ(ntx->version(), 12);
  ntx.reset();
  EXPECT_EQ(NtxFile::Open(path, {.readOnly = true})->version(), 12);
}

}  // namespace
}  // namespace kalvento::rt::db
