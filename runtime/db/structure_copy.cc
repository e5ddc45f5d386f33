#include "runtime/db/structure_copy.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "runtime/db/io.h"
#include "runtime/db/table_functions.h"
#include "runtime/db/work_areas.h"
#include "runtime/host_path.h"
#include "runtime/routines.h"
#include "runtime/runtime_error.h"
#include "runtime/text.h"

namespace kalvento::rt::db {
namespace {

std::string FileArg(const Value& v, const char* op) {
  if (!v.isText() || v.text().empty())
    throw RuntimeError("data type error", std::string(op) + " erwartet einen Dateinamen");
  return v.text();
}

std::string Trimmed(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
  size_t a = s.find_first_not_of(' ');
  return a == std::string::npos ? std::string() : s.substr(a);
}

void OpenCreated(const std::string& name, const Value& newArea, const Value& alias) {
  if (!newArea.isLogical()) return;
  DbUseArea(newArea, Value(), Value(name), alias);
}

// Exclusive, non-notifying access to the current area for a copy; puts the
// record pointer back afterwards.
class QuietPosition {
 public:
  explicit QuietPosition(WorkArea& area) : area_(area), recNo_(area.recNo()) {
    area_.notifications().suspend();
  }
  ~QuietPosition() {
    try {
      area_.goTo(recNo_);
    } catch (const RuntimeError&) {
    }
    area_.notifications().resume();
  }

 private:
  WorkArea& area_;
  uint32_t recNo_;
};

bool IsTrue(const Value& v) { return v.isLogical() && v.logical(); }

Value Convert(const Value& v, char toType) {
  switch (toType) {
    case 'C':
    case 'M':
      return v.isText() ? v : Value();
    case 'N':
    case 'F':
      return v.isNumber() ? v : Value();
    case 'L':
      return v.isLogical() ? v : Value();
    case 'D':
      return v.isDate() ? v : Value();
    default:
      return Value();
  }
}

}  // namespace

void DbCopyExtStruct(const Value& file) {
  WorkArea& area = WorkAreas::ForThread().used("DbCopyExtStruct");
  std::string path = TableHostPath(FileArg(file, "DbCopyExtStruct"), ".dbf");
  DbfTable::Create(path, {{"FIELD_NAME", 'C', 10, 0, 0},
                          {"FIELD_TYPE", 'C', 1, 0, 0},
                          {"FIELD_LEN", 'N', 3, 0, 0},
                          {"FIELD_DEC", 'N', 3, 0, 0}});
  DbfTable::OpenResult out = DbfTable::Open(path, true, false);
  if (out.busy) throw RuntimeError("Tabelle wird benutzt", path);
  std::string rec;
  for (const FieldInfo& f : area.table().fields()) {
    rec = out.table->blankRecord();
    int len = f.length, dec = f.decimals;
    if (f.type == 'C' && len > 999) {
      dec = len / 256;
      len = len % 256;
    }
    out.table->encodeField(0, Value(f.name), &rec);
    out.table->encodeField(1, Value(std::string(1, f.type)), &rec);
    out.table->encodeField(2, Value(len), &rec);
    out.table->encodeField(3, Value(dec), &rec);
    out.table->appendRecord(rec);
  }
  out.table->commit();
}

void DbCreateFrom(const Value& file, const Value& driver, const Value& structFile,
                  const Value& newArea, const Value& alias) {
  std::string name = FileArg(file, "DbCreateFrom");
  std::string structPath = TableHostPath(FileArg(structFile, "DbCreateFrom"), ".dbf");
  std::vector<FieldInfo> fields;
  {
    DbfTable::OpenResult in = DbfTable::Open(structPath, false, true);
    if (in.busy) throw RuntimeError("Tabelle wird benutzt", structPath);
    DbfTable& t = *in.table;
    int iName = t.fieldIndex("FIELD_NAME"), iType = t.fieldIndex("FIELD_TYPE"),
        iLen = t.fieldIndex("FIELD_LEN"), iDec = t.fieldIndex("FIELD_DEC");
    if (iName < 0 || iType < 0 || iLen < 0 || iDec < 0)
      throw RuntimeError("keine Strukturtabelle: " + structPath,
                         "Felder FIELD_NAME, FIELD_TYPE, FIELD_LEN, FIELD_DEC erwartet");
    std::string rec;
    for (uint32_t n = 1; n <= t.recordCount(); ++n) {
      t.readRecord(n, &rec);
      if (rec[0] == '*') continue;
      FieldInfo f;
      f.name = Trimmed(t.decodeField(iName, rec).text());
      std::string type = Trimmed(t.decodeField(iType, rec).text());
      f.type = type.empty() ? ' ' : type[0];
      f.length = static_cast<int>(t.decodeField(iLen, rec).number());
      f.decimals = static_cast<int>(t.decodeField(iDec, rec).number());
      if ((f.type == 'C' || f.type == 'c') && f.decimals > 0) {
        f.length += 256 * f.decimals;
        f.decimals = 0;
      }
      fields.push_back(f);
    }
  }
  DbfTable::Create(TableHostPath(name, ".dbf"), fields);
  DbUseArea(Value(IsTrue(newArea)), Value(), Value(name), alias);
}

void DbCreate(const Value& file, const Value& structure, const Value& driver, const Value& newArea,
              const Value& alias) {
  std::string name = FileArg(file, "DbCreate");
  if (!structure.isArray())
    throw RuntimeError("data type error", "DbCreate erwartet eine Struktur");
  std::vector<FieldInfo> fields;
  for (const Value& row : structure.array()) {
    if (!row.isArray() || row.array().size() < 3)
      throw RuntimeError("ungültige Felddefinition", "DbCreate: {Name, Typ, Länge, Dezimalen}");
    const Array& r = row.array();
    FieldInfo f;
    if (!r[0].isText() || !r[1].isText() || r[1].text().empty() || !r[2].isNumber())
      throw RuntimeError("ungültige Felddefinition", "DbCreate: {Name, Typ, Länge, Dezimalen}");
    f.name = Trimmed(r[0].text());
    f.type = r[1].text()[0];
    f.length = static_cast<int>(r[2].number());
    f.decimals = r.size() > 3 && r[3].isNumber() ? static_cast<int>(r[3].number()) : 0;
    fields.push_back(f);
  }
  DbfTable::Create(TableHostPath(name, ".dbf"), fields);
  OpenCreated(name, newArea, alias);
}

void _DbExport(const Value& file, const Value& fieldList, const Value& rest, const Value& forBlock,
               const Value& whileBlock, const Value& next, const Value& record,
               const Value& driver) {
  WorkArea& area = WorkAreas::ForThread().used("_DbExport");
  area.flush();
  std::string path = TableHostPath(FileArg(file, "_DbExport"), ".dbf");
  const std::vector<FieldInfo>& source = area.table().fields();
  std::vector<int> pick;
  if (fieldList.isArray() && !fieldList.array().empty()) {
    for (const Value& v : fieldList.array()) {
      if (!v.isText()) continue;
      int i = area.table().fieldIndex(Trimmed(v.text()));
      if (i < 0) throw RuntimeError("Feld existiert nicht", v.text());
      if (std::find(pick.begin(), pick.end(), i) == pick.end()) pick.push_back(i);
    }
  } else {
    for (size_t i = 0; i < source.size(); ++i) pick.push_back(static_cast<int>(i));
  }
  std::vector<FieldInfo> fields;
  for (int i : pick) fields.push_back(source[static_cast<size_t>(i)]);
  bool allFields = pick.size() == source.size();
  for (size_t i = 0; allFields && i < pick.size(); ++i) allFields = pick[i] == static_cast<int>(i);
  const bool scoped = IsTrue(rest) || forBlock.isBlock() || whileBlock.isBlock() ||
                      next.isNumber() || record.isNumber();
  if (path == area.table().path())
    throw RuntimeError("Tabelle kann nicht auf sich selbst kopiert werden", path);
  DbfTable::Create(path, fields);
  DbfTable::OpenResult opened = DbfTable::Open(path, true, false);
  if (opened.busy) throw RuntimeError("Tabelle wird benutzt", path);
  DbfTable& out = *opened.table;

  if (allFields && !scoped && area.ordNumber() == 0 && !Settings().deletedHidden &&
      !area.table().header().hasMemo()) {
    // The whole table in natural order: records go across as they are, in blocks.
    DbfTable& in = area.table();
    uint32_t count = area.lastRec();
    const uint32_t len = in.recordLength();
    const uint32_t per = std::max<uint32_t>(1, (1u << 20) / len);
    std::string block;
    for (uint32_t first = 1; first <= count; first += per) {
      uint32_t n = std::min(per, count - first + 1);
      in.readRecords(first, n, &block);
      out.appendRecords(block, n);
    }
    out.commit();
    return;
  }

  QuietPosition keep(area);
  if (record.isNumber()) {
    area.goTo(static_cast<uint32_t>(record.number()));
  } else if (!IsTrue(rest) && !next.isNumber()) {
    area.goTop();
  }
  long left = next.isNumber() ? static_cast<long>(next.number()) : -1;
  std::string rec;
  while (!area.eof() && left != 0) {
    if (whileBlock.isBlock() && !IsTrue(whileBlock.eval())) break;
    if (!forBlock.isBlock() || IsTrue(forBlock.eval())) {
      rec = out.blankRecord();
      rec[0] = area.deleted() ? '*' : ' ';
      for (size_t i = 0; i < pick.size(); ++i)
        out.encodeField(static_cast<int>(i), area.fieldGet(pick[i]), &rec);
      out.appendRecord(rec);
    }
    if (record.isNumber()) break;
    if (left > 0) --left;
    area.skip(1);
  }
  out.commit();
}

void DbImport(const Value& file) {
  WorkArea& area = WorkAreas::ForThread().used("DbImport");
  std::string path = TableHostPath(FileArg(file, "DbImport"), ".dbf");
  DbfTable::OpenResult opened = DbfTable::Open(path, false, true);
  if (opened.busy) throw RuntimeError("Tabelle wird benutzt", path);
  DbfTable& in = *opened.table;
  std::vector<std::pair<int, int>> map;  // source field -> target field
  for (size_t i = 0; i < in.fields().size(); ++i) {
    int j = area.table().fieldIndex(in.fields()[i].name);
    if (j >= 0) map.emplace_back(static_cast<int>(i), j);
  }
  QuietPosition keep(area);
  std::string rec;
  const uint32_t count = in.recordCount();
  for (uint32_t n = 1; n <= count; ++n) {
    in.readRecord(n, &rec);
    bool deleted = rec[0] == '*';
    if (deleted && Settings().deletedHidden) continue;
    if (!area.append(true))
      throw RuntimeError("Anhängen nicht möglich, Tabelle gesperrt", area.alias());
    for (auto [from, to] : map) {
      Value v =
          Convert(in.decodeField(from, rec), area.table().fields()[static_cast<size_t>(to)].type);
      if (!v.isNil()) area.fieldPut(to, v);
    }
    if (deleted) area.deleteRecord();
  }
  area.flush();
}

int FErase(const Value& file) {
  if (!file.isText()) return -1;
  std::string path = HostPath(file.text());
  return ::unlink(path.c_str()) == 0 ? 0 : -1;
}

void RegisterStructureRoutines() {
  auto arg = [](const Args& a, size_t i) { return i < a.size() ? a[i] : Value(); };
  RegisterRoutine("DbCopyExtStruct", [arg](const Args& a) {
    DbCopyExtStruct(arg(a, 0));
    return Value();
  });
  RegisterRoutine("DbCreateFrom", [arg](const Args& a) {
    DbCreateFrom(arg(a, 0), arg(a, 1), arg(a, 2), arg(a, 3), arg(a, 4));
    return Value();
  });
  RegisterRoutine("DbCreate", [arg](const Args& a) {
    DbCreate(arg(a, 0), arg(a, 1), arg(a, 2), arg(a, 3), arg(a, 4));
    return Value();
  });
  RegisterRoutine("_DbExport", [arg](const Args& a) {
    _DbExport(arg(a, 0), arg(a, 1), arg(a, 2), arg(a, 3), arg(a, 4), arg(a, 5), arg(a, 6),
              arg(a, 7));
    return Value();
  });
  RegisterRoutine("DbImport", [arg](const Args& a) {
    DbImport(arg(a, 0));
    return Value();
  });
  RegisterRoutine("FErase", [arg](const Args& a) { return Value(FErase(arg(a, 0))); });
}

}  // namespace kalvento::rt::db
