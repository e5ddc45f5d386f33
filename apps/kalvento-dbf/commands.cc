#include "apps/kalvento-dbf/commands.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

#include "apps/kalvento-dbf/csv_output.h"
#include "runtime/db/dbf_table.h"
#include "runtime/db/expr/expression.h"
#include "runtime/db/ntx/ntx_file.h"
#include "runtime/db/table_functions.h"
#include "runtime/db/work_areas.h"
#include "runtime/runtime_error.h"

namespace kalvento::dbf {
namespace {

using rt::RuntimeError;
using rt::Value;
namespace db = rt::db;

constexpr size_t kMaxFaultLines = 20;

void OpenShared(const std::string& table) {
  db::DbUseArea(Value(), Value(), Value(table), Value(), Value(true));
  if (db::NetErr())
    throw RuntimeError("Tabelle wird exklusiv von einem anderen Benutzer verwendet", table);
}

std::vector<std::string> HeaderRow(bool withDeleted) {
  std::vector<std::string> row;
  for (int i = 1; i <= db::FCount(); ++i) row.push_back(db::FieldName(i));
  if (withDeleted) row.push_back("DELETED");
  return row;
}

std::vector<std::string> RecordRow(bool withDeleted) {
  std::vector<std::string> row;
  const auto& fields = db::WorkAreas::ForThread().used("list").table().fields();
  for (int i = 1; i <= db::FCount(); ++i)
    row.push_back(CsvText(db::FieldGet(i), fields[static_cast<size_t>(i - 1)].decimals));
  if (withDeleted) row.push_back(db::Deleted() ? "*" : "");
  return row;
}

// A record of a table read straight from the file, for key checks.
class RawRecord : public db::RecordSource {
 public:
  RawRecord(const db::DbfTable& t, const std::string& rec, uint32_t n) : t_(t), rec_(rec), n_(n) {}
  int fieldIndex(std::string_view name) const override { return t_.fieldIndex(name); }
  Value fieldValue(int i) const override { return t_.decodeField(i, rec_); }
  char fieldType(int i) const override { return t_.fields()[static_cast<size_t>(i)].type; }
  int fieldLength(int i) const override { return t_.fields()[static_cast<size_t>(i)].length; }
  int fieldDecimals(int i) const override { return t_.fields()[static_cast<size_t>(i)].decimals; }
  uint32_t recNo() const override { return n_; }
  bool deleted() const override { return rec_[0] == '*'; }

 private:
  const db::DbfTable& t_;
  const std::string& rec_;
  uint32_t n_;
};

class Faults {
 public:
  explicit Faults(std::ostream& err) : err_(err) {}
  void add(const std::string& line) {
    if (count_++ < kMaxFaultLines) err_ << line << '\n';
  }
  size_t count() const { return count_; }
  void summary() {
    if (count_ > kMaxFaultLines) err_ << "... " << (count_ - kMaxFaultLines) << " weitere Fehler\n";
  }

 private:
  std::ostream& err_;
  size_t count_ = 0;
};

}  // namespace

int Info(const std::string& table, std::ostream& out) {
  std::string path = db::TableHostPath(table, ".dbf");
  db::DbfTable::OpenResult opened = db::DbfTable::Open(path, false, true);
  if (opened.busy)
    throw RuntimeError("Tabelle wird exklusiv von einem anderen Benutzer verwendet", path);
  const db::DbfTable& t = *opened.table;
  const db::DbfHeader& h = t.header();
  struct stat st {};
  ::stat(path.c_str(), &st);
  char version[8];
  std::snprintf(version, sizeof version, "0x%02X", h.version);
  out << "Datei:        " << path << '\n'
      << "Version:      " << version << (h.hasMemo() ? " (mit Memodatei)" : "") << '\n'
      << "Geändert:     " << h.year << '-' << (h.month < 10 ? "0" : "") << h.month << '-'
      << (h.day < 10 ? "0" : "") << h.day << '\n'
      << "Sätze:        " << h.recordCount << '\n'
      << "Kopflänge:    " << h.headerLength << '\n'
      << "Satzlänge:    " << h.recordLength << '\n'
      << "Dateigröße:   " << st.st_size << '\n'
      << "Felder:       " << h.fields.size() << '\n';
  for (size_t i = 0; i < h.fields.size(); ++i) {
    const db::FieldInfo& f = h.fields[i];
    char line[96];
    std::snprintf(line, sizeof line, "%4zu  %-10s %c %5d %2d  (Position %d)\n", i + 1,
                  f.name.c_str(), f.type, f.length, f.decimals, f.offset);
    out << line;
  }
  return 0;
}

int List(const std::string& table, const std::string& index, bool withDeleted, std::ostream& out) {
  OpenShared(table);
  if (!index.empty()) db::OrdListAdd(Value(index));
  db::SetDeleted(Value(!withDeleted));
  WriteCsvLine(out, HeaderRow(withDeleted));
  for (db::DbGoTop(); !db::Eof(); db::DbSkip()) WriteCsvLine(out, RecordRow(withDeleted));
  return 0;
}

int Seek(const std::string& table, const std::string& index, const std::string& key,
         std::ostream& out) {
  OpenShared(table);
  db::OrdListAdd(Value(index));
  db::WorkArea& area = db::WorkAreas::ForThread().used("seek");
  Value search;
  switch (area.order(1).spec.type) {
    case 'N': {
      char* end = nullptr;
      double v = std::strtod(key.c_str(), &end);
      if (key.empty() || *end != '\0') throw RuntimeError("Schlüssel ist keine Zahl", key);
      search = Value(v);
      break;
    }
    case 'D': {
      std::string digits;
      for (char c : key) {
        if (c != '-') digits.push_back(c);
      }
      rt::Date d = rt::Date::FromDtos(digits);
      if (d.empty()) throw RuntimeError("Schlüssel ist kein Datum (JJJJMMTT)", key);
      search = Value(d);
      break;
    }
    case 'L':
      search = Value(key == "T" || key == "t" || key == "Y" || key == "y");
      break;
    default:
      search = Value(key);
  }
  if (!db::DbSeek(search)) return 1;
  WriteCsvLine(out, HeaderRow(false));
  WriteCsvLine(out, RecordRow(false));
  return 0;
}

int Index(const std::string& table, const std::string& index, const std::string& expression,
          bool unique, std::ostream& out) {
  db::DbUseArea(Value(), Value(), Value(table), Value(), Value(false));
  if (db::NetErr()) throw RuntimeError("Tabelle wird von einem anderen Benutzer verwendet", table);
  db::OrdCreate(Value(index), Value(), Value(expression), Value(), Value(unique));
  db::DbCommit();
  out << "Index " << db::TableHostPath(index, ".ntx") << " angelegt: " << expression
      << (unique ? " (eindeutig)" : "") << ", " << db::LastRec() << " Sätze\n";
  return 0;
}

int Check(const std::string& table, const std::vector<std::string>& indexes, std::ostream& out,
          std::ostream& err) {
  Faults faults(err);
  std::string path = db::TableHostPath(table, ".dbf");
  std::unique_ptr<db::DbfTable> t;
  try {
    db::DbfTable::OpenResult opened = db::DbfTable::Open(path, false, true);
    if (opened.busy)
      throw RuntimeError("Tabelle wird exklusiv von einem anderen Benutzer verwendet", path);
    t = std::move(opened.table);
  } catch (const RuntimeError& e) {
    err << e.what() << '\n';
    return 1;
  }
  const db::DbfHeader& h = t->header();
  struct stat st {};
  ::stat(path.c_str(), &st);
  uint64_t expected = h.headerLength + static_cast<uint64_t>(h.recordCount) * h.recordLength;
  uint64_t size = static_cast<uint64_t>(st.st_size);
  if (size > expected + 1) {
    uint64_t extra = size - expected;
    out << "Hinweis: " << extra << " Bytes nach dem letzten gezählten Satz"
        << (extra >= h.recordLength ? " (ein abgebrochenes Anhängen)" : "") << '\n';
  }
  std::string rec;
  for (uint32_t n = 1; n <= h.recordCount; ++n) {
    try {
      t->readRecord(n, &rec);
      if (rec[0] != ' ' && rec[0] != '*')
        faults.add("Satz " + std::to_string(n) + ": ungültige Löschmarke");
      for (size_t i = 0; i < h.fields.size(); ++i) t->decodeField(static_cast<int>(i), rec);
    } catch (const RuntimeError& e) {
      faults.add("Satz " + std::to_string(n) + ": " + e.what());
    }
  }
  for (const std::string& name : indexes) {
    std::string ntxPath = db::TableHostPath(name, ".ntx");
    try {
      db::NtxOpenMode mode;
      mode.readOnly = true;
      auto ntx = db::NtxFile::Open(ntxPath, mode);
      db::NtxCheckResult result = ntx->check(h.recordCount);
      for (const std::string& f : result.faults) faults.add(ntxPath + ": " + f);
      if (!result.ok && result.faults.empty()) faults.add(ntxPath + ": fehlerhaft");
      if (result.ok) {
        db::Expression expression = db::Expression::Parse(ntx->expression());
        rt::Value sample;
        db::KeySpec spec;
        bool specSet = false;
        for (uint32_t n = 1; n <= h.recordCount; ++n) {
          t->readRecord(n, &rec);
          RawRecord record(*t, rec, n);
          rt::Value v = expression.Evaluate(record);
          if (!specSet) {
            spec = db::KeySpec{v.typeLetter(), ntx->keySize(), ntx->keyDecimals()};
            ntx->setKeyType(spec.type);
            specSet = true;
          }
          if (!ntx->gotoEntry(db::EncodeKey(v, spec), n) && !ntx->unique())
            faults.add(ntxPath + ": Satz " + std::to_string(n) + " fehlt unter seinem Schlüssel");
        }
        out << ntxPath << ": " << result.entries << " Einträge, Schlüssel " << ntx->expression()
            << '\n';
      }
    } catch (const RuntimeError& e) {
      faults.add(ntxPath + ": " + e.what());
    }
  }
  faults.summary();
  if (faults.count() > 0) {
    err << path << ": " << faults.count() << " Fehler gefunden\n";
    return 1;
  }
  out << path << ": in Ordnung, " << h.recordCount << " Sätze\n";
  return 0;
}

}  // namespace kalvento::dbf
