#include "runtime/host_path.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cctype>
#include <cstdlib>

#include "runtime/text.h"

namespace kalvento::rt {
namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// The entry of `folder` whose name equals `name` without regard to case, or `name`.
std::string MatchEntry(const std::string& folder, const std::string& name) {
  std::string exact = folder.empty() ? name : (folder == "/" ? "/" + name : folder + "/" + name);
  if (name == "." || name == ".." || Exists(exact)) return name;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return name;
  std::string found = name;
  while (dirent* entry = ::readdir(dir)) {
    if (EqualsIgnoreCase(entry->d_name, name)) {
      found = entry->d_name;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

}  // namespace

std::string DriveFolder(char letter) {
  char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  std::string var = std::string("KALVENTO_DRIVE_") + upper;
  if (const char* set = std::getenv(var.c_str()); set != nullptr && *set != '\0') return set;
  const char* home = std::getenv("HOME");
  std::string base = home != nullptr && *home != '\0' ? home : "/tmp";
  return base + "/.kalvento/drive_" +
         static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
}

std::string HostPath(std::string_view dosPath) {
  std::string path(dosPath);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  std::string folder;
  size_t pos = 0;
  if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
    folder = DriveFolder(path[0]);
    pos = 2;
    while (pos < path.size() && path[pos] == '/') ++pos;
  } else if (!path.empty() && path[0] == '/') {
    folder = "/";
    pos = 1;
  }
  bool trailingSlash = !path.empty() && path.back() == '/';
  while (pos < path.size()) {
    size_t end = path.find('/', pos);
    if (end == std::string::npos) end = path.size();
    if (end > pos) {
      std::string name = MatchEntry(folder, path.substr(pos, end - pos));
      if (folder.empty()) {
        folder = name;
      } else if (folder == "/") {
        folder += name;
      } else {
        folder += "/" + name;
      }
    }
    pos = end + 1;
  }
  if (trailingSlash && !folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace kalvento::rt
