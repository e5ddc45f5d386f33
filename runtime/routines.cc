#include "runtime/routines.h"

#include <map>
#include <mutex>

#include "runtime/runtime_error.h"
#include "runtime/text.h"

namespace kalvento::rt {
namespace {

struct Registry {
  std::mutex mutex;
  std::map<std::string, Routine> byUpperName;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

thread_local std::vector<std::string> activeChain;

class ChainEntry {
 public:
  explicit ChainEntry(std::string name) { activeChain.push_back(std::move(name)); }
  ~ChainEntry() { activeChain.pop_back(); }
};

}  // namespace

void RegisterRoutine(std::string_view name, Routine routine) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  r.byUpperName[Upper(name)] = std::move(routine);
}

bool IsRoutine(std::string_view name) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  return r.byUpperName.count(Upper(name)) != 0;
}

Value CallRoutine(std::string_view name, const Args& args) {
  Routine routine;
  {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    auto it = r.byUpperName.find(Upper(name));
    if (it == r.byUpperName.end()) throw RuntimeError("undefined function", std::string(name));
    routine = it->second;
  }
  ChainEntry entry{Upper(name)};
  return routine(args);
}

std::vector<std::string> ActiveRoutines() {
  return std::vector<std::string>(activeChain.rbegin(), activeChain.rend());
}

}  // namespace kalvento::rt
