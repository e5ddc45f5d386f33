#pragma once

#include <cstdint>

namespace kalvento::rt::db::ntx {

// One byte-range lock of an open file description (F_OFD_SETLK), so that it
// belongs to this open of the file and not to the process: another open of
// the same file in this process conflicts with it, and closing some other
// descriptor of the file does not drop it. Write locks on files open for
// writing, read locks on read-only opens (which still exclude writers).
class OfdLock {
 public:
  OfdLock(int fd, uint64_t offset, bool write) : fd_(fd), offset_(offset), write_(write) {}
  // Waits for the lock (F_OFD_SETLKW); a RuntimeError naming `what` on failure.
  void acquire(const char* what);
  // False if another open holds a conflicting lock.
  bool tryAcquire(const char* what);
  void release();

 private:
  int fd_;
  uint64_t offset_;
  bool write_;
};

}  // namespace kalvento::rt::db::ntx
