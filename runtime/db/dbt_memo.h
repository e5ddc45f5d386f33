#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kalvento::rt::db {

// A dBase III-style .dbt memo file: 512-byte blocks, block 0 holding the next
// free block; a memo starts at a block and ends with 0x1A 0x1A. A rewritten
// memo is appended as a new copy. Appends by several processes are serialised
// by a lock on the .dbt at the table lock base while the next free block is read
// and advanced.
class DbtMemo {
 public:
  static constexpr int kBlockSize = 512;

  // Opens an existing memo file; a RuntimeError naming it if it is missing or
  // shorter than its header block.
  DbtMemo(const std::string& hostPath, bool readOnly);
  ~DbtMemo();
  DbtMemo(const DbtMemo&) = delete;
  DbtMemo& operator=(const DbtMemo&) = delete;

  // Writes an empty memo file (next free block 1).
  static void Create(const std::string& hostPath);

  // The memo starting at `block`; a block outside the file is a RuntimeError.
  std::string read(uint32_t block) const;
  // Appends `text` and returns its first block. 0x1A bytes in the text are kept
  // out (they would end the memo early) by writing them as blanks.
  uint32_t write(std::string_view text);
  void sync();
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  int fd_ = -1;
};

}  // namespace kalvento::rt::db
