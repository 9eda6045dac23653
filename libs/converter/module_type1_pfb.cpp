// Type 1 font in binary segments (PFB): each segment is 0x80, a type byte
// (1 text, 2 binary, 3 end) and a 32-bit little-endian length. Its ASCII form
// (PFA) keeps the text segments and writes the binary ones as hexadecimal
// lines, the form a PostScript interpreter reads after "eexec".
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "postscript_font_header.h"
#include "type1_encryption.h"

namespace converter {

namespace {

constexpr std::uint8_t kSegmentMarker = 0x80;
constexpr std::uint8_t kTextSegment = 1;
constexpr std::uint8_t kBinarySegment = 2;
constexpr std::uint8_t kEndSegment = 3;
constexpr std::size_t kSegmentHeaderBytes = 6;

struct Segment {
  std::uint8_t type;
  ByteView data;
};

// The segments up to the end marker (or the end of the file), or nullopt
// when a header is damaged or a length runs past the end.
std::optional<std::vector<Segment>> SplitSegments(ByteView file) {
  std::vector<Segment> segments;
  std::size_t pos = 0;
  while (pos < file.size()) {
    if (file[pos] != kSegmentMarker || pos + 2 > file.size()) return std::nullopt;
    const std::uint8_t type = file[pos + 1];
    if (type == kEndSegment) break;
    if ((type != kTextSegment && type != kBinarySegment) || pos + kSegmentHeaderBytes > file.size())
      return std::nullopt;
    const std::size_t length = std::size_t{file[pos + 2]} | std::size_t{file[pos + 3]} << 8 |
                               std::size_t{file[pos + 4]} << 16 | std::size_t{file[pos + 5]} << 24;
    pos += kSegmentHeaderBytes;
    if (length > file.size() - pos) return std::nullopt;
    segments.push_back({type, file.subspan(pos, length)});
    pos += length;
  }
  const bool wellFormed = segments.size() >= 2 && segments.front().type == kTextSegment;
  return wellFormed ? std::optional(std::move(segments)) : std::nullopt;
}

bool Recognise(ByteView head) {
  return head.size() >= kSegmentHeaderBytes && head[0] == kSegmentMarker && head[1] == kTextSegment;
}

bool Identify(ByteView file, FontIdentity& identity) {
  const auto segments = SplitSegments(file);
  if (!segments) return false;
  const PostScriptFontHeader header = ScanPostScriptFontHeader(AsText(segments->front().data));
  if (!header.fontType || *header.fontType < 0 || *header.fontType >= 0x8000 ||
      header.fontName.empty())
    return false;
  identity.kind = FontKind::PostScript;
  identity.subtype = static_cast<std::uint16_t>(0x8000 | *header.fontType);
  identity.name = header.fontName;
  return true;
}

// Writes the PFA as it goes: the text segments as they are, and each run of
// binary segments, which form one stream, as hexadecimal lines.
class PfaWriter {
 public:
  explicit PfaWriter(OutputSink& out) : out_(out), hex_(out) {}
  void Text(std::string_view text) {
    EndHex();
    out_.Write(text);
    if (!text.empty()) last_ = text.back();
  }
  void Binary(ByteView data) {
    if (data.empty()) return;
    if (!inHex_) EndLine();
    inHex_ = true;
    hex_.Append(data);
  }
  // Ends a run of binary segments.
  void EndHex() {
    if (!inHex_) return;
    hex_.Finish();
    inHex_ = false;
    last_ = '\n';
  }
  void EndLine() {
    if (last_ && *last_ != '\n' && *last_ != '\r') Text("\n");
  }

 private:
  OutputSink& out_;
  HexLineWriter hex_;
  bool inHex_ = false;
  std::optional<char> last_;  // none before anything is written
};

bool Convert(ByteView file, OutputSink& out) {
  const auto segments = SplitSegments(file);
  if (!segments) return false;
  const bool sawBinary = std::any_of(segments->begin(), segments->end(),
                                     [](const Segment& segment) { return segment.type == kBinarySegment; });
  if (!sawBinary) return false;
  PfaWriter pfa(out);
  for (const Segment& segment : *segments) {
    if (segment.type == kBinarySegment) pfa.Binary(segment.data);
    else pfa.Text(AsText(segment.data));
  }
  pfa.EndHex();
  pfa.EndLine();
  // Some PFBs end with the binary segment; the interpreter still needs the
  // zeros that close the encrypted part and the cleartomark after them.
  const Segment& last = segments->back();
  if (last.type == kBinarySegment ||
      AsText(last.data).find("cleartomark") == std::string_view::npos) {
    WriteEexecTrailer(out);
  }
  return true;
}

}  // namespace

const FontModule kType1PfbModule = {"Type 1 font in binary segments (PFB)", Recognise, Identify,
                                    Convert};

}  // namespace converter
