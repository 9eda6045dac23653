// What a printer sends back on its AppSocket connection, cut into the
// replies it is made of. A PJL reply ends in a form feed, except an
// FSUPLOAD's, whose data (which may hold form feeds) is as long as its
// SIZE= says; printer-language output (PostScript) has no form feed and
// ends where the next "@PJL" line starts. ECHO replies and unsolicited
// USTATUS reports are told apart from the replies to commands.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace glysnmp {

struct PjlBlock {
  enum Kind { kReply, kEcho, kStatus };
  Kind kind = kReply;
  // A reply's bytes without its form feed; for an echo, the echoed words.
  std::string text;
};

class PjlReplyStream {
 public:
  void Append(std::string_view bytes) { buffer_.append(bytes); }
  // The next whole block; nullopt until more bytes have come. With
  // `ended`, the connection is done and what is left is taken as it is.
  std::optional<PjlBlock> Next(bool ended = false);
  // Bytes received that are not yet part of a whole block.
  size_t pending() const { return buffer_.size(); }
  void Clear() { buffer_.clear(); }

 private:
  std::string buffer_;
};

}  // namespace glysnmp
