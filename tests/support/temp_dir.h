#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>

namespace kalvento::testing {

// A fresh folder under the system's temporary folder, removed with its contents
// when the object goes. Optionally the current directory while it lives.
class TempDir {
 public:
  explicit TempDir(bool enter = false) {
    std::string tmpl = (std::filesystem::temp_directory_path() / "kalvento-test-XXXXXX").string();
    path_ = ::mkdtemp(tmpl.data());
    if (enter) {
      previous_ = std::filesystem::current_path();
      std::filesystem::current_path(path_);
    }
  }
  ~TempDir() {
    if (!previous_.empty()) std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

}  // namespace kalvento::testing
