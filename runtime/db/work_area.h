#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/db/dbf_table.h"
#include "runtime/db/expr/expression.h"
#include "runtime/db/notifications.h"
#include "runtime/db/ntx/ntx_file.h"
#include "runtime/value.h"

namespace kalvento::rt::db {

// Settings that hold for the whole process.
struct EngineSettings {
  bool exclusiveDefault = false;  // DbUseArea without a sharing argument
  bool deletedHidden = false;     // navigation and DbSeek skip deleted records
  bool softSeek = false;          // DbSeek without its soft argument
};
EngineSettings& Settings();

// One index order of a work area: the open .ntx, its parsed key expression and
// key shape.
struct IndexOrder {
  std::unique_ptr<NtxFile> file;
  Expression expression;
  KeySpec spec;
  std::string name;  // file name without folder and extension, upper case
};

// A work area with its table open: the current record (a buffer written back
// when the pointer moves, on commit, unlock or close), end/begin-of-file state,
// the index orders and the one in focus (0 = natural order), the record and
// file locks it holds, and its notification clients.
//
// In a shared table a field write needs a lock of the record (or the file); an
// appended record is locked by its append. Deleting and recalling write only the
// deletion flag, so they never overwrite another user's fields. Every open index
// is kept up to date when a record is appended, written, deleted or recalled.
class WorkArea : public RecordSource {
 public:
  WorkArea(int number, std::string alias, std::unique_ptr<DbfTable> table);
  // Writes the buffer and closes table and indexes; errors are lost (use close()).
  ~WorkArea() override;
  WorkArea(const WorkArea&) = delete;
  WorkArea& operator=(const WorkArea&) = delete;

  // Writes the buffer and tells clients the area is closing.
  void close();

  int number() const { return number_; }
  const std::string& alias() const { return alias_; }
  DbfTable& table() { return *table_; }
  NotificationList& notifications() { return notifications_; }

  // RecordSource on the current record buffer.
  int fieldIndex(std::string_view name) const override { return table_->fieldIndex(name); }
  Value fieldValue(int index) const override;
  char fieldType(int index) const override;
  int fieldLength(int index) const override;
  int fieldDecimals(int index) const override;
  uint32_t recNo() const override { return recNo_; }
  bool deleted() const override { return rec()[0] == '*'; }

  // Fields by 0-based index; a bad index is a RuntimeError.
  Value fieldGet(int index) const;
  void fieldPut(int index, const Value& value);

  uint32_t lastRec();
  bool eof() const { return eof_; }
  bool bof() const { return bof_; }
  bool found() const { return found_; }

  void goTo(uint32_t n);
  void goTop();
  void goBottom();
  void skip(long n);
  bool seek(const Value& key, bool soft);

  // False with nothing appended when the table's append lock stays held by
  // another user; `releaseLocks` drops this area's other record locks first.
  bool append(bool releaseLocks);
  void deleteRecord();
  void recall();

  bool rlock();              // current record, releasing the area's other locks first
  bool dbRLock(uint32_t n);  // adds a lock
  void dbRUnlock(uint32_t n);
  void unlockAll();
  bool locked() const { return fileLocked_ || !locks_.empty(); }
  bool locked(uint32_t n) const { return fileLocked_ || locks_.count(n) > 0; }
  bool flock();
  const std::set<uint32_t>& lockedRecords() const { return locks_; }

  void commit();
  // Writes the current record buffer if it changed.
  void flush();

  // Index orders, numbered from 1.
  void ordListAdd(const std::string& hostPath);
  void ordListClear();
  int ordNumber() const { return focus_; }
  int ordCount() const { return static_cast<int>(orders_.size()); }
  // Order by number (0 = natural) or by name; returns the previous focus.
  int ordSetFocus(int order);
  int ordByName(std::string_view name) const;  // 0 if none
  const IndexOrder& order(int number) const { return orders_[static_cast<size_t>(number - 1)]; }
  // Builds an index of every record on `expression` and adds it as the focus.
  void ordCreate(const std::string& hostPath, const std::string& expression, bool unique);

 private:
  class View;
  void notify(int kind) { notifications_.send(kind); }
  void load(uint32_t n);  // record n, or the blank end-of-file record
  std::string& rec() const;
  void toEof();
  std::vector<std::string> keysOf(std::string_view record, uint32_t recNo) const;
  void markDirty();
  bool hidden() const { return Settings().deletedHidden && !eof_ && deleted(); }
  void skipHiddenForward();
  void skipHiddenBackward();
  // Index-order positioning.
  IndexOrder* focusOrder() {
    return focus_ == 0 ? nullptr : &orders_[static_cast<size_t>(focus_ - 1)];
  }
  void syncCursor(IndexOrder& order);
  void loadFromCursor(IndexOrder& order);
  void stepNatural(int direction);
  void stepIndex(IndexOrder& order, int direction);
  void acquired(uint32_t n);

  int number_;
  std::string alias_;
  std::unique_ptr<DbfTable> table_;
  uint32_t recNo_ = 0;
  // The current record; read from the table on first use after a move (rec()).
  mutable std::string record_;
  mutable bool stale_ = false;
  bool eof_ = true;
  bool bof_ = true;
  bool found_ = false;
  bool dirty_ = false;
  bool pendingAppend_ = false;  // exclusive append not yet on disk
  bool isNew_ = false;          // appended: index entries still to insert
  bool flagChanged_ = false;    // the buffer's deletion flag differs from the file's
  std::vector<std::string> oldKeys_;
  std::set<uint32_t> locks_;
  bool fileLocked_ = false;
  std::vector<IndexOrder> orders_;
  int focus_ = 0;
  bool cursorOnRecord_ = false;
  NotificationList notifications_;
};

}  // namespace kalvento::rt::db
