// Several opens of one index, in this process and in others.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "runtime/db/ntx/ntx_file.h"
#include "runtime/runtime_error.h"
#include "tests/runtime/db/ntx/temp_files.h"

namespace kalvento::rt::db {
namespace {

std::string TempPath(const std::string& name) { return TestFile("shared_" + name + ".ntx"); }

std::string Key(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "K%07d", n);
  return buf;
}

TEST(NtxSharedTest, EachOpenSeesTheOthersChanges) {
  std::string path = TempPath("two");
  NtxFile::Create(path, "name", {'C', 8, 0}, false, {{Key(1), 1}});
  auto a = NtxFile::Open(path, {.shared = true});
  auto b = NtxFile::Open(path, {.shared = true});
  EXPECT_FALSE(b->seek(Key(2), false));
  // Enough inserts through A to split pages and grow the file.
  for (int i = 2; i <= 300; ++i) ASSERT_TRUE(a->insert(Key(i), i));
  ASSERT_TRUE(b->seek(Key(2), false));
  EXPECT_EQ(b->recNo(), 2u);
  ASSERT_TRUE(b->seek(Key(300), false));
  EXPECT_TRUE(b->remove(Key(150), 150));
  EXPECT_FALSE(a->seek(Key(150), false));
  EXPECT_FALSE(a->insert(Key(151), 151));  // already there, through B's eyes too
  EXPECT_EQ(a->version(), b->version());
  NtxCheckResult r = a->check(300);
  EXPECT_FALSE(r.ok);  // record 150 is missing, and only that
  ASSERT_EQ(r.faults.size(), 1u);
  EXPECT_NE(r.faults[0].find("Satz 150"), std::string::npos) << r.faults[0];
}

TEST(NtxSharedTest, ACursorFollowsChangesMadeThroughAnotherOpen) {
  std::string path = TempPath("cursor");
  std::vector<KeyEntry> entries;
  for (int i = 0; i < 1000; i += 10) entries.push_back({Key(i), static_cast<uint32_t>(i + 1)});
  NtxFile::Create(path, "name", {'C', 8, 0}, false, entries);
  auto a = NtxFile::Open(path, {.shared = true});
  auto b = NtxFile::Open(path, {.readOnly = true, .shared = true});
  ASSERT_TRUE(b->seek(Key(500), false));
  for (int i = 1; i < 1000; i += 2) ASSERT_TRUE(a->insert(Key(i), static_cast<uint32_t>(i + 1)));
  ASSERT_TRUE(a->remove(Key(510), 511));
  b->next();
  EXPECT_EQ(b->key(), Key(501));
  b->prev();
  b->prev();
  EXPECT_EQ(b->key(), Key(499));
}

TEST(NtxSharedTest, TheLockExcludesOtherOpens) {
  std::string path = TempPath("lock");
  NtxFile::Create(path, "name", {'C', 8, 0}, false, {});
  auto a = NtxFile::Open(path, {.shared = true});
  auto b = NtxFile::Open(path, {.shared = true});
  auto reader = NtxFile::Open(path, {.readOnly = true, .shared = true});
  a->lock();
  a->lock();  // nests
  EXPECT_FALSE(b->tryLock());
  EXPECT_FALSE(reader->tryLock());
  a->insert(Key(1), 1);
  a->unlock();
  EXPECT_FALSE(b->tryLock());
  a->unlock();
  ASSERT_TRUE(b->tryLock());
  EXPECT_TRUE(b->seek(Key(1), false));  // written when A let go
  EXPECT_FALSE(a->tryLock());
  b->unlock();
  // Read locks of read-only opens do not exclude each other.
  auto reader2 = NtxFile::Open(path, {.readOnly = true, .shared = true});
  ASSERT_TRUE(reader->tryLock());
  EXPECT_TRUE(reader2->tryLock());
  EXPECT_FALSE(a->tryLock());
  reader->unlock();
  reader2->unlock();
  // An exclusive open takes no locks at all.
  auto solo = NtxFile::Open(path, {});
  solo->lock();
  EXPECT_TRUE(a->tryLock());
  a->unlock();
  solo->unlock();
}

// Four processes insert and remove at once; every entry of the survivors is
// there once and the tree is sound.
TEST(NtxSharedTest, FourProcessesChangeOneIndex) {
  std::string path = TempPath("four");
  NtxFile::Create(path, "name", {'C', 8, 0}, false, {});
  const int kProcesses = 4, kPerProcess = 400;
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      int status = 0;
      try {
        auto ntx = NtxFile::Open(path, {.shared = true});
        for (int i = 0; i < kPerProcess; ++i) {
          int rec = p * kPerProcess + i + 1;
          // Interleaved keys, so that the processes work on the same pages.
          if (!ntx->insert(Key(i * kProcesses + p), static_cast<uint32_t>(rec))) status = 2;
          if (i % 4 == 3 && !ntx->remove(Key((i - 1) * kProcesses + p), static_cast<uint32_t>(rec - 1))) {
            status = 3;
          }
        }
      } catch (const RuntimeError& e) {
        std::fprintf(stderr, "process %d: %s\n", p, e.what());
        status = 4;
      }
      ::_exit(status);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
  }
  auto ntx = NtxFile::Open(path, {.readOnly = true});
  NtxCheckResult r = ntx->check(0, true);
  EXPECT_TRUE(r.ok) << (r.faults.empty() ? "" : r.faults[0]);
  EXPECT_EQ(r.entries, static_cast<uint64_t>(kProcesses * kPerProcess * 3 / 4));
  for (int p = 0; p < kProcesses; ++p) {
    for (int i = 0; i < kPerProcess; ++i) {
      bool removed = i % 4 == 2;
      EXPECT_EQ(ntx->gotoEntry(Key(i * kProcesses + p), static_cast<uint32_t>(p * kPerProcess + i + 1)), !removed);
    }
  }
}

}  // namespace
}  // namespace kalvento::rt::db
