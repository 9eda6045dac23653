// Damaged input must fail cleanly: a non-zero result, no crash, and nothing
// (not even an older file) at the output path.
#include <gtest/gtest.h>

#include <random>

#include "converter_test_support.h"

namespace {

using Operation = int (*)(const char*, const char*);

int Finish(const char* input, const char* output) { return FinishType1Conversion(input, output, 0); }

// Runs the operation on a damaged copy; success is allowed (a cut in
// trailing clear text may leave a usable font) but then the output is whole.
void ExpectCleanOutcome(Operation operation, const ScratchDir& dir, const std::string& bytes,
                        const std::string& label) {
  const fs::path input = dir / "damaged.in";
  const fs::path output = dir / "out.pfa";
  WriteBytes(input, bytes);
  WriteBytes(output, "stale result of an earlier run");
  const int result = operation(input.c_str(), output.c_str());
  if (result != 0) {
    EXPECT_FALSE(fs::exists(output)) << label;
  } else {
    EXPECT_NE(ReadBytes(output), "stale result of an earlier run") << label;
  }
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    EXPECT_EQ(entry.path().string().find(".part"), std::string::npos) << label << ": " << entry.path();
  }
  Classify(input);  // must not crash either
}

void DamageInEveryWay(Operation operation, const std::string& font, const std::string& name) {
  ScratchDir dir;
  for (const std::size_t length : {std::size_t{0}, std::size_t{1}, std::size_t{5}, std::size_t{6},
                                   std::size_t{100}, std::size_t{4096}, font.size() / 3,
                                   font.size() / 2, font.size() - 600, font.size() - 1}) {
    ExpectCleanOutcome(operation, dir, font.substr(0, length), name + " cut at " + std::to_string(length));
  }
  std::mt19937 random(20240601);
  for (int round = 0; round < 12; ++round) {
    std::string damaged = font;
    // Early bytes hold the tables and headers the readers trust most.
    const std::size_t span = round % 2 == 0 ? std::min<std::size_t>(font.size(), 2048) : font.size();
    for (int flip = 0; flip < 8; ++flip) damaged[random() % span] = static_cast<char>(random());
    ExpectCleanOutcome(operation, dir, damaged, name + " corrupted, round " + std::to_string(round));
  }
}

TEST(MalformedFonts, DamagedPfbFailsCleanly) {
  DamageInEveryWay(ConvertPfbToPfa, ReadBytes(kUrwType1Dir / "NimbusSans-Bold.pfb"), "pfb");
}

TEST(MalformedFonts, DamagedTrueTypeFailsCleanly) {
  DamageInEveryWay(ConvertTrueTypeToType1, ReadBytes(kLiberationDir / "LiberationMono-Regular.ttf"), "ttf");
}

TEST(MalformedFonts, DamagedTrueTypeFailsCleanlyAsPcl) {
  DamageInEveryWay(ConvertTrueTypeToPclTrueType, ReadBytes(kDejaVuSans.parent_path() / "DejaVuSansMono-Bold.ttf"),
                   "ttf to pcl");
}

TEST(MalformedFonts, DamagedType1ProgramFailsCleanly) {
  ScratchDir dir;
  const fs::path program = dir / "program.txt";
  ASSERT_EQ(ConvertTrueTypeToType1(kDejaVuSans.c_str(), program.c_str()), 0);
  const std::string text = ReadBytes(program);
  DamageInEveryWay(Finish, text, "program");

  // Each fault a hand-edited or cut program can have.
  const std::size_t glyphs = text.find("/CharStrings");
  for (const auto& [label, damaged] : std::initializer_list<std::pair<const char*, std::string>>{
           {"no eexec line", std::string(text).replace(text.find("currentfile eexec"), 17, "")},
           {"no closefile", text.substr(0, text.find("mark currentfile closefile"))},
           {"unknown command", std::string(text).insert(text.find("hsbw", glyphs) + 4, "\n\tfly")},
           {"huge number", std::string(text).insert(text.find("hsbw", glyphs) + 4, "\n\t99999999999 pop")},
           {"open charstring", text.substr(0, text.find("} ND", glyphs))}}) {
    ExpectCleanOutcome(Finish, dir, damaged, label);
    const fs::path output = dir / "out.pfa";
    EXPECT_FALSE(fs::exists(output)) << label;
  }
}

TEST(MalformedFonts, FontsWithoutOutlinesAreNotConverted) {
  ScratchDir dir;
  const fs::path output = dir / "out.tmp";
  for (const fs::path& input : {fs::path("/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf"),
                               kUrwType1Dir / "NimbusSans-Regular.pfb", dir.path()}) {
    EXPECT_NE(ConvertTrueTypeToType1(input.c_str(), output.c_str()), 0) << input;
    EXPECT_FALSE(fs::exists(output)) << input;
  }
}

}  // namespace
