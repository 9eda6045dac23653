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
