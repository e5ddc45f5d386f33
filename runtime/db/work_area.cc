#include "runtime/db/work_area.h"

#include <algorithm>

#include "runtime/runtime_error.h"
#include "runtime/text.h"

namespace kalvento::rt::db {

EngineSettings& Settings() {
  static EngineSettings settings;
  return settings;
}

// A record of the table seen as a RecordSource (key evaluation of records other
// than the current buffer).
class WorkArea::View : public RecordSource {
 public:
  View(const DbfTable& table, std::string_view record, uint32_t recNo)
      : table_(table), record_(record), recNo_(recNo) {}
  int fieldIndex(std::string_view name) const override { return table_.fieldIndex(name); }
  Value fieldValue(int index) const override { return table_.decodeField(index, record_); }
  char fieldType(int index) const override {
    return table_.fields()[static_cast<size_t>(index)].type;
  }
  int fieldLength(int index) const override {
    return table_.fields()[static_cast<size_t>(index)].length;
  }
  int fieldDecimals(int index) const override {
    return table_.fields()[static_cast<size_t>(index)].decimals;
  }
  uint32_t recNo() const override { return recNo_; }
  bool deleted() const override { return record_[0] == '*'; }

 private:
  const DbfTable& table_;
  std::string_view record_;
  uint32_t recNo_;
};

WorkArea::WorkArea(int number, std::string alias, std::unique_ptr<DbfTable> table)
    : number_(number), alias_(std::move(alias)), table_(std::move(table)) {
  bof_ = false;
  if (table_->recordCount() > 0) {
    load(1);
  } else {
    toEof();
    bof_ = true;
  }
}

WorkArea::~WorkArea() {
  try {
    flush();
  } catch (const RuntimeError&) {
    // Destruction cannot report; close() and commit() are where errors surface.
  }
}

void WorkArea::close() {
  notify(kNotifyClosing);
  commit();
}

Value WorkArea::fieldValue(int index) const { return table_->decodeField(index, rec()); }

std::string& WorkArea::rec() const {
  if (stale_) {
    table_->readRecord(recNo_, &record_);
    stale_ = false;
  }
  return record_;
}
char WorkArea::fieldType(int index) const {
  return table_->fields()[static_cast<size_t>(index)].type;
}
int WorkArea::fieldLength(int index) const {
  return table_->fields()[static_cast<size_t>(index)].length;
}
int WorkArea::fieldDecimals(int index) const {
  return table_->fields()[static_cast<size_t>(index)].decimals;
}

Value WorkArea::fieldGet(int index) const {
  if (index < 0 || index >= static_cast<int>(table_->fields().size()))
    throw RuntimeError("Feldnummer außerhalb der Tabelle",
                       alias_ + ": " + std::to_string(index + 1));
  return table_->decodeField(index, rec());
}

void WorkArea::fieldPut(int index, const Value& value) {
  if (index < 0 || index >= static_cast<int>(table_->fields().size()))
    throw RuntimeError("Feldnummer außerhalb der Tabelle",
                       alias_ + ": " + std::to_string(index + 1));
  if (eof_) throw RuntimeError("Schreiben am Dateiende nicht möglich", alias_);
  if (!table_->exclusive() && !locked(recNo_))
    throw RuntimeError("Satz nicht gesperrt",
                       alias_ + ": Satz " + std::to_string(recNo_) + " vor dem Schreiben sperren");
  rec();
  markDirty();
  // encodeField checks and formats the value before it touches the record, so a
  // refused value leaves the record as it was.
  table_->encodeField(index, value, &record_);
}

void WorkArea::markDirty() {
  if (dirty_) return;
  if (!isNew_ && !orders_.empty()) oldKeys_ = keysOf(rec(), recNo_);
  dirty_ = true;
}

std::vector<std::string> WorkArea::keysOf(std::string_view record, uint32_t recNo) const {
  std::vector<std::string> keys;
  keys.reserve(orders_.size());
  View view(*table_, record, recNo);
  for (const IndexOrder& o : orders_)
    keys.push_back(EncodeKey(o.expression.Evaluate(view), o.spec));
  return keys;
}

void WorkArea::flush() {
  if (!dirty_) return;
  if (pendingAppend_) {
    uint32_t n = table_->appendRecord(record_);
    recNo_ = n;
    pendingAppend_ = false;
  } else if (isNew_ || flagChanged_) {
    table_->writeRecord(recNo_, record_);
  } else {
    // The deletion flag stays as it is on disk: another user may have set it.
    table_->writeFields(recNo_, record_);
  }
  flagChanged_ = false;
  if (!orders_.empty()) {
    std::vector<std::string> keys = keysOf(record_, recNo_);
    for (size_t i = 0; i < orders_.size(); ++i) {
      NtxFile& file = *orders_[i].file;
      if (isNew_) {
        file.insert(keys[i], recNo_);
      } else if (i < oldKeys_.size() && oldKeys_[i] != keys[i]) {
        file.lock();
        file.remove(oldKeys_[i], recNo_);
        file.insert(keys[i], recNo_);
        file.unlock();
        cursorOnRecord_ = false;
      }
    }
  }
  dirty_ = false;
  isNew_ = false;
  oldKeys_.clear();
}

uint32_t WorkArea::lastRec() {
  if (!table_->exclusive() && !pendingAppend_) table_->refreshCount();
  return table_->recordCount() + (pendingAppend_ ? 1 : 0);
}

void WorkArea::load(uint32_t n) {
  if (n >= 1 && n > table_->recordCount() && !table_->exclusive()) table_->refreshCount();
  if (n >= 1 && n <= table_->recordCount()) {
    recNo_ = n;
    eof_ = false;
    stale_ = true;
  } else {
    toEof();
  }
}

void WorkArea::toEof() {
  record_.assign(table_->recordLength(), ' ');
  stale_ = false;
  recNo_ = table_->recordCount() + 1;
  eof_ = true;
  cursorOnRecord_ = false;
}

void WorkArea::goTo(uint32_t n) {
  notify(kNotifyBeforeMove);
  flush();
  load(n);
  bof_ = false;
  found_ = false;
  cursorOnRecord_ = false;
  notify(kNotifyPositioned);
}

void WorkArea::skipHiddenForward() {
  while (!eof_ && hidden()) {
    if (IndexOrder* o = focusOrder()) {
      stepIndex(*o, 1);
    } else {
      stepNatural(1);
    }
  }
}

void WorkArea::skipHiddenBackward() {
  while (!eof_ && !bof_ && hidden()) {
    if (IndexOrder* o = focusOrder()) {
      stepIndex(*o, -1);
    } else {
      stepNatural(-1);
    }
  }
  if (bof_ && hidden()) {
    // Nothing visible before: stand on the first visible record, begin of file.
    bof_ = false;
    skipHiddenForward();
    bof_ = true;
  }
}

void WorkArea::goTop() {
  notify(kNotifyBeforeMove);
  flush();
  bof_ = false;
  found_ = false;
  if (IndexOrder* o = focusOrder()) {
    o->file->first();
    loadFromCursor(*o);
  } else {
    load(1);
  }
  skipHiddenForward();
  if (eof_) bof_ = true;
  notify(kNotifyPositioned);
}

void WorkArea::goBottom() {
  notify(kNotifyBeforeMove);
  flush();
  bof_ = false;
  found_ = false;
  if (IndexOrder* o = focusOrder()) {
    o->file->last();
    loadFromCursor(*o);
  } else {
    if (!table_->exclusive()) table_->refreshCount();
    load(table_->recordCount());
  }
  skipHiddenBackward();
  if (eof_) bof_ = true;
  if (bof_ && !eof_) bof_ = false;
  notify(kNotifyPositioned);
}

void WorkArea::stepNatural(int direction) {
  if (direction > 0) {
    if (eof_) return;
    load(recNo_ + 1);
    return;
  }
  if (eof_) {
    if (!table_->exclusive()) table_->refreshCount();
    if (table_->recordCount() == 0) {
      bof_ = true;
      return;
    }
    load(table_->recordCount());
    return;
  }
  if (recNo_ <= 1) {
    bof_ = true;
    return;
  }
  load(recNo_ - 1);
}

void WorkArea::syncCursor(IndexOrder& order) {
  if (eof_) return;
  if (cursorOnRecord_ && !order.file->eof() && order.file->recNo() == recNo_) return;
  std::string key = keysOf(rec(), recNo_)[static_cast<size_t>(&order - orders_.data())];
  if (!order.file->gotoEntry(key, recNo_)) order.file->seek(key, true);
  cursorOnRecord_ = true;
}

void WorkArea::loadFromCursor(IndexOrder& order) {
  if (order.file->eof()) {
    toEof();
    return;
  }
  uint32_t n = order.file->recNo();
  if (n > table_->recordCount() && !table_->exclusive()) table_->refreshCount();
  if (n == 0 || n > table_->recordCount())
    throw RuntimeError("Index beschädigt: " + order.file->path(),
                       "Eintrag für Satz " + std::to_string(n) + ", die Tabelle hat " +
                           std::to_string(table_->recordCount()) + " Sätze");
  recNo_ = n;
  eof_ = false;
  stale_ = true;
  cursorOnRecord_ = true;
}

void WorkArea::stepIndex(IndexOrder& order, int direction) {
  NtxFile& f = *order.file;
  if (direction > 0) {
    if (eof_) return;
    syncCursor(order);
    f.next();
    loadFromCursor(order);
    return;
  }
  if (eof_) {
    f.last();
    if (f.eof()) {
      bof_ = true;
      return;
    }
    loadFromCursor(order);
    return;
  }
  syncCursor(order);
  f.prev();
  if (f.bof()) bof_ = true;
  loadFromCursor(order);
}

void WorkArea::skip(long n) {
  notify(kNotifyBeforeMove);
  flush();
  found_ = false;
  if (n == 0) {
    if (!eof_) load(recNo_);  // re-read the record from disk
  } else {
    bof_ = false;
    int direction = n > 0 ? 1 : -1;
    for (long i = 0; i < (n > 0 ? n : -n); ++i) {
      if (IndexOrder* o = focusOrder()) {
        stepIndex(*o, direction);
      } else {
        stepNatural(direction);
      }
      if (direction > 0) {
        skipHiddenForward();
        if (eof_) break;
      } else {
        skipHiddenBackward();
        if (bof_ || eof_) break;
      }
    }
  }
  notify(kNotifySkipped);
}

bool WorkArea::seek(const Value& key, bool soft) {
  notify(kNotifyBeforeMove);
  flush();
  IndexOrder* o = focusOrder();
  if (o == nullptr) throw RuntimeError("DbSeek ohne Indexreihenfolge", alias_);
  std::string search = EncodeSeekKey(key, o->spec);
  bool hit = o->file->seek(search, soft);
  loadFromCursor(*o);
  while (!eof_ && hidden()) {
    o->file->next();
    loadFromCursor(*o);
  }
  if (hit && (eof_ || o->file->key().compare(0, search.size(), search) != 0)) hit = false;
  if (!hit && !soft) toEof();
  bof_ = false;
  found_ = hit;
  notify(kNotifyPositioned);
  return hit;
}

bool WorkArea::append(bool releaseLocks) {
  if (table_->readOnly()) throw RuntimeError("Tabelle ist nur zum Lesen geöffnet", alias_);
  notify(kNotifyBeforeMove);
  flush();
  if (table_->exclusive()) {
    if (releaseLocks) locks_.clear();
    record_.assign(table_->recordLength(), ' ');
    stale_ = false;
    recNo_ = table_->recordCount() + 1;
    pendingAppend_ = true;
  } else {
    if (releaseLocks) {
      for (uint32_t n : locks_) table_->unlockRecord(n);
      locks_.clear();
    }
    uint32_t n = table_->tryAppendRecord(table_->blankRecord());
    if (n == 0) return false;  // the append lock stayed with another user
    locks_.insert(n);  // tryAppendRecord took the new record's lock
    record_.assign(table_->recordLength(), ' ');
    stale_ = false;
    recNo_ = n;
  }
  isNew_ = true;
  dirty_ = true;
  eof_ = false;
  bof_ = false;
  found_ = false;
  cursorOnRecord_ = false;
  oldKeys_.clear();
  notify(kNotifyAppended);
  return true;
}

void WorkArea::deleteRecord() {
  if (eof_) return;
  if (rec()[0] == '*') return;
  if (dirty_) {
    record_[0] = '*';
    flagChanged_ = true;
  } else {
    std::vector<std::string> before =
        orders_.empty() ? std::vector<std::string>() : keysOf(record_, recNo_);
    record_[0] = '*';
    table_->writeDeletedFlag(recNo_, true);
    if (!orders_.empty()) {
      oldKeys_ = std::move(before);
      std::vector<std::string> after = keysOf(record_, recNo_);
      for (size_t i = 0; i < orders_.size(); ++i) {
        if (oldKeys_[i] != after[i]) {
          orders_[i].file->remove(oldKeys_[i], recNo_);
          orders_[i].file->insert(after[i], recNo_);
        }
      }
      oldKeys_.clear();
    }
  }
  notify(kNotifyDeleteRecall);
}

void WorkArea::recall() {
  if (eof_) return;
  if (rec()[0] != '*') return;
  if (dirty_) {
    record_[0] = ' ';
    flagChanged_ = true;
  } else {
    std::vector<std::string> before =
        orders_.empty() ? std::vector<std::string>() : keysOf(record_, recNo_);
    record_[0] = ' ';
    table_->writeDeletedFlag(recNo_, false);
    if (!orders_.empty()) {
      std::vector<std::string> after = keysOf(record_, recNo_);
      for (size_t i = 0; i < orders_.size(); ++i) {
        if (before[i] != after[i]) {
          orders_[i].file->remove(before[i], recNo_);
          orders_[i].file->insert(after[i], recNo_);
        }
      }
    }
  }
  notify(kNotifyDeleteRecall);
}

void WorkArea::acquired(uint32_t n) {
  // What another user wrote before we got the lock must be what we see now.
  if (n == recNo_ && !dirty_ && !eof_ && !table_->exclusive()) stale_ = true;
}

bool WorkArea::rlock() {
  unlockAll();
  return dbRLock(recNo_);
}

bool WorkArea::dbRLock(uint32_t n) {
  // No record to lock: the end-of-file number is the next append's, and holding
  // it would make every other user's append fail.
  if (n == 0 || n > lastRec()) return false;
  if (locked(n)) {
    locks_.insert(n);
    return true;
  }
  if (!table_->exclusive() && !table_->lockRecord(n)) return false;
  locks_.insert(n);
  acquired(n);
  return true;
}

void WorkArea::dbRUnlock(uint32_t n) {
  if (n == recNo_) flush();
  if (locks_.erase(n) > 0 && !table_->exclusive()) table_->unlockRecord(n);
}

void WorkArea::unlockAll() {
  flush();
  if (!table_->exclusive() && (fileLocked_ || !locks_.empty())) table_->unlockAll();
  locks_.clear();
  fileLocked_ = false;
}

bool WorkArea::flock() {
  if (fileLocked_) return true;
  if (!table_->exclusive() && !table_->lockFile()) return false;
  locks_.clear();
  fileLocked_ = true;
  acquired(recNo_);
  return true;
}

void WorkArea::commit() {
  flush();
  table_->commit();
  for (IndexOrder& o : orders_) o.file->flush();
}

void WorkArea::ordListAdd(const std::string& hostPath) {
  flush();
  NtxOpenMode mode;
  mode.readOnly = table_->readOnly();
  mode.shared = !table_->exclusive();
  std::unique_ptr<NtxFile> file = NtxFile::Open(hostPath, mode);
  Expression expression = Expression::Parse(file->expression());
  const std::string blankRecord = table_->blankRecord();
  View blank(*table_, blankRecord, table_->recordCount() + 1);
  Value sample = expression.Evaluate(blank);
  char type = sample.typeLetter();
  if (type != 'C' && type != 'N' && type != 'D' && type != 'L')
    throw RuntimeError("Index passt nicht zur Tabelle: " + hostPath,
                       "Schlüsselausdruck " + expression.text() + " ergibt Typ " + type);
  KeySpec spec{type, file->keySize(), file->keyDecimals()};
  if ((type == 'D' && spec.size != 8) || (type == 'L' && spec.size != 1))
    throw RuntimeError("Index passt nicht zur Tabelle: " + hostPath,
                       "Schlüssellänge " + std::to_string(spec.size) + " für Typ " + type);
  file->setKeyType(type);
  size_t slash = hostPath.rfind('/');
  std::string name = hostPath.substr(slash == std::string::npos ? 0 : slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  IndexOrder order{std::move(file), std::move(expression), spec, Upper(name)};
  orders_.push_back(std::move(order));
  if (focus_ == 0) focus_ = 1;
  cursorOnRecord_ = false;
}

void WorkArea::ordListClear() {
  flush();
  for (IndexOrder& o : orders_) o.file->flush();
  orders_.clear();
  focus_ = 0;
  cursorOnRecord_ = false;
}

int WorkArea::ordSetFocus(int order) {
  int previous = focus_;
  if (order < 0 || order > ordCount())
    throw RuntimeError("Indexreihenfolge existiert nicht", alias_ + ": " + std::to_string(order));
  flush();
  focus_ = order;
  cursorOnRecord_ = false;
  return previous;
}

int WorkArea::ordByName(std::string_view name) const {
  for (size_t i = 0; i < orders_.size(); ++i) {
    if (EqualsIgnoreCase(orders_[i].name, name)) return static_cast<int>(i) + 1;
  }
  return 0;
}

void WorkArea::ordCreate(const std::string& hostPath, const std::string& text, bool unique) {
  flush();
  Expression expression = Expression::Parse(text);
  uint32_t count = lastRec();
  std::string record;
  KeySpec spec;
  if (count > 0) {
    table_->readRecord(1, &record);
  } else {
    record = table_->blankRecord();
  }
  spec = DeriveKeySpec(expression, View(*table_, record, 1));
  std::vector<KeyEntry> entries;
  entries.reserve(count);
  for (uint32_t n = 1; n <= count; ++n) {
    table_->readRecord(n, &record);
    View view(*table_, record, n);
    entries.push_back(KeyEntry{EncodeKey(expression.Evaluate(view), spec), n});
  }
  NtxFile::Create(hostPath, text, spec, unique, std::move(entries)).reset();
  ordListAdd(hostPath);
  focus_ = ordCount();
  goTop();
}

}  // namespace kalvento::rt::db
