// The transports a start request can start, in their fixed order.
#pragma once

#include <cstdint>
#include <span>

namespace tessel::qtl {

struct Transport {
  uint32_t bit;
  int32_t initFailure;  // the transport's own init code
  // Under the init lock. A start adds one to the transport's start count; a
  // stop with the count at 0 does nothing.
  int32_t (*start)();
  void (*stop)();
};

std::span<const Transport> Transports();

}  // namespace tessel::qtl
