// Where a conversion writes its result, piece by piece as it is made, so
// that a large font is never held whole in memory only to be copied into a
// file afterwards.
#pragma once

#include <string>
#include <string_view>

namespace converter {

class OutputSink {
 public:
  virtual void Write(std::string_view bytes) = 0;

 protected:
  ~OutputSink() = default;
};

// Collects the result in a string: for the operations on bytes in memory.
class StringSink final : public OutputSink {
 public:
  explicit StringSink(std::string& out) : out_(out) {}
  void Write(std::string_view bytes) override { out_.append(bytes); }

 private:
  std::string& out_;
};

}  // namespace converter
