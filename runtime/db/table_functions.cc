#include "runtime/db/table_functions.h"

#include <cmath>
#include <cstdlib>

#include "runtime/db/work_areas.h"
#include "runtime/host_path.h"
#include "runtime/routines.h"
#include "runtime/runtime_error.h"
#include "runtime/text.h"

namespace kalvento::rt::db {
namespace {

WorkAreas& Areas() { return WorkAreas::ForThread(); }

bool Flag(const Value& v, bool otherwise) { return v.isLogical() ? v.logical() : otherwise; }

// A whole number argument; a text that holds one counts too.
bool WholeNumber(const Value& v, long* out) {
  if (v.isNumber()) {
    *out = static_cast<long>(v.number());
    return true;
  }
  if (v.isText()) {
    std::string t = v.text();
    size_t a = t.find_first_not_of(' ');
    size_t b = t.find_last_not_of(' ');
    if (a == std::string::npos) return false;
    t = t.substr(a, b - a + 1);
    char* end = nullptr;
    long n = std::strtol(t.c_str(), &end, 10);
    if (end != t.c_str() + t.size()) return false;
    *out = n;
    return true;
  }
  return false;
}

uint32_t RecordArg(const Value& v, WorkArea& area, const char* op) {
  if (v.isNil()) return area.recNo();
  if (!v.isNumber() || v.number() < 0)
    throw RuntimeError("data type error", std::string(op) + " erwartet eine Satznummer");
  return static_cast<uint32_t>(v.number());
}

std::string AliasFrom(const std::string& hostPath) {
  size_t slash = hostPath.rfind('/');
  std::string name = hostPath.substr(slash == std::string::npos ? 0 : slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  std::string alias;
  for (char c : name) {
    bool ok =
        (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    alias.push_back(ok ? c : '_');
  }
  if (alias.empty() || (alias[0] >= '0' && alias[0] <= '9')) alias.insert(0, "_");
  return Upper(alias);
}

int FieldIndexArg(WorkArea& area, int position, const char* op) {
  if (position < 1 || position > static_cast<int>(area.table().fields().size()))
    throw RuntimeError("Feldnummer außerhalb der Tabelle",
                       std::string(op) + "(" + std::to_string(position) + ") in " + area.alias());
  return position - 1;
}

}  // namespace

std::string TableHostPath(std::string_view name, std::string_view defaultExtension) {
  std::string path(name);
  while (!path.empty() && path.back() == ' ') path.pop_back();
  size_t sep = path.find_last_of("\\/:");
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) path += defaultExtension;
  return HostPath(path);
}

void DbUseArea(const Value& newArea, const Value& driver, const Value& file, const Value& alias,
               const Value& shared, const Value& readOnly) {
  WorkAreas& areas = Areas();
  areas.netErr = false;
  if (!file.isText()) throw RuntimeError("data type error", "DbUseArea erwartet einen Dateinamen");
  if (Flag(newArea, false)) areas.select(areas.lowestFree());
  areas.close(areas.current());
  std::string path = TableHostPath(file.text(), ".dbf");
  bool exclusive = shared.isLogical() ? !shared.logical() : Settings().exclusiveDefault;
  DbfTable::OpenResult opened = DbfTable::Open(path, exclusive, Flag(readOnly, false));
  if (opened.busy) {
    areas.netErr = true;
    return;
  }
  std::string name =
      alias.isText() && !alias.text().empty() ? Upper(alias.text()) : AliasFrom(path);
  if (areas.byAlias(name) != 0) throw RuntimeError("Alias bereits vergeben", name);
  areas.put(areas.current(),
            std::make_unique<WorkArea>(areas.current(), name, std::move(opened.table)));
}

bool NetErr() { return Areas().netErr; }

bool Used() { return Areas().currentArea() != nullptr; }

std::string Alias(const Value& area) {
  long n = Areas().current();
  if (!area.isNil() && !WholeNumber(area, &n)) return {};
  WorkArea* a = Areas().area(static_cast<int>(n));
  return a ? a->alias() : std::string();
}

int Select(const Value& alias) {
  if (alias.isNil()) return Areas().current();
  long n = 0;
  if (WholeNumber(alias, &n)) return n >= 1 && n <= WorkAreas::kMaxArea ? static_cast<int>(n) : 0;
  if (!alias.isText()) return 0;
  return Areas().byAlias(alias.text());
}

void DbSelectArea(const Value& area) {
  WorkAreas& areas = Areas();
  long n = 0;
  if (WholeNumber(area, &n)) {
    areas.select(n == 0 ? areas.lowestFree() : static_cast<int>(n));
    return;
  }
  if (!area.isText())
    throw RuntimeError("data type error", "DbSelectArea erwartet Nummer oder Alias");
  int found = areas.byAlias(area.text());
  if (found == 0) throw RuntimeError("Alias existiert nicht", area.text());
  areas.select(found);
}

void DbCloseArea() { Areas().close(Areas().current()); }

void DbCloseAll() { Areas().closeAll(); }

bool SetExclusive(const Value& on) {
  bool old = Settings().exclusiveDefault;
  if (on.isLogical()) Settings().exclusiveDefault = on.logical();
  return old;
}

bool SetDeleted(const Value& on) {
  bool old = Settings().deletedHidden;
  if (on.isLogical()) Settings().deletedHidden = on.logical();
  return old;
}

bool SetSoftSeek(const Value& on) {
  bool old = Settings().softSeek;
  if (on.isLogical()) Settings().softSeek = on.logical();
  return old;
}

int FieldPos(std::string_view name) {
  WorkArea* a = Areas().currentArea();
  if (a == nullptr) return 0;
  std::string n(name);
  while (!n.empty() && n.back() == ' ') n.pop_back();
  return a->fieldIndex(n) + 1;
}

Value FieldGet(int position) {
  WorkArea* a = Areas().currentArea();
  if (a == nullptr) return Value();
  if (position < 1 || position > static_cast<int>(a->table().fields().size())) return Value();
  return a->fieldGet(position - 1);
}

Value FieldPut(int position, const Value& value) {
  WorkArea& a = Areas().used("FieldPut");
  a.fieldPut(FieldIndexArg(a, position, "FieldPut"), value);
  return value;
}

std::string FieldName(int position) {
  WorkArea* a = Areas().currentArea();
  if (a == nullptr || position < 1 || position > static_cast<int>(a->table().fields().size()))
    return {};
  return a->table().fields()[static_cast<size_t>(position - 1)].name;
}

int FCount() {
  WorkArea* a = Areas().currentArea();
  return a ? static_cast<int>(a->table().fields().size()) : 0;
}

Value DbStruct() {
  Array out;
  if (WorkArea* a = Areas().currentArea()) {
    for (const FieldInfo& f : a->table().fields())
      out.push_back(Value(
          Array{Value(f.name), Value(std::string(1, f.type)), Value(f.length), Value(f.decimals)}));
  }
  return Value(std::move(out));
}

bool IsFieldVar(std::string_view name) {
  WorkArea* a = Areas().currentArea();
  if (a == nullptr) return false;
  size_t arrow = name.find("->");
  if (arrow != std::string_view::npos) {
    std::string_view alias = name.substr(0, arrow);
    if (!EqualsIgnoreCase(alias, a->alias()) && !EqualsIgnoreCase(alias, "FIELD")) return false;
    name = name.substr(arrow + 2);
  }
  return FieldPos(name) > 0;
}

double RecNo() {
  WorkArea* a = Areas().currentArea();
  return a ? a->recNo() : 0;
}

double LastRec() {
  WorkArea* a = Areas().currentArea();
  return a ? a->lastRec() : 0;
}

bool Eof() {
  WorkArea* a = Areas().currentArea();
  return a ? a->eof() : false;
}

bool Bof() {
  WorkArea* a = Areas().currentArea();
  return a ? a->bof() : false;
}

bool Found() {
  WorkArea* a = Areas().currentArea();
  return a ? a->found() : false;
}

void DbGoto(const Value& record) {
  WorkArea& a = Areas().used("DbGoto");
  if (!record.isNumber()) throw RuntimeError("data type error", "DbGoto erwartet eine Satznummer");
  double n = record.number();
  a.goTo(n < 1 || !std::isfinite(n) ? 0
         : n > 4294967295.0         ? 0xFFFFFFFFu
                                    : static_cast<uint32_t>(n));
}

void DbGoTop() { Areas().used("DbGoTop").goTop(); }

void DbGoBottom() { Areas().used("DbGoBottom").goBottom(); }

void DbSkip(const Value& count) {
  WorkArea& a = Areas().used("DbSkip");
  long n = 1;
  if (!count.isNil()) {
    if (!count.isNumber()) throw RuntimeError("data type error", "DbSkip erwartet eine Zahl");
    n = static_cast<long>(count.number());
  }
  a.skip(n);
}

void DbAppend(const Value& releaseLocks) {
  WorkAreas& areas = Areas();
  areas.netErr = false;
  WorkArea& a = areas.used("DbAppend");
  // A number counts as "release": the platform's callers pass 1.
  bool release = releaseLocks.isLogical() ? releaseLocks.logical() : true;
  if (!a.append(release)) areas.netErr = true;
}

void DbDelete() { Areas().used("DbDelete").deleteRecord(); }

void DbRecall() { Areas().used("DbRecall").recall(); }

bool Deleted() {
  WorkArea* a = Areas().currentArea();
  return a ? a->deleted() : false;
}

bool RLock() { return Areas().used("RLock").rlock(); }

bool DbRLock(const Value& record) {
  WorkArea& a = Areas().used("DbRLock");
  return a.dbRLock(RecordArg(record, a, "DbRLock"));
}

void DbRUnlock(const Value& record) {
  WorkArea* a = Areas().currentArea();
  if (a == nullptr) return;
  if (record.isNil()) {
    a->unlockAll();
  } else {
    a->dbRUnlock(RecordArg(record, *a, "DbRUnlock"));
  }
}

void DbUnlock() {
  if (WorkArea* a = Areas().currentArea()) a->unlockAll();
}

void DbUnlockAll() {
  Areas().forEach([](WorkArea& a) { a.unlockAll(); });
}

bool DbLocked(const Value& record) {
  WorkArea* a = Areas().currentArea();
  if (a == nullptr) return false;
  if (record.isNil()) return a->locked();
  return a->locked(RecordArg(record, *a, "DbLocked"));
}

bool FLock() { return Areas().used("FLock").flock(); }

void DbCommit() {
  if (WorkArea* a = Areas().currentArea()) a->commit();
}

void DbCommitAll() {
  Areas().forEach([](WorkArea& a) { a.commit(); });
}

void OrdListAdd(const Value& file) {
  WorkArea& a = Areas().used("OrdListAdd");
  if (!file.isText()) throw RuntimeError("data type error", "OrdListAdd erwartet einen Dateinamen");
  a.ordListAdd(TableHostPath(file.text(), ".ntx"));
}

void OrdListClear() {
  if (WorkArea* a = Areas().currentArea()) a->ordListClear();
}

std::string OrdSetFocus(const Value& order) {
  WorkArea* a = Areas().currentArea();
  if (a == nullptr) return {};
  std::string previous = a->ordNumber() == 0 ? std::string() : a->order(a->ordNumber()).name;
  if (order.isNil()) return previous;
  long n = 0;
  if (order.isNumber()) {
    n = static_cast<long>(order.number());
  } else if (order.isText()) {
    std::string name = order.text();
    while (!name.empty() && name.back() == ' ') name.pop_back();
    n = name.empty() ? 0 : a->ordByName(name);
    if (!name.empty() && n == 0) throw RuntimeError("Indexreihenfolge existiert nicht", name);
  } else {
    throw RuntimeError("data type error", "OrdSetFocus erwartet Nummer oder Name");
  }
  a->ordSetFocus(static_cast<int>(n));
  return previous;
}

int OrdNumber() {
  WorkArea* a = Areas().currentArea();
  return a ? a->ordNumber() : 0;
}

int OrdCount() {
  WorkArea* a = Areas().currentArea();
  return a ? a->ordCount() : 0;
}

bool DbSeek(const Value& key, const Value& soft) {
  return Areas().used("DbSeek").seek(key, Flag(soft, Settings().softSeek));
}

void OrdCreate(const Value& file, const Value& tag, const Value& expression, const Value& block,
               const Value& unique) {
  WorkArea& a = Areas().used("OrdCreate");
  if (!file.isText() || !expression.isText())
    throw RuntimeError("data type error", "OrdCreate erwartet Dateiname und Schlüsselausdruck");
  a.ordCreate(TableHostPath(file.text(), ".ntx"), expression.text(), Flag(unique, false));
}

void DbCreateIndex(const Value& file, const Value& expression, const Value& block,
                   const Value& unique) {
  OrdCreate(file, Value(), expression, block, unique);
}

void DbRegisterClient(const Value& client) {
  Areas().used("DbRegisterClient").notifications().add(client);
}

void DbDeRegisterClient(const Value& client) {
  if (WorkArea* a = Areas().currentArea()) a->notifications().remove(client);
}

void DbSuspendNotifications() {
  if (WorkArea* a = Areas().currentArea()) a->notifications().suspend();
}

void DbResumeNotifications() {
  if (WorkArea* a = Areas().currentArea()) a->notifications().resume();
}

void DbResetNotifications() {
  if (WorkArea* a = Areas().currentArea()) a->notifications().reset();
}

namespace {

const Value& Arg(const Args& a, size_t i) {
  static const Value nil;
  return i < a.size() ? a[i] : nil;
}

int IntArg(const Args& a, size_t i, const char* op) {
  const Value& v = Arg(a, i);
  if (!v.isNumber()) throw RuntimeError("data type error", std::string(op) + " erwartet eine Zahl");
  return static_cast<int>(v.number());
}

std::string TextArg(const Args& a, size_t i, const char* op) {
  const Value& v = Arg(a, i);
  if (!v.isText()) throw RuntimeError("data type error", std::string(op) + " erwartet einen Text");
  return v.text();
}

}  // namespace

void RegisterTableRoutines() {
  auto reg = [](const char* name, Routine r) { RegisterRoutine(name, std::move(r)); };
  reg("DbUseArea", [](const Args& a) {
    DbUseArea(Arg(a, 0), Arg(a, 1), Arg(a, 2), Arg(a, 3), Arg(a, 4), Arg(a, 5));
    return Value();
  });
  reg("NetErr", [](const Args&) { return Value(NetErr()); });
  reg("Used", [](const Args&) { return Value(Used()); });
  reg("Alias", [](const Args& a) { return Value(Alias(Arg(a, 0))); });
  reg("Select", [](const Args& a) { return Value(Select(Arg(a, 0))); });
  reg("DbSelectArea", [](const Args& a) {
    DbSelectArea(Arg(a, 0));
    return Value();
  });
  reg("DbCloseArea", [](const Args&) {
    DbCloseArea();
    return Value();
  });
  reg("DbCloseAll", [](const Args&) {
    DbCloseAll();
    return Value();
  });
  reg("FieldPos", [](const Args& a) { return Value(FieldPos(TextArg(a, 0, "FieldPos"))); });
  reg("FieldGet", [](const Args& a) { return FieldGet(IntArg(a, 0, "FieldGet")); });
  reg("FieldPut", [](const Args& a) { return FieldPut(IntArg(a, 0, "FieldPut"), Arg(a, 1)); });
  reg("FieldName", [](const Args& a) { return Value(FieldName(IntArg(a, 0, "FieldName"))); });
  reg("FCount", [](const Args&) { return Value(FCount()); });
  reg("DbStruct", [](const Args&) { return DbStruct(); });
  reg("IsFieldVar", [](const Args& a) { return Value(IsFieldVar(TextArg(a, 0, "IsFieldVar"))); });
  reg("RecNo", [](const Args&) { return Value(RecNo()); });
  reg("LastRec", [](const Args&) { return Value(LastRec()); });
  reg("RecCount", [](const Args&) { return Value(LastRec()); });
  reg("Eof", [](const Args&) { return Value(Eof()); });
  reg("Bof", [](const Args&) { return Value(Bof()); });
  reg("Found", [](const Args&) { return Value(Found()); });
  reg("DbGoto", [](const Args& a) {
    DbGoto(Arg(a, 0));
    return Value();
  });
  reg("DbGoTop", [](const Args&) {
    DbGoTop();
    return Value();
  });
  reg("DbGoBottom", [](const Args&) {
    DbGoBottom();
    return Value();
  });
  reg("DbSkip", [](const Args& a) {
    DbSkip(Arg(a, 0));
    return Value();
  });
  reg("DbAppend", [](const Args& a) {
    DbAppend(Arg(a, 0));
    return Value();
  });
  reg("DbDelete", [](const Args&) {
    DbDelete();
    return Value();
  });
  reg("DbRecall", [](const Args&) {
    DbRecall();
    return Value();
  });
  reg("Deleted", [](const Args&) { return Value(Deleted()); });
  reg("RLock", [](const Args&) { return Value(RLock()); });
  reg("DbRLock", [](const Args& a) { return Value(DbRLock(Arg(a, 0))); });
  reg("DbRUnlock", [](const Args& a) {
    DbRUnlock(Arg(a, 0));
    return Value();
  });
  reg("DbUnlock", [](const Args&) {
    DbUnlock();
    return Value();
  });
  reg("DbUnlockAll", [](const Args&) {
    DbUnlockAll();
    return Value();
  });
  reg("DbLocked", [](const Args& a) { return Value(DbLocked(Arg(a, 0))); });
  reg("FLock", [](const Args&) { return Value(FLock()); });
  reg("DbCommit", [](const Args&) {
    DbCommit();
    return Value();
  });
  reg("DbCommitAll", [](const Args&) {
    DbCommitAll();
    return Value();
  });
  reg("OrdListAdd", [](const Args& a) {
    OrdListAdd(Arg(a, 0));
    return Value();
  });
  reg("OrdListClear", [](const Args&) {
    OrdListClear();
    return Value();
  });
  reg("OrdSetFocus", [](const Args& a) { return Value(OrdSetFocus(Arg(a, 0))); });
  reg("OrdNumber", [](const Args&) { return Value(OrdNumber()); });
  reg("OrdCount", [](const Args&) { return Value(OrdCount()); });
  reg("DbSeek", [](const Args& a) { return Value(DbSeek(Arg(a, 0), Arg(a, 1))); });
  reg("OrdCreate", [](const Args& a) {
    OrdCreate(Arg(a, 0), Arg(a, 1), Arg(a, 2), Arg(a, 3), Arg(a, 4));
    return Value();
  });
  reg("DbCreateIndex", [](const Args& a) {
    DbCreateIndex(Arg(a, 0), Arg(a, 1), Arg(a, 2), Arg(a, 3));
    return Value();
  });
  reg("DbRegisterClient", [](const Args& a) {
    DbRegisterClient(Arg(a, 0));
    return Value();
  });
  reg("DbDeRegisterClient", [](const Args& a) {
    DbDeRegisterClient(Arg(a, 0));
    return Value();
  });
  reg("DbSuspendNotifications", [](const Args&) {
    DbSuspendNotifications();
    return Value();
  });
  reg("DbResumeNotifications", [](const Args&) {
    DbResumeNotifications();
    return Value();
  });
  reg("DbResetNotifications", [](const Args&) {
    DbResetNotifications();
    return Value();
  });
}

}  // namespace kalvento::rt::db
