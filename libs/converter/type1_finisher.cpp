#include "type1_finisher.h"

#include <charconv>
#include <optional>
#include <vector>

#include "type1_charstring.h"
#include "type1_encryption.h"

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

// Assembles the charstrings of the private part; `trailer` receives what
// follows the line that closes the encrypted part.
bool AssemblePrivatePart(std::string_view text, std::string& plain, std::string_view& trailer) {
  const std::string_view readString = ReadStringName(text);
  const std::optional<int> lenIV = LenIV(text);
  if (!lenIV) return false;

  Lines lines(text);
  std::string_view line;
  std::vector<std::uint8_t> bytes;
  while (lines.Next(line)) {
    const auto opening = CharstringOpening(line);
    if (!opening) {
      plain.append(line) += '\n';
      if (line.find("currentfile closefile") != std::string_view::npos) {
        trailer = text.substr(lines.Position());
        return true;
      }
      continue;
    }
    // The body runs from here to the "}", and the rest of that line defines it.
    const std::size_t bodyStart = lines.Position();
    const auto bodyLength = AssembleCharstring(text.substr(bodyStart), bytes);
    if (!bodyLength) return false;
    lines.MoveTo(bodyStart + *bodyLength);
    lines.Next(line);
    const std::string_view closing = Trim(line.substr(1));
    if (closing.empty()) return false;
    const std::size_t seedBytes = *lenIV < 0 ? 0 : static_cast<std::size_t>(*lenIV);
    plain.append(*opening) += ' ';
    plain += std::to_string(seedBytes + bytes.size());
    plain += ' ';
    plain.append(readString) += ' ';
    if (*lenIV < 0) plain.append(bytes.begin(), bytes.end());
    else AppendType1Encrypted(bytes, kCharstringKey, seedBytes, plain);
    plain += ' ';
    plain.append(closing) += '\n';
  }
  return false;
}

std::span<const std::uint8_t> AsBytes(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace

bool EncryptType1Program(std::string_view program, std::string& pfa) {
  Lines lines(program);
  std::string_view line;
  while (lines.Next(line) && line.find("eexec") == std::string_view::npos) {
  }
  if (line.find("eexec") == std::string_view::npos) return false;
  const std::size_t privateStart = lines.Position();

  std::string plain;
  plain.reserve(program.size());
  std::string_view trailer;
  if (!AssemblePrivatePart(program.substr(privateStart), plain, trailer)) return false;
  pfa.reserve(privateStart + plain.size() * 2 + plain.size() / 32 + 1024);
  pfa.assign(program.substr(0, privateStart));
  if (!pfa.ends_with('\n') && !pfa.ends_with('\r')) pfa += '\n';
  AppendEexecHexLines(AsBytes(plain), kEexecSeedBytes, pfa);
  if (trailer.find("cleartomark") != std::string_view::npos) pfa.append(trailer);
  else AppendEexecTrailer(pfa);
  return true;
}

}  // namespace converter
