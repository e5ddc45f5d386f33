#include "runtime/db/work_areas.h"

#include "runtime/runtime_error.h"
#include "runtime/text.h"

namespace kalvento::rt::db {

WorkAreas& WorkAreas::ForThread() {
  static thread_local WorkAreas areas;
  return areas;
}

WorkAreas::~WorkAreas() {
  // The thread ends: every area is written; errors cannot be reported any more.
  for (auto& [number, area] : areas_) {
    try {
      area->commit();
    } catch (const RuntimeError&) {
    }
  }
}

void WorkAreas::select(int number) {
  if (number < 1 || number > kMaxArea)
    throw RuntimeError("Arbeitsbereich existiert nicht", std::to_string(number));
  current_ = number;
}

WorkArea* WorkAreas::area(int number) const {
  auto it = areas_.find(number);
  return it == areas_.end() ? nullptr : it->second.get();
}

WorkArea& WorkAreas::used(const char* operation) const {
  WorkArea* a = currentArea();
  if (a == nullptr)
    throw RuntimeError("Arbeitsbereich nicht belegt",
                       std::string(operation) + " in Arbeitsbereich " + std::to_string(current_));
  return *a;
}

int WorkAreas::byAlias(std::string_view alias) const {
  for (const auto& [number, area] : areas_) {
    if (EqualsIgnoreCase(area->alias(), alias)) return number;
  }
  return 0;
}

int WorkAreas::lowestFree() const {
  int n = 1;
  for (const auto& [number, area] : areas_) {
    if (number != n) break;
    ++n;
  }
  return n;
}

void WorkAreas::put(int number, std::unique_ptr<WorkArea> area) {
  areas_[number] = std::move(area);
}

void WorkAreas::close(int number) {
  auto it = areas_.find(number);
  if (it == areas_.end()) return;
  // Clients are told while the area is still in place; it goes even if the
  // last write fails, so closing never loops on a broken table.
  try {
    it->second->close();
  } catch (...) {
    areas_.erase(number);
    throw;
  }
  areas_.erase(number);
}

void WorkAreas::closeAll() {
  while (!areas_.empty()) close(areas_.begin()->first);
}

}  // namespace kalvento::rt::db
