#include "runtime/db/ntx/ntx_lock.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "runtime/runtime_error.h"

namespace kalvento::rt::db::ntx {
namespace {

int Apply(int fd, int command, short type, uint64_t offset) {
  struct flock fl;
  std::memset(&fl, 0, sizeof fl);
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(offset);
  fl.l_len = 1;
  fl.l_pid = 0;
  int rc;
  do {
    rc = fcntl(fd, command, &fl);
  } while (rc != 0 && errno == EINTR && command == F_OFD_SETLKW);
  return rc;
}

}  // namespace

void OfdLock::acquire(const char* what) {
  if (Apply(fd_, F_OFD_SETLKW, write_ ? F_WRLCK : F_RDLCK, offset_) != 0) {
    throw RuntimeError(std::string("Indexsperre nicht möglich: ") + what, std::strerror(errno));
  }
}

bool OfdLock::tryAcquire(const char* what) {
  if (Apply(fd_, F_OFD_SETLK, write_ ? F_WRLCK : F_RDLCK, offset_) == 0) return true;
  if (errno == EAGAIN || errno == EACCES) return false;
  throw RuntimeError(std::string("Indexsperre nicht möglich: ") + what, std::strerror(errno));
}

void OfdLock::release() { Apply(fd_, F_OFD_SETLK, F_UNLCK, offset_); }

}  // namespace kalvento::rt::db::ntx
