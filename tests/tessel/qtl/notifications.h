// A notifier that records what it is told, for endpoint tests.
#pragma once

#include <cstdint>
#include <vector>

#include "transport_fixture.h"

struct Notified {
  std::vector<int32_t> events;
  std::vector<int32_t> statuses;
};

// Install with the address of a Notified as the notifier's data.
inline void Record(QTLEndpoint, int32_t event, int32_t status, uintptr_t data) {
  auto* notified = reinterpret_cast<Notified*>(data);
  notified->events.push_back(event);
  notified->statuses.push_back(status);
}

// Runs the thread's messages, as a caller's message loop would, until the
// next notification arrives (or about two seconds pass).
inline bool NextEvent(const Notified& notified) {
  const size_t seen = notified.events.size();
  return PumpUntil([&] { return notified.events.size() > seen; });
}
