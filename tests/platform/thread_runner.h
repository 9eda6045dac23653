// Runs a test body on a platform thread and waits for it to end.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "platform/sync.h"
#include "platform/thread.h"

class ThreadRunner {
 public:
  explicit ThreadRunner(std::function<void()> body) : body_(std::move(body)) {
    handle_ = CreateThread(nullptr, 0, &ThreadRunner::run, this, 0, &id_);
    EXPECT_NE(handle_, nullptr);
  }
  ~ThreadRunner() { join(); }
  ThreadRunner(const ThreadRunner&) = delete;
  ThreadRunner& operator=(const ThreadRunner&) = delete;

  DWORD id() const { return id_; }
  HANDLE handle() const { return handle_; }

  void join() {
    if (!handle_) return;
    EXPECT_EQ(WaitForSingleObject(handle_, 30000), WAIT_OBJECT_0);
    CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  static DWORD run(void* self) {
    static_cast<ThreadRunner*>(self)->body_();
    return 0;
  }

  std::function<void()> body_;
  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
};

// An event closed at the end of the scope.
class ScopedEvent {
 public:
  explicit ScopedEvent(bool manual_reset, bool initial_state = false)
      : handle_(CreateEventA(nullptr, manual_reset, initial_state, nullptr)) {}
  ~ScopedEvent() { CloseHandle(handle_); }
  ScopedEvent(const ScopedEvent&) = delete;
  ScopedEvent& operator=(const ScopedEvent&) = delete;

  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// Generous limit for anything that should happen at once.
constexpr DWORD kPromptly = 10000;
