#pragma once

#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace kalvento::rt::db {

// A path in the test temporary folder, unique to this process; every file
// handed out is removed when the test program ends (forked children leave
// with _exit and remove nothing).
inline std::string TestFile(const std::string& name) {
  struct Registry {
    std::vector<std::string> paths;
    ~Registry() {
      for (const std::string& p : paths) {
        ::unlink(p.c_str());
      }
    }
  };
  static Registry registry;
  std::string path = ::testing::TempDir() + "kalvento_ntx_" + std::to_string(::getpid()) + "_" + name;
  registry.paths.push_back(path);
  return path;
}

}  // namespace kalvento::rt::db
