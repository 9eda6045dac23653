#include "subnet.h"

#include <mutex>

namespace glysnmp {
namespace {

struct Targets {
  std::mutex mutex;
  std::vector<Subnet> subnets;  // target n is entry n - 1
};

Targets& targets() {
  static Targets* instance = new Targets;  // outlives every caller, also at exit
  return *instance;
}

}  // namespace

std::optional<Subnet> MakeSubnet(uint32_t address, uint32_t mask) {
  uint32_t hostBits = ~mask;
  if ((hostBits & (hostBits + 1)) != 0) return std::nullopt;  // not 0...01...1
  uint32_t prefixLength = static_cast<uint32_t>(__builtin_popcount(mask));
  if (prefixLength < kShortestPrefix) return std::nullopt;
  return Subnet{address & mask, prefixLength};
}

std::vector<uint32_t> HostAddresses(const Subnet& subnet) {
  uint32_t size = uint32_t{1} << (32 - subnet.prefixLength);
  std::vector<uint32_t> hosts;
  if (size <= 2) {
    for (uint32_t i = 0; i < size; ++i) hosts.push_back(subnet.network + i);
    return hosts;
  }
  hosts.reserve(size - 2);
  for (uint32_t i = 1; i + 1 < size; ++i) hosts.push_back(subnet.network + i);
  return hosts;
}

uint32_t TargetOf(const Subnet& subnet) {
  Targets& all = targets();
  std::lock_guard lock(all.mutex);
  for (size_t i = 0; i < all.subnets.size(); ++i) {
    if (all.subnets[i].network == subnet.network && all.subnets[i].prefixLength == subnet.prefixLength) {
      return static_cast<uint32_t>(i + 1);
    }
  }
  all.subnets.push_back(subnet);
  return static_cast<uint32_t>(all.subnets.size());
}

std::optional<Subnet> SubnetOfTarget(uint32_t target) {
  Targets& all = targets();
  std::lock_guard lock(all.mutex);
  if (target == 0 || target > all.subnets.size()) return std::nullopt;
  return all.subnets[target - 1];
}

}  // namespace glysnmp
