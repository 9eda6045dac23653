#include "printers/model_profile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <string>

#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

// A profile file in a fresh temporary folder, read by its full path.
class ProfileFile {
 public:
  explicit ProfileFile(const std::string& text) : path_(dir_.file("QPntStrPrfl.ini")) {
    std::ofstream(path_) << text;
  }
  const char* path() const { return path_.c_str(); }

 private:
  TempDir dir_;
  std::string path_;
};

std::string Model(const std::string& name, const std::string& systemId,
                  const std::string& storage, const std::string& snmpLevel,
                  const std::string& extra = "") {
  std::string text = "[" + name + "]\n";
  if (!systemId.empty()) text += "SystemID=" + systemId + "\n";
  if (!storage.empty()) text += "StorageIndex=" + storage + "\n";
  if (!snmpLevel.empty()) text += "SNMPLevel=" + snmpLevel + "\n";
  return text + extra;
}

std::string Header(int number) {
  return "[NumberOfPrinters]\nnumber=" + std::to_string(number) + "\n[Skipped]\nanything=1\n";
}

TEST(LoadModelProfiles, ReadsCompleteModelsWithTheirDefaults) {
  ProfileFile file(Header(3) +
                   Model("Alpha", "1.3.6.1.4.1.32473.1.1", "1", "2",
                         "FontNameIndex=3\nPCLList=1\n") +
                   Model("Beta", "1.3.6.1.4.1.32473.1.2", "1 1", "1") +
                   Model("Gamma", "1.3.6.1.4.1.32473.1.3", "0", "-4", "PCLList= 7\n"));
  ModelProfileTable table;
  ASSERT_EQ(LoadModelProfiles(table, file.path()), 3);
  EXPECT_EQ(table.modelCount, 3);

  const ModelProfile& alpha = table.profiles[0];
  EXPECT_STREQ(alpha.modelName, "Alpha");
  EXPECT_STREQ(alpha.systemId, "1.3.6.1.4.1.32473.1.1");
  EXPECT_EQ(alpha.snmpLevel, 2);
  EXPECT_EQ(alpha.fontNameIndex, 3);
  EXPECT_EQ(alpha.pclList, 1);

  const ModelProfile& beta = table.profiles[1];
  EXPECT_EQ(beta.storageFirst, 1);
  EXPECT_EQ(beta.storageSecond, 1);
  EXPECT_EQ(beta.fontNameIndex, 1) << "FontNameIndex absent";
  EXPECT_EQ(beta.pclList, 0) << "PCLList absent";

  EXPECT_EQ(table.profiles[2].snmpLevel, -4);
  EXPECT_EQ(table.profiles[2].pclList, 7);
}

TEST(LoadModelProfiles, AMissingRequiredValueEndsTheReadingAtThatModel) {
  struct Case {
    const char* what;
    std::string second;
  };
  const Case cases[] = {
      {"no SNMPLevel", Model("Beta", "1.2", "1", "")},
      {"no SystemID", Model("Beta", "", "1", "1")},
      {"no StorageIndex", Model("Beta", "1.2", "", "1")},
      {"SystemID reads Not found", Model("Beta", "Not found", "1", "1")},
      {"empty section name", Model("", "1.2", "1", "1")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ProfileFile file(Header(3) + Model("Alpha", "1.1", "1", "1") + c.second +
                     Model("Gamma", "1.3", "1", "1"));
    ModelProfileTable table;
    EXPECT_EQ(LoadModelProfiles(table, file.path()), 1);
    EXPECT_STREQ(table.profiles[0].modelName, "Alpha");
  }
}

TEST(LoadModelProfiles, StorageIndexGivesTwoEightBitNumbers) {
  struct Case {
    const char* text;
    int first;
    int second;
  };
  const Case cases[] = {
      {"1", 1, 0}, {"1 1", 1, 1}, {"1,1", 1, 0}, {"12", 12, 0},
      {"0 1", 0, 1}, {"3 4", 3, 4}, {"x", 0, 0}, {"300", 44, 0},
  };
  std::string text = Header(static_cast<int>(std::size(cases)));
  for (size_t i = 0; i < std::size(cases); ++i) {
    text += Model("M" + std::to_string(i), "1." + std::to_string(i), cases[i].text, "1");
  }
  ProfileFile file(text);
  ModelProfileTable table;
  ASSERT_EQ(LoadModelProfiles(table, file.path()), static_cast<int>(std::size(cases)));
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].text);
    EXPECT_EQ(table.profiles[i].storageFirst, cases[i].first);
    EXPECT_EQ(table.profiles[i].storageSecond, cases[i].second);
  }
}

TEST(LoadModelProfiles, TheDeclaredNumberBoundsTheReading) {
  std::string models = Model("Alpha", "1.1", "1", "1") + Model("Beta", "1.2", "1", "1") +
                       Model("Gamma", "1.3", "1", "1");
  ModelProfileTable table;
  {
    ProfileFile extra(Header(2) + models);
    EXPECT_EQ(LoadModelProfiles(table, extra.path()), 2) << "sections past N + 2 are ignored";
  }
  for (const char* number : {"0", "-5", "many"}) {
    ProfileFile file("[NumberOfPrinters]\nnumber=" + std::string(number) + "\n[S]\n" + models);
    EXPECT_EQ(LoadModelProfiles(table, file.path()), 0) << number;
    EXPECT_EQ(table.modelCount, 0);
  }
  {
    // Names longer than 20 characters a model, and a single model behind
    // the usual first two sections, are all read.
    ProfileFile longNames(Header(2) + Model("A rather long model name", "1.1", "1", "1") +
                          Model("Another long model name", "1.2", "1", "1"));
    EXPECT_EQ(LoadModelProfiles(table, longNames.path()), 2);
    ProfileFile oneModel(Header(1) + Model("Alpha", "1.1", "1", "1"));
    EXPECT_EQ(LoadModelProfiles(table, oneModel.path()), 1);
  }
}

TEST(LoadModelProfiles, AbsentFileOrCountGivesNoModels) {
  ModelProfileTable table;
  table.modelCount = 9;
  EXPECT_EQ(LoadModelProfiles(table, "/tmp/gly-no-such-dir/QPntStrPrfl.ini"), 0);
  EXPECT_EQ(table.modelCount, 0);
  EXPECT_TRUE(table.profiles.empty());

  ProfileFile noCount("[Printers]\nnumber=3\n" + Model("Alpha", "1.1", "1", "1"));
  EXPECT_EQ(LoadModelProfiles(table, noCount.path()), 0);
}

TEST(LoadModelProfiles, LongNamesAndValuesAreCutButStillRead) {
  std::string longName(45, 'N');
  std::string longId = "1.3.6.1.4.1.32473." + std::string(40, '7');
  ProfileFile file(Header(5) + Model(longName, longId, "1", "1"));
  ModelProfileTable table;
  ASSERT_EQ(LoadModelProfiles(table, file.path()), 1);
  EXPECT_EQ(std::string(table.profiles[0].modelName), longName.substr(0, 39));
  EXPECT_EQ(std::string(table.profiles[0].systemId), longId.substr(0, 39));
}

TEST(LoadModelProfiles, TheShippedProfileFileIsComplete) {
  // The build copies the shipped file next to every program, tests included.
  std::string path = (fs::canonical("/proc/self/exe").parent_path() / "QPntStrPrfl.ini").string();
  ModelProfileTable table;
  ASSERT_EQ(LoadModelProfiles(table, path.c_str()), 5);
  for (int i = 0; i < table.modelCount; ++i) {
    EXPECT_EQ(std::string(table.profiles[i].systemId).rfind("1.3.6.1.4.1.32473.", 0), 0u)
        << table.profiles[i].modelName;
  }
}

TEST(ParseProfileNumber, ReadsLeadingDecimalDigits) {
  EXPECT_EQ(ParseProfileNumber("42"), 42);
  EXPECT_EQ(ParseProfileNumber("  \t+17abc"), 17);
  EXPECT_EQ(ParseProfileNumber(" -8 9"), -8);
  EXPECT_EQ(ParseProfileNumber("abc"), 0);
  EXPECT_EQ(ParseProfileNumber(""), 0);
  EXPECT_EQ(ParseProfileNumber("- 5"), 0);
  EXPECT_EQ(ParseProfileNumber("99999999999"), INT_MAX);
  EXPECT_EQ(ParseProfileNumber("-99999999999"), INT_MIN);
}

}  // namespace
