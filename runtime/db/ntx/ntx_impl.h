#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/db/ntx/ntx_file.h"
#include "runtime/db/ntx/ntx_format.h"
#include "runtime/db/ntx/ntx_lock.h"

namespace kalvento::rt::db {

// The state behind NtxFile: the open file, the cached pages, the tree
// operations and the cursor. Internal to the NTX library.
class NtxFile::Impl {
 public:
  struct Page {
    std::array<uint8_t, ntx::kPageSize> bytes{};
    bool validated = false;
    bool dirty = false;
  };
  // One level of a path from the root: the page and, on the last level, the
  // item; on the levels above, the child that was descended into.
  struct Frame {
    uint32_t page;
    int idx;
  };
  using Path = std::vector<Frame>;
  // A page decoded for editing: n items, n + 1 children.
  struct Node {
    int n = 0;
    std::vector<uint32_t> child;
    std::vector<uint32_t> rec;
    std::string keys;
    void insertItem(int i, std::string_view key, uint32_t recNo, uint32_t rightChild, int keySize);
    void eraseItem(int i, int childIndex, int keySize);
  };

  ~Impl();

  [[noreturn]] void fault(const std::string& what) const;

  // File and cache.
  void openFile(const std::string& hostPath, NtxOpenMode mode);
  const uint8_t* page(uint32_t offset);        // loaded and validated
  uint8_t* rawPage(uint32_t offset);           // loaded, not validated
  uint8_t* pageForChange(uint32_t offset);     // validated, marked to be written
  Node decode(uint32_t offset);
  void encode(const Node& node, uint32_t offset);
  uint32_t allocPage();
  void freePage(uint32_t offset);
  void dropCache();
  void writePending();
  void validatePage(Page& p, uint32_t offset);
  bool pageOffsetOk(uint32_t offset) const;

  // Page reading.
  int count(const uint8_t* p) const { return ntx::Get16(p); }
  const uint8_t* item(const uint8_t* p, int k) const { return p + ntx::Get16(p + 2 + 2 * k); }
  uint32_t child(const uint8_t* p, int k) const { return ntx::Get32(item(p, k)); }
  uint32_t recAt(const uint8_t* p, int k) const { return ntx::Get32(item(p, k) + 4); }
  const char* keyAt(const uint8_t* p, int k) const {
    return reinterpret_cast<const char*>(item(p, k) + 8);
  }
  bool isLeaf(const uint8_t* p) const { return child(p, count(p)) == 0; }

  // Searching and walking. descend() leaves the path at a leaf with idx = the
  // position of the first entry not less than the target; settleForward() then
  // moves the path onto that entry (false: past the last entry).
  void descend(std::string_view key, bool useRec, uint32_t recNo, Path* path);
  bool settleForward(Path* path);
  bool settleBackward(Path* path);
  bool stepForward(Path* path);
  bool stepBackward(Path* path);
  bool pathToFirst(Path* path);
  bool pathToLast(Path* path);
  bool findExact(std::string_view key, uint32_t recNo, Path* path);
  bool entryEquals(const Path& path, std::string_view key, uint32_t recNo);

  // Changes.
  void insertAt(Path path, std::string_view key, uint32_t recNo);
  bool insertInLeaf(const Frame& at, std::string_view key, uint32_t recNo);
  bool removeFromLeaf(const Frame& at, bool isRoot);
  void removeAt(Path path);
  void fixUnderflow(Path& path);
  void changed();

  // Cursor.
  void loadCursor();
  void setEof();
  bool refreshCursor();

  // Locking (shared mode).
  bool lockBegin(bool wait = true);
  void lockEnd(bool failed);
  void checkKey(std::string_view key) const;
  void checkWritable() const;

  std::string path_;
  int fd_ = -1;
  NtxOpenMode mode_;
  ntx::NtxHeader header_;
  KeySpec spec_;
  uint64_t fileSize_ = 0;
  bool headerDirty_ = false;
  bool broken_ = false;
  std::vector<std::unique_ptr<Page>> pages_;
  std::vector<uint32_t> dirty_;
  uint64_t generation_ = 0;
  std::optional<ntx::OfdLock> lock_;
  int lockDepth_ = 0;
  bool mutating_ = false;

  Path cursor_;
  uint64_t cursorGeneration_ = 0;
  std::string curKey_;
  uint32_t curRec_ = 0;
  bool eof_ = true;
  bool bof_ = true;
};

// Takes the index lock for one operation (shared mode) and, when the operation
// fails, throws away what it changed in memory.
class NtxOperation {
 public:
  explicit NtxOperation(NtxFile::Impl& impl) : impl_(impl), exceptions_(std::uncaught_exceptions()) {
    impl_.lockBegin();
  }
  ~NtxOperation() noexcept(false) { impl_.lockEnd(std::uncaught_exceptions() > exceptions_); }
  NtxOperation(const NtxOperation&) = delete;
  NtxOperation& operator=(const NtxOperation&) = delete;

 private:
  NtxFile::Impl& impl_;
  int exceptions_;
};

}  // namespace kalvento::rt::db
