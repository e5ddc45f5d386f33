// The kalvento-dbf tool, run as a program on tables this test writes.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "runtime/db/table_functions.h"
#include "tests/runtime/db/db_test_util.h"

namespace kalvento::rt::db {
namespace {

using testing::Row;
using testing::Structure;
using testing::TempDir;

struct Result {
  int status;
  std::string out;
};

Result Tool(const std::string& args) {
  std::string command = std::string(KALVENTO_DBF_TOOL) + " " + args + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  int status = ::pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

class DbfToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DbCreate(dir_.file("t"), Structure({Row("NAME", "C", 8), Row("N", "N", 5, 1)}), Value(),
             Value(true));
    const char* names[] = {"b,c", "a\"q", "c"};
    for (int i = 0; i < 3; ++i) {
      DbAppend();
      FieldPut(1, Value(names[i]));
      FieldPut(2, Value(i - 1.5));
    }
    DbGoto(Value(3));
    DbDelete();
    DbCloseArea();
    table_ = dir_.file("t.dbf");
  }
  TempDir dir_;
  std::string table_;
};

TEST_F(DbfToolTest, ListIndexSeekAndCheck) {
  EXPECT_EQ(Tool("list " + table_).out, "NAME,N\n\"b,c\",-1.5\n\"a\"\"q\",-0.5\n");
  EXPECT_EQ(Tool("list " + table_ + " --deleted").out,
            "NAME,N,DELETED\n\"b,c\",-1.5,\n\"a\"\"q\",-0.5,\nc,0.5,*\n");
  Result made = Tool("index " + table_ + " " + dir_.file("byn") + " N");
  ASSERT_EQ(made.status, 0) << made.out;
  EXPECT_EQ(Tool("list " + table_ + " --index " + dir_.file("byn.ntx") + " --deleted").out,
            "NAME,N,DELETED\n\"b,c\",-1.5,\n\"a\"\"q\",-0.5,\nc,0.5,*\n");
  EXPECT_EQ(Tool("seek " + table_ + " " + dir_.file("byn") + " -0.5").out,
            "NAME,N\n\"a\"\"q\",-0.5\n");
  EXPECT_EQ(Tool("seek " + table_ + " " + dir_.file("byn") + " 7").status, 1);
  Result ok = Tool("check " + table_ + " " + dir_.file("byn"));
  EXPECT_EQ(ok.status, 0) << ok.out;
  Result info = Tool("info " + table_);
  EXPECT_NE(info.out.find("Sätze:        3"), std::string::npos) << info.out;
}

TEST_F(DbfToolTest, CheckAndErrorsSayWhatIsWrong) {
  ASSERT_EQ(Tool("index " + table_ + " " + dir_.file("byname") + " NAME").status, 0);
  // Record 1 gets another name behind the index's back.
  {
    std::fstream f(table_, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(32 + 2 * 32 + 2 + 1);
    f << "zzz";
  }
  Result bad = Tool("check " + table_ + " " + dir_.file("byname"));
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.out.find("Satz 1 fehlt unter seinem Schlüssel"), std::string::npos) << bad.out;
  // A record count beyond the file.
  {
    std::fstream f(table_, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(4);
    f.put(9);
  }
  bad = Tool("check " + table_);
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.out.find("Satzanzahl 9"), std::string::npos) << bad.out;
  Result missing = Tool("list " + dir_.file("none.dbf"));
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(std::count(missing.out.begin(), missing.out.end(), '\n'), 1) << missing.out;
  EXPECT_EQ(Tool("frobnicate").status, 2);
}

}  // namespace
}  // namespace kalvento::rt::db
