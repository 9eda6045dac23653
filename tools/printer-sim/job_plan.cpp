#include "job_plan.h"

#include <algorithm>

namespace printer_sim {

FontFormat PjlStoredFormat(const std::string& path) {
  const std::string macros = std::string(kPclMacroFolder) + "/";
  return path.compare(0, macros.size(), macros) == 0 ? FontFormat::kPclMacro : FontFormat::kPcl;
}

namespace {

constexpr char kEscape = '\x1b';
constexpr char kFormFeed = '\f';

bool IsBlank(std::string_view text) {
  for (char c : text)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
  return true;
}

// Skips the escape sequence at data[at] and returns where the next byte
// stands: "ESC & l 1 o 2 A", two-character sequences, and the binary data
// of a value followed by "W" (or "w" within a combined sequence).
size_t SkipEscape(std::string_view data, size_t at) {
  size_t i = at + 1;
  if (i >= data.size()) return i;
  const char parameterized = data[i++];
  if (parameterized < '!' || parameterized > '/') return i;  // ESC E and its kind
  if (i < data.size()) ++i;                                // the group character
  while (i < data.size()) {
    size_t digits = i;
    uint64_t value = 0;
    while (digits < data.size() && (data[digits] == '+' || data[digits] == '-' || data[digits] == '.' ||
                                    (data[digits] >= '0' && data[digits] <= '9'))) {
      if (data[digits] >= '0' && data[digits] <= '9') value = std::min<uint64_t>(value * 10 + (data[digits] - '0'), data.size());
      ++digits;
    }
    if (digits >= data.size()) return data.size();
    const char parameter = data[digits];
    i = digits + 1;
    if (parameter == 'W' || parameter == 'w') i = static_cast<size_t>(std::min<uint64_t>(i + value, data.size()));
    if (parameter < '`' || parameter > '~') return i;  // an upper-case parameter ends the sequence
  }
  return i;
}

int CountPclPages(std::string_view data) {
  int pages = 0;
  size_t pageStart = 0;
  for (size_t i = 0; i < data.size();) {
    if (data[i] == kEscape) {
      i = SkipEscape(data, i);
    } else if (data[i] == kFormFeed) {
      ++pages;
      pageStart = ++i;
    } else {
      ++i;
    }
  }
  if (!IsBlank(data.substr(std::min(pageStart, data.size())))) ++pages;
  return pages;
}

int CountPostScriptPages(std::string_view data) {
  int pages = 0;
  for (size_t at = data.find("showpage"); at != std::string_view::npos; at = data.find("showpage", at + 1)) ++pages;
  return pages;
}

}  // namespace

void PrintDocument(std::string_view data, JobPlan& plan) {
  const int pages = data.substr(0, 2) == "%!" ? CountPostScriptPages(data) : CountPclPages(data);
  for (int page = 0; page < std::max(pages, 1); ++page) plan.PrintPage(kDocumentPage);
}

JobPlan PlanJob(std::string_view data) {
  JobPlan plan;
  if (IsPjlJob(data)) {
    PlanPjlJob(data, plan);
  } else if (data.substr(0, 2) == "%!") {
    // A universal exit ends the PostScript job and hands the rest of the
    // file back to PJL, as a printer's I/O does: one file can hold both.
    const size_t exit = data.find("\x1b%-12345X");
    PlanPostScriptJob(data.substr(0, exit), plan);
    if (exit != std::string_view::npos && !plan.refused()) PlanPjlJob(data.substr(exit), plan);
  } else if (!data.empty()) {
    PrintDocument(data, plan);
  }
  return plan;
}

}  // namespace printer_sim
