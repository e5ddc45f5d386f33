#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "runtime/db/structure_copy.h"
#include "runtime/db/table_functions.h"
#include "runtime/db/work_area.h"

namespace kalvento::rt::db::testing {

// A fresh folder under /tmp for one test; removed with everything in it. Every
// work area of the thread is closed first, and the settings are put back.
class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/kalvento-db-XXXXXX";
    path_ = ::mkdtemp(tmpl);
    saved_ = Settings();
  }
  ~TempDir() {
    try {
      DbCloseAll();
    } catch (...) {
    }
    DbSelectArea(Value(1));
    Settings() = saved_;
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  EngineSettings saved_;
};

// Runs `body` in a child process; its result is the child's exit status.
inline pid_t RunChild(const std::function<int()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) {
    int status = 1;
    try {
      status = body();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "child %d: %s\n", static_cast<int>(::getpid()), e.what());
      status = 99;
    } catch (...) {
      status = 99;
    }
    ::_exit(status);
  }
  return pid;
}

inline int WaitChild(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// A pipe to hand single bytes between a parent and its children.
class Signal {
 public:
  Signal() {
    if (::pipe(fds_) != 0) std::abort();
  }
  ~Signal() {
    ::close(fds_[0]);
    ::close(fds_[1]);
  }
  void send(char c = 'x') { (void)!::write(fds_[1], &c, 1); }
  char receive() {
    char c = 0;
    return ::read(fds_[0], &c, 1) == 1 ? c : '\0';
  }

 private:
  int fds_[2];
};

// {name, type, length, decimals} rows for DbCreate.
inline Value Structure(std::initializer_list<Value> rows) { return Value(Array(rows)); }
inline Value Row(const char* name, const char* type, int length, int decimals = 0) {
  return Value(Array{Value(name), Value(type), Value(length), Value(decimals)});
}

}  // namespace kalvento::rt::db::testing
