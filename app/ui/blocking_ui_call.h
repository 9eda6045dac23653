// Asking the user-interface thread something from a worker and waiting for
// the answer: message boxes and questions may only be shown there.
//
// The owner closes the gate on the user-interface thread before it waits
// for the worker to end. From then on a worker's waiting call returns at
// once with no answer, and a call still queued is never run, so a closing
// window can never wait for a worker that waits for the window. Answers are
// kept on the heap, so a call that finishes after its worker gave up
// writes nowhere harmful.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "ui/ui_thread.h"

class BlockingUiCalls {
 public:
  explicit BlockingUiCalls(UiThread& uiThread)
      : uiThread_(uiThread), shared_(std::make_shared<Shared>()) {}

  // Runs `call` on the user-interface thread and returns its result; at
  // once when called there. Nothing when the gate is or gets closed first.
  template <typename T>
  std::optional<T> Call(std::function<T()> call) {
    if (uiThread_.IsCurrent()) {
      if (IsClosed()) return std::nullopt;
      return call();
    }
    auto slot = std::make_shared<Slot<T>>();
    uiThread_.Post([shared = shared_, slot, call = std::move(call)] {
      {
        const std::lock_guard guard(shared->lock);
        if (shared->closed) return;
      }
      T answer = call();
      const std::lock_guard guard(shared->lock);
      slot->answer = std::move(answer);
      shared->changed.notify_all();
    });
    std::unique_lock guard(shared_->lock);
    shared_->changed.wait(guard, [&] { return shared_->closed || slot->answer.has_value(); });
    return slot->answer;
  }

  // User-interface thread: no further call is run and every waiting one
  // returns without an answer.
  void Close() {
    const std::lock_guard guard(shared_->lock);
    shared_->closed = true;
    shared_->changed.notify_all();
  }

  bool IsClosed() const {
    const std::lock_guard guard(shared_->lock);
    return shared_->closed;
  }

 private:
  struct Shared {
    std::mutex lock;
    std::condition_variable changed;
    bool closed = false;
  };
  template <typename T>
  struct Slot {
    std::optional<T> answer;
  };

  UiThread& uiThread_;
  std::shared_ptr<Shared> shared_;
};
