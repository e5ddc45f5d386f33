// Locks between two work areas of one process: each area is its own user.
#include <gtest/gtest.h>

#include "runtime/clock.h"
#include "runtime/db/table_functions.h"
#include "runtime/runtime_error.h"
#include "tests/runtime/db/db_test_util.h"

namespace kalvento::rt::db {
namespace {

using testing::Row;
using testing::Structure;
using testing::TempDir;

void MakeTable(const TempDir& dir, int records) {
  DbCreate(dir.file("shared"), Structure({Row("NAME", "C", 10)}), Value(), Value(true));
  for (int i = 1; i <= records; ++i) {
    DbAppend();
    FieldPut(1, Value("rec" + std::to_string(i)));
  }
  DbCloseArea();
}

void Open(const TempDir& dir, int area, const char* alias, const Value& shared = Value()) {
  DbSelectArea(Value(area));
  DbUseArea(Value(), Value(), Value(dir.file("shared")), Value(alias), shared);
}

TEST(Locking, ExclusiveAndSharedOpensExcludeEachOtherWithNetErr) {
  TempDir dir;
  MakeTable(dir, 1);
  Open(dir, 1, "A", Value(false));  // exclusive
  ASSERT_FALSE(NetErr());
  Open(dir, 2, "B");  // the default: shared
  EXPECT_TRUE(NetErr());
  EXPECT_FALSE(Used());
  Open(dir, 2, "B", Value(false));
  EXPECT_TRUE(NetErr());
  DbSelectArea(Value(1));
  DbCloseArea();
  Open(dir, 2, "B");
  EXPECT_FALSE(NetErr());
  Open(dir, 3, "C", Value(false));
  EXPECT_TRUE(NetErr());  // a shared user keeps exclusive openers out
  SetExclusive(Value(true));
  Open(dir, 3, "C");  // the program-wide default now asks for exclusive use
  EXPECT_TRUE(NetErr());
}

TEST(Locking, RLockReleasesTheAreasOtherLocksDbRLockAddsOne) {
  TempDir dir;
  MakeTable(dir, 4);
  Open(dir, 1, "A");
  Open(dir, 2, "B");

  DbSelectArea(Value(1));
  DbGoto(Value(1));
  EXPECT_TRUE(RLock());
  EXPECT_TRUE(DbRLock(Value(2)));
  EXPECT_TRUE(DbLocked(Value(1)));
  EXPECT_TRUE(DbLocked(Value(2)));
  DbSelectArea(Value(2));
  EXPECT_FALSE(DbRLock(Value(1)));
  EXPECT_FALSE(DbRLock(Value(2)));
  EXPECT_TRUE(DbRLock(Value(3)));
  EXPECT_FALSE(FLock());  // records of others are locked

  DbSelectArea(Value(1));
  DbGoto(Value(4));
  EXPECT_TRUE(RLock());  // gives up 1 and 2
  EXPECT_FALSE(DbLocked(Value(1)));
  EXPECT_TRUE(DbLocked(Value(4)));
  DbGoto(Value(3));
  EXPECT_FALSE(RLock());  // 3 belongs to B; 4 was given up all the same
  EXPECT_FALSE(DbLocked());
  DbSelectArea(Value(2));
  EXPECT_TRUE(DbRLock(Value(1)));
  DbRUnlock(Value(1));
  EXPECT_FALSE(DbLocked(Value(1)));
  EXPECT_TRUE(DbLocked(Value(3)));
  DbUnlock();
  EXPECT_FALSE(DbLocked());
  EXPECT_TRUE(FLock());
  DbSelectArea(Value(1));
  EXPECT_FALSE(DbRLock(Value(2)));
  DbSelectArea(Value(2));
  DbUnlock();
  DbSelectArea(Value(1));
  EXPECT_TRUE(DbRLock(Value(2)));
}

TEST(Locking, ThereIsNoLockOfARecordBeyondTheTable) {
  TempDir dir;
  MakeTable(dir, 2);
  Open(dir, 1, "A");
  Open(dir, 2, "B");
  DbSelectArea(Value(1));
  DbGoBottom();
  DbSkip();
  ASSERT_TRUE(Eof());
  EXPECT_FALSE(RLock());
  EXPECT_FALSE(DbRLock(Value(RecNo())));
  EXPECT_FALSE(DbRLock(Value(0)));
  EXPECT_FALSE(DbLocked());
  DbSelectArea(Value(2));
  DbAppend(Value(1));  // takes the number the end of file stood for
  EXPECT_FALSE(NetErr());
  EXPECT_EQ(RecNo(), 3);
}

TEST(Locking, ClosingOneAreaKeepsTheOtherAreasLocks) {
  TempDir dir;
  MakeTable(dir, 2);
  Open(dir, 1, "A");
  Open(dir, 2, "B");
  Open(dir, 3, "C");
  DbSelectArea(Value(1));
  ASSERT_TRUE(DbRLock(Value(1)));
  DbSelectArea(Value(2));
  DbCloseArea();  // another descriptor of the file closes
  DbSelectArea(Value(3));
  EXPECT_FALSE(DbRLock(Value(1)));
}

TEST(Locking, SharedWritesNeedTheLockAndReadsAfterTheLockAreFresh) {
  TempDir dir;
  MakeTable(dir, 2);
  Open(dir, 1, "A");
  Open(dir, 2, "B");
  DbSelectArea(Value(1));
  DbGoto(Value(1));
  EXPECT_THROW(FieldPut(1, Value("nolock")), RuntimeError);
  DbSelectArea(Value(2));
  DbGoto(Value(1));  // B reads the record before A changes it
  EXPECT_EQ(FieldGet(1), Value("rec1      "));
  DbSelectArea(Value(1));
  ASSERT_TRUE(RLock());
  FieldPut(1, Value("changed"));
  DbUnlock();  // writes the record
  DbSelectArea(Value(2));
  EXPECT_EQ(FieldGet(1), Value("rec1      "));  // B's buffer is still the old one
  ASSERT_TRUE(RLock());
  EXPECT_EQ(FieldGet(1), Value("changed   "));  // taking the lock read it again

  // Deleting needs no lock: only the flag is written, never B's fields.
  FieldPut(1, Value("B's edit"));
  DbSelectArea(Value(1));
  DbDelete();
  EXPECT_TRUE(Deleted());
  DbSelectArea(Value(2));
  DbCommit();
  DbSelectArea(Value(1));
  DbSkip(Value(0));
  EXPECT_EQ(FieldGet(1), Value("B's edit  "));
  EXPECT_TRUE(Deleted());
}

TEST(Locking, AppendInSharedModeLocksTheNewRecordAndCountsOthersAppends) {
  TempDir dir;
  MakeTable(dir, 1);
  Open(dir, 1, "A");
  Open(dir, 2, "B");
  DbSelectArea(Value(1));
  DbAppend();
  EXPECT_EQ(RecNo(), 2);
  EXPECT_TRUE(DbLocked(Value(2)));
  FieldPut(1, Value("from A"));
  DbSelectArea(Value(2));
  EXPECT_EQ(LastRec(), 2);
  DbAppend();
  EXPECT_FALSE(NetErr());
  EXPECT_EQ(RecNo(), 3);
  DbSelectArea(Value(1));
  EXPECT_EQ(LastRec(), 3);
  EXPECT_FALSE(FLock());  // B holds its new record
  DbSelectArea(Value(2));
  DbUnlock();
  // A file lock elsewhere keeps appends out: NetErr after a short patience,
  // well inside the half second callers wait between their attempts.
  DbSelectArea(Value(1));
  DbUnlock();
  ASSERT_TRUE(FLock());
  DbSelectArea(Value(2));
  VirtualClock clock;
  ScopedClock useClock(clock);
  DbAppend(Value(1));
  EXPECT_TRUE(NetErr());
  EXPECT_GT(clock.elapsed(), std::chrono::milliseconds(0));
  EXPECT_LT(clock.elapsed(), std::chrono::milliseconds(500));
  EXPECT_EQ(LastRec(), 3);
}

}  // namespace
}  // namespace kalvento::rt::db
