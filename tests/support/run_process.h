#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kalvento::testing {

// The exit status of a child whose program could not be started.
inline constexpr int kExecFailed = 127;

struct ProcessResult {
  int exitStatus = -1;  // -1 if the process did not end normally
  std::string standardError;
};

// Runs `program` with `args` in folder `cwd`, standard input closed, and waits.
// With `unprivileged`, a process started as root runs as the user "nobody", so
// that file permissions apply to it.
inline ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                                const std::string& cwd, bool unprivileged = false) {
  std::string errFile = cwd + "/../" + "stderr-" + std::to_string(::getpid()) + ".txt";
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(cwd.c_str()) != 0) ::_exit(126);
    int devNull = ::open("/dev/null", O_RDONLY);
    int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(devNull, 0);
    ::dup2(err, 2);
    if (unprivileged && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(125);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(kExecFailed);
  }
  ProcessResult result;
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  std::ifstream in(errFile);
  std::stringstream text;
  text << in.rdbuf();
  result.standardError = text.str();
  ::unlink(errFile.c_str());
  return result;
}

}  // namespace kalvento::testing
