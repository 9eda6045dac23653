// Work on a sequence shared by two threads: the caller takes chunks from the
// front and a helper from the back until they meet. When the helper gets no
// processor, the caller simply does it all and never waits for a half the
// helper has not started; when both run, each does about half. The caller's
// chunks come in order, so it can write its results straight into the final
// place.
#pragma once

#include <algorithm>
#include <cstddef>
#include <mutex>
#include <utility>

namespace converter {

// Whether a helper thread is worth starting: only when a processor is free,
// judged by the load average of the last minute. On a busy machine the
// processors are shared out among all processes, and a helper adds only its
// own cost. The environment variable GLY_CONVERTER_THREADS set to 1 or 2
// decides instead, for tests and measurements.
bool HelperThreadWorthwhile();

class TwoEndedWork {
 public:
  explicit TwoEndedWork(std::size_t count) : back_(count) {}

  // [first, last) of the next chunk, empty when nothing is left.
  std::pair<std::size_t, std::size_t> TakeFront(std::size_t chunk) {
    std::lock_guard lock(mutex_);
    const std::size_t first = front_;
    front_ = std::min(back_, front_ + chunk);
    return {first, front_};
  }
  std::pair<std::size_t, std::size_t> TakeBack(std::size_t chunk) {
    std::lock_guard lock(mutex_);
    const std::size_t last = back_;
    back_ = back_ - std::min(chunk, back_ - front_);
    return {back_, last};
  }
  // Ends the work early: nothing more is handed out.
  void Stop() {
    std::lock_guard lock(mutex_);
    back_ = front_;
  }

 private:
  std::mutex mutex_;
  std::size_t front_ = 0, back_;
};

}  // namespace converter
