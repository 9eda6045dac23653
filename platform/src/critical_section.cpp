// Re-entrant critical sections: a recursive mutex built in the caller's
// opaque storage. Any thread may enter; only the owner may leave.
#include <mutex>
#include <new>

#include "platform/sync.h"

namespace {

static_assert(sizeof(std::recursive_mutex) <= sizeof(CRITICAL_SECTION::opaque),
              "CRITICAL_SECTION storage is too small for its mutex");
static_assert(alignof(std::recursive_mutex) <= alignof(CRITICAL_SECTION),
              "CRITICAL_SECTION storage is not aligned for its mutex");

std::recursive_mutex& mutex_of(CRITICAL_SECTION* section) {
  return *std::launder(reinterpret_cast<std::recursive_mutex*>(section->opaque));
}

}  // namespace

void InitializeCriticalSection(CRITICAL_SECTION* section) {
  new (section->opaque) std::recursive_mutex;
}

void DeleteCriticalSection(CRITICAL_SECTION* section) {
  mutex_of(section).~recursive_mutex();
}

void EnterCriticalSection(CRITICAL_SECTION* section) { mutex_of(section).lock(); }

BOOL TryEnterCriticalSection(CRITICAL_SECTION* section) {
  return mutex_of(section).try_lock() ? TRUE : FALSE;
}

void LeaveCriticalSection(CRITICAL_SECTION* section) { mutex_of(section).unlock(); }
