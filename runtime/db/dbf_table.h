#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/db/dbf_header.h"
#include "runtime/db/dbt_memo.h"
#include "runtime/value.h"

namespace kalvento::rt::db {

// An opened .dbf file (and its .dbt when the table has memo fields): the header,
// record reads and writes, field encoding, and the locks of the multi-user
// protocol. One object is one open file description, so its locks are its own.
//
// Shared opens hold a read lock on the share byte, exclusive opens a write lock:
// the two exclude each other across processes and across objects of one process.
// A shared table reads every record from disk; an exclusive one reads through
// a mapping of the file and collects its appends into larger writes (out on commit,
// close, or every 256 KB; the count always follows the records it names).
// Shared appends take the header lock, re-read the record count, write the
// record, the end-of-file mark and the new count, and release it.
class DbfTable {
 public:
  struct OpenResult {
    std::unique_ptr<DbfTable> table;  // null when `busy`
    bool busy = false;                // held by another user in a conflicting mode
  };
  // A missing file or a damaged header is a RuntimeError naming the file.
  static OpenResult Open(const std::string& hostPath, bool exclusive, bool readOnly);
  // Writes a new empty table (and .dbt when a memo field is present), replacing
  // files of that name. Fields are checked with NormalizeFieldDefinition.
  static void Create(const std::string& hostPath, std::vector<FieldInfo> fields);
  // The .dbt path that belongs to a .dbf path.
  static std::string MemoPathFor(const std::string& dbfPath);

  ~DbfTable();
  DbfTable(const DbfTable&) = delete;
  DbfTable& operator=(const DbfTable&) = delete;

  const std::string& path() const { return path_; }
  bool exclusive() const { return exclusive_; }
  bool readOnly() const { return readOnly_; }
  const DbfHeader& header() const { return header_; }
  const std::vector<FieldInfo>& fields() const { return header_.fields; }
  int fieldIndex(std::string_view name) const;  // -1 if none; without regard to case
  uint32_t recordLength() const { return header_.recordLength; }

  // The record count as last read or written.
  uint32_t recordCount() const { return header_.recordCount; }
  // Shared tables: re-reads the count from the header (it only grows).
  uint32_t refreshCount();

  // Reads record `n` (1 ... count) into `out` (recordLength bytes).
  void readRecord(uint32_t n, std::string* out);
  // Writes a whole record / only its deletion flag.
  void writeRecord(uint32_t n, std::string_view record);
  void writeDeletedFlag(uint32_t n, bool deleted);
  // Writes the record's fields, leaving its deletion flag on disk as it is.
  void writeFields(uint32_t n, std::string_view record);
  // Appends `record` and returns its number; a shared table waits for the
  // append lock as long as it takes.
  uint32_t appendRecord(std::string_view record);
  // As appendRecord, but gives up after two seconds (through the runtime clock)
  // and returns 0 when another user keeps the append lock (e.g. by a file lock).
  // On a shared table the new record comes back locked: its lock is taken
  // before the new count is written, so no other user can take the record
  // between the append and the appender's first write to it.
  uint32_t tryAppendRecord(std::string_view record);
  // Reads records first ... first+count-1 in one transfer.
  void readRecords(uint32_t first, uint32_t count, std::string* out);
  // Appends `count` whole records in one write (exclusive tables only).
  void appendRecords(std::string_view records, uint32_t count);
  // A blank record: deletion flag and every field blank.
  std::string blankRecord() const;

  // Field values.
  Value decodeField(int index, std::string_view record) const;
  void encodeField(int index, const Value& value, std::string* record);

  // Header date and count written, data flushed and synced to disk.
  void commit();

  // Locks of the multi-user protocol; false when another holds the lock.
  bool lockRecord(uint32_t n);
  void unlockRecord(uint32_t n);
  // The file lock covers the header byte and every record byte.
  bool lockFile();
  bool fileLocked() const { return fileLocked_; }
  // Releases the file lock and every record lock.
  void unlockAll();

 private:
  DbfTable() = default;
  void writeCount();
  void writeDate();
  uint32_t appendUnderLock(std::string_view record, bool lockNewRecord);
  void flushPending();
  void readCount();
  std::string path_;
  int fd_ = -1;
  bool exclusive_ = false;
  bool readOnly_ = false;
  DbfHeader header_;
  std::unique_ptr<DbtMemo> memo_;
  bool headerDirty_ = false;
  bool fileLocked_ = false;
  // Exclusive tables read through a mapping of the file (coherent with its
  // writes); mapValid_ bytes of it are known to lie inside the file.
  bool mapped(uint64_t end);
  const char* mapBase_ = nullptr;
  size_t mapReserved_ = 0;
  uint64_t mapValid_ = 0;
  // Appends of exclusive tables not yet written: records pendingFirst_ ... on.
  std::string pending_;
  uint32_t pendingFirst_ = 0;
  uint32_t pendingCount_ = 0;
};

}  // namespace kalvento::rt::db
