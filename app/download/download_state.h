// The state word a download's window and its worker share without a lock.
//
// Each side changes it only from the state it expects (compare and swap),
// so a change made by the other side in between is never overwritten: a
// Stop given before the worker's first step stays a Stop, and a Cancel of
// the stop question after the worker ended leaves it ended.
#pragma once

#include <atomic>
#include <initializer_list>

enum class DownloadState : int {
  Idle = 0,
  Downloading = 1,
  StopPending = 2,  // the stop question is open; the worker holds
  Stopped = 3,
  CloseRequested = 4,  // the worker ends after the current printer
};

class DownloadStateWord {
 public:
  DownloadState Load() const { return value_.load(); }
  // Sets `to` when the word holds one of `from`; false, unchanged, otherwise.
  bool Change(std::initializer_list<DownloadState> from, DownloadState to) {
    for (DownloadState expected : from) {
      DownloadState seen = expected;
      if (value_.compare_exchange_strong(seen, to)) return true;
    }
    return false;
  }
  // Only for a side that owns the word outright: the window before a worker
  // starts, and the worker at its end.
  void Store(DownloadState state) { value_.store(state); }

 private:
  std::atomic<DownloadState> value_{DownloadState::Idle};
};
