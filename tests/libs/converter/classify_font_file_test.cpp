#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <thread>

#include "converter_test_support.h"

namespace {

std::string PostScriptNameByFreeType(const fs::path& path) {
  Face face(path);
  const char* name = face.ok() ? FT_Get_Postscript_Name(face.get()) : nullptr;
  return name != nullptr ? std::string(name).substr(0, GLY_FONT_NAME_SIZE - 1) : "";
}

// A PCL soft font: a font ID command, then the header with a 64-byte
// descriptor of the given format and name, then a little character data.
std::string PclSoftFont(int headerFormat, const std::string& name, std::size_t declaredSize = 64) {
  std::string descriptor(64, '\0');
  descriptor[0] = static_cast<char>(declaredSize >> 8);
  descriptor[1] = static_cast<char>(declaredSize & 0xFF);
  descriptor[2] = static_cast<char>(headerFormat);
  descriptor.replace(48, std::min<std::size_t>(name.size(), 16), name.substr(0, 16));
  return "\x1b*c5D\x1b)s64W" + descriptor + "\x1b*c65E" + std::string("\x1b(s4W\x04\x00\x0e\x01", 9);
}

TEST(ClassifyFontFile, UrwPfbFontsAreBinaryType1WithTheirPostScriptNames) {
  int seen = 0;
  for (const auto& entry : fs::directory_iterator(kUrwType1Dir)) {
    if (entry.path().extension() != ".pfb") continue;
    const Classification c = Classify(entry.path());
    EXPECT_EQ(c.result, 0) << entry.path();
    EXPECT_EQ(c.info.kind, 3) << entry.path();
    EXPECT_EQ(c.info.subtype, 0x8001) << entry.path();
    EXPECT_EQ(c.name, PostScriptNameByFreeType(entry.path())) << entry.path();
    ++seen;
  }
  EXPECT_GE(seen, 35);
}

TEST(ClassifyFontFile, TrueTypeFontsCarryNameRecordSix) {
  std::vector<fs::path> fonts = {kDejaVuSans};
  for (const auto& entry : fs::directory_iterator(kLiberationDir)) fonts.push_back(entry.path());
  for (const fs::path& font : fonts) {
    const Classification c = Classify(font);
    EXPECT_EQ(c.result, 0) << font;
    EXPECT_EQ(c.info.kind, 1) << font;
    EXPECT_EQ(c.name, PostScriptNameByFreeType(font)) << font;
    EXPECT_FALSE(c.name.empty()) << font;
  }
}

TEST(ClassifyFontFile, RawBinaryType1IsBinaryAndItsAsciiFormIsNot) {
  ScratchDir dir;
  const Classification raw = Classify("/usr/share/fonts/type1/urw-base35/C059-Roman.t1");
  EXPECT_EQ(raw.result, 0);
  EXPECT_EQ(raw.info.subtype, 0x8001);
  EXPECT_EQ(raw.name, "C059-Roman");

  const fs::path pfa = dir / "C059-Roman.pfa";
  ASSERT_EQ(RunCommand("t1ascii " + Quote(kUrwType1Dir / "C059-Roman.pfb") + " " + Quote(pfa)).exitCode, 0);
  const Classification ascii = Classify(pfa);
  EXPECT_EQ(ascii.result, 0);
  EXPECT_EQ(ascii.info.kind, 3);
  EXPECT_EQ(ascii.info.subtype, 1);
  EXPECT_EQ(ascii.name, "C059-Roman");
}

TEST(ClassifyFontFile, PostScriptType3AndType42ReportTheirFontType) {
  ScratchDir dir;
  WriteBytes(dir / "t3.ps",
             "%!PS-Adobe-3.0 Resource-Font\n% /FontType 1 in a comment does not count\n"
             "8 dict begin /Notice (/FontType 2) def /FontType 3 def\n"
             "/FontName /Boxes def /FontMatrix [.001 0 0 .001 0 0] def\n"
             "/FontBBox [0 0 750 750] def /Encoding 256 array def\n"
             "/BuildChar { pop pop 1000 0 0 0 750 750 setcachedevice 0 0 750 750 rectfill } def\n"
             "currentdict end /Boxes exch definefont pop\n");
  WriteBytes(dir / "t42.t42",
             "%!PS-TrueTypeFont-65536-65536-1\n11 dict begin\n/FontName /Wrapped-Sans def\n"
             "/FontType 42 def\n/sfnts [<0001000000>] def\ncurrentdict end definefont pop\n");
  const Classification type3 = Classify(dir / "t3.ps");
  EXPECT_EQ(type3.result, 0);
  EXPECT_EQ(type3.info.kind, 3);
  EXPECT_EQ(type3.info.subtype, 3);
  EXPECT_EQ(type3.name, "Boxes");
  const Classification type42 = Classify(dir / "t42.t42");
  EXPECT_EQ(type42.result, 0);
  EXPECT_EQ(type42.info.subtype, 42);
  EXPECT_EQ(type42.name, "Wrapped-Sans");
}

TEST(ClassifyFontFile, PclSoftFontsReportHeaderFormatAndDescriptorName) {
  ScratchDir dir;
  struct Case {
    int format;
    std::string name, expected;
  };
  for (const Case& c : {Case{0, "Courier10", "Courier10"}, Case{10, "  Univers   ", "Univers"},
                        Case{15, "ArialLongNameCutAt16", "ArialLongNameCut"}, Case{20, "", ""}}) {
    WriteBytes(dir / "font.sfp", PclSoftFont(c.format, c.name));
    const Classification pcl = Classify(dir / "font.sfp");
    EXPECT_EQ(pcl.result, 0) << c.format;
    EXPECT_EQ(pcl.info.kind, 2) << c.format;
    EXPECT_EQ(pcl.info.subtype, c.format);
    EXPECT_EQ(pcl.name, c.expected);
  }
}

TEST(ClassifyFontFile, AnythingElseIsNotAFontAndLeavesTheNameEmpty) {
  ScratchDir dir;
  WriteBytes(dir / "empty.pfb", "");
  WriteBytes(dir / "job.ps", "%!PS-Adobe-2.0\n/Helvetica findfont 12 scalefont setfont\n");
  WriteBytes(dir / "macro.pcl", "\x1b&f1Y\x1b&f0X\x1b*p300x400Y\x1b&f1X");
  WriteBytes(dir / "short.sfp", PclSoftFont(0, "Short", 65));  // declares more than it carries
  WriteBytes(dir / "notype.ps", "%!PS-AdobeFont-1.0: X\n/FontName /X def\ncurrentfile eexec\n");
  fs::create_directory(dir / "folder.ttf");
  for (const fs::path& path :
       {dir / "empty.pfb", dir / "job.ps", dir / "macro.pcl", dir / "short.sfp", dir / "notype.ps",
        dir / "folder.ttf", dir / "missing.ttf",
        fs::path("/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf")}) {
    const Classification c = Classify(path);
    EXPECT_NE(c.result, 0) << path;
    EXPECT_EQ(c.name, "") << path;
  }
  ResourceKindInfo info{};
  EXPECT_NE(ClassifyFontFile(nullptr, nullptr, &info), 0);
}

// A named pipe chosen by mistake must not hang the caller waiting for a writer.
TEST(ClassifyFontFile, NamedPipeIsNotAFontAndDoesNotBlock) {
  ScratchDir dir;
  const fs::path pipe = dir / "pipe.ttf";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  auto results = std::async(std::launch::async, [&] {
    return std::pair(Classify(pipe), ConvertPfbToPfa(pipe.c_str(), (dir / "out.pfa").c_str()));
  });
  for (int opens = 0; results.wait_for(std::chrono::seconds(10)) != std::future_status::ready; ++opens) {
    if (opens == 0) ADD_FAILURE() << "blocked on the pipe";
    // Open the other end so that a blocked open returns and the test can end.
    const int writer = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0) ::close(writer);
  }
  const auto [classification, conversion] = results.get();
  EXPECT_NE(classification.result, 0);
  EXPECT_EQ(classification.name, "");
  EXPECT_NE(conversion, 0);
}

// Adding files stays possible while a download classifies its resources.
TEST(ClassifyFontFile, TwoThreadsClassifyAtOnce) {
  auto classifyMany = [](const fs::path& font, int expectedKind, bool& allRight) {
    allRight = true;
    for (int i = 0; i < 40; ++i) allRight = allRight && Classify(font).info.kind == expectedKind;
  };
  bool trueTypeRight = false, type1Right = false;
  std::thread first(classifyMany, kDejaVuSans, 1, std::ref(trueTypeRight));
  std::thread second(classifyMany, kUrwType1Dir / "NimbusSans-Regular.pfb", 3, std::ref(type1Right));
  first.join();
  second.join();
  EXPECT_TRUE(trueTypeRight);
  EXPECT_TRUE(type1Right);
}

}  // namespace
