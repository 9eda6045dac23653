#include "pjl_stream.h"

#include <algorithm>
#include <cstdint>

#include "pjl_reply.h"
#include "reply_text.h"

namespace glysnmp {
namespace {

constexpr size_t kNotFound = std::string_view::npos;

// "@PJL" and the command word after it, in capitals; empty when `line` is
// no PJL line. `rest` is set to where the words after the command start.
std::string PjlCommandOf(std::string_view line, size_t* rest = nullptr) {
  size_t at = 0;
  while (at < line.size() && line[at] == '\0') ++at;
  if (line.size() < at + 4) return {};
  for (size_t i = 0; i < 4; ++i) {
    if (Upper(line[at + i]) != "@PJL"[i]) return {};
  }
  at += 4;
  while (at < line.size() && IsBlank(line[at])) ++at;
  std::string word;
  while (at < line.size() && !IsBlank(line[at]) && line[at] != '\r' && line[at] != '\n' && line[at] != '\f') {
    word.push_back(Upper(line[at++]));
  }
  if (rest) *rest = at;
  return word;
}

// Where a line that starts with "@PJL" begins after `from`, or kNotFound.
size_t NextPjlLine(std::string_view text, size_t from) {
  for (size_t end = text.find('\n', from); end != kNotFound; end = text.find('\n', end + 1)) {
    if (!PjlCommandOf(text.substr(end + 1)).empty()) return end + 1;
  }
  return kNotFound;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (IsBlank(text.front()) || text.front() == '\r' || text.front() == '\n')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r' || text.back() == '\n')) {
    text.remove_suffix(1);
  }
  return text;
}

}  // namespace

std::optional<PjlBlock> PjlReplyStream::Next(bool ended) {
  // Filler between replies: NULs, line ends, blanks, stray form feeds.
  size_t start = 0;
  while (start < buffer_.size() && (buffer_[start] == '\0' || buffer_[start] == '\f' ||
                                    buffer_[start] == '\r' || buffer_[start] == '\n' || IsBlank(buffer_[start]))) {
    ++start;
  }
  buffer_.erase(0, start);
  if (buffer_.empty()) return std::nullopt;
  const std::string_view text = buffer_;
  const size_t lineEnd = text.find('\n');
  size_t words = 0;
  const std::string command = PjlCommandOf(text.substr(0, lineEnd), &words);
  size_t end = kNotFound;   // where the block's bytes end
  size_t next = kNotFound;  // where the block after it starts
  if (command == "FSUPLOAD" && lineEnd != kNotFound) {
    if (std::optional<uint64_t> size = ReadUploadSize(text.substr(0, lineEnd + 1))) {
      if (text.size() - lineEnd - 1 < *size) {
        if (!ended) return std::nullopt;
        end = next = text.size();
      } else {
        end = lineEnd + 1 + static_cast<size_t>(*size);
        const size_t formFeed = text.find('\f', end);
        next = formFeed == kNotFound ? end : formFeed + 1;
      }
    }
  }
  if (end == kNotFound) {
    const size_t formFeed = text.find('\f');
    const size_t pjlLine = NextPjlLine(text.substr(0, formFeed), 0);
    if (pjlLine != kNotFound) {
      end = next = pjlLine;
    } else if (formFeed != kNotFound) {
      end = formFeed;
      next = formFeed + 1;
    } else if (ended) {
      end = next = text.size();
    } else {
      return std::nullopt;
    }
  }
  PjlBlock block;
  block.text = buffer_.substr(0, end);
  buffer_.erase(0, next);
  if (command == "ECHO") {
    block.kind = PjlBlock::kEcho;
    const std::string_view line = std::string_view(block.text).substr(0, block.text.find('\n'));
    block.text = std::string(Trimmed(line.substr(std::min(words, line.size()))));
  } else if (command == "USTATUS") {
    block.kind = PjlBlock::kStatus;
  }
  return block;
}

}  // namespace glysnmp
