#include "runtime/db/structure_copy.h"

#include <gtest/gtest.h>

#include <fstream>

#include "runtime/db/table_functions.h"
#include "runtime/runtime_error.h"
#include "tests/runtime/db/db_test_util.h"

namespace kalvento::rt::db {
namespace {

using testing::Row;
using testing::Structure;
using testing::TempDir;

void MakeThreeFieldTable(const TempDir& dir) {
  DbCreate(dir.file("kunde"),
           Structure({Row("NAME", "C", 20), Row("UMSATZ", "N", 10, 2), Row("NOTIZ", "M", 10)}),
           Value(), Value(true));
  for (int i = 1; i <= 5; ++i) {
    DbAppend();
    FieldPut(1, Value("Kunde " + std::to_string(i)));
    FieldPut(2, Value(i * 100.25));
    FieldPut(3, Value("Notiz " + std::to_string(i)));
  }
  DbGoto(Value(4));
  DbDelete();
  DbCloseArea();
}

// The rebuild a table's structure extension does: backup, working copy,
// structure table, new fields, new table, records back.
TEST(StructureCopy, RebuildWithANewFieldKeepsEveryRecord) {
  TempDir dir;
  MakeThreeFieldTable(dir);
  const std::string table = dir.file("kunde");
  DbSelectArea(Value(5));
  DbUseArea(Value(), Value(), Value(table));
  _DbExport(Value(table + "k"), Value(Array{}), Value(false));
  _DbExport(Value(dir.file("temp")), Value(Array{}), Value(false));
  DbCopyExtStruct(Value(dir.file("Struct")));
  DbUseArea(Value(), Value(), Value(dir.file("Struct")));
  EXPECT_EQ(LastRec(), 3);
  EXPECT_EQ(FieldName(1), "FIELD_NAME");
  EXPECT_EQ(FieldGet(1), Value("NAME      "));
  DbAppend();
  FieldPut(FieldPos("Field_Name"), Value("ORT"));
  FieldPut(FieldPos("Field_Type"), Value("C"));
  FieldPut(FieldPos("Field_Len"), Value(40));
  FieldPut(FieldPos("Field_Dec"), Value(0));
  DbCloseArea();
  DbCreateFrom(Value(table), Value(), Value(dir.file("Struct")));
  EXPECT_EQ(Select(), 5);
  EXPECT_EQ(LastRec(), 0);
  DbUseArea(Value(), Value(), Value(table));
  DbImport(Value(dir.file("Temp")));  // the copy is found without regard to case
  ASSERT_EQ(LastRec(), 5);
  ASSERT_EQ(FCount(), 4);
  EXPECT_EQ(FieldName(4), "ORT");
  for (int i = 1; i <= 5; ++i) {
    DbGoto(Value(i));
    EXPECT_EQ(FieldGet(1).text().substr(0, 7), "Kunde " + std::to_string(i));
    EXPECT_DOUBLE_EQ(FieldGet(2).number(), i * 100.25);
    EXPECT_EQ(FieldGet(3), Value("Notiz " + std::to_string(i)));
    EXPECT_EQ(FieldGet(4), Value(std::string(40, ' ')));
    EXPECT_EQ(Deleted(), i == 4);
  }
  DbCloseArea();
  EXPECT_EQ(FErase(Value(dir.file("Struct.dbf"))), 0);
  EXPECT_EQ(FErase(Value(dir.file("Struct.dbf"))), -1);

  // The backup holds the old table whole.
  DbUseArea(Value(), Value(), Value(table + "k"));
  EXPECT_EQ(FCount(), 3);
  EXPECT_EQ(LastRec(), 5);
  DbGoto(Value(5));
  EXPECT_EQ(FieldGet(3), Value("Notiz 5"));
}

TEST(StructureCopy, ExportFollowsScopeAndHiddenDeletedRecords) {
  TempDir dir;
  DbCreate(dir.file("src"), Structure({Row("N", "N", 4), Row("T", "C", 3)}), Value(), Value(true));
  for (int i = 1; i <= 6; ++i) {
    DbAppend();
    FieldPut(1, Value(i));
  }
  DbGoto(Value(2));
  DbDelete();
  DbGoto(Value(3));
  SetDeleted(Value(true));
  _DbExport(Value(dir.file("a")));
  _DbExport(Value(dir.file("b")), Value(Array{Value("n")}), Value(), Value(),
            Value(CodeBlock([](const Args&) { return Value(FieldGet(1).number() < 5); })));
  _DbExport(Value(dir.file("c")), Value(), Value(true), Value(), Value(), Value(2));
  EXPECT_EQ(RecNo(), 3);  // the pointer is back
  SetDeleted(Value(false));
  auto numbers = [&](const char* name) {
    DbUseArea(Value(true), Value(), Value(dir.file(name)));
    std::vector<int> out;
    for (DbGoTop(); !Eof(); DbSkip()) out.push_back(static_cast<int>(FieldGet(1).number()));
    int fields = FCount();
    DbCloseArea();
    return std::make_pair(out, fields);
  };
  EXPECT_EQ(numbers("a"), std::make_pair(std::vector<int>{1, 3, 4, 5, 6}, 2));
  EXPECT_EQ(numbers("b"), std::make_pair(std::vector<int>{1, 3, 4}, 1));
  EXPECT_EQ(numbers("c"), std::make_pair(std::vector<int>{3, 4}, 2));
}

TEST(StructureCopy, ExportOfAWholeTableIsByteForByteTheRecords) {
  TempDir dir;
  DbCreate(dir.file("src"), Structure({Row("N", "N", 4), Row("T", "C", 3)}), Value(), Value(true));
  for (int i = 1; i <= 1000; ++i) {
    DbAppend();
    FieldPut(1, Value(i));
    FieldPut(2, Value(std::to_string(i % 7)));
    if (i % 10 == 0) DbDelete();
  }
  _DbExport(Value(dir.file("copy")));
  DbCloseArea();
  auto body = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(in)), {});
    return all.substr(32 + 2 * 32 + 2);
  };
  EXPECT_EQ(body(dir.file("copy.dbf")), body(dir.file("src.dbf")));
}

TEST(StructureCopy, CreatingOverATableInUseIsRefused) {
  TempDir dir;
  DbCreate(dir.file("busy"), Structure({Row("A", "C", 1)}), Value(), Value(true));
  DbAppend();
  DbSelectArea(Value(2));
  EXPECT_THROW(DbCreate(Value(dir.file("busy")), Structure({Row("B", "C", 1)})), RuntimeError);
  DbSelectArea(Value(1));
  EXPECT_EQ(LastRec(), 1);
  EXPECT_THROW(DbCreate(Value(dir.file("bad")), Structure({Row("A", "X", 1)})), RuntimeError);
  EXPECT_THROW(DbCreate(Value(dir.file("bad")), Structure({Row("A", "C", 1), Row("a", "N", 2)})),
               RuntimeError);
}

}  // namespace
}  // namespace kalvento::rt::db
