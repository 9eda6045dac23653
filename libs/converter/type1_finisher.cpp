#include "type1_finisher.h"

#include <charconv>
#include <new>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "type1_charstring.h"
#include "type1_encryption.h"
#include "type1_shared_work.h"

namespace converter {

namespace {

constexpr int kDefaultLenIV = 4;
constexpr int kMaxLenIV = 64;
constexpr std::size_t kEexecSeedBytes = 4;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

// Splits text into lines, each without its end-of-line characters.
class Lines {
 public:
  explicit Lines(std::string_view text) : text_(text) {}
  bool Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    std::size_t end = pos_;
    while (end < text_.size() && text_[end] != '\r' && text_[end] != '\n') ++end;
    line = text_.substr(pos_, end - pos_);
    pos_ = end;
    if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    return true;
  }
  std::size_t Position() const { return pos_; }
  void MoveTo(std::size_t pos) { pos_ = pos; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

bool IsInteger(std::string_view token) {
  int value = 0;
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  return error == std::errc() && end == token.data() + token.size();
}

// "/name {" starts a glyph's charstring and "dup 5 {" a subroutine; any other
// line ending in "{" opens an ordinary PostScript procedure.
std::optional<std::string_view> CharstringOpening(std::string_view line) {
  line = Trim(line);
  if (!line.ends_with('{')) return std::nullopt;
  const std::string_view head = Trim(line.substr(0, line.size() - 1));
  if (head.size() > 1 && head[0] == '/' && head.find_first_of(" \t") == std::string_view::npos)
    return head;
  if (head.starts_with("dup ") && IsInteger(Trim(head.substr(4)))) return head;
  return std::nullopt;
}

// Which name the program gives the readstring procedure: "RD" or "-|".
std::string_view ReadStringName(std::string_view program) {
  return program.find("/-|") != std::string_view::npos ? "-|" : "RD";
}

std::optional<int> LenIV(std::string_view program) {
  const std::size_t at = program.find("/lenIV");
  if (at == std::string_view::npos) return kDefaultLenIV;
  const std::string_view rest = Trim(program.substr(at + 6));
  int value = 0;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
  if (error != std::errc() || value < -1 || value > kMaxLenIV) return std::nullopt;
  return value;
}

// Below this many bytes the private part is assembled in one stretch: a
// second thread would cost more than it saves.
constexpr std::size_t kBytesWorthAThread = 256 * 1024;
constexpr std::size_t kBytesPerStretch = 64 * 1024;

// The plain bytes of the lines of stretches of the private part.
struct AssembledPart {
  std::string plain;
  bool ok = true;
  // Just past the line that closes the encrypted part, when the stretch has it.
  std::optional<std::size_t> closedAt;
};

// Assembles the charstrings of the lines of text[begin, end) and copies every
// other line, appending to the part; stops after the line that closes the
// encrypted part. A stretch that ends within a charstring fails.
void AssembleLines(std::string_view text, std::size_t begin, std::size_t end, int lenIV, std::string_view readString,
                   AssembledPart& part) {
  std::string& plain = part.plain;
  Lines lines(text.substr(0, end));
  lines.MoveTo(begin);
  std::string_view line;
  std::vector<std::uint8_t> bytes;
  const std::size_t seedBytes = lenIV < 0 ? 0 : static_cast<std::size_t>(lenIV);
  while (lines.Next(line)) {
    const auto opening = CharstringOpening(line);
    if (!opening) {
      plain.append(line) += '\n';
      if (line.find("currentfile closefile") != std::string_view::npos) {
        part.closedAt = lines.Position();
        return;
      }
      continue;
    }
    // The body runs from here to the "}", and the rest of that line defines it.
    const std::size_t bodyStart = lines.Position();
    const auto bodyLength = AssembleCharstring(text.substr(bodyStart, end - bodyStart), bytes);
    std::string_view closing;
    if (bodyLength) {
      lines.MoveTo(bodyStart + *bodyLength);
      lines.Next(line);
      closing = Trim(line.substr(1));
    }
    if (closing.empty()) {
      part.ok = false;
      return;
    }
    plain.append(*opening) += ' ';
    plain += std::to_string(seedBytes + bytes.size());
    plain += ' ';
    plain.append(readString) += ' ';
    if (lenIV < 0) plain.append(bytes.begin(), bytes.end());
    else AppendType1Encrypted(bytes, kCharstringKey, seedBytes, plain);
    plain += ' ';
    plain.append(closing) += '\n';
  }
}

// Where the stretches of the private part start, about kBytesPerStretch
// apart, and the end of the text last: the pieces it is assembled and
// encrypted in, and shared out between two threads. Each stretch but the
// first starts a line opening with a name. Lines are assembled each on its
// own except a charstring's body, and a body cannot hold a name, so a body
// cut there fails in either stretch just as it fails whole.
std::vector<std::size_t> StretchStarts(std::string_view text) {
  std::vector<std::size_t> starts = {0};
  for (std::size_t at = kBytesPerStretch; text.size() >= kBytesWorthAThread && at < text.size();
       at += kBytesPerStretch) {
    at = text.find("\n/", at);
    if (at == std::string_view::npos) break;
    starts.push_back(++at);
  }
  starts.push_back(text.size());
  return starts;
}

std::span<const std::uint8_t> AsBytes(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Assembles the private part and encrypts it through `encrypted`; a large
// one is shared with a helper thread working from the back (see
// type1_shared_work.h). This thread's stretches, from the front, are
// encrypted as each is done, so their plain bytes never pile up. `trailer`
// receives what follows the line that closes the encrypted part.
bool EncryptPrivatePart(std::string_view text, HexLineWriter& encrypted, std::string_view& trailer) {
  const std::string_view readString = ReadStringName(text);
  const std::optional<int> lenIV = LenIV(text);
  if (!lenIV) return false;

  const std::vector<std::size_t> starts = StretchStarts(text);
  TwoEndedWork work(starts.size() - 1);
  std::vector<AssembledPart> helperParts;  // last first
  bool helperOutOfMemory = false;          // fails the whole
  std::jthread helper;                     // joined even when this thread throws
  if (starts.size() > 2 && HelperThreadWorthwhile()) {
    try {
      helper = std::jthread([&] {
        try {
          for (auto [first, last] = work.TakeBack(1); first < last; std::tie(first, last) = work.TakeBack(1)) {
            AssembledPart& part = helperParts.emplace_back();
            AssembleLines(text, starts[first], starts[last], *lenIV, readString, part);
            // Stretches after a failed or closing one no longer count; this
            // thread takes what is left in between.
            if (!part.ok || part.closedAt) break;
          }
        } catch (const std::bad_alloc&) {
          helperOutOfMemory = true;
        }
      });
    } catch (const std::system_error&) {
      // No thread to be had: this one does all.
    }
  }
  AssembledPart front;
  for (auto [first, last] = work.TakeFront(1); first < last; std::tie(first, last) = work.TakeFront(1)) {
    AssembleLines(text, starts[first], starts[last], *lenIV, readString, front);
    if (!front.ok || front.closedAt) work.Stop();
    if (front.ok) encrypted.Append(AsBytes(front.plain));
    front.plain.clear();
  }
  if (helper.joinable()) helper.join();
  if (helperOutOfMemory || !front.ok) return false;
  if (front.closedAt) {
    trailer = text.substr(*front.closedAt);
    return true;
  }
  for (auto part = helperParts.rbegin(); part != helperParts.rend(); ++part) {
    if (!part->ok) return false;
    encrypted.Append(AsBytes(part->plain));
    if (part->closedAt) {
      trailer = text.substr(*part->closedAt);
      return true;
    }
  }
  return false;  // never closed
}

}  // namespace

bool EncryptType1Program(std::string_view program, OutputSink& pfa) {
  Lines lines(program);
  std::string_view line;
  while (lines.Next(line) && line.find("eexec") == std::string_view::npos) {
  }
  if (line.find("eexec") == std::string_view::npos) return false;
  const std::size_t privateStart = lines.Position();

  const std::string_view clear = program.substr(0, privateStart);
  pfa.Write(clear);
  if (!clear.ends_with('\n') && !clear.ends_with('\r')) pfa.Write("\n");
  HexLineWriter encrypted(pfa, kEexecSeedBytes);
  std::string_view trailer;
  if (!EncryptPrivatePart(program.substr(privateStart), encrypted, trailer)) return false;
  encrypted.Finish();
  if (trailer.find("cleartomark") != std::string_view::npos) pfa.Write(trailer);
  else WriteEexecTrailer(pfa);
  return true;
}

}  // namespace converter
