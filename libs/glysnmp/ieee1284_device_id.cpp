#include "ieee1284_device_id.h"

#include <array>
#include <cctype>

namespace glysnmp {
namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

bool StartsWithWord(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameWord(text.substr(0, prefix.size()), prefix);
}

// The languages of printers as opposed to scanners, fax modems and the
// like, which give CMD too: PCL in all its levels (PCL5E, PCLXL, ...),
// PostScript, and the job language of both.
bool IsPageLanguage(std::string_view command) {
  static constexpr std::array<std::string_view, 3> kPrefixes = {"PCL", "POSTSCRIPT", "BR-SCRIPT"};
  static constexpr std::array<std::string_view, 4> kWords = {"PJL", "PS", "PDF", "XPS"};
  for (std::string_view prefix : kPrefixes) {
    if (StartsWithWord(command, prefix)) return true;
  }
  for (std::string_view word : kWords) {
    if (SameWord(command, word)) return true;
  }
  return false;
}

bool NamesPageLanguage(std::string_view commands) {
  while (!commands.empty()) {
    size_t comma = commands.find(',');
    if (IsPageLanguage(Trimmed(commands.substr(0, comma)))) return true;
    if (comma == std::string_view::npos) break;
    commands.remove_prefix(comma + 1);
  }
  return false;
}

}  // namespace

DeviceIdFields ParseDeviceId(std::string_view text) {
  DeviceIdFields fields;
  text = text.substr(0, kMostDeviceIdBytes);
  while (!text.empty()) {
    size_t end = text.find(';');
    std::string_view field = text.substr(0, end);
    size_t colon = field.find(':');
    if (colon != std::string_view::npos) {
      std::string_view key = Trimmed(field.substr(0, colon));
      std::string_view value = Trimmed(field.substr(colon + 1));
      if (SameWord(key, "MDL") || SameWord(key, "MODEL")) {
        fields.model = value;
      } else if (SameWord(key, "CMD") || SameWord(key, "COMMAND SET")) {
        fields.pageLanguage = fields.pageLanguage || NamesPageLanguage(value);
        fields.commandSet = value;
      }
    }
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return fields;
}

}  // namespace glysnmp
