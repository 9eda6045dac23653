// Subnets to discover: what SnmpSubnetTarget hands out and which addresses
// a subnet's discovery asks.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace glysnmp {

// The largest subnet searched: a /16, 65534 host addresses, the size of a
// site. Larger ones are refused.
inline constexpr uint32_t kShortestPrefix = 16;

struct Subnet {
  uint32_t network = 0;
  uint32_t prefixLength = 0;
};

// The subnet of `address` under `mask`; nullopt when the mask is not a run
// of leading ones or the subnet is larger than kShortestPrefix allows.
std::optional<Subnet> MakeSubnet(uint32_t address, uint32_t mask);

// Its host addresses in order: no network or broadcast address, except in
// a /31 or /32, which have neither.
std::vector<uint32_t> HostAddresses(const Subnet& subnet);

// A number that names `subnet` for SubnetOfTarget (never 0; the same
// subnet gets the same number), and its inverse.
uint32_t TargetOf(const Subnet& subnet);
std::optional<Subnet> SubnetOfTarget(uint32_t target);

}  // namespace glysnmp
