#include "runtime/db/dbt_memo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "runtime/db/file_locks.h"
#include "runtime/db/io.h"
#include "runtime/runtime_error.h"

namespace kalvento::rt::db {

DbtMemo::DbtMemo(const std::string& hostPath, bool readOnly) : path_(hostPath) {
  fd_ = ::open(hostPath.c_str(), (readOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC);
  if (fd_ < 0) throw RuntimeError("Memodatei fehlt: " + hostPath, std::strerror(errno));
  struct stat st;
  if (::fstat(fd_, &st) != 0 || st.st_size < 4) {
    ::close(fd_);
    fd_ = -1;
    throw RuntimeError("Memodatei beschädigt: " + hostPath, "Dateikopf fehlt");
  }
}

DbtMemo::~DbtMemo() {
  if (fd_ >= 0) ::close(fd_);
}

void DbtMemo::Create(const std::string& hostPath) {
  std::string block(kBlockSize, '\0');
  block[0] = 1;
  block[16] = 0x03;
  WriteWholeFile(hostPath, block);
}

std::string DbtMemo::read(uint32_t block) const {
  struct stat st;
  if (::fstat(fd_, &st) != 0) throw RuntimeError("Memodatei nicht lesbar: " + path_);
  uint64_t start = static_cast<uint64_t>(block) * kBlockSize;
  if (block == 0 || start >= static_cast<uint64_t>(st.st_size))
    throw RuntimeError("Memodatei beschädigt: " + path_,
                       "Block " + std::to_string(block) + " liegt außerhalb der Datei");
  std::string out;
  char buf[kBlockSize * 8];
  uint64_t at = start;
  while (at < static_cast<uint64_t>(st.st_size)) {
    size_t n = PreadSome(fd_, buf, sizeof buf, at, path_);
    if (n == 0) break;
    for (size_t i = 0; i < n; ++i) {
      if (buf[i] == 0x1A) {
        // 1A 1A ends a memo; so does a single 1A (one-terminator writers).
        out.append(buf, i);
        return out;
      }
    }
    out.append(buf, n);
    at += n;
  }
  return out;  // no terminator before the end of the file: the rest is the memo
}

uint32_t DbtMemo::write(std::string_view text) {
  WaitWriteLock(fd_, kLockBase, 1);
  struct Release {
    int fd;
    ~Release() { Unlock(fd, kLockBase, 1); }
  } release{fd_};
  unsigned char head[4];
  PreadExact(fd_, head, 4, 0, path_);
  uint32_t next =
      head[0] | (head[1] << 8) | (head[2] << 16) | (static_cast<uint32_t>(head[3]) << 24);
  struct stat st;
  if (::fstat(fd_, &st) != 0) throw RuntimeError("Memodatei nicht lesbar: " + path_);
  // A stale or damaged counter must never point into existing memos.
  uint32_t endBlock = static_cast<uint32_t>((st.st_size + kBlockSize - 1) / kBlockSize);
  if (next < endBlock || next == 0) next = endBlock == 0 ? 1 : endBlock;
  std::string body(text);
  for (char& c : body) {
    if (c == 0x1A) c = ' ';
  }
  body += "\x1A\x1A";
  size_t blocks = (body.size() + kBlockSize - 1) / kBlockSize;
  body.resize(blocks * kBlockSize, '\0');
  PwriteAll(fd_, body.data(), body.size(), static_cast<uint64_t>(next) * kBlockSize, path_);
  uint32_t newNext = next + static_cast<uint32_t>(blocks);
  unsigned char out[4] = {
      static_cast<unsigned char>(newNext), static_cast<unsigned char>(newNext >> 8),
      static_cast<unsigned char>(newNext >> 16), static_cast<unsigned char>(newNext >> 24)};
  PwriteAll(fd_, out, 4, 0, path_);
  return next;
}

void DbtMemo::sync() {
  if (fd_ >= 0) ::fdatasync(fd_);
}

}  // namespace kalvento::rt::db
