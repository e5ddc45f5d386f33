// Tables through the runtime's table functions: every field type, navigation,
// deleted records, work areas and aliases, damaged files.
#include <gtest/gtest.h>

#include <fstream>

#include "runtime/db/engine_setup.h"
#include "runtime/db/table_functions.h"
#include "runtime/routines.h"
#include "runtime/runtime_error.h"
#include "runtime/start_sequence.h"
#include "tests/runtime/db/db_test_util.h"

namespace kalvento::rt::db {
namespace {

using testing::Row;
using testing::Structure;
using testing::TempDir;

Value AllTypes() {
  return Structure({Row("NAME", "C", 20), Row("LONGTEXT", "C", 400), Row("AMOUNT", "N", 10, 2),
                    Row("RATE", "F", 8, 3), Row("ACTIVE", "L", 1), Row("BORN", "D", 8),
                    Row("NOTES", "M", 10)});
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Table, EveryFieldTypeRoundTripsThroughTheFile) {
  TempDir dir;
  DbCreate(dir.file("all"), AllTypes());
  DbUseArea(Value(), Value(), Value(dir.file("all")), Value(), Value(false));
  ASSERT_FALSE(NetErr());
  DbAppend();
  FieldPut(1, Value("Müller"));
  FieldPut(2, Value(std::string(400, 'x')));
  FieldPut(3, Value(-1234.5));
  FieldPut(4, Value(3.14159));
  FieldPut(5, Value(true));
  FieldPut(6, Value(Date::FromYmd(1991, 2, 28)));
  FieldPut(7, Value("Zeile 1\r\nZeile 2" + std::string(600, 'm')));
  DbAppend();  // a blank record after it
  DbCloseArea();

  std::string bytes = Bytes(dir.file("all.dbf"));
  EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x83);
  EXPECT_EQ(bytes[4], 2);
  EXPECT_EQ(bytes.back(), '\x1A');
  const size_t hdr = 32 + 7 * 32 + 2;
  EXPECT_EQ(bytes.substr(hdr + 1 + 20 + 400, 10), "  -1234.50");
  EXPECT_EQ(bytes.substr(hdr + 1 + 20 + 400 + 10, 8), "   3.142");

  DbUseArea(Value(), Value(), Value(dir.file("ALL")));  // name case and extension as written
  ASSERT_TRUE(Used());
  EXPECT_EQ(Alias(), "ALL");
  EXPECT_EQ(LastRec(), 2);
  EXPECT_EQ(FieldGet(1), Value("Müller" + std::string(20 - 7, ' ')));  // ü is two bytes
  EXPECT_EQ(FieldGet(2), Value(std::string(400, 'x')));
  EXPECT_EQ(FieldGet(3), Value(-1234.5));
  EXPECT_DOUBLE_EQ(FieldGet(4).number(), 3.142);
  EXPECT_EQ(FieldGet(5), Value(true));
  EXPECT_EQ(FieldGet(6), Value(Date::FromYmd(1991, 2, 28)));
  EXPECT_EQ(FieldGet(7), Value("Zeile 1\r\nZeile 2" + std::string(600, 'm')));
  DbSkip();
  EXPECT_EQ(FieldGet(1), Value(std::string(20, ' ')));
  EXPECT_EQ(FieldGet(3), Value(0.0));
  EXPECT_EQ(FieldGet(5), Value(false));
  EXPECT_TRUE(FieldGet(6).date().empty());
  EXPECT_EQ(FieldGet(7), Value(""));
}

TEST(Table, FieldAccessByNameAndPosition) {
  TempDir dir;
  DbCreate(dir.file("t"), AllTypes(), Value(), Value(true));
  EXPECT_EQ(FCount(), 7);
  EXPECT_EQ(FieldPos("amount"), 3);
  EXPECT_EQ(FieldPos("nothing"), 0);
  EXPECT_EQ(FieldName(7), "NOTES");
  EXPECT_EQ(FieldName(8), "");
  EXPECT_TRUE(IsFieldVar("born"));
  EXPECT_TRUE(IsFieldVar("T->Born"));
  EXPECT_FALSE(IsFieldVar("OTHER->BORN"));
  EXPECT_FALSE(IsFieldVar("datver"));
  Array s = DbStruct().array();
  ASSERT_EQ(s.size(), 7u);
  EXPECT_EQ(s[2].array()[0], Value("AMOUNT"));
  EXPECT_EQ(s[2].array()[1], Value("N"));
  EXPECT_EQ(s[2].array()[2], Value(10));
  EXPECT_EQ(s[2].array()[3], Value(2));
  EXPECT_EQ(s[1].array()[2], Value(400));
  DbAppend();
  EXPECT_THROW(FieldPut(9, Value("x")), RuntimeError);
  EXPECT_THROW(FieldPut(3, Value("text into a number")), RuntimeError);
  EXPECT_THROW(FieldPut(3, Value(123456789.0)), RuntimeError);  // would not fit N(10,2)
  EXPECT_EQ(FieldGet(3), Value(0.0));                           // nothing half-written
}

TEST(Table, NavigationAndEndMarkers) {
  TempDir dir;
  DbCreate(dir.file("nav"), Structure({Row("N", "N", 5)}), Value(), Value(true), Value());
  EXPECT_TRUE(Eof());
  EXPECT_TRUE(Bof());
  EXPECT_EQ(RecNo(), 1);  // the end-of-file record of an empty table
  for (int i = 1; i <= 5; ++i) {
    DbAppend();
    FieldPut(1, Value(i * 10));
  }
  DbGoTop();
  EXPECT_EQ(RecNo(), 1);
  EXPECT_FALSE(Bof());
  DbSkip(Value(-1));
  EXPECT_TRUE(Bof());
  EXPECT_EQ(RecNo(), 1);
  DbSkip(Value(3));
  EXPECT_EQ(FieldGet(1), Value(40));
  DbSkip(Value(10));
  EXPECT_TRUE(Eof());
  EXPECT_EQ(RecNo(), 6);
  EXPECT_EQ(FieldGet(1), Value(0.0));
  DbSkip(Value(-1));
  EXPECT_EQ(RecNo(), 5);
  DbGoBottom();
  EXPECT_EQ(RecNo(), 5);
  DbGoto(Value(3));
  EXPECT_EQ(FieldGet(1), Value(30));
  DbGoto(Value(99));
  EXPECT_TRUE(Eof());
  EXPECT_EQ(LastRec(), 5);
}

TEST(Table, DeletedRecordsAreHiddenWhenTheSettingSaysSo) {
  TempDir dir;
  DbCreate(dir.file("del"), Structure({Row("N", "N", 5)}), Value(), Value(true));
  for (int i = 1; i <= 6; ++i) {
    DbAppend();
    FieldPut(1, Value(i));
  }
  for (int n : {1, 3, 4, 6}) {
    DbGoto(Value(n));
    DbDelete();
    EXPECT_TRUE(Deleted());
  }
  DbGoto(Value(4));
  DbRecall();
  EXPECT_FALSE(Deleted());
  DbGoto(Value(4));
  DbDelete();

  SetDeleted(Value(false));
  DbGoTop();
  EXPECT_EQ(RecNo(), 1);

  SetDeleted(Value(true));
  std::vector<double> seen;
  for (DbGoTop(); !Eof(); DbSkip()) seen.push_back(RecNo());
  EXPECT_EQ(seen, (std::vector<double>{2, 5}));
  DbGoBottom();
  EXPECT_EQ(RecNo(), 5);
  DbSkip(Value(-1));
  EXPECT_EQ(RecNo(), 2);
  DbSkip(Value(-1));
  EXPECT_TRUE(Bof());
  EXPECT_EQ(RecNo(), 2);  // the first visible record
  DbGoto(Value(3));       // a go-to reaches a deleted record all the same
  EXPECT_EQ(RecNo(), 3);
  EXPECT_TRUE(Deleted());
  DbGoto(Value(1));   // a hidden record reached by go-to ...
  DbSkip(Value(-1));  // ... skipping back from it ends on the first visible one
  EXPECT_TRUE(Bof());
  EXPECT_EQ(RecNo(), 2);

  // Everything deleted: top and bottom are end of file.
  for (int n : {2, 5}) {
    DbGoto(Value(n));
    DbDelete();
  }
  DbGoTop();
  EXPECT_TRUE(Eof());
  DbGoBottom();
  EXPECT_TRUE(Eof());
  DbCloseArea();

  // The mark is in the file.
  SetDeleted(Value(false));
  DbUseArea(Value(), Value(), Value(dir.file("del")));
  DbGoto(Value(5));
  EXPECT_TRUE(Deleted());
}

TEST(Table, WorkAreasSelectionAndAliases) {
  TempDir dir;
  DbCreate(dir.file("kunden"), Structure({Row("A", "C", 3)}));
  DbCreate(dir.file("artikel"), Structure({Row("B", "C", 3)}));
  EXPECT_EQ(Select(), 1);
  DbSelectArea(Value("9"));
  EXPECT_EQ(Select(), 9);
  EXPECT_FALSE(Used());
  DbUseArea(Value(), Value(), Value(dir.file("kunden")));
  EXPECT_EQ(Alias(), "KUNDEN");
  DbUseArea(Value(true), Value(), Value(dir.file("artikel")), Value("art"));
  EXPECT_EQ(Select(), 1);  // the lowest free area
  EXPECT_EQ(Alias(), "ART");
  EXPECT_EQ(Select(Value("kunden")), 9);
  EXPECT_EQ(Select(Value("nichts")), 0);
  EXPECT_EQ(Alias(Value(9)), "KUNDEN");
  DbSelectArea(Value("Kunden"));
  EXPECT_EQ(Select(), 9);
  EXPECT_EQ(FieldName(1), "A");
  EXPECT_THROW(DbSelectArea(Value("unknown")), RuntimeError);
  // The same alias twice in one thread is refused.
  DbSelectArea(Value(3));
  EXPECT_THROW(DbUseArea(Value(), Value(), Value(dir.file("kunden"))), RuntimeError);
  EXPECT_FALSE(Used());
  DbSelectArea(Value(9));
  DbCloseArea();
  EXPECT_FALSE(Used());
  EXPECT_EQ(Select(Value("kunden")), 0);
  DbSelectArea(Value(0));
  EXPECT_EQ(Select(), 2);
  DbCloseAll();
  DbSelectArea(Value(1));
  EXPECT_FALSE(Used());
  EXPECT_THROW(DbGoTop(), RuntimeError);  // no table in the area
}

TEST(Table, DamagedFilesAreClearErrorsAtOpenOrAccess) {
  TempDir dir;
  DbCreate(dir.file("memo"), Structure({Row("T", "M", 10)}), Value(), Value(true));
  DbAppend();
  FieldPut(1, Value("text"));
  DbCloseArea();

  // A missing memo file: at open.
  std::filesystem::remove(dir.file("memo.dbt"));
  try {
    DbUseArea(Value(), Value(), Value(dir.file("memo")));
    ADD_FAILURE() << "opened without memo file";
  } catch (const RuntimeError& e) {
    EXPECT_NE(std::string(e.what()).find("memo.dbt"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(Used());

  // A memo pointer outside the memo file: at the access.
  DbCreate(dir.file("memo2"), Structure({Row("T", "M", 10)}), Value(), Value(true));
  DbAppend();
  FieldPut(1, Value("text"));
  DbCloseArea();
  {
    std::fstream f(dir.file("memo2.dbf"), std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(32 + 32 + 2 + 1);
    f << "      9999";
  }
  DbUseArea(Value(), Value(), Value(dir.file("memo2")));
  EXPECT_THROW(FieldGet(1), RuntimeError);
  DbCloseArea();

  // A number field holding garbage.
  DbCreate(dir.file("num"), Structure({Row("N", "N", 5)}), Value(), Value(true));
  DbAppend();
  DbCloseArea();
  {
    std::fstream f(dir.file("num.dbf"), std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(32 + 32 + 2 + 1);
    f << "1x2  ";
  }
  DbUseArea(Value(), Value(), Value(dir.file("num")));
  EXPECT_THROW(FieldGet(1), RuntimeError);
  DbCloseArea();

  // A record count beyond the file.
  {
    std::fstream f(dir.file("num.dbf"), std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(4);
    f.put(50);
  }
  EXPECT_THROW(DbUseArea(Value(), Value(), Value(dir.file("num"))), RuntimeError);
  EXPECT_THROW(DbUseArea(Value(), Value(), Value(dir.file("missing"))), RuntimeError);
}

TEST(Table, CommitWritesHeaderDateAndCount) {
  TempDir dir;
  DbCreate(dir.file("c"), Structure({Row("A", "C", 3)}), Value(), Value(true));
  DbAppend();
  FieldPut(1, Value("abc"));
  DbCommit();
  std::string bytes = Bytes(dir.file("c.dbf"));
  EXPECT_EQ(bytes[4], 1);
  EXPECT_EQ(bytes.substr(32 + 32 + 2, 4), " abc");
  int y, m, d;
  Date::Today().ToYmd(&y, &m, &d);
  EXPECT_EQ(static_cast<unsigned char>(bytes[1]), y - 1900);
}

}  // namespace
}  // namespace kalvento::rt::db

namespace kalvento::rt::db {
namespace {

// The start sequence with the engine installed: the table routines are there
// by name, and the exit routine writes and closes what the program left open.
TEST(TableEngineSetup, RoutinesByNameAndTablesClosedAtExit) {
  TempDir dir;
  const std::string path = dir.file("exit");
  RegisterRoutine("DbEngineTestStart", [path](const Args&) {
    CallRoutine("DbCreate", {Value(path), Structure({Row("A", "C", 4)})});
    CallRoutine("DbUseArea", {Value(), Value(), Value(path), Value(), Value(false)});
    CallRoutine("DbAppend", {});
    CallRoutine("FieldPut", {Value(1), Value("left")});
    return Value();  // the area stays open, its record unwritten
  });
  InstallTableEngine();
  EXPECT_EQ(RunStartSequence("DbEngineTestStart"), 0);
  EXPECT_FALSE(Used());
  std::string bytes = Bytes(path + ".dbf");
  ASSERT_GE(bytes.size(), 32u + 32 + 2 + 5);
  EXPECT_EQ(bytes[4], 1);
  EXPECT_EQ(bytes.substr(32 + 32 + 2, 5), " left");
}

}  // namespace
}  // namespace kalvento::rt::db
