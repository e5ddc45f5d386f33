#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kalvento::rt::db {

// Positioned reads and writes that retry short transfers and EINTR. Failures are
// RuntimeErrors naming `path`.
void PreadExact(int fd, void* buf, size_t size, uint64_t offset, const std::string& path);
// Reads up to `size` bytes; fewer only at the end of the file.
size_t PreadSome(int fd, void* buf, size_t size, uint64_t offset, const std::string& path);
void PwriteAll(int fd, const void* buf, size_t size, uint64_t offset, const std::string& path);
uint64_t FileSize(int fd, const std::string& path);
// Writes a new file (replacing any of that name) and syncs it.
void WriteWholeFile(const std::string& path, std::string_view bytes);

}  // namespace kalvento::rt::db
