#include <dlfcn.h>
#include <gtest/gtest.h>

#include "platform/module.h"
#include "runtime_fixture.h"
#include "tessel/qrtl.h"

namespace {

constexpr int kScope = 2;

bool IsLoaded() {
  void* module = dlopen(TESSEL_TEST_DEBUGGER, RTLD_LAZY | RTLD_NOLOAD);
  if (module == nullptr) return false;
  dlclose(module);
  return true;
}

class Debugger : public RuntimeTest {
 protected:
  void Configure(const char* path, int32_t enabled) {
    ASSERT_EQ(QRTLWriteProfileEntry("QDebug", "ReleaseDll", path, kScope), 0);
    ASSERT_EQ(QRTLWriteProfileInt("QDEBUG", "Enabled", enabled, kScope), 0);
  }
};

TEST_F(Debugger, NothingLoadsUnlessEnabledAndNamed) {
  Configure("", 1);
  EXPECT_EQ(QRTLLoadDebugger(), 0);
  Configure(TESSEL_TEST_DEBUGGER, 0);
  EXPECT_EQ(QRTLLoadDebugger(), 0);
  Configure("/no/such/library.so", 1);
  EXPECT_EQ(QRTLLoadDebugger(), 0);
  EXPECT_EQ(QRTLUnloadDebugger(), 0);
  EXPECT_FALSE(IsLoaded());
}

TEST_F(Debugger, LoadsAreCountedAndTheLastUnloadFreesTheLibrary) {
  Configure(TESSEL_TEST_DEBUGGER, 1);
  EXPECT_EQ(QRTLLoadDebugger(), 1);
  EXPECT_EQ(QRTLLoadDebugger(), 1);
  EXPECT_TRUE(IsLoaded());
  EXPECT_EQ(QRTLUnloadDebugger(), 1);
  EXPECT_TRUE(IsLoaded());
  EXPECT_NE(QRTLUnloadDebugger(), 0);
  EXPECT_FALSE(IsLoaded());
  EXPECT_EQ(QRTLUnloadDebugger(), 0);
}

TEST_F(Debugger, ALoadedDebugBuildBlocksTheReleaseBuild) {
  static const PlatformExport kNoExports[] = {{nullptr, nullptr}};
  static const PlatformModuleTable kDebugBuild = {"QDEBUGD.DLL", kNoExports};
  ASSERT_TRUE(PlatformReplaceModule(&kDebugBuild));
  Configure(TESSEL_TEST_DEBUGGER, 1);
  ASSERT_EQ(QRTLWriteProfileEntry("QDebug", "DebugDll", "qdebugd", kScope), 0);

  HMODULE debugBuild = LoadLibraryA("QDEBUGD.DLL");
  ASSERT_NE(debugBuild, nullptr);
  EXPECT_EQ(QRTLLoadDebugger(), 0);
  EXPECT_FALSE(IsLoaded());

  FreeLibrary(debugBuild);
  EXPECT_EQ(QRTLLoadDebugger(), 1);
  QRTLUnloadDebugger();
  PlatformRestoreModule("QDEBUGD.DLL");
}

TEST_F(Debugger, EntryPointsAreResolvedByName) {
  QRTLProc init = nullptr;
  QRTLProc missing = reinterpret_cast<QRTLProc>(&IsLoaded);
  QRTLProc record = nullptr;
  const QRTLEntryPoint table[] = {{"QDEBUGInit", &init},
                                  {"QDEBUGNoSuchThing", &missing},
                                  {"QDEBUGRecordEvent", &record},
                                  {nullptr, nullptr}};
  EXPECT_EQ(QRTLGetDebugEntryPoints(table), 0);
  EXPECT_EQ(init, nullptr);

  Configure(TESSEL_TEST_DEBUGGER, 1);
  ASSERT_EQ(QRTLLoadDebugger(), 1);
  EXPECT_EQ(QRTLGetDebugEntryPoints(table), 0);
  EXPECT_NE(init, nullptr);
  EXPECT_EQ(missing, nullptr);
  EXPECT_NE(record, nullptr);
  EXPECT_EQ(QRTLGetDebugEntryPoints(&table[2]), 1);
  QRTLUnloadDebugger();
}

TEST_F(Debugger, LibraryStartLoadsItAndLibraryEndUnloadsIt) {
  Configure(TESSEL_TEST_DEBUGGER, 1);
  Restart();
  EXPECT_TRUE(IsLoaded());
  tessel::qrtl::StopRuntimeServices();
  EXPECT_FALSE(IsLoaded());
  ASSERT_TRUE(tessel::qrtl::StartRuntimeServices());
  EXPECT_TRUE(IsLoaded());
}

}  // namespace
