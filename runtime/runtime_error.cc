#include "runtime/runtime_error.h"

#include "runtime/routines.h"

namespace kalvento::rt {

RuntimeError::RuntimeError(std::string description, std::string operation)
    : description_(std::move(description)),
      operation_(std::move(operation)),
      where_(ActiveRoutines()) {
  message_ = operation_.empty() ? description_ : description_ + ": " + operation_;
}

}  // namespace kalvento::rt
