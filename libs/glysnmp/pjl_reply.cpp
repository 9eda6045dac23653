#include "pjl_reply.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "reply_text.h"

namespace glysnmp {
namespace {

// The lines of a reply up to its form feed, without their line ends (LF,
// CR LF or CR CR LF) and without NULs some printers put before "@PJL".
std::vector<std::string_view> ReplyLines(std::string_view reply) {
  reply = reply.substr(0, reply.find('\f'));
  std::vector<std::string_view> lines;
  while (!reply.empty() && lines.size() < kMostPjlListed) {
    size_t end = reply.find('\n');
    std::string_view line = reply.substr(0, end);
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    while (!line.empty() && line.front() == '\0') line.remove_prefix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    reply.remove_prefix(end + 1);
  }
  return lines;
}

// A number that is the whole of `text`: "12abc", "+5" or one too large is
// none.
std::optional<uint64_t> WholeNumber(std::string_view text) {
  uint64_t value = 0;
  auto [next, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || next != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Whether `text` starts with `word` (in capitals), in any case.
bool StartsWithWord(std::string_view text, std::string_view word) {
  if (text.size() < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    if (Upper(text[i]) != word[i]) return false;
  }
  return true;
}

// Where `key` (in capitals) starts as a whole word in `text`, in any case,
// searching from `from`.
size_t FindWord(std::string_view text, std::string_view key, size_t from = 0) {
  for (size_t at = from; at + key.size() <= text.size(); ++at) {
    if ((at == 0 || IsBlank(text[at - 1])) && StartsWithWord(text.substr(at), key)) return at;
  }
  return std::string_view::npos;
}

// The value of "KEY=value" among blank-separated options, in any case and
// with blanks allowed around the "=".
std::optional<std::string_view> OptionValue(std::string_view options, std::string_view key) {
  for (size_t at = FindWord(options, key); at != std::string_view::npos; at = FindWord(options, key, at + 1)) {
    std::string_view rest = options.substr(at + key.size());
    while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
    if (rest.empty() || rest.front() != '=') continue;
    rest.remove_prefix(1);
    while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
    return rest.substr(0, std::min(rest.find(' '), rest.find('\t')));
  }
  return std::nullopt;
}

// The options of a file-system line after its quoted name, if it has one.
std::string_view AfterQuotedName(std::string_view line) {
  const size_t open = line.find('"');
  const size_t close = open == std::string_view::npos ? open : line.find('"', open + 1);
  return close == std::string_view::npos ? line : line.substr(close + 1);
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

}  // namespace

FileSystemReply ReadFileSystemReply(std::string_view reply) {
  FileSystemReply read;
  std::vector<std::string_view> lines = ReplyLines(reply);
  std::erase_if(lines, [](std::string_view line) { return Trimmed(line).empty(); });
  read.answered = !lines.empty();
  if (!read.answered) return read;
  // The echoed command line, which some printers leave out: then a first
  // line that gives TYPE= (an FSQUERY answer) still tells type and size.
  const bool echoed = StartsWithWord(lines[0], "@PJL");
  const std::string_view options = AfterQuotedName(lines[0]);
  if (echoed || OptionValue(options, "TYPE")) {
    read.type.assign(OptionValue(options, "TYPE").value_or("").substr(0, kMostPjlNameBytes));
    for (char& c : read.type) c = Upper(c);
    if (std::optional<std::string_view> size = OptionValue(options, "SIZE")) read.size = WholeNumber(*size);
  }
  for (size_t i = echoed ? 1 : 0; i < lines.size(); ++i) {
    const std::string_view line = Trimmed(lines[i]);
    if (StartsWithWord(line, "FILEERROR")) {
      read.fileError = NumberAt<int32_t>(OptionValue(line, "FILEERROR").value_or("")).value_or(0);
    } else {
      read.lines.emplace_back(line);
    }
  }
  return read;
}

std::vector<DirectoryEntry> ReadDirectoryEntries(const std::vector<std::string>& lines) {
  std::vector<DirectoryEntry> entries;
  for (std::string_view line : lines) {
    // A name may hold blanks, and even "TYPE": the options start at the
    // last TYPE= of the line.
    size_t type = std::string_view::npos;
    for (size_t at = FindWord(line, "TYPE"); at != std::string_view::npos; at = FindWord(line, "TYPE", at + 1)) {
      if (at > 0 && OptionValue(line.substr(at), "TYPE")) type = at;
    }
    if (type == std::string_view::npos) continue;
    // Some printers give SIZE= first.
    for (size_t at = FindWord(line, "SIZE"); at != std::string_view::npos && at < type; at = FindWord(line, "SIZE", at + 1)) {
      std::optional<std::string_view> size = OptionValue(line.substr(at, type - at), "SIZE");
      if (at > 0 && size && WholeNumber(*size) && Trimmed(line.substr(at, type - at)).ends_with(*size)) type = at;
    }
    std::string_view name = Trimmed(line.substr(0, type));
    std::string_view options = line.substr(type);
    if (name.size() > kMostPjlNameBytes || !Printable(name)) continue;
    DirectoryEntry entry;
    entry.name.assign(name);
    entry.directory = StartsWithWord(OptionValue(options, "TYPE").value_or(""), "DIR");
    if (std::optional<std::string_view> size = OptionValue(options, "SIZE")) {
      entry.size = NumberAt<uint64_t>(*size).value_or(0);
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

namespace {

// The columns of INFO FILESYS, as its header line names them.
enum Column { kVolume, kTotal, kFree, kLocation, kLabel, kStatus, kColumnCount };
constexpr std::string_view kColumnNames[kColumnCount] = {"VOLUME",   "TOTAL SIZE", "FREE SPACE",
                                                         "LOCATION", "LABEL",      "STATUS"};

struct TableHeader {
  std::vector<Column> order;   // the columns the header names, left to right
  std::vector<size_t> starts;  // where each starts on the line
};

std::optional<TableHeader> ReadTableHeader(std::string_view line) {
  std::vector<std::pair<size_t, Column>> found;
  for (int column = 0; column < kColumnCount; ++column) {
    const size_t at = FindWord(line, kColumnNames[column]);
    if (at != std::string_view::npos) found.emplace_back(at, static_cast<Column>(column));
  }
  if (found.size() < 3 || FindWord(line, "VOLUME") == std::string_view::npos) return std::nullopt;
  std::sort(found.begin(), found.end());
  TableHeader header;
  for (auto [at, column] : found) {
    header.starts.push_back(at);
    header.order.push_back(column);
  }
  return header;
}

struct Token {
  size_t at;
  std::string_view text;
};

std::vector<Token> TokensOf(std::string_view line) {
  std::vector<Token> tokens;
  for (size_t at = 0; at < line.size();) {
    if (IsBlank(line[at])) {
      ++at;
      continue;
    }
    size_t end = at;
    while (end < line.size() && !IsBlank(line[end])) ++end;
    tokens.push_back({at, line.substr(at, end - at)});
    at = end;
  }
  return tokens;
}

using Cells = std::array<std::string_view, kColumnCount>;

// Cells separated by tabs, empty ones included; false when the row does
// not have one cell per column.
bool TabCells(std::string_view row, const TableHeader& header, Cells* cells) {
  std::vector<std::string_view> split;
  for (size_t at = 0;;) {
    const size_t tab = row.find('\t', at);
    split.push_back(Trimmed(row.substr(at, tab - at)));
    if (tab == std::string_view::npos) break;
    at = tab + 1;
  }
  if (!split.empty() && split.front().empty() && split.size() > header.order.size()) split.erase(split.begin());
  while (split.size() > header.order.size() && split.back().empty()) split.pop_back();
  if (split.size() != header.order.size()) return false;
  for (size_t i = 0; i < split.size(); ++i) (*cells)[header.order[i]] = split[i];
  return true;
}

// Cells aligned with blanks under the header's column names: each word
// goes to the column it overlaps most.
void AlignedCells(std::string_view row, const TableHeader& header, Cells* cells) {
  std::array<std::pair<size_t, size_t>, kColumnCount> spans{};  // first and last byte of each cell
  std::array<bool, kColumnCount> filled{};
  for (const Token& token : TokensOf(row)) {
    size_t best = 0, bestOverlap = 0;
    for (size_t i = 0; i < header.order.size(); ++i) {
      const size_t begin = header.starts[i];
      const size_t end = i + 1 < header.starts.size() ? header.starts[i + 1] : SIZE_MAX;
      const size_t overlap = std::min(end, token.at + token.text.size()) -
                             std::min(std::max(begin, token.at), std::min(end, token.at + token.text.size()));
      if (overlap > bestOverlap) best = i, bestOverlap = overlap;
    }
    if (bestOverlap == 0 && token.at < header.starts[0]) best = 0;
    const Column column = header.order[best];
    if (!filled[column]) spans[column] = {token.at, token.at + token.text.size()};
    spans[column].second = token.at + token.text.size();
    filled[column] = true;
  }
  for (int column = 0; column < kColumnCount; ++column) {
    if (filled[column]) (*cells)[column] = row.substr(spans[column].first, spans[column].second - spans[column].first);
  }
}

// Without a usable layout: volume, total and free come first, a status
// word last, and a location may follow the free space.
void WordCells(std::string_view row, Cells* cells) {
  std::vector<Token> tokens = TokensOf(row);
  *cells = {};
  for (size_t i = 0; i < tokens.size() && i < 3; ++i) (*cells)[i] = tokens[i].text;
  size_t last = tokens.size();
  if (last > 3 && FindWord(tokens.back().text, "READ") == 0) (*cells)[kStatus] = tokens[--last].text;
  if (last > 3) (*cells)[kLocation] = tokens[3].text;
}

// "0:" of "0:" or "0:\"; nullopt for anything else.
std::optional<std::string> VolumeName(std::string_view cell) {
  if (!cell.empty() && (cell.back() == '\\' || cell.back() == '/')) cell.remove_suffix(1);
  if (cell.size() < 2 || cell.size() > 4 || cell.back() != ':') return std::nullopt;
  for (char c : cell.substr(0, cell.size() - 1)) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  return std::string(cell);
}

std::optional<FileSystemVolume> VolumeOf(const Cells& cells) {
  std::optional<std::string> name = VolumeName(cells[kVolume]);
  std::optional<uint64_t> total = WholeNumber(cells[kTotal]);
  std::optional<uint64_t> free = WholeNumber(cells[kFree]);
  if (!name || !total || !free) return std::nullopt;
  FileSystemVolume volume{*name, *total, *free, std::string(cells[kLocation].substr(0, 16)), true};
  for (char& c : volume.location) c = Upper(c);
  // A status the printer left out says nothing against writing.
  volume.writable = cells[kStatus].empty() || StartsWithWord(cells[kStatus], "READ-WRITE");
  return volume;
}

}  // namespace

std::vector<FileSystemVolume> ReadFileSystemTable(std::string_view reply) {
  std::vector<FileSystemVolume> volumes;
  std::vector<std::string_view> lines = ReplyLines(reply);
  std::optional<TableHeader> header;
  for (std::string_view line : lines) {
    if (!header) {
      header = ReadTableHeader(line);
      continue;
    }
    if (Trimmed(line).empty()) continue;
    Cells cells{};
    std::optional<FileSystemVolume> volume;
    if (line.find('\t') != std::string_view::npos && TabCells(line, *header, &cells)) volume = VolumeOf(cells);
    if (!volume) {
      cells = {};
      AlignedCells(line, *header, &cells);
      volume = VolumeOf(cells);
    }
    if (!volume) {
      WordCells(line, &cells);
      volume = VolumeOf(cells);
    }
    if (volume) volumes.push_back(std::move(*volume));
  }
  return volumes;
}

std::vector<std::string> ReadConfigOptions(std::string_view reply, std::string_view feature) {
  std::vector<std::string> options;
  bool inFeature = false;
  for (std::string_view line : ReplyLines(reply)) {
    const bool indented = !line.empty() && IsBlank(line.front());
    if (!indented) {
      inFeature = StartsWithWord(line, feature);
    } else if (inFeature && !Trimmed(line).empty()) {
      std::string option(Trimmed(line).substr(0, kMostPjlNameBytes));
      for (char& c : option) c = Upper(c);
      options.push_back(std::move(option));
    }
  }
  return options;
}

namespace {

// The data of an FSUPLOAD reply: where it starts after the header line,
// and how long the header's SIZE= says it is.
std::optional<std::pair<size_t, uint64_t>> UploadData(std::string_view reply) {
  const size_t start = reply.find_first_not_of(std::string_view("\0\r\n", 3));
  if (start == std::string_view::npos) return std::nullopt;
  const size_t end = reply.find('\n', start);
  std::string_view header = reply.substr(start, end - start);
  if (end == std::string_view::npos || !StartsWithWord(header, "@PJL") ||
      !StartsWithWord(Trimmed(header.substr(4)), "FSUPLOAD")) {
    return std::nullopt;
  }
  while (!header.empty() && header.back() == '\r') header.remove_suffix(1);
  std::optional<std::string_view> size = OptionValue(AfterQuotedName(header), "SIZE");
  std::optional<uint64_t> count = size ? WholeNumber(Trimmed(*size)) : std::nullopt;
  if (!count) return std::nullopt;
  return std::pair(end + 1, *count);
}

}  // namespace

std::optional<uint64_t> ReadUploadSize(std::string_view reply) {
  std::optional<std::pair<size_t, uint64_t>> data = UploadData(reply);
  return data ? std::optional<uint64_t>(data->second) : std::nullopt;
}

std::optional<std::string_view> ReadUploadBytes(std::string_view reply) {
  std::optional<std::pair<size_t, uint64_t>> data = UploadData(reply);
  if (!data) return std::nullopt;
  std::string_view bytes = reply.substr(data->first);
  return bytes.substr(0, static_cast<size_t>(std::min<uint64_t>(data->second, bytes.size())));
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
