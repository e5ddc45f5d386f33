// Interoperability with DBF programs written elsewhere: Debian's python3 with
// its dbf and dbfread packages reads what this engine writes, and this engine
// reads what python's dbf writes.
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

constexpr const char* kPython = "/usr/bin/python3";

// Runs a python script (written to a file) and returns its standard output.
std::string RunPython(const TempDir& dir, const std::string& script, const std::string& arg,
                      int* status) {
  std::string path = dir.file("script.py");
  std::ofstream(path) << script;
  std::string command = std::string(kPython) + " " + path + " " + arg + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  *status = ::pclose(pipe);
  return out;
}

// Every record as one line: name|amount|rate|active|born|notes|deleted.
constexpr const char* kReadWithDbf = R"(
import sys, dbf
t = dbf.Table(sys.argv[1])
t.open(dbf.READ_ONLY)
def esc(s): return s.replace('\r', '\\r').replace('\n', '\\n')
for r in t:
    born = r.born.strftime('%Y%m%d') if r.born else ''
    active = {True: 'T', False: 'F', None: '?'}[r.active if r.active in (True, False) else None]
    print('%s|%.2f|%.3f|%s|%s|%s|%s' % (r.name.rstrip(), r.amount or 0, r.rate or 0, active, born,
          esc(r.notes), 'D' if dbf.is_deleted(r) else ''))
)";

constexpr const char* kReadWithDbfread = R"(
import sys, dbfread
t = dbfread.DBF(sys.argv[1], load=True, encoding='ascii')
def esc(s): return s.replace('\r', '\\r').replace('\n', '\\n')
def line(r, deleted):
    born = r['BORN'].strftime('%Y%m%d') if r['BORN'] else ''
    active = {True: 'T', False: 'F', None: '?'}[r['ACTIVE']]
    return '%s|%.2f|%.3f|%s|%s|%s|%s' % (r['NAME'], r['AMOUNT'] or 0, r['RATE'] or 0, active,
          born, esc(r['NOTES'] or ''), deleted)
for r in t.records: print(line(r, ''))
for r in t.deleted: print(line(r, 'D'))
)";

void WriteSample(const TempDir& dir) {
  DbCreate(dir.file("sample"),
           Structure({Row("NAME", "C", 20), Row("AMOUNT", "N", 10, 2), Row("RATE", "F", 8, 3),
                      Row("ACTIVE", "L", 1), Row("BORN", "D", 8), Row("NOTES", "M", 10)}),
           Value(), Value(true));
  DbAppend();
  FieldPut(1, Value("Erika Mustermann"));
  FieldPut(2, Value(-1234.56));
  FieldPut(3, Value(0.125));
  FieldPut(4, Value(true));
  FieldPut(5, Value(Date::FromYmd(1964, 8, 12)));
  FieldPut(6, Value("Erste Zeile\r\nZweite Zeile " + std::string(1100, 'z')));
  DbAppend();
  FieldPut(1, Value("Leer"));
  DbAppend();
  FieldPut(1, Value("Geloescht"));
  FieldPut(2, Value(7.0));
  FieldPut(4, Value(false));
  FieldPut(6, Value("kurz"));
  DbDelete();
  DbCloseArea();
}

const char* const kExpected =
    "Erika Mustermann|-1234.56|0.125|T|19640812|Erste Zeile\\r\\nZweite Zeile %s|\n"
    "Leer|0.00|0.000|%s|||\n"
    "Geloescht|7.00|0.000|F||kurz|D\n";

std::string Expected(const char* blankLogical) {
  char buf[4096];
  std::snprintf(buf, sizeof buf, kExpected, std::string(1100, 'z').c_str(), blankLogical);
  return buf;
}

TEST(Interop, PythonDbfReadsWhatThisEngineWrites) {
  TempDir dir;
  WriteSample(dir);
  int status = 0;
  std::string out = RunPython(dir, kReadWithDbf, dir.file("sample.dbf"), &status);
  ASSERT_EQ(status, 0) << out;
  EXPECT_EQ(out, Expected("?"));  // blank logicals read as unknown, blank numbers as empty
}

TEST(Interop, DbfreadReadsWhatThisEngineWrites) {
  TempDir dir;
  WriteSample(dir);
  int status = 0;
  std::string out = RunPython(dir, kReadWithDbfread, dir.file("sample.dbf"), &status);
  ASSERT_EQ(status, 0) << out;
  EXPECT_EQ(out, Expected("?"));
}

TEST(Interop, ThisEngineReadsWhatPythonDbfWrites) {
  TempDir dir;
  int status = 0;
  std::string out = RunPython(dir, R"(
import sys, dbf, datetime
t = dbf.Table(sys.argv[1] + '/memo.dbf', 'name C(12); amount N(9,3); born D; ok L; notes M',
              dbf_type='db3')
t.open(dbf.READ_WRITE)
t.append(('first', -0.5, datetime.date(2001, 12, 31), True, 'line one\r\nline two ' + 'q' * 700))
t.append(('second', 42, None, False, ''))
t.append(('third', 1.25, datetime.date(1999, 1, 1), None, 'x'))
dbf.delete(t[2])
t.close()
t = dbf.Table(sys.argv[1] + '/long.dbf', 'text C(300); n N(3,0)', dbf_type='clp')
t.open(dbf.READ_WRITE)
t.append(('L' * 299 + 'R', 7))
t.close()
)",
                              dir.path(), &status);
  ASSERT_EQ(status, 0) << out;

  DbUseArea(Value(), Value(), Value(dir.file("memo")));
  ASSERT_EQ(LastRec(), 3);
  EXPECT_EQ(FieldGet(1), Value("first       "));
  EXPECT_EQ(FieldGet(2), Value(-0.5));
  EXPECT_EQ(FieldGet(3), Value(Date::FromYmd(2001, 12, 31)));
  EXPECT_EQ(FieldGet(4), Value(true));
  EXPECT_EQ(FieldGet(5), Value("line one\r\nline two " + std::string(700, 'q')));
  DbSkip();
  EXPECT_EQ(FieldGet(2), Value(42.0));
  EXPECT_TRUE(FieldGet(3).date().empty());
  EXPECT_EQ(FieldGet(4), Value(false));
  EXPECT_EQ(FieldGet(5), Value(""));
  EXPECT_FALSE(Deleted());
  DbSkip();
  EXPECT_EQ(FieldGet(4), Value(false));  // python's unknown logical "?"
  EXPECT_EQ(FieldGet(5), Value("x"));
  EXPECT_TRUE(Deleted());
  // A memo written here goes after python's and both stay readable.
  ASSERT_TRUE(RLock());
  FieldPut(5, Value("neu"));
  DbCloseArea();
  DbUseArea(Value(), Value(), Value(dir.file("memo")));
  EXPECT_EQ(FieldGet(5), Value("line one\r\nline two " + std::string(700, 'q')));
  DbGoto(Value(3));
  EXPECT_EQ(FieldGet(5), Value("neu"));
  DbCloseArea();

  DbUseArea(Value(), Value(), Value(dir.file("long")));
  ASSERT_EQ(FCount(), 2);
  EXPECT_EQ(FieldGet(1), Value(std::string(299, 'L') + "R"));
  EXPECT_EQ(FieldGet(2), Value(7.0));
}

}  // namespace
}  // namespace kalvento::rt::db
