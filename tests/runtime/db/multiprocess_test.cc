// Several processes on one table: each forked child is another user.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <random>

#include "runtime/db/ntx/ntx_file.h"
#include "runtime/db/table_functions.h"
#include "tests/runtime/db/db_test_util.h"

namespace kalvento::rt::db {
namespace {

using testing::Row;
using testing::RunChild;
using testing::Signal;
using testing::Structure;
using testing::TempDir;
using testing::WaitChild;

std::string Name(int proc, int seq) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "P%d-%06d", proc, seq);
  return buf;
}

void MakeIndexedTable(const TempDir& dir) {
  DbCreate(dir.file("multi"),
           Structure({Row("PROC", "N", 2), Row("SEQ", "N", 6), Row("NAME", "C", 20),
                      Row("HITS", "N", 6)}),
           Value(), Value(true));
  OrdCreate(Value(dir.file("multi_name")), Value(), Value("NAME"));
  DbCloseArea();
}

void OpenShared(const TempDir& dir) {
  DbUseArea(Value(), Value(), Value(dir.file("multi")), Value(), Value(true));
  if (!NetErr()) OrdListAdd(Value(dir.file("multi_name")));
}

TEST(MultiProcess, ATableHeldExclusivelyElsewhereGivesNetErr) {
  TempDir dir;
  DbCreate(dir.file("multi"), Structure({Row("A", "C", 1)}));
  Signal ready, done;
  pid_t child = RunChild([&] {
    DbUseArea(Value(), Value(), Value(dir.file("multi")), Value(), Value(false));
    if (NetErr()) return 1;
    ready.send();
    done.receive();
    return 0;
  });
  ready.receive();
  DbUseArea(Value(), Value(), Value(dir.file("multi")), Value(), Value(true));
  EXPECT_TRUE(NetErr());
  EXPECT_FALSE(Used());
  done.send();
  EXPECT_EQ(WaitChild(child), 0);
  DbUseArea(Value(), Value(), Value(dir.file("multi")), Value(), Value(true));
  EXPECT_FALSE(NetErr());
}

TEST(MultiProcess, ARecordLockHeldByAnotherProcess) {
  TempDir dir;
  DbCreate(dir.file("multi"), Structure({Row("A", "C", 5)}), Value(), Value(true));
  for (int i = 0; i < 3; ++i) DbAppend();
  DbCloseArea();
  Signal ready, done;
  pid_t child = RunChild([&] {
    DbUseArea(Value(), Value(), Value(dir.file("multi")));
    DbGoto(Value(2));
    if (!RLock()) return 1;
    FieldPut(1, Value("child"));
    DbCommit();
    ready.send();
    done.receive();
    return 0;  // ending the process releases the lock
  });
  ready.receive();
  DbUseArea(Value(), Value(), Value(dir.file("multi")));
  EXPECT_FALSE(DbRLock(Value(2)));
  EXPECT_TRUE(DbRLock(Value(1)));
  EXPECT_FALSE(FLock());
  DbAppend();  // the append lock is not a record lock
  EXPECT_FALSE(NetErr());
  EXPECT_EQ(RecNo(), 4);
  done.send();
  EXPECT_EQ(WaitChild(child), 0);
  DbGoto(Value(2));
  EXPECT_TRUE(DbRLock(Value(2)));
  EXPECT_EQ(FieldGet(1), Value("child"));
}

// Four processes append and update at once; afterwards every record is there
// once, no update is lost, and the index is sorted and finds every record.
TEST(MultiProcess, FourProcessesAppendAndUpdateUnderLocks) {
  TempDir dir;
  MakeIndexedTable(dir);
  constexpr int kProcs = 4;
  constexpr int kPerProc = 400;
  Signal go;
  std::vector<pid_t> children;
  for (int p = 1; p <= kProcs; ++p) {
    children.push_back(RunChild([&, p] {
      OpenShared(dir);
      if (NetErr()) return 2;
      go.receive();
      std::mt19937 rng(p);
      long hits = 0;
      for (int i = 0; i < kPerProc; ++i) {
        DbAppend();
        while (NetErr()) DbAppend();
        FieldPut(1, Value(p));
        FieldPut(2, Value(i));
        FieldPut(3, Value(Name(p, i)));
        FieldPut(4, Value(0));
        DbUnlock();
        if (i % 4 == 3) {
          // Update someone's record: one more hit, and a changed key.
          DbGoto(Value(static_cast<double>(rng() % static_cast<uint32_t>(LastRec()) + 1)));
          if (RLock()) {
            FieldPut(4, Value(FieldGet(4).number() + 1));
            std::string name = FieldGet(3).text();
            name[12] = name[12] == ' ' ? 'u' : static_cast<char>(name[12] + 1);
            FieldPut(3, Value(name));
            DbUnlock();
            ++hits;
          }
        }
      }
      DbCloseAll();
      std::ofstream(dir.file("hits" + std::to_string(p))) << hits;
      return 0;
    }));
  }
  for (int p = 0; p < kProcs; ++p) go.send();
  for (pid_t c : children) EXPECT_EQ(WaitChild(c), 0);

  long reported = 0;
  for (int p = 1; p <= kProcs; ++p) {
    long h = 0;
    std::ifstream(dir.file("hits" + std::to_string(p))) >> h;
    reported += h;
  }
  DbUseArea(Value(), Value(), Value(dir.file("multi")), Value(), Value(false));
  ASSERT_EQ(LastRec(), kProcs * kPerProc);
  std::map<std::pair<int, int>, int> seen;
  long hits = 0;
  std::vector<std::string> names;
  for (DbGoTop(); !Eof(); DbSkip()) {
    ++seen[{static_cast<int>(FieldGet(1).number()), static_cast<int>(FieldGet(2).number())}];
    hits += static_cast<long>(FieldGet(4).number());
    names.push_back(FieldGet(3).text());
  }
  EXPECT_EQ(seen.size(), static_cast<size_t>(kProcs * kPerProc));
  for (const auto& [key, n] : seen) EXPECT_EQ(n, 1) << key.first << "/" << key.second;
  EXPECT_EQ(hits, reported);

  OrdListAdd(Value(dir.file("multi_name")));
  std::string previous;
  int inOrder = 0;
  for (DbGoTop(); !Eof(); DbSkip()) {
    std::string key = FieldGet(3).text();
    EXPECT_LE(previous, key);
    previous = key;
    ++inOrder;
  }
  EXPECT_EQ(inOrder, kProcs * kPerProc);
  for (size_t i = 0; i < names.size(); ++i) {
    ASSERT_TRUE(DbSeek(Value(names[i]))) << names[i];
  }
  DbCloseAll();
  auto ntx = NtxFile::Open(dir.file("multi_name.ntx"), NtxOpenMode{});
  NtxCheckResult check = ntx->check(kProcs * kPerProc);
  EXPECT_TRUE(check.ok) << (check.faults.empty() ? "" : check.faults[0]);
}

// A process killed in the middle of appends and updates leaves a table that
// opens, whose count names only whole records, and an index without entries for
// records that are not there; in shared use and in exclusive use (where appends
// and index pages are written in batches, the index after the records).
class KilledWriter : public ::testing::TestWithParam<bool> {};

TEST_P(KilledWriter, LeavesAConsistentTable) {
  const bool exclusive = GetParam();
  TempDir dir;
  MakeIndexedTable(dir);
  Signal progress;
  pid_t child = RunChild([&] {
    DbUseArea(Value(), Value(), Value(dir.file("multi")), Value(), Value(!exclusive));
    OrdListAdd(Value(dir.file("multi_name")));
    for (int i = 0;; ++i) {
      DbAppend();
      FieldPut(2, Value(i));
      FieldPut(3, Value(Name(1, i)));
      DbUnlock();
      if (i % 7 == 6) {
        DbGoto(Value(static_cast<double>(i / 2 + 1)));
        if (RLock()) {
          FieldPut(3, Value(Name(2, i)));
          DbUnlock();
        }
      }
      if (exclusive && i % 50 == 49) DbCommit();
      if (i % 100 == 99) progress.send();
    }
    return 0;
  });
  for (int i = 0; i < 5; ++i) progress.receive();
  ::kill(child, SIGKILL);
  EXPECT_EQ(WaitChild(child), 128 + SIGKILL);

  DbUseArea(Value(), Value(), Value(dir.file("multi")), Value(), Value(false));
  ASSERT_TRUE(Used());
  const double count = LastRec();
  EXPECT_GE(count, exclusive ? 450 : 500);
  uint64_t size = std::filesystem::file_size(dir.file("multi.dbf"));
  EXPECT_GE(size, 32 + 4 * 32 + 2 + static_cast<uint64_t>(count) * (1 + 2 + 6 + 20 + 6));
  for (DbGoTop(); !Eof(); DbSkip()) ASSERT_EQ(FieldGet(1), Value(0.0));
  DbCloseAll();

  auto ntx = NtxFile::Open(dir.file("multi_name.ntx"), NtxOpenMode{});
  NtxCheckResult check = ntx->check();
  EXPECT_TRUE(check.ok) << (check.faults.empty() ? "" : check.faults[0]);
  uint64_t entries = 0;
  for (ntx->first(); !ntx->eof(); ntx->next()) {
    EXPECT_GE(ntx->recNo(), 1u);
    EXPECT_LE(ntx->recNo(), count);
    ++entries;
  }
  if (!exclusive) {
    EXPECT_GE(entries + 2, static_cast<uint64_t>(count));  // at most the last append missing
  }
}

INSTANTIATE_TEST_SUITE_P(MultiProcess, KilledWriter, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "Exclusive" : "Shared";
                         });

}  // namespace
}  // namespace kalvento::rt::db
