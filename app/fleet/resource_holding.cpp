#include "fleet/resource_holding.h"

#include <cstring>

#include "fonts/font_list_logic.h"
#include "ui/resource_module.h"

namespace {

// A PCL descriptor holds 16 bytes of typeface name, padded with blanks.
constexpr size_t kPclNameBytes = 16;

std::string_view Trimmed(std::string_view name, bool pcl) {
  if (pcl) name = name.substr(0, kPclNameBytes);
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  return name;
}

bool Names(const FontEntry& entry, const SentResource& part) {
  const bool pcl = part.kind == SentKind::kPclFont;
  if (entry.fontType != (pcl ? kFontTypePcl : kFontTypePostScript)) return false;
  const std::string_view name = Trimmed({entry.name, strnlen(entry.name, sizeof entry.name)}, pcl);
  if (name.empty()) return false;
  return name == Trimmed(part.listedName, pcl) || (pcl && name == part.name);
}

bool Lasting(const FontEntry& entry) {
  const bool stored = entry.location == kFontOnHardDisk || entry.location == kFontInFlash || entry.location == kFontInRom;
  return stored && entry.persistence != kFontOnlyInRam;
}

// The same path on the other volume ("0:" the disk, "1:" the flash).
std::string OnVolume(const std::string& printerPath, int32_t location) {
  std::string path = printerPath;
  if (path.size() >= 2 && path[1] == ':') path[0] = location == kFontInFlash ? '1' : '0';
  return path;
}

// A stored file of another size than the job stores is another version;
// a printer that gives no size has the benefit of the doubt.
Holding BySize(const SentResource& part, uint64_t size) {
  if (!part.storedBytes || size == kSnmpUnknownSize || size == *part.storedBytes) return Holding::kHeld;
  return Holding::kOtherVersion;
}

HoldingCell JudgeFont(const SentResource& part, const PrinterFonts& fonts, StoredFileQuestions& files) {
  const FontEntry* best = nullptr;
  for (const FontEntry& entry : fonts.fonts) {
    if (!Names(entry, part)) continue;
    if (!best || (Lasting(entry) && !Lasting(*best))) best = &entry;
  }
  if (!best) return {Holding::kMissing, {}};
  if (!Lasting(*best)) return {Holding::kMemoryOnly, {}};
  // Only a file system listing tells that the font is a file to ask about.
  if (!fonts.fromFileSystem || best->location == kFontInRom || part.printerPath.empty()) return {Holding::kHeld, {}};
  uint64_t size = kSnmpUnknownSize;
  if (files.QueryStoredFile(OnVolume(part.printerPath, best->location), size) != kSnmpFileStored)
    return {Holding::kHeld, {}};  // listed by its typeface name under another file name
  return {BySize(part, size), {}};
}

HoldingCell JudgeFile(const SentResource& part, StoredFileQuestions& files) {
  bool unknown = false;
  for (int32_t volume : {part.location == kFlashMemory ? kFontInFlash : kFontOnHardDisk,
                         part.location == kFlashMemory ? kFontOnHardDisk : kFontInFlash}) {
    uint64_t size = kSnmpUnknownSize;
    switch (files.QueryStoredFile(OnVolume(part.printerPath, volume), size)) {
      case kSnmpFileStored: return {BySize(part, size), {}};
      case kSnmpFileNotStored: break;
      default: unknown = true; break;
    }
  }
  if (unknown) return {Holding::kUnknown, "the printer's file system cannot be asked"};
  return {Holding::kMissing, {}};
}

}  // namespace

std::string_view HoldingText(Holding holding) {
  switch (holding) {
    case Holding::kHeld: return "held";
    case Holding::kMemoryOnly: return "memory only";
    case Holding::kOtherVersion: return "other version";
    case Holding::kMissing: return "missing";
    case Holding::kUnknown: break;
  }
  return "unknown";
}

Holding WorstHolding(Holding a, Holding b) { return a > b ? a : b; }

std::string FontReadProblem(int32_t readResult) {
  return FontReadRefusalMessage(readResult);
}

HoldingCell JudgeHolding(const std::vector<SentResource>& parts, const PrinterFonts& fonts,
                         StoredFileQuestions& files) {
  if (fonts.readResult != kSnmpOk) return {Holding::kUnknown, FontReadProblem(fonts.readResult)};
  HoldingCell worst{Holding::kHeld, {}};
  for (const SentResource& part : parts) {
    if (part.kind == SentKind::kPrintFile) continue;
    HoldingCell cell = IsFont(part.kind) ? JudgeFont(part, fonts, files) : JudgeFile(part, files);
    if (WorstHolding(worst.holding, cell.holding) != worst.holding) worst = std::move(cell);
  }
  return worst;
}
