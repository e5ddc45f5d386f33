#include "runtime/db/io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "runtime/runtime_error.h"

namespace kalvento::rt::db {

size_t PreadSome(int fd, void* buf, size_t size, uint64_t offset, const std::string& path) {
  size_t done = 0;
  char* p = static_cast<char*>(buf);
  while (done < size) {
    ssize_t n = ::pread(fd, p + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw RuntimeError("Lesefehler: " + path, std::strerror(errno));
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

void PreadExact(int fd, void* buf, size_t size, uint64_t offset, const std::string& path) {
  if (PreadSome(fd, buf, size, offset, path) != size)
    throw RuntimeError("Datei zu kurz: " + path,
                       "Lesen bei Position " + std::to_string(offset) + " hinter dem Dateiende");
}

void PwriteAll(int fd, const void* buf, size_t size, uint64_t offset, const std::string& path) {
  size_t done = 0;
  const char* p = static_cast<const char*>(buf);
  while (done < size) {
    ssize_t n = ::pwrite(fd, p + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw RuntimeError("Schreibfehler: " + path, std::strerror(errno));
    }
    done += static_cast<size_t>(n);
  }
}

uint64_t FileSize(int fd, const std::string& path) {
  struct stat st;
  if (::fstat(fd, &st) != 0)
    throw RuntimeError("Datei nicht lesbar: " + path, std::strerror(errno));
  return static_cast<uint64_t>(st.st_size);
}

void WriteWholeFile(const std::string& path, std::string_view bytes) {
  // Written beside the target and renamed over it: a crash leaves the old file or
  // the new one, and whoever still has the old one open keeps reading it.
  std::string temp = path + ".tmp" + std::to_string(::getpid());
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) throw RuntimeError("Datei kann nicht angelegt werden: " + path, std::strerror(errno));
  try {
    PwriteAll(fd, bytes.data(), bytes.size(), 0, path);
  } catch (...) {
    ::close(fd);
    ::unlink(temp.c_str());
    throw;
  }
  ::fdatasync(fd);
  ::close(fd);
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    int err = errno;
    ::unlink(temp.c_str());
    throw RuntimeError("Datei kann nicht angelegt werden: " + path, std::strerror(err));
  }
}

}  // namespace kalvento::rt::db
