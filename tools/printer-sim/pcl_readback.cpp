#include "pcl_readback.h"

#include <cctype>
#include <charconv>
#include <set>

namespace printer_sim {
namespace {

constexpr char kEscape = '\x1b';
constexpr char kEnd[] = "\r\n";

enum LocationType : int32_t { kSelected = 1, kAll = 2, kInternal = 3, kDownloadedLocation = 4, kCartridge = 5, kRomSimm = 7 };
enum Entity : int32_t { kFont = 0, kMacro = 1, kPattern = 2, kSymbolSet = 3, kFontExtended = 4 };
constexpr int32_t kTemporaryUnit = 1;

struct Typeface {
  const char* family;
  int number;
  bool fixedPitch;
};
// The typeface numbers of the internal fonts' families; others get Courier's.
constexpr Typeface kTypefaces[] = {
    {"Courier", 4099, true},       {"CG Times", 4101, false}, {"Univers", 4148, false},
    {"Arial", 16602, false},       {"Times New", 16901, false}, {"Letter Gothic", 4102, true},
    {"Line Printer", 0, true},     {"Symbol", 16686, false},  {"Wingdings", 31402, false},
    {"Albertus", 4362, false},     {"Antique Olive", 4168, false}};

std::string Select(const Font& font) {
  const Typeface* face = &kTypefaces[0];
  for (const Typeface& candidate : kTypefaces) {
    if (font.name.rfind(candidate.family, 0) == 0) face = &candidate;
  }
  const bool bold = font.name.find("Bold") != std::string::npos;
  const bool italic = font.name.find("Italic") != std::string::npos;
  std::string select = std::string("<Esc>(s") + (face->fixedPitch ? "0p__h" : "1p__v") + (italic ? "1" : "0") +
                       "s" + (bold ? "3" : "0") + "b" + std::to_string(face->number) + "T";
  if (font.persistence == kDownloaded) {
    return "SELECT=\"<Esc>(8U" + select + "<Esc>(" + std::to_string(font.fontId) + "X\"" + kEnd;
  }
  return "SELECT=\"" + select + "\"" + kEnd + "SYMBOLSETS=\"0N,8U,10U,19U\"" + kEnd;
}

int32_t Parameter(std::string_view text) {
  int32_t value = 0;
  size_t start = !text.empty() && text[0] == '+' ? 1 : 0;
  std::from_chars(text.data() + start, text.data() + text.size(), value);
  return value;
}

}  // namespace

bool PclReadback::Run(std::string_view data, Printer& printer, std::string& reply) {
  bool text = false;
  size_t i = 0;
  while (i < data.size()) {
    if (data[i] != kEscape) {
      text |= std::isspace(static_cast<unsigned char>(data[i])) == 0;
      ++i;
      continue;
    }
    if (i + 1 >= data.size()) break;
    const char parameterized = data[i + 1];
    i += 2;
    if (parameterized < 0x21 || parameterized > 0x2F) continue;  // a two-character command
    char group = 0;
    if (i < data.size() && data[i] >= 0x60 && data[i] <= 0x7E) group = data[i++];
    // Value and parameter pairs; a lower-case parameter joins the next one.
    for (bool last = false; !last && i < data.size();) {
      const size_t start = i;
      if (data[i] == '+' || data[i] == '-') ++i;
      while (i < data.size() && (std::isdigit(static_cast<unsigned char>(data[i])) || data[i] == '.')) ++i;
      if (i >= data.size()) break;
      const std::string_view value = data.substr(start, i - start);
      const char parameter = data[i++];
      last = parameter >= 0x40 && parameter <= 0x5E;
      if (!last && (parameter < 0x60 || parameter > 0x7E)) break;  // not a command after all
      const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(parameter)));
      Command(parameterized, group, lower, Parameter(value), printer, reply);
      // Binary data follows "...#W": skip it.
      if (lower == 'w') i += std::min<size_t>(static_cast<size_t>(std::max(0, Parameter(value))), data.size() - i);
    }
  }
  return text;
}

void PclReadback::Command(char parameterized, char group, char parameter, int32_t value, Printer& printer,
                          std::string& reply) {
  if (parameterized == '*' && group == 's') {
    if (parameter == 't') locationType_ = value;
    if (parameter == 'u') locationUnit_ = value;
    if (parameter == 'i') Inquire(value, printer, reply);
  } else if (parameterized == '&' && group == 'f') {
    std::set<int32_t>& macros = printer.pclMacros();
    if (parameter == 'y') macroId_ = value;
    if (parameter == 'x' && value == 0) macros.insert(macroId_);
    if (parameter == 'x' && value == 8) macros.erase(macroId_);
    if (parameter == 'x' && (value == 6 || value == 7)) macros.clear();
  }
}

void PclReadback::Inquire(int32_t entity, Printer& printer, std::string& reply) const {
  static const char* const kHeaders[] = {"INFO FONTS", "INFO MACROS", "INFO PATTERNS", "INFO SYMBOLSETS",
                                         "INFO FONTS EXTENDED"};
  if (entity < kFont || entity > kFontExtended) {
    reply += std::string("PCL") + kEnd + "INFO" + kEnd + "ERROR=INVALID ENTITY" + kEnd + "\f";
    return;
  }
  std::string body;
  const int32_t type = locationType_;
  if (type != kSelected && type != kAll && type != kInternal && type != kDownloadedLocation && type != kCartridge &&
      type != kRomSimm) {
    body = std::string("ERROR=INVALID LOCATION") + kEnd;
  } else if (entity == kFont || entity == kFontExtended) {
    printer.FinishDueDeletions();
    for (const Font& font : printer.Fonts()) {
      if (font.type != kTypePcl) continue;
      const bool internal = font.location == kLocationRom;
      const bool wanted = type == kAll || (type == kSelected && internal) || (type == kInternal && internal) ||
                          (type == kDownloadedLocation && !internal && locationUnit_ != kTemporaryUnit);
      if (!wanted) continue;
      body += Select(font);
      if (entity == kFontExtended) {
        body += "DEFID=\"" + std::string(internal ? "I " : "S ") + std::to_string(font.fontId) + "\"" + kEnd +
                "NAME=\"" + font.name + "\"" + kEnd;
      }
      if (type == kSelected) {
        body += std::string("LOCTYPE=3") + kEnd + "LOCUNIT=1" + kEnd;
        break;
      }
    }
  } else if (entity == kMacro && (type == kAll || type == kDownloadedLocation)) {
    // Those defined in memory and those stored in the macros folders.
    std::set<int32_t> macros = printer.StoredMacroIds();
    macros.insert(printer.pclMacros().begin(), printer.pclMacros().end());
    std::string ids;
    for (int32_t id : macros) ids += (ids.empty() ? "" : ",") + std::to_string(id);
    if (!ids.empty()) body = "IDLIST=\"" + ids + "\"" + kEnd;
  }
  if (body.empty()) body = std::string("ERROR=NONE") + kEnd;
  reply += std::string("PCL") + kEnd + kHeaders[entity] + kEnd + body + "\f";
}

}  // namespace printer_sim
