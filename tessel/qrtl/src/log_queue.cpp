#include "log_queue.h"

#include <utility>

namespace tessel::qrtl {

void LogQueue::Push(std::string line) {
  lines_.push_back(std::move(line));
  bytes_ += lines_.back().size();
  while (lines_.size() > 1 && (lines_.size() > maxLines_ || bytes_ > maxBytes_)) {
    PopFront();
    ++dropped_;
  }
}

void LogQueue::PopFront() {
  bytes_ -= lines_.front().size();
  lines_.pop_front();
}

}  // namespace tessel::qrtl
