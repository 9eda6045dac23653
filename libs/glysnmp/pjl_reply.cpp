#include "pjl_reply.h"

#include <charconv>

namespace glysnmp {
namespace {

// The lines of a reply up to its form feed, without their line ends.
std::vector<std::string_view> ReplyLines(std::string_view reply) {
  reply = reply.substr(0, reply.find('\f'));
  std::vector<std::string_view> lines;
  while (!reply.empty() && lines.size() < kMostPjlListed) {
    size_t end = reply.find('\n');
    std::string_view line = reply.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    reply.remove_prefix(end + 1);
  }
  return lines;
}

template <typename Number>
std::optional<Number> NumberAt(std::string_view text) {
  Number value{};
  auto [next, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || next == text.data()) return std::nullopt;
  return value;
}

// A number that is the whole of `text`: "12abc", "+5" or one too large is
// none.
std::optional<uint64_t> WholeNumber(std::string_view text) {
  uint64_t value = 0;
  auto [next, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || next != text.data() + text.size()) return std::nullopt;
  return value;
}

// The value of "KEY=value" among blank-separated options.
std::optional<std::string_view> OptionValue(std::string_view options, std::string_view key) {
  for (size_t at = options.find(key); at != std::string_view::npos; at = options.find(key, at + 1)) {
    const size_t end = at + key.size();
    if ((at == 0 || options[at - 1] == ' ') && end < options.size() && options[end] == '=') {
      std::string_view value = options.substr(end + 1);
      return value.substr(0, value.find(' '));
    }
  }
  return std::nullopt;
}

// The text between the quotes of `KEY="text"`, bounded.
std::optional<std::string> QuotedValue(std::string_view line, std::string_view key) {
  if (line.substr(0, key.size()) != key || line.size() < key.size() + 2 || line[key.size()] != '"') {
    return std::nullopt;
  }
  std::string_view text = line.substr(key.size() + 1);
  text = text.substr(0, text.find('"'));
  return std::string(text.substr(0, kMostPjlNameBytes));
}

bool Printable(std::string_view name) {
  if (name.empty()) return false;
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7F) return false;
  }
  return true;
}

uint32_t BigEndian(std::string_view bytes, size_t at, size_t size) {
  uint32_t value = 0;
  for (size_t i = 0; i < size; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// "ESC )s#W" and the name in bytes 48 to 63 of the descriptor that
// follows, after an optional "ESC *c#D" font ID.
std::optional<FontFileName> PclFontName(std::string_view head) {
  FontFileName font{FontFileType::kPcl, {}, std::nullopt};
  if (head.substr(0, 3) == "\x1B*c") {
    const size_t end = head.find('D', 3);
    if (end == std::string_view::npos || end > 9) return std::nullopt;
    font.pclFontId = NumberAt<int32_t>(head.substr(3, end - 3));
    if (!font.pclFontId || *font.pclFontId < 0 || *font.pclFontId > 32767) return std::nullopt;
    head.remove_prefix(end + 1);
  }
  if (head.substr(0, 3) != "\x1B)s") return std::nullopt;
  const size_t end = head.find('W', 3);
  if (end == std::string_view::npos || end > 9) return std::nullopt;
  std::optional<uint32_t> size = NumberAt<uint32_t>(head.substr(3, end - 3));
  constexpr size_t kNameAt = 48, kNameSize = 16;
  if (!size || *size < kNameAt + kNameSize || head.size() < end + 1 + kNameAt + kNameSize) return std::nullopt;
  std::string_view name = head.substr(end + 1 + kNameAt, kNameSize);
  while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) name.remove_suffix(1);
  if (!Printable(name)) return std::nullopt;
  font.name.assign(name);
  return font;
}

std::optional<FontFileName> PostScriptFontName(std::string_view head) {
  constexpr std::string_view kKey = "/FontName";
  if (head.substr(0, 2) != "%!" && head.substr(0, 1) != "\x80") return std::nullopt;
  size_t at = head.find(kKey);
  if (at == std::string_view::npos) return std::nullopt;
  at = head.find_first_not_of(" \t", at + kKey.size());
  if (at == std::string_view::npos || head[at] != '/') return std::nullopt;
  std::string_view name = head.substr(at + 1, kMostPjlNameBytes);
  name = name.substr(0, name.find_first_of(" \t\r\n/[](){}<>%"));
  if (!Printable(name)) return std::nullopt;
  return FontFileName{FontFileType::kPostScript, std::string(name), std::nullopt};
}

}  // namespace

FileSystemReply ReadFileSystemReply(std::string_view reply) {
  FileSystemReply read;
  std::vector<std::string_view> lines = ReplyLines(reply);
  read.answered = !lines.empty();
  if (read.answered) {
    // The name may hold anything but a quote: options follow its closing one.
    const size_t open = lines[0].find('"');
    const size_t close = open == std::string_view::npos ? open : lines[0].find('"', open + 1);
    const std::string_view options = close == std::string_view::npos ? lines[0] : lines[0].substr(close + 1);
    read.type.assign(OptionValue(options, "TYPE").value_or("").substr(0, kMostPjlNameBytes));
    if (std::optional<std::string_view> size = OptionValue(options, "SIZE")) read.size = WholeNumber(*size);
  }
  for (size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].substr(0, 10) == "FILEERROR=") {
      read.fileError = NumberAt<int32_t>(lines[i].substr(10)).value_or(0);
    } else {
      read.lines.emplace_back(lines[i]);
    }
  }
  return read;
}

std::vector<DirectoryEntry> ReadDirectoryEntries(const std::vector<std::string>& lines) {
  std::vector<DirectoryEntry> entries;
  for (std::string_view line : lines) {
    const size_t type = line.rfind(" TYPE=");
    if (type == std::string_view::npos) continue;
    DirectoryEntry entry;
    std::string_view name = line.substr(0, type);
    std::string_view options = line.substr(type + 1);
    if (name == "." || name == ".." || name.size() > kMostPjlNameBytes || !Printable(name)) continue;
    entry.name.assign(name);
    entry.directory = OptionValue(options, "TYPE") == "DIR";
    if (std::optional<std::string_view> size = OptionValue(options, "SIZE")) {
      entry.size = NumberAt<uint64_t>(*size).value_or(0);
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::vector<FileSystemVolume> ReadFileSystemTable(std::string_view reply) {
  // Columns: VOLUME, TOTAL SIZE, FREE SPACE, LOCATION, LABEL, STATUS, each
  // line starting with a tab.
  std::vector<FileSystemVolume> volumes;
  std::vector<std::string_view> lines = ReplyLines(reply);
  for (size_t i = 1; i < lines.size(); ++i) {
    std::vector<std::string_view> cells;
    std::string_view line = lines[i];
    while (cells.size() < 8) {
      const size_t tab = line.find('\t');
      cells.push_back(line.substr(0, tab));
      if (tab == std::string_view::npos) break;
      line.remove_prefix(tab + 1);
    }
    if (cells.size() < 7 || cells[1].size() < 2 || cells[1].back() != ':') continue;
    std::optional<uint64_t> total = NumberAt<uint64_t>(cells[2]);
    std::optional<uint64_t> free = NumberAt<uint64_t>(cells[3]);
    if (!total || !free) continue;
    volumes.push_back({std::string(cells[1].substr(0, 16)), *total, *free, std::string(cells[4].substr(0, 16)),
                       cells[6] == "READ-WRITE"});
  }
  return volumes;
}

std::optional<std::string_view> ReadUploadBytes(std::string_view reply) {
  const size_t end = reply.find('\n');
  if (end == std::string_view::npos || reply.substr(0, 13) != "@PJL FSUPLOAD") return std::nullopt;
  std::optional<std::string_view> size = OptionValue(reply.substr(0, end), "SIZE");
  std::optional<uint64_t> count = size ? NumberAt<uint64_t>(*size) : std::nullopt;
  if (!count) return std::nullopt;
  std::string_view bytes = reply.substr(end + 1);
  return bytes.substr(0, static_cast<size_t>(std::min<uint64_t>(*count, bytes.size())));
}

FontFileName ReadFontFileName(std::string_view head) {
  if (std::optional<FontFileName> pcl = PclFontName(head)) return *pcl;
  if (std::optional<FontFileName> postScript = PostScriptFontName(head)) return *postScript;
  if (head.size() >= 12 && (BigEndian(head, 0, 4) == 0x00010000 || head.substr(0, 4) == "true")) {
    return FontFileName{FontFileType::kTrueType, {}, std::nullopt};
  }
  return {};
}

std::optional<std::pair<uint32_t, uint32_t>> FindTrueTypeNameTable(std::string_view head) {
  if (head.size() < 12) return std::nullopt;
  const uint32_t tables = BigEndian(head, 4, 2);
  for (uint32_t i = 0; i < tables && 12 + 16 * (i + 1) <= head.size(); ++i) {
    const size_t record = 12 + 16 * i;
    if (head.substr(record, 4) == "name") return std::pair(BigEndian(head, record + 8, 4), BigEndian(head, record + 12, 4));
  }
  return std::nullopt;
}

std::optional<std::string> ReadTrueTypeName(std::string_view table) {
  if (table.size() < 6) return std::nullopt;
  const uint32_t count = BigEndian(table, 2, 2);
  const uint32_t strings = BigEndian(table, 4, 2);
  std::optional<std::string> family;
  for (uint32_t i = 0; i < count && 6 + 12 * (i + 1) <= table.size(); ++i) {
    const size_t record = 6 + 12 * i;
    const uint32_t platform = BigEndian(table, record, 2);
    const uint32_t nameId = BigEndian(table, record + 6, 2);
    const uint32_t length = BigEndian(table, record + 8, 2);
    const uint64_t at = uint64_t{strings} + BigEndian(table, record + 10, 2);
    if ((nameId != 4 && nameId != 1) || (platform != 1 && platform != 3) || at + length > table.size()) continue;
    // Windows names are UTF-16BE; the font names kept here are ASCII.
    std::string name;
    const size_t step = platform == 3 ? 2 : 1;
    for (size_t pos = static_cast<size_t>(at) + step - 1; pos < at + length && name.size() < kMostPjlNameBytes;
         pos += step) {
      name.push_back(table[pos]);
    }
    if (!Printable(name)) continue;
    if (nameId == 4) return name;
    family = name;
  }
  return family;
}

std::vector<PclReadbackFont> ReadPclFontReadback(std::string_view reply) {
  std::vector<PclReadbackFont> fonts;
  for (std::string_view line : ReplyLines(reply)) {
    if (line.substr(0, 7) == "SELECT=") {
      if (fonts.size() == kMostPjlListed) break;
      fonts.emplace_back();
    } else if (fonts.empty()) {
      continue;
    } else if (std::optional<std::string> name = QuotedValue(line, "NAME=")) {
      if (Printable(*name)) fonts.back().name = *name;
    } else if (std::optional<std::string> id = QuotedValue(line, "DEFID=")) {
      if (id->size() > 2) fonts.back().fontId = NumberAt<int32_t>(std::string_view(*id).substr(2));
    }
  }
  std::erase_if(fonts, [](const PclReadbackFont& font) { return font.name.empty(); });
  return fonts;
}

std::vector<std::string> ReadPostScriptNames(std::string_view reply) {
  std::vector<std::string> names;
  for (std::string_view line : ReplyLines(reply)) {
    if (line.substr(0, 3) == "%%[" || names.size() == kMostPjlListed) break;
    if (line.size() < 2 || line[0] != '/' || line.size() > kMostPjlNameBytes + 1) continue;
    if (Printable(line.substr(1))) names.emplace_back(line.substr(1));
  }
  return names;
}

}  // namespace glysnmp
