// The lines waiting to be appended to the log file, with a bound.
//
// While the file cannot be written (a full disk, a lost or refused file) the
// lines would otherwise pile up without end. The queue keeps at most
// kMaxLines lines and kMaxBytes bytes of text; beyond that its oldest lines
// are dropped and counted, and the next flush that works writes one line
// telling how many were lost before the lines that follow them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

namespace tessel::qrtl {

class LogQueue {
 public:
  static constexpr size_t kMaxLines = 8192;
  static constexpr size_t kMaxBytes = size_t{1} << 20;

  explicit LogQueue(size_t maxLines = kMaxLines, size_t maxBytes = kMaxBytes)
      : maxLines_(maxLines), maxBytes_(maxBytes) {}

  // Appends `line`, then drops the oldest lines while the queue is over its
  // bound (the newest line always stays). Throws std::bad_alloc.
  void Push(std::string line);
  // At the bound: one more line drops the oldest, so the queue should be
  // written now whatever the flush count.
  bool Full() const { return lines_.size() >= maxLines_ || bytes_ >= maxBytes_; }

  bool empty() const { return lines_.empty(); }
  size_t size() const { return lines_.size(); }
  const std::string& operator[](size_t index) const { return lines_[index]; }
  void PopFront();

  // Lines dropped since the loss was last told in the file.
  uint64_t dropped() const { return dropped_; }
  void LossTold() { dropped_ = 0; }

 private:
  size_t maxLines_;
  size_t maxBytes_;
  std::deque<std::string> lines_;
  size_t bytes_ = 0;
  uint64_t dropped_ = 0;
};

}  // namespace tessel::qrtl
