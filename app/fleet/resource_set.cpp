#include "fleet/resource_set.h"

#include <algorithm>

#include "download/resource_name.h"
#include "printers/printer_list_file.h"
#include "printers/printer_record.h"
#include "printers/regular_file.h"
#include "text/shown_text.h"
#include "text/text_lines.h"

namespace {

// Splits a line into words at blanks and tabs; a word in double quotes may
// hold blanks. False for a quote that is never closed.
bool SplitWords(std::string_view line, std::vector<std::string>& words) {
  size_t at = 0;
  while (true) {
    at = line.find_first_not_of(" \t", at);
    if (at == std::string_view::npos) return true;
    if (line[at] == '"') {
      const size_t close = line.find('"', at + 1);
      if (close == std::string_view::npos) return false;
      words.emplace_back(line.substr(at + 1, close - at - 1));
      at = close + 1;
      if (at < line.size() && line[at] != ' ' && line[at] != '\t') return false;
      continue;
    }
    const size_t end = line.find_first_of(" \t", at);
    words.emplace_back(line.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at));
    at = end == std::string_view::npos ? line.size() : end;
  }
}

std::string FromFolder(const std::string& folder, const std::string& path) {
  if (path.starts_with('/') || folder.empty()) return path;
  return folder.back() == '/' ? folder + path : folder + "/" + path;
}

// One name=value option of a resource line; an empty text when it was
// taken, else why not.
std::string ApplyOption(std::string_view word, SetResource& resource) {
  const size_t equals = word.find('=');
  if (equals == std::string_view::npos) return "not an option: " + ShownSingleByte(word);
  const std::string_view name = word.substr(0, equals);
  const std::string value(word.substr(equals + 1));
  if (name == "to") {
    if (value == "disk") resource.location = kHardDisk;
    else if (value == "flash") resource.location = kFlashMemory;
    else return "to is disk or flash, not " + ShownSingleByte(value);
  } else if (name == "convert") {
    resource.conversion = {};
    if (value == "type1") resource.conversion.toType1 = true;
    else if (value == "pcl") resource.conversion.toPclTrueType = true;
    else if (value == "both") resource.conversion.both = true;
    else return "convert is type1, pcl or both, not " + ShownSingleByte(value);
  } else if (name == "macro-id") {
    if (std::string problem = ResourceNameProblem(ResourceNameKind::kMacroId, value); !problem.empty())
      return "macro-id: " + ShownSingleByte(problem);
    resource.macroId = value;
  } else if (name == "form-name") {
    if (std::string problem = ResourceNameProblem(ResourceNameKind::kFormName, value); !problem.empty())
      return "form-name: " + ShownSingleByte(problem);
    resource.formName = value;
  } else {
    return "not an option: " + ShownSingleByte(name);
  }
  return {};
}

// One entry into `set`; an empty text when it was taken, else why not.
std::string ApplyLine(const std::vector<std::string>& words, int line, const std::string& folder, ResourceSet& set) {
  const std::string& keyword = words[0];
  if (keyword == "resource") {
    if (words.size() < 2) return "resource takes a PATH";
    SetResource resource;
    resource.path = FromFolder(folder, words[1]);
    resource.line = line;
    resource.conversion.both = true;
    for (size_t i = 2; i < words.size(); ++i)
      if (std::string problem = ApplyOption(words[i], resource); !problem.empty()) return problem;
    set.resources.push_back(std::move(resource));
  } else if (keyword == "printer") {
    if (words.size() < 2) return "printer takes one or more ADDRESSes";
    for (size_t i = 1; i < words.size(); ++i) {
      const std::optional<uint32_t> address = ParseDottedAddress(words[i]);
      if (!address) return "not an IPv4 address: " + ShownSingleByte(words[i]);
      const std::string dotted = FormatAddress(*address);
      if (std::find(set.addresses.begin(), set.addresses.end(), dotted) == set.addresses.end())
        set.addresses.push_back(dotted);
    }
  } else if (keyword == "printer-list") {
    if (words.size() != 2) return "printer-list takes one FILE";
    set.printerLists.push_back(FromFolder(folder, words[1]));
  } else {
    return "not an entry: " + ShownSingleByte(keyword) + " (resource, printer or printer-list)";
  }
  return {};
}

}  // namespace

std::optional<ResourceSet> ParseResourceSet(std::string_view text, const std::string& folder, std::string& error) {
  ResourceSet set;
  int lineNumber = 0;
  while (!text.empty()) {
    const std::string_view line = TakeLine(text);
    ++lineNumber;
    std::vector<std::string> words;
    const bool split = SplitWords(line, words);
    if (split && (words.empty() || words[0].starts_with('#'))) continue;
    const std::string problem = split ? ApplyLine(words, lineNumber, folder, set) : "a quote is not closed";
    if (!problem.empty()) {
      error = "line " + std::to_string(lineNumber) + ": " + problem;
      return std::nullopt;
    }
  }
  return set;
}

std::optional<ResourceSet> ReadResourceSetFile(const std::string& path, std::string& error) {
  const std::optional<std::string> text = ReadRegularFile(path, kResourceSetFileLimit, error);
  if (!text) return std::nullopt;
  const size_t slash = path.rfind('/');
  std::optional<ResourceSet> set =
      ParseResourceSet(*text, slash == std::string::npos ? std::string() : path.substr(0, slash + 1), error);
  if (!set) error = path + ", " + error;
  return set;
}
