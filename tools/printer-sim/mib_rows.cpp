#include "mib_rows.h"

#include <algorithm>

namespace printer_sim {

void MibRows::Clear() {
  variables_.clear();
  objects_.clear();
}

void MibRows::Add(const Oid& object, std::initializer_list<uint32_t> instance, Value value) {
  Serve(object);
  Oid name = object;
  name.insert(name.end(), instance.begin(), instance.end());
  variables_.push_back({std::move(name), std::move(value)});
}

void MibRows::Serve(const Oid& object) {
  // Rows are added column after column, so a repeat is nearly always the last one.
  if (objects_.empty() || objects_.back() != object) objects_.push_back(object);
}

void MibRows::Finish() {
  std::sort(variables_.begin(), variables_.end(),
            [](const Variable& a, const Variable& b) { return a.name < b.name; });
  std::sort(objects_.begin(), objects_.end());
  objects_.erase(std::unique(objects_.begin(), objects_.end()), objects_.end());
}

bool MibRows::IsKnownObject(const Oid& name) const {
  // The served object that would hold `name` sorts at or just before it.
  auto after = std::upper_bound(objects_.begin(), objects_.end(), name);
  if (after == objects_.begin()) return false;
  const Oid& object = *(after - 1);
  return name.size() > object.size() && std::equal(object.begin(), object.end(), name.begin());
}

}  // namespace printer_sim
