// Carrying calls from any thread over to the user-interface thread.
//
// Widgets and the state dialogs show belong to the user-interface thread.
// A worker, or a library calling back on a thread of its own, hands its
// work to a UiThread instead of touching that state.
#pragma once

#include <functional>

class UiThread {
 public:
  virtual ~UiThread() = default;
  virtual bool IsCurrent() const = 0;
  // Queues `call` to run on the user-interface thread later; returns at
  // once. Safe from any thread.
  virtual void Post(std::function<void()> call) = 0;
  // Runs `call` now when already on the user-interface thread, so callers
  // there keep their order of events; otherwise posts it.
  void Run(std::function<void()> call) {
    if (IsCurrent())
      call();
    else
      Post(std::move(call));
  }
};
