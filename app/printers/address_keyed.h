// A value per printer address, kept beside the 524-byte records (whose
// layout has no room for more), that any thread may read or change.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>

template <typename Value>
class AddressKeyed {
 public:
  std::optional<Value> Find(uint32_t address) const {
    const std::lock_guard guard(lock_);
    const auto found = values_.find(address);
    if (found == values_.end()) return std::nullopt;
    return found->second;
  }
  void Set(uint32_t address, const Value& value) {
    const std::lock_guard guard(lock_);
    values_[address] = value;
  }
  void Clear() {
    const std::lock_guard guard(lock_);
    values_.clear();
  }

 private:
  mutable std::mutex lock_;
  std::map<uint32_t, Value> values_;
};
