#include "fonts/font_rows.h"

#include <cstring>

#include "fonts/font_list_ids.h"
#include "ui/resource_module.h"

using namespace font_list;

const char* const kFontViewTexts[kFontViewCount] = {
    "All fonts",
    "All permanent fonts",
    "All downloaded fonts",
    "All Postscript fonts",
    "All PCL fonts",
    "Postscript fonts only, permanent",
    "PCL fonts only, permanent",
    "Postscript fonts only, downloaded",
    "PCL fonts only, downloaded",
};

bool ViewHides(int view, const FontEntry& entry) {
  const bool pcl = entry.fontType == kFontTypePcl;
  const bool postScript = entry.fontType == kFontTypePostScript;
  const bool permanent = entry.persistence == kFontPermanent;
  const bool downloaded = entry.persistence == kFontDownloaded;
  switch (view) {
    case kAllPermanent: return downloaded;
    case kAllDownloaded: return permanent;
    case kAllPostScript: return pcl;
    case kAllPcl: return postScript;
    case kPostScriptPermanent: return pcl || downloaded;
    case kPclPermanent: return postScript || downloaded;
    case kPostScriptDownloaded: return pcl || permanent;
    case kPclDownloaded: return postScript || permanent;
    default: return false;
  }
}

std::string FontTypeText(const FontEntry& entry) {
  if (entry.fontType == kFontTypePostScript) return "Postscript";
  if (entry.fontType == kFontTypePcl) return "PCL";
  return {};
}

static std::string PersistenceText(int32_t persistence) {
  switch (persistence) {
    case kFontPermanent: return LoadResourceString(kPermanentText);
    case kFontDownloaded: return LoadResourceString(kDownloadedText);
    case kFontOnlyInRam: return LoadResourceString(kInRamText);
    default: return {};
  }
}

static std::string LocationText(int32_t location) {
  switch (location) {
    case kFontInRam: return LoadResourceString(kRamText);
    case kFontOnHardDisk: return LoadResourceString(kHardDiskText);
    case kFontInRom: return LoadResourceString(kInRomText);
    case kFontInFlash: return LoadResourceString(kFlashText);
    default: return {};
  }
}

std::string FontName(const FontEntry& entry) {
  return std::string(entry.name, strnlen(entry.name, sizeof entry.name));
}

const int kFontColumnWidths[kFontColumnCount] = {200, 95, 95, 95, 95};
const int kFontColumnHeadings[kFontColumnCount] = {kFontNameHeading, kResourceTypeHeading, kFontIdHeading,
                                                   kPersistenceHeading, kLocationHeading};

FontCells FontRowCells(const FontEntry& entry) {
  const bool showsId = entry.fontType == kFontTypePcl && entry.fontId != kNoFontId;
  return {FontName(entry), FontTypeText(entry), showsId ? std::to_string(entry.fontId) : std::string(),
          PersistenceText(entry.persistence), LocationText(entry.location)};
}
