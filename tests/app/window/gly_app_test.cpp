#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "printers/app_directory.h"
#include "shell/gly_app.h"
#include "ui/resource_module.h"

namespace {

class RecordingAppHost final : public GlyAppHost {
 public:
  bool InitSockets() override { return socketsWork; }
  void ShowStartupMessage(const char* text) override { messages.push_back(text); }
  void RunMainWindow() override {
    ++mainWindowRuns;
    // While the window runs, every resource is found in the library.
    textDuringRun = LoadResourceString(32794);
  }

  bool socketsWork = true;
  std::vector<std::string> messages;
  int mainWindowRuns = 0;
  std::string textDuringRun;
};

// Tests run from the program directory, beside the built library.
std::string BuiltResourceLibrary() { return DefaultResourceLibraryPath(); }

TEST(GlyApp, MissingResourceLibraryEndsTheProgramWithTheProgramsOwnMessage) {
  RecordingAppHost host;
  EXPECT_NE(RunGlyApp(host, "/nonexistent/" GLY_RESOURCE_LIBRARY_FILE), 0);
  EXPECT_EQ(host.messages, std::vector<std::string>{"Resource not found"});
  EXPECT_EQ(host.mainWindowRuns, 0);
}

TEST(GlyApp, SocketFailureComesFirst) {
  RecordingAppHost host;
  host.socketsWork = false;
  EXPECT_NE(RunGlyApp(host, BuiltResourceLibrary()), 0);
  EXPECT_EQ(host.messages, std::vector<std::string>{"Windows sockets initialization failed."});
  EXPECT_EQ(host.mainWindowRuns, 0);
  EXPECT_FALSE(HasResourceModule());
}

TEST(GlyApp, RunsTheMainWindowWithTheResourcesAndReleasesThemAtTheEnd) {
  FreeResourceModule();
  RecordingAppHost host;
  EXPECT_EQ(RunGlyApp(host, BuiltResourceLibrary()), 0);
  EXPECT_EQ(host.mainWindowRuns, 1);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(host.textDuringRun, "Please select a Printer and try again.");
  EXPECT_FALSE(HasResourceModule());
  EXPECT_STRNE(AppDirectory(), "");
}

TEST(GlyApp, ResourceLibraryIsLookedForBesideTheProgram) {
  ASSERT_TRUE(InitAppDirectory());
  EXPECT_EQ(DefaultResourceLibraryPath(), AppFilePath(GLY_RESOURCE_LIBRARY_FILE));
  if (const char* binaryDir = std::getenv("GLY_BINARY_DIR")) {
    EXPECT_EQ(DefaultResourceLibraryPath(), std::string(binaryDir) + "/" GLY_RESOURCE_LIBRARY_FILE);
  }
}

// In the build tree the data files lie beside the program, and start-up
// hands that folder to the platform, where the model profiles are read.
TEST(GlyApp, SetupCheckFindsTheDataBesideTheProgramInTheBuildTree) {
  std::ostringstream out;
  EXPECT_EQ(CheckGlySetup(out, DefaultResourceLibraryPath()), 0) << out.str();
  EXPECT_STREQ(AppDataDirectory(), AppDirectory());
  EXPECT_NE(out.str().find("printer models: 5\n"), std::string::npos) << out.str();
  EXPECT_FALSE(HasResourceModule());

  std::ostringstream missing;
  EXPECT_EQ(CheckGlySetup(missing, "/nonexistent/" GLY_RESOURCE_LIBRARY_FILE), 1);
  EXPECT_NE(missing.str().find("(cannot be loaded)"), std::string::npos);
}

}  // namespace
