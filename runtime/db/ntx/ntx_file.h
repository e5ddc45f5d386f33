#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/db/expr/expression.h"
#include "runtime/value.h"

namespace kalvento::rt::db {

// The shape of an index key. `type` is the key expression's result type
// (C, N, D, L); the NTX header stores only size and decimals, so an opened file
// reports type '?' until the caller sets it from an evaluation (DeriveKeySpec).
struct KeySpec {
  char type = 'C';
  int size = 0;
  int decimals = 0;
};

// The key spec of `expression` evaluated on `record` (a record of the table or
// its blank record): C -> length of the text (1 ... 330), N -> the field's width
// and decimals for a plain field, else Expression::numericShape, D -> 8, L -> 1.
// A RuntimeError naming the expression for other result types or sizes.
KeySpec DeriveKeySpec(const Expression& expression, const RecordSource& record);

// The key bytes of `value` (exactly spec.size bytes): text blank-padded or cut;
// numbers as the NTX numeric text (byte order = numeric order, negatives
// included); dates as DTOS; logicals as T/F. A RuntimeError if the value's type
// does not fit the key type.
std::string EncodeKey(const Value& value, const KeySpec& spec);

// The search key for DbSeek: as EncodeKey, except that a text shorter than the
// key is kept short, so it matches every key it is a prefix of.
std::string EncodeSeekKey(const Value& value, const KeySpec& spec);

// One index entry.
struct KeyEntry {
  std::string key;  // exactly keySize bytes
  uint32_t recNo = 0;
};

// What check() found; `ok` false with a line per fault.
struct NtxCheckResult {
  bool ok = true;
  uint64_t entries = 0;
  std::vector<std::string> faults;
};

// How an index file is opened.
struct NtxOpenMode {
  bool readOnly = false;
  // Shared with other processes: every operation takes the index lock (an OFD
  // byte-range lock at the NTX semaphore offset), rereads the pages when the
  // version counter changed, and writes its changes before releasing the lock.
  bool shared = false;
};

// An NTX index file: 1024-byte pages of a B-tree whose keys are fixed-size byte
// strings compared with memcmp; equal keys are kept in record-number order. A
// unique index holds the first record of each key only (insert of a further
// record with that key does nothing).
//
// The file also holds one cursor (the position of a work area in this order):
// seek/first/last/next/prev move it; recNo() and key() read it. After a change
// of the tree (here or in another process) the cursor stays on its entry, or on
// the next one if its entry was removed.
//
// Every fault of the file (header fields out of range, a page offset outside the
// file or not on a page boundary, an item count over the maximum, a cycle, a
// tree deeper than any sound one) is a RuntimeError naming the file and the
// fault, never a crash or an endless loop. Not thread-safe: one work area, one
// thread.
class NtxFile {
 public:
  // Writes a new file (replacing one of that name) holding `entries` in any
  // order; sorts them and builds a balanced tree. `expression` is stored in the
  // header (at most 250 characters). For a unique index the lowest record
  // number of each key is kept. The file is written under a temporary name and
  // renamed into place, then opened with `mode`.
  static std::unique_ptr<NtxFile> Create(const std::string& hostPath,
                                         const std::string& expression, const KeySpec& spec,
                                         bool unique, std::vector<KeyEntry> entries,
                                         NtxOpenMode mode = {});

  // Opens and validates the header; pages are validated as they are read.
  // A RuntimeError naming the file if it is missing or damaged.
  static std::unique_ptr<NtxFile> Open(const std::string& hostPath, NtxOpenMode mode);

  // Writes what is pending and closes the file (errors on that last write are lost;
  // call flush() to see them).
  ~NtxFile();
  NtxFile(const NtxFile&) = delete;
  NtxFile& operator=(const NtxFile&) = delete;

  const std::string& path() const;
  // The key expression as stored in the header.
  const std::string& expression() const;
  // The FOR condition of the header (signature 0x07), empty if there is none.
  // This class indexes whatever it is given; the caller applies the condition.
  const std::string& condition() const;
  int keySize() const;
  int keyDecimals() const;
  bool unique() const;
  // The descending flag some later writers set in the header. This class
  // always walks in ascending key order; a caller may refuse such a file.
  bool descending() const;
  // The key spec; type is '?' for an opened file until setKeyType.
  const KeySpec& keySpec() const;
  void setKeyType(char type);

  // Adds an entry; returns false (and changes nothing) when a unique index
  // already holds the key, or the entry is already there.
  bool insert(std::string_view key, uint32_t recNo);
  // Removes the entry; returns false if it is not there.
  bool remove(std::string_view key, uint32_t recNo);

  // Cursor. seek() finds the first entry whose key begins with `key` (a key
  // shorter than keySize matches as a prefix) and returns true; if there is none
  // it returns false and leaves the cursor at the first greater entry when
  // `soft`, else at end of file.
  bool seek(std::string_view key, bool soft);
  // Positions on exactly this entry; false (and end of file) if it is not there.
  bool gotoEntry(std::string_view key, uint32_t recNo);
  // first/last on an empty index set eof (and bof).
  void first();
  void last();
  // next past the last entry sets eof; prev before the first sets bof and stays
  // on the first entry.
  void next();
  void prev();
  bool eof() const;
  bool bof() const;
  // The entry under the cursor; 0 / empty at end of file.
  uint32_t recNo() const;
  const std::string& key() const;

  // Index lock for a run of operations in shared mode (the operations take it
  // themselves when it is not held). lock() waits; tryLock() does not.
  // Locks nest: the lock is released by the last unlock().
  void lock();
  bool tryLock();
  void unlock();
  // The header's version counter as last read.
  uint16_t version() const;

  // Writes every pending page and the header, and syncs the file to disk.
  void flush();

  // Walks the whole tree: every page valid, keys in order (equal keys by record
  // number), every leaf at one depth, non-root pages at least half full (only
  // reported as a fault if `strictFill`), no page reached twice, each record
  // number once. When `expectedRecords` > 0, also that records 1..expected
  // each appear exactly once.
  NtxCheckResult check(uint32_t expectedRecords = 0, bool strictFill = false);

  class Impl;

 private:
  explicit NtxFile(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace kalvento::rt::db
