#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/registry.h"
#include "temp_system.h"

namespace {

constexpr const char* kInfrastructure = "Software\\Ostrel\\Pivotline\\Infrastructure\\";

void SetText(const std::string& section, const char* name, const char* text) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kInfrastructure + section).c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                           static_cast<DWORD>(std::strlen(text) + 1)),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

void SetNumber(const std::string& section, const char* name, DWORD value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kInfrastructure + section).c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(
      RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value),
      ERROR_SUCCESS);
  RegCloseKey(key);
}

bool IsLoaded(const char* path) {
  void* module = dlopen(path, RTLD_LAZY | RTLD_NOLOAD);
  if (module == nullptr) return false;
  dlclose(module);
  return true;
}

template <typename Function>
Function Find(void* library, const char* name) {
  return reinterpret_cast<Function>(dlsym(library, name));
}

// The library's start reads its settings and loads the debugger when the
// loader maps it; its end unloads the debugger when the loader unmaps it.
TEST(LibraryLoad, StartAndEndRunWithTheLoader) {
  tessel_test::ClearFamilyKeys();
  SetText("QRTL", "LoggingUpperThreshold", "400");
  SetText("QRTL", "LoggingLowerThreshold", "200");
  SetText("QDebug", "ReleaseDll", TESSEL_TEST_DEBUGGER);
  SetNumber("QDEBUG", "Enabled", 1);
  ASSERT_FALSE(IsLoaded(TESSEL_TEST_DEBUGGER));

  void* library = dlopen(TESSEL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  EXPECT_TRUE(IsLoaded(TESSEL_TEST_DEBUGGER));

  auto enable = Find<int32_t (*)(const char*, int32_t, int32_t)>(library, "QRTLEnableLogging");
  auto write = Find<int32_t (*)(int32_t, int32_t, const char*)>(library, "QRTLWriteToLog");
  auto disable = Find<int32_t (*)()>(library, "QRTLDisableLogging");
  ASSERT_TRUE(enable && write && disable);
  const std::string log = tessel_test::TempDirectory() + "/load.log";
  ASSERT_EQ(enable(log.c_str(), 15, 1), 0);
  for (int i = 0; i < 20; ++i) ASSERT_EQ(write(6, 4, "a line of forty bytes"), 0);
  EXPECT_EQ(disable(), 0);
  EXPECT_LE(std::filesystem::file_size(log), 400u);

  EXPECT_EQ(dlclose(library), 0);
  EXPECT_FALSE(IsLoaded(TESSEL_LIBRARY));
  EXPECT_FALSE(IsLoaded(TESSEL_TEST_DEBUGGER));
  std::filesystem::remove(log);
  tessel_test::ClearFamilyKeys();
}

}  // namespace
