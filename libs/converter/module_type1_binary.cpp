// Type 1 font as one file whose encrypted part is raw binary (the ".t1" form):
// clear text up to "eexec", then the eexec-encrypted bytes, then the zeros
// and cleartomark. Reported as binary-encoded like a PFB; its ASCII form
// writes the encrypted bytes as hexadecimal lines.
#include <cctype>
#include <cstring>
#include <optional>

#include "postscript_font_header.h"
#include "type1_encryption.h"

namespace converter {

namespace {

constexpr std::string_view kEexec = "eexec";
constexpr std::string_view kEnd = "currentfile closefile";
constexpr std::size_t kSeedBytes = 4;

struct Parts {
  std::string_view clear;  // up to and including "eexec"
  ByteView encrypted;      // up to the end of the line holding "closefile"
  std::string_view rest;   // zeros and cleartomark
};

// Where the encrypted bytes start, after "eexec" and the white space behind it.
std::optional<std::size_t> EncryptedStart(std::string_view text) {
  std::size_t at = text.find(kEexec);
  if (at == std::string_view::npos) return std::nullopt;
  at += kEexec.size();
  while (at < text.size() && std::strchr(" \t\r\n", text[at]) != nullptr && text[at] != 0) ++at;
  return at;
}

// An ASCII font's encrypted part starts with hexadecimal digits.
bool IsBinaryAt(std::string_view text, std::size_t start) {
  if (text.size() < start + kSeedBytes) return false;
  for (std::size_t i = start; i < start + kSeedBytes; ++i) {
    if (!std::isxdigit(static_cast<unsigned char>(text[i]))) return true;
  }
  return false;
}

// The encrypted part has no length field; decrypting it shows where the
// private part closes the file, and the bytes after that are clear text.
std::optional<Parts> Split(ByteView file) {
  const std::string_view text = AsText(file);
  const auto start = EncryptedStart(text);
  if (!start || !IsBinaryAt(text, *start)) return std::nullopt;
  const std::vector<std::uint8_t> plain = Type1Decrypt(file.subspan(*start), kEexecKey);
  const std::string_view plainText = AsText(plain);
  std::size_t end = plainText.find(kEnd);
  if (end == std::string_view::npos) return std::nullopt;
  end += kEnd.size();
  if (end < plainText.size() && plainText[end] == '\r') ++end;
  if (end < plainText.size() && plainText[end] == '\n') ++end;
  return Parts{text.substr(0, *start), file.subspan(*start, end), text.substr(*start + end)};
}

bool Recognise(ByteView head) {
  if (!RecognisePostScriptFont(head, 1)) return false;
  const auto start = EncryptedStart(AsText(head));
  return start && IsBinaryAt(AsText(head), *start);
}

bool Identify(ByteView file, FontIdentity& identity) {
  return Split(file) && IdentifyPostScriptFont(file, 1, 0x8000, identity);
}

bool Convert(ByteView file, OutputSink& sink) {
  const auto parts = Split(file);
  if (!parts) return false;
  sink.Write(parts->clear);
  if (!parts->clear.ends_with('\n') && !parts->clear.ends_with('\r')) sink.Write("\n");
  HexLineWriter hex(sink);
  hex.Append(parts->encrypted);
  hex.Finish();
  if (parts->rest.find("cleartomark") != std::string_view::npos) sink.Write(parts->rest);
  else WriteEexecTrailer(sink);
  return true;
}

}  // namespace

const FontModule kType1BinaryModule = {"Type 1 font with a binary encrypted part", Recognise,
                                       Identify, Convert};

}  // namespace converter
