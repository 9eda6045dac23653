// How a resource is recognised in a printer's font list and file system,
// and which holding each finding gives.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "fleet/resource_holding.h"

namespace {

class ScriptedFiles final : public StoredFileQuestions {
 public:
  int32_t QueryStoredFile(const std::string& printerPath, uint64_t& size) override {
    asked.push_back(printerPath);
    const auto found = files.find(printerPath);
    if (found == files.end()) return silent ? kSnmpFileUnknown : kSnmpFileNotStored;
    size = found->second;
    return kSnmpFileStored;
  }
  std::map<std::string, uint64_t> files;
  bool silent = false;
  std::vector<std::string> asked;
};

FontEntry Entry(const char* name, int32_t type, int32_t location, int32_t persistence = kFontDownloaded) {
  FontEntry entry{};
  std::strncpy(entry.name, name, sizeof entry.name - 1);
  entry.fontType = type;
  entry.location = location;
  entry.persistence = persistence;
  return entry;
}

SentResource PclFont() {
  SentResource part;
  part.kind = SentKind::kPclFont;
  part.name = "GothicFile";
  part.listedName = "Gothic Bold     ";  // a descriptor's 16 bytes
  part.printerPath = "0:\\pcl\\fonts\\GothicFile";
  part.storedBytes = 120;
  return part;
}

PrinterFonts Listed(std::vector<FontEntry> fonts, bool fromFileSystem = false) {
  return {kSnmpOk, fromFileSystem, std::move(fonts)};
}

Holding Judge(const std::vector<SentResource>& parts, const PrinterFonts& fonts, ScriptedFiles& files) {
  return JudgeHolding(parts, fonts, files).holding;
}

TEST(ResourceHoldingTest, AFontIsFoundByItsNamesTypeAndLastingPlace) {
  ScriptedFiles files;
  const std::vector<SentResource> gothic = {PclFont()};
  // By its typeface name or its file name; a PostScript font of that name is another font.
  EXPECT_EQ(Judge(gothic, Listed({Entry("Gothic Bold", kFontTypePcl, kFontOnHardDisk)}), files), Holding::kHeld);
  EXPECT_EQ(Judge(gothic, Listed({Entry("GothicFile", kFontTypePcl, kFontInFlash)}), files), Holding::kHeld);
  EXPECT_EQ(Judge(gothic, Listed({Entry("Gothic Bold", kFontTypePostScript, kFontOnHardDisk)}), files),
            Holding::kMissing);
  EXPECT_EQ(Judge(gothic, Listed({Entry("Gothic", kFontTypePcl, kFontOnHardDisk)}), files), Holding::kMissing);
  // In RAM, or kept only until power-off: memory only, unless a lasting copy is there too.
  EXPECT_EQ(Judge(gothic, Listed({Entry("Gothic Bold", kFontTypePcl, kFontInRam)}), files), Holding::kMemoryOnly);
  EXPECT_EQ(Judge(gothic, Listed({Entry("Gothic Bold", kFontTypePcl, kFontOnHardDisk, kFontOnlyInRam)}), files),
            Holding::kMemoryOnly);
  EXPECT_EQ(Judge(gothic,
                  Listed({Entry("Gothic Bold", kFontTypePcl, kFontInRam), Entry("GothicFile", kFontTypePcl, kFontInRom)}),
                  files),
            Holding::kHeld);
  // The font table tells no sizes: nothing is asked.
  EXPECT_TRUE(files.asked.empty());

  SentResource type1;
  type1.kind = SentKind::kPostScriptFont;
  type1.listedName = "NimbusSans-Regular";
  // A converted TrueType font is held when each font its conversion makes is.
  const std::vector<SentResource> both = {type1, PclFont()};
  EXPECT_EQ(Judge(both, Listed({Entry("NimbusSans-Regular", kFontTypePostScript, kFontOnHardDisk)}), files),
            Holding::kMissing);
  EXPECT_EQ(Judge(both,
                  Listed({Entry("NimbusSans-Regular", kFontTypePostScript, kFontInRam),
                          Entry("Gothic Bold", kFontTypePcl, kFontOnHardDisk)}),
                  files),
            Holding::kMemoryOnly);
}

TEST(ResourceHoldingTest, AFileSystemTellsAnotherVersionByItsSize) {
  ScriptedFiles files;
  const std::vector<SentResource> gothic = {PclFont()};
  const PrinterFonts onFlash = Listed({Entry("Gothic Bold", kFontTypePcl, kFontInFlash)}, true);
  // Asked where it was listed: the flash volume.
  files.files["1:\\pcl\\fonts\\GothicFile"] = 99;
  EXPECT_EQ(Judge(gothic, onFlash, files), Holding::kOtherVersion);
  EXPECT_EQ(files.asked, std::vector<std::string>{"1:\\pcl\\fonts\\GothicFile"});
  files.files["1:\\pcl\\fonts\\GothicFile"] = 120;
  EXPECT_EQ(Judge(gothic, onFlash, files), Holding::kHeld);
  files.files["1:\\pcl\\fonts\\GothicFile"] = kSnmpUnknownSize;
  EXPECT_EQ(Judge(gothic, onFlash, files), Holding::kHeld);

  // A macro is a file: looked for on the volume it goes to, then the other.
  SentResource macro;
  macro.kind = SentKind::kPclMacro;
  macro.printerPath = "0:\\pcl\\macros\\42";
  macro.storedBytes = 10;
  ScriptedFiles macros;
  EXPECT_EQ(Judge({macro}, Listed({}), macros), Holding::kMissing);
  macros.files["1:\\pcl\\macros\\42"] = 10;
  EXPECT_EQ(Judge({macro}, Listed({}), macros), Holding::kHeld);
  macros.files["0:\\pcl\\macros\\42"] = 11;
  EXPECT_EQ(Judge({macro}, Listed({}), macros), Holding::kOtherVersion);
  ScriptedFiles closed;
  closed.silent = true;
  const HoldingCell unknown = JudgeHolding({macro}, Listed({}), closed);
  EXPECT_EQ(unknown.holding, Holding::kUnknown);
  EXPECT_EQ(unknown.why, "the printer's file system cannot be asked");
}

}  // namespace
