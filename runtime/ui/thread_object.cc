#include "runtime/ui/thread_object.h"

namespace kalvento::rt::ui {

std::shared_ptr<ThreadObjectData> ThreadObject() {
  thread_local std::shared_ptr<ThreadObjectData> object = std::make_shared<ThreadObjectData>();
  return object;
}

}  // namespace kalvento::rt::ui
