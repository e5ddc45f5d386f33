#pragma once

#include <string>
#include <string_view>

namespace kalvento::rt {

// Whole-file reading and writing. Paths are in the system's DOS form and go
// through HostPath.

// The whole file as bytes; a missing or unreadable file reads as the empty text.
std::string MemoRead(std::string_view path);

// The outcome of a write: `error` names the reason when `ok` is false.
struct WriteResult {
  bool ok = false;
  std::string error;
  explicit operator bool() const { return ok; }
};

// Replaces the file's whole content with `text`, or creates it. The text goes to
// a temporary file in the same folder, is flushed to disk and renamed over the
// target, so a crash leaves either the old file or the new one, never half of
// one. A file that exists keeps its permission bits; one that may not be written
// is refused.
WriteResult MemoWrit(std::string_view path, std::string_view text);

// True if a file or folder of that name exists.
bool FileExists(std::string_view path);

}  // namespace kalvento::rt
