#include <algorithm>
#include <chrono>
#include <optional>

#include "kernel.h"
#include "platform/error.h"
#include "platform/sync.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;
using Objects = std::vector<std::shared_ptr<KernelObject>>;

// Puts the waiting thread on every object's waiter list for as long as it
// sleeps, so that a change of state wakes it. Kernel lock held throughout.
class WaiterRegistration {
 public:
  WaiterRegistration(const Objects& objects, ThreadState& self) : objects_(objects), self_(self) {
    for (const auto& object : objects_) object->waiters.push_back(&self_);
  }
  ~WaiterRegistration() {
    for (const auto& object : objects_) std::erase(object->waiters, &self_);
  }
  WaiterRegistration(const WaiterRegistration&) = delete;
  WaiterRegistration& operator=(const WaiterRegistration&) = delete;

 private:
  const Objects& objects_;
  ThreadState& self_;
};

bool messages_waiting(const ThreadState& queue) {
  return !queue.posted.empty() || queue.quit_pending;
}

// The wait's result if it is satisfied now; the objects that satisfy it are
// consumed in the same step, so an auto-reset event releases one waiter.
std::optional<DWORD> try_satisfy_locked(const Objects& objects, bool wait_all,
                                        const ThreadState* queue) {
  const auto count = static_cast<DWORD>(objects.size());
  if (wait_all) {
    bool ready = std::all_of(objects.begin(), objects.end(),
                             [](const auto& object) { return object->signalled(); });
    if (!ready || (queue && !messages_waiting(*queue))) return std::nullopt;
    for (const auto& object : objects) object->consume();
    return WAIT_OBJECT_0;
  }
  for (DWORD i = 0; i < count; ++i) {
    if (objects[i]->signalled()) {
      objects[i]->consume();
      return WAIT_OBJECT_0 + i;
    }
  }
  if (queue && messages_waiting(*queue)) return WAIT_OBJECT_0 + count;
  return std::nullopt;
}

}  // namespace

DWORD wait_for_objects(DWORD count, const HANDLE* handles, bool wait_all, DWORD milliseconds,
                       bool messages) {
  ThreadState& self = current_thread();
  KernelLock lock(kernel_mutex());
  Objects objects;
  objects.reserve(count);
  for (DWORD i = 0; i < count; ++i) {
    auto object = find_handle_locked(handles[i]);
    if (!object) {
      SetLastError(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
    }
    // Waiting for all of a set that names one object twice cannot be
    // satisfied atomically (Windows refuses it too).
    if (wait_all && std::find(objects.begin(), objects.end(), object) != objects.end()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return WAIT_FAILED;
    }
    objects.push_back(std::move(object));
  }

  const ThreadState* queue = messages ? &self : nullptr;
  if (auto result = try_satisfy_locked(objects, wait_all, queue)) return *result;
  if (milliseconds == 0) {
    if (messages && look_at_sockets_locked(lock, self)) {
      return try_satisfy_locked(objects, wait_all, queue).value_or(WAIT_TIMEOUT);
    }
    return WAIT_TIMEOUT;
  }

  const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  WaiterRegistration registration(objects, self);
  for (;;) {
    if (!sleep_locked(lock, self, messages, milliseconds == INFINITE ? nullptr : &deadline)) {
      return try_satisfy_locked(objects, wait_all, queue).value_or(WAIT_TIMEOUT);
    }
    if (auto result = try_satisfy_locked(objects, wait_all, queue)) return *result;
  }
}

}  // namespace platform
