// Work on a sequence shared by two threads: the caller takes chunks from the
// front and a helper from the back until they meet. When the helper gets no
// processor (a busy machine), the caller simply does it all and never waits
// for a half the helper has not started; when both run, each does about
// half. The caller's chunks come in order, so it can write its results
// straight into the final place.
#pragma once

#include <algorithm>
#include <cstddef>
#include <mutex>
#include <utility>

namespace converter {

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
