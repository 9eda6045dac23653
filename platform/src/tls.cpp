// Thread-local slots allocated at run time. TlsAlloc and TlsFree may be
// called from any thread (they take the slot-table lock); TlsGetValue and
// TlsSetValue touch only the calling thread's values and take no lock.
//
// Every allocation of a slot gets a new generation. A thread's value is
// stored with the generation it was set under, so a value left behind in a
// freed slot is never seen through a later allocation of the same index:
// a new slot reads NULL on every thread without visiting the threads.
#include <atomic>
#include <mutex>
#include <vector>

#include "platform/error.h"
#include "platform/thread.h"

namespace {

constexpr DWORD kSlotCount = 1088;  // as many as Windows offers a process

// Odd generations mark allocated slots, even ones free slots.
std::atomic<uint64_t> generations[kSlotCount];
std::mutex allocation_mutex;

struct SlotValue {
  uint64_t generation = 0;
  void* value = nullptr;
};

thread_local std::vector<SlotValue> values;

bool allocated(uint64_t generation) { return (generation & 1u) != 0; }

// The slot's current generation, or 0 (never allocated) for a bad index.
uint64_t live_generation(DWORD index) {
  if (index >= kSlotCount) return 0;
  uint64_t generation = generations[index].load(std::memory_order_acquire);
  return allocated(generation) ? generation : 0;
}

}  // namespace

DWORD TlsAlloc(void) {
  std::lock_guard lock(allocation_mutex);
  for (DWORD index = 0; index < kSlotCount; ++index) {
    uint64_t generation = generations[index].load(std::memory_order_relaxed);
    if (!allocated(generation)) {
      generations[index].store(generation + 1, std::memory_order_release);
      return index;
    }
  }
  SetLastError(ERROR_NO_MORE_ITEMS);
  return TLS_OUT_OF_INDEXES;
}

BOOL TlsFree(DWORD index) {
  std::lock_guard lock(allocation_mutex);
  if (live_generation(index) == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  generations[index].fetch_add(1, std::memory_order_release);
  return TRUE;
}

void* TlsGetValue(DWORD index) {
  uint64_t generation = live_generation(index);
  if (generation == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // Success clears the last error so that a stored NULL can be told apart
  // from a failure.
  SetLastError(ERROR_SUCCESS);
  if (index >= values.size() || values[index].generation != generation) return nullptr;
  return values[index].value;
}

BOOL TlsSetValue(DWORD index, void* value) {
  uint64_t generation = live_generation(index);
  if (generation == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (index >= values.size()) values.resize(index + 1);
  values[index] = {generation, value};
  return TRUE;
}
