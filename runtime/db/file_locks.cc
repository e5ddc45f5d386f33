#include "runtime/db/file_locks.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "runtime/runtime_error.h"

namespace kalvento::rt::db {
namespace {

bool SetLock(int fd, short type, int64_t start, int64_t length, bool wait) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = start;
  fl.l_len = length;
  fl.l_pid = 0;
  for (;;) {
    if (::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) == 0) return true;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EACCES) return false;
    throw RuntimeError("Sperre nicht möglich", std::strerror(errno));
  }
}

}  // namespace

bool TryWriteLock(int fd, int64_t start, int64_t length) {
  return SetLock(fd, F_WRLCK, start, length, false);
}

bool TryReadLock(int fd, int64_t start, int64_t length) {
  return SetLock(fd, F_RDLCK, start, length, false);
}

void Unlock(int fd, int64_t start, int64_t length) { SetLock(fd, F_UNLCK, start, length, false); }

void WaitWriteLock(int fd, int64_t start, int64_t length) {
  SetLock(fd, F_WRLCK, start, length, true);
}

}  // namespace kalvento::rt::db
