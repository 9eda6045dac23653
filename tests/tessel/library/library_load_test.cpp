#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/thread.h"
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

size_t Occurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

void Ignore(int32_t, int32_t, uintptr_t, uintptr_t, uintptr_t) {}

// With no thread-local slot left the runtime services cannot start. The
// library loads all the same, says why once on standard error, and answers
// every call with a status.
TEST(LibraryLoad, AFailedStartLeavesTheLibraryLoadedButFailed) {
  tessel_test::ClearFamilyKeys();
  std::vector<DWORD> slots;
  for (DWORD slot = TlsAlloc(); slot != TLS_OUT_OF_INDEXES; slot = TlsAlloc()) {
    slots.push_back(slot);
  }
  testing::internal::CaptureStderr();
  void* library = dlopen(TESSEL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  for (DWORD slot : slots) TlsFree(slot);
  ASSERT_NE(library, nullptr) << dlerror();

  auto install = Find<void* (*)(void (*)(int32_t, int32_t, uintptr_t, uintptr_t, uintptr_t),
                                uintptr_t, int32_t*)>(library, "QRTLInstallEventHandler");
  auto generate =
      Find<int32_t (*)(int32_t, int32_t, uintptr_t, uintptr_t)>(library, "QRTLGenerateEvent");
  auto enable = Find<int32_t (*)(const char*, int32_t, int32_t)>(library, "QRTLEnableLogging");
  auto write = Find<int32_t (*)(int32_t, int32_t, const char*)>(library, "QRTLWriteToLog");
  auto enabled = Find<int32_t (*)()>(library, "QRTLIsLoggingEnabled");
  auto disable = Find<int32_t (*)()>(library, "QRTLDisableLogging");
  auto cleanedUp = Find<int32_t (*)()>(library, "QRTLValidateCleanup");
  ASSERT_TRUE(install && generate && enable && write && enabled && disable && cleanedUp);
  int32_t status = 0;
  EXPECT_EQ(install(Ignore, 0, &status), nullptr);
  EXPECT_EQ(status, -602);
  EXPECT_EQ(generate(301, 3, 0, 0), 0);
  const std::string log = tessel_test::TempDirectory() + "/failed.log";
  EXPECT_EQ(enable(log.c_str(), 15, 1), -602);
  EXPECT_FALSE(std::filesystem::exists(log));
  EXPECT_EQ(write(6, 1, "dropped"), 601);
  EXPECT_EQ(enabled(), 0);
  EXPECT_EQ(disable(), 0);
  EXPECT_EQ(cleanedUp(), 1);
  EXPECT_EQ(dlclose(library), 0);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(Occurrences(said, "tessel: "), 1u) << said;
  EXPECT_NE(said.find("thread-local slot"), std::string::npos) << said;
  EXPECT_FALSE(IsLoaded(TESSEL_LIBRARY));
}

}  // namespace
