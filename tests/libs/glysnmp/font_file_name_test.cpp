// Naming the font files a printer stores, from the head the library
// uploads of each: real Type 1 fonts as text and as PFB, heads that give
// only part of a name, and on the virtual printer the files that give none.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "font_file_name.h"
#include "glysnmp_test_support.h"
#include "pjl_inventory.h"
#include "virtual_printer_support.h"

namespace {

using namespace glysnmp;

const std::filesystem::path kUrwFonts = "/usr/share/fonts/type1/urw-base35";

std::string FileBytes(const std::filesystem::path& path, size_t most = SIZE_MAX) {
  std::ifstream file(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return bytes.substr(0, most);
}

// The name the font's metrics file gives, which the font itself is not read for.
std::string AfmFontName(std::filesystem::path font) {
  std::ifstream afm(font.replace_extension(".afm"));
  for (std::string line; std::getline(afm, line);) {
    if (line.starts_with("FontName ")) return line.substr(9);
  }
  return {};
}

TEST(FontFileName, RealType1FontsAreNamedAsTheirMetricsNameThem) {
  int checked = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kUrwFonts)) {
    if (entry.path().extension() != ".t1") continue;
    const std::string head = FileBytes(entry.path(), kFontNameSearchBytes);
    const FontFileName font = ReadFontFileName(head);
    EXPECT_EQ(font.type, FontFileType::kPostScript) << entry.path();
    EXPECT_EQ(font.name, AfmFontName(entry.path())) << entry.path();
    ++checked;
  }
  EXPECT_GE(checked, 35);

  // The same font as PFB, whose first segment starts after a 6-byte header.
  TempDir scratch;
  const std::filesystem::path roman = kUrwFonts / "NimbusRoman-Regular.t1";
  ASSERT_EQ(sim_test::RunCommand("t1binary " + roman.string() + " " + scratch.file("roman.pfb")).exitCode, 0);
  const std::string pfb = FileBytes(scratch.file("roman.pfb"), kFontNameSearchBytes);
  ASSERT_EQ(pfb.substr(0, 2), "\x80\x01");
  EXPECT_EQ(ReadFontFileName(pfb).name, "NimbusRoman-Regular");
}

TEST(FontFileName, AHeadWithoutFontNameInReachIsNamedByItsFirstLineOrNotAtAll) {
  const std::string comments(kFontNameSearchBytes, '%');
  EXPECT_EQ(ReadFontFileName("%!PS-AdobeFont-1.0: Quill-Bold 001.000\r\n" + comments + "\n/FontName /Far def").name,
            "Quill-Bold");
  EXPECT_EQ(ReadFontFileName("%!FontType1-1.1:Quill\n11 dict begin").name, "Quill");
  // A /FontName that is no name does not hide the first line's.
  EXPECT_EQ(ReadFontFileName("%!PS-AdobeFont-1.0: Slate\n/FontName exch def").name, "Slate");

  const FontFileName form = ReadFontFileName("%!PS-Adobe-3.0\n%%Title: form\nshowpage\n");
  EXPECT_EQ(form.type, FontFileType::kPostScript);
  EXPECT_EQ(form.name, "") << "left to be named by its file name";
  EXPECT_EQ(ReadFontFileName("%!PS-AdobeFont-1.0:\x01\x02 1.0\n").name, "");
  EXPECT_EQ(ReadFontFileName("\x80\x02 binary segment first").type, FontFileType::kUnknown);
}

class StoredFontNames : public ::testing::Test {
 protected:
  PjlPrinter Start() {
    printer_sim::PrinterConfig config;
    config.address = "127.66.9.10";
    config.postScriptFonts = 2;
    EXPECT_TRUE(simulator_.AddPrinter(config));
    simulator_.Start();
    return {AddressOf(config.address), 0, {simulator_.RawPort(0), 2000}};
  }

  printer_sim::Simulator simulator_;
};

TEST_F(StoredFontNames, EveryFileOnAVolumeIsListedAsADeletableDownload) {
  const PjlPrinter printer = Start();
  const std::string sans = FileBytes(kUrwFonts / "NimbusSans-Regular.t1");
  simulator_.RunJob(0, sim_test::PostScriptDownload(false, "NimbusSans-Regular", sans));
  simulator_.RunJob(0, sim_test::PjlDownload('0', "mystery.bin", "no font at all"));
  ASSERT_EQ(WaitForDownloadedFonts(simulator_, 0, 1).size(), 1u);

  const PjlFonts read = ReadPjlFonts(printer);
  ASSERT_EQ(read.status, PjlStatus::kAnswered);
  int named = 0, mystery = 0;
  for (const FontEntry& entry : read.fonts) {
    const std::string name = entry.name;
    if (name == "NimbusSans-Regular") {
      ++named;
      EXPECT_EQ(entry.persistence, kFontDownloaded) << "not taken for an internal font";
      EXPECT_EQ(entry.location, kFontOnHardDisk);
      EXPECT_EQ(entry.fontType, kFontTypePostScript);
    } else if (name == "mystery.bin") {
      ++mystery;
      EXPECT_EQ(entry.persistence, kFontDownloaded);
      EXPECT_EQ(entry.fontType, kFontTypePcl) << "what the PCL font folder holds";
    }
  }
  EXPECT_EQ(named, 1);
  EXPECT_EQ(mystery, 1);
}

}  // namespace
