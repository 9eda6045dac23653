#include "postscript_font_header.h"

#include <charconv>
#include <cstring>

namespace converter {

namespace {

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\0';
}
bool IsDelimiter(char c) { return c != '\0' && std::strchr("()<>[]{}/%", c) != nullptr; }
bool IsRegular(char c) { return !IsWhiteSpace(c) && !IsDelimiter(c); }

// A minimal PostScript tokenizer: it knows enough of the syntax to step over
// strings, hex strings and comments, which is all the header scan needs.
class Tokenizer {
 public:
  explicit Tokenizer(std::string_view text) : text_(text) {}

  // The next token; empty at the end of text. Strings come back as "(",
  // literal names with their slash.
  std::string_view Next() {
    SkipSpaceAndComments();
    if (pos_ >= text_.size()) return {};
    const std::size_t start = pos_;
    const char c = text_[pos_];
    if (c == '(') {
      SkipString();
      return text_.substr(start, 1);
    }
    if (c == '<' && pos_ + 1 < text_.size() && text_[pos_ + 1] != '<') {
      const std::size_t end = text_.find('>', pos_);
      pos_ = end == std::string_view::npos ? text_.size() : end + 1;
      return text_.substr(start, 1);
    }
    if (IsDelimiter(c) && c != '/') {
      pos_ += (c == '<' || c == '>') && pos_ + 1 < text_.size() && text_[pos_ + 1] == c ? 2 : 1;
      return text_.substr(start, pos_ - start);
    }
    if (c == '/') ++pos_;
    while (pos_ < text_.size() && IsRegular(text_[pos_])) ++pos_;
    return text_.substr(start, pos_ - start);
  }

 private:
  void SkipSpaceAndComments() {
    while (pos_ < text_.size()) {
      if (IsWhiteSpace(text_[pos_])) {
        ++pos_;
      } else if (text_[pos_] == '%') {
        while (pos_ < text_.size() && text_[pos_] != '\n' && text_[pos_] != '\r') ++pos_;
      } else {
        return;
      }
    }
  }

  void SkipString() {
    int depth = 0;
    for (; pos_ < text_.size(); ++pos_) {
      const char c = text_[pos_];
      if (c == '\\') {
        ++pos_;
      } else if (c == '(') {
        ++depth;
      } else if (c == ')' && --depth == 0) {
        ++pos_;
        return;
      }
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

std::optional<int> ParseInteger(std::string_view token) {
  int value = 0;
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (error != std::errc() || end != token.data() + token.size()) return std::nullopt;
  return value;
}

}  // namespace

PostScriptFontHeader ScanPostScriptFontHeader(std::string_view program) {
  PostScriptFontHeader header;
  Tokenizer tokens(program);
  for (std::string_view token = tokens.Next(); !token.empty(); token = tokens.Next()) {
    if (token == "eexec") break;
    if (token == "/FontType" && !header.fontType) {
      header.fontType = ParseInteger(tokens.Next());
    } else if (token == "/FontName" && header.fontName.empty()) {
      const std::string_view value = tokens.Next();
      if (value.size() > 1 && value[0] == '/') header.fontName = value.substr(1);
    }
    if (header.fontType && !header.fontName.empty()) break;
  }
  return header;
}

bool StartsAsPostScript(ByteView head) { return AsText(head).starts_with("%!"); }

bool RecognisePostScriptFont(ByteView head, int fontType) {
  return StartsAsPostScript(head) && ScanPostScriptFontHeader(AsText(head)).fontType == fontType;
}

bool IdentifyPostScriptFont(ByteView file, int fontType, std::uint16_t subtypeFlags,
                            FontIdentity& identity) {
  const PostScriptFontHeader header = ScanPostScriptFontHeader(AsText(file));
  if (header.fontType != fontType || header.fontName.empty()) return false;
  identity.kind = FontKind::PostScript;
  identity.subtype = static_cast<std::uint16_t>(subtypeFlags | fontType);
  identity.name = header.fontName;
  return true;
}

}  // namespace converter
