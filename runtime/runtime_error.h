#pragma once

#include <string>
#include <vector>

namespace kalvento::rt {

// The one exception type of the runtime. Raised for what the platform reports as
// a runtime error (an undefined routine, an undeclared context, a value of the
// wrong kind, a damaged file). It is caught only by the start sequence, which
// shows it, logs it and ends the process; system code neither throws nor catches.
//
// `where` is the chain of public routines active when the error arose, innermost
// first, captured at construction.
class RuntimeError : public std::exception {
 public:
  explicit RuntimeError(std::string description, std::string operation = {});

  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& description() const { return description_; }
  const std::string& operation() const { return operation_; }
  const std::vector<std::string>& where() const { return where_; }

 private:
  std::string description_;
  std::string operation_;
  std::string message_;
  std::vector<std::string> where_;
};

}  // namespace kalvento::rt
