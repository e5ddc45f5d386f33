#pragma once

#include <map>
#include <memory>
#include <string_view>

#include "runtime/db/work_area.h"

namespace kalvento::rt::db {

// The numbered work areas of one thread (from 1), the current one, and the
// thread's NetErr flag. Each thread has its own set; a thread's tables are
// written and closed when the thread ends.
class WorkAreas {
 public:
  static constexpr int kMaxArea = 65534;

  static WorkAreas& ForThread();
  ~WorkAreas();

  int current() const { return current_; }
  // A number outside 1 ... kMaxArea is a RuntimeError.
  void select(int number);
  WorkArea* area(int number) const;
  WorkArea* currentArea() const { return area(current_); }
  // The current area's table; a RuntimeError naming `operation` if none is open.
  WorkArea& used(const char* operation) const;
  int byAlias(std::string_view alias) const;  // 0 if none
  int lowestFree() const;
  // Puts a table into area `number` (which must be empty).
  void put(int number, std::unique_ptr<WorkArea> area);
  // Writes and closes the table of `number`; errors on the last write surface.
  void close(int number);
  void closeAll();
  // Calls f(WorkArea&) for every open area in number order.
  template <class F>
  void forEach(F f) {
    for (auto& [number, area] : areas_) f(*area);
  }

  bool netErr = false;

 private:
  std::map<int, std::unique_ptr<WorkArea>> areas_;
  int current_ = 1;
};

}  // namespace kalvento::rt::db
