#include "temp_system.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/profile.h"
#include "platform/registry.h"

namespace tessel_test {
namespace {

std::string g_directory;

class TempSystem : public ::testing::Environment {
 public:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "tessel-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    g_directory = pattern;
    setenv(PLATFORM_REGISTRY_HKLM_ENV, (g_directory + "/hklm.sqlite").c_str(), 1);
    setenv(PLATFORM_REGISTRY_HKCU_ENV, (g_directory + "/hkcu.sqlite").c_str(), 1);
    setenv(PLATFORM_WINDOWS_DIR_ENV, g_directory.c_str(), 1);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(g_directory, ignored);
  }
};

[[maybe_unused]] auto* const g_environment = ::testing::AddGlobalTestEnvironment(new TempSystem);

bool DeleteTree(HKEY parent, const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(parent, name, 0, KEY_READ, &key) != ERROR_SUCCESS) return true;
  char child[PLATFORM_REGISTRY_MAX_KEY_NAME + 1];
  DWORD size = sizeof child;
  while (RegEnumKeyExA(key, 0, child, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
         DeleteTree(key, child)) {
    size = sizeof child;
  }
  RegCloseKey(key);
  return RegDeleteKeyA(parent, name) == ERROR_SUCCESS;
}

}  // namespace

const std::string& TempDirectory() { return g_directory; }

std::string WriteTempFile(const std::string& name, const std::string& content) {
  const std::string path = g_directory + "/" + name;
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
  return path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void ClearFamilyKeys() {
  for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) DeleteTree(hive, "Software\\Ostrel");
}

}  // namespace tessel_test
