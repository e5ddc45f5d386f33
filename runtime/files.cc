#include "runtime/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "runtime/host_path.h"

namespace kalvento::rt {
namespace {

WriteResult Failed(int err) { return WriteResult{false, std::strerror(err)}; }

bool WriteAll(int fd, std::string_view text) {
  const char* p = text.data();
  size_t left = text.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::string MemoRead(std::string_view path) {
  std::string host = HostPath(path);
  int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  std::string out;
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) out.reserve(static_cast<size_t>(st.st_size));
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n < 0) out.clear();
      break;
    }
    out.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return out;
}

WriteResult MemoWrit(std::string_view path, std::string_view text) {
  std::string host = HostPath(path);
  mode_t mode = 0666;
  struct stat st;
  if (::stat(host.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return Failed(EISDIR);
    if (::access(host.c_str(), W_OK) != 0) return Failed(errno);
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }

  std::string tmp = FolderOf(host) + "/.kalvento-write-XXXXXX";
  int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
  if (fd < 0) return Failed(errno);
  int err = 0;
  if (::fchmod(fd, mode) != 0 || !WriteAll(fd, text) || ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(tmp.c_str(), host.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(tmp.c_str());
    return Failed(err);
  }
  // Make the rename itself durable.
  int dirFd = ::open(FolderOf(host).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return WriteResult{true, {}};
}

bool FileExists(std::string_view path) {
  struct stat st;
  return ::stat(HostPath(path).c_str(), &st) == 0;
}

}  // namespace kalvento::rt
