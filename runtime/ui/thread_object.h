#pragma once

#include <memory>
#include <string>

#include "runtime/value.h"

namespace kalvento::rt::ui {

// The object that stands for the calling thread. Code keeps what belongs to
// the thread in its cargo (a data dialog keeps itself there, so that windows
// opened later on the same thread find their owner).
class ThreadObjectData : public Object {
 public:
  std::string className() const override { return "Thread"; }
  Value cargo;
};

// The calling thread's object; the same object for every call on one thread.
std::shared_ptr<ThreadObjectData> ThreadObject();

}  // namespace kalvento::rt::ui
