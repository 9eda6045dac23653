#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry.h"
#include "runtime_fixture.h"
#include "tessel/qrtl.h"

namespace {

using ProfileStore = RuntimeTest;

constexpr int kScope = 3;

bool KeyExists(HKEY hive, const char* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(hive, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

TEST_F(ProfileStore, TextThatJustFitsAndJustDoesNot) {
  ASSERT_EQ(QRTLWriteProfileEntry("Sect", "Name", "abcd", kScope), 0);
  char buffer[8] = "-------";
  EXPECT_EQ(QRTLGetProfileEntry("Sect", "Name", "", buffer, 5, kScope), 0);
  EXPECT_STREQ(buffer, "abcd");
  EXPECT_EQ(QRTLGetProfileEntry("Sect", "Name", "", buffer, 4, kScope), QRTLERR_TOO_BIG);
}

TEST_F(ProfileStore, DefaultThatJustFitsAndJustDoesNot) {
  char buffer[8] = "-------";
  EXPECT_EQ(QRTLGetProfileEntry("Sect", "Missing", "abc", buffer, 4, kScope), 0);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(QRTLGetProfileEntry("Missing", "Missing", "abcd", buffer, 4, kScope), QRTLERR_TOO_BIG);
  ASSERT_EQ(QRTLWriteProfileEntry("Sect", "Other", "x", kScope), 0);
  EXPECT_EQ(QRTLGetProfileEntry("Sect", "Missing", "abcd", buffer, 4, kScope), QRTLERR_TOO_BIG);
}

TEST_F(ProfileStore, TypesDoNotMix) {
  ASSERT_EQ(QRTLWriteProfileInt("Sect", "Number", -7, kScope), 0);
  ASSERT_EQ(QRTLWriteProfileEntry("Sect", "Text", "12", kScope), 0);
  EXPECT_EQ(QRTLGetProfileInt("Sect", "Number", 5, kScope), -7);
  EXPECT_EQ(QRTLGetProfileInt("Sect", "Text", 5, kScope), 5);
  char buffer[16];
  EXPECT_EQ(QRTLGetProfileEntry("Sect", "Number", "", buffer, sizeof buffer, kScope),
            QRTLERR_BAD_TYPE);
  // Names match without case.
  EXPECT_EQ(QRTLGetProfileInt("SECT", "number", 5, kScope), -7);
}

TEST_F(ProfileStore, UnsupportedScopesAndBadArguments) {
  char buffer[16];
  for (int scope : {-1, 9, 10, 12, 1000}) {
    EXPECT_EQ(QRTLWriteProfileEntry("Sect", "Name", "v", scope), QRTLERR_NOT_SUPPORTED);
    EXPECT_EQ(QRTLWriteProfileInt("Sect", "Name", 1, scope), QRTLERR_NOT_SUPPORTED);
    EXPECT_EQ(QRTLGetProfileEntry("Sect", "Name", "d", buffer, sizeof buffer, scope),
              QRTLERR_NOT_SUPPORTED);
    EXPECT_EQ(QRTLGetProfileInt("Sect", "Name", 42, scope), 42);
    EXPECT_EQ(QRTLDeleteProfileEntry("Sect", "Name", scope), QRTLERR_NOT_SUPPORTED);
    EXPECT_EQ(QRTLCountEntriesInSection("Sect", scope), 0);
  }
  EXPECT_EQ(QRTLGetProfileEntry("", "Name", "d", buffer, sizeof buffer, kScope),
            QRTLERR_INVALID_PARAM);
  EXPECT_EQ(QRTLGetProfileEntry("Sect", nullptr, "d", buffer, sizeof buffer, kScope),
            QRTLERR_INVALID_PARAM);
  EXPECT_EQ(QRTLGetProfileEntry("Sect", "Name", nullptr, buffer, sizeof buffer, kScope),
            QRTLERR_INVALID_PARAM);
  EXPECT_EQ(QRTLGetProfileEntry("Sect", "Name", "d", buffer, 0, kScope), QRTLERR_INVALID_PARAM);
  EXPECT_EQ(QRTLWriteProfileEntry("Sect", "Name", nullptr, kScope), QRTLERR_INVALID_PARAM);
  EXPECT_EQ(QRTLEnumProfileSection("Sect", nullptr, nullptr, 1, kScope), QRTLERR_INVALID_PARAM);
}

// Every supported scope has its own base key; a value written in one is
// read back there and nowhere else.
TEST_F(ProfileStore, ScopesLandOnTheirKeys) {
  struct Case {
    int scope;
    HKEY hive;
    const char* base;
  };
  const Case cases[] = {
      {0, HKEY_LOCAL_MACHINE, "Client"},
      {1, HKEY_CURRENT_USER, "Client"},
      {2, HKEY_LOCAL_MACHINE, "Infrastructure"},
      {3, HKEY_CURRENT_USER, "Infrastructure"},
      {4, HKEY_LOCAL_MACHINE, "PDK\\Debug"},
      {5, HKEY_CURRENT_USER, "PDK\\Debug"},
      {6, HKEY_LOCAL_MACHINE, "PDK"},
      {7, HKEY_CURRENT_USER, "PDK"},
      {8, HKEY_LOCAL_MACHINE, "PDK\\Installed Products"},
      {11, HKEY_LOCAL_MACHINE, "Client\\Debug"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(QRTLWriteProfileInt("S", "E", 100 + c.scope, c.scope), 0) << c.scope;
    const std::string key = std::string("Software\\Ostrel\\Pivotline\\") + c.base + "\\S";
    EXPECT_TRUE(KeyExists(c.hive, key.c_str())) << c.scope;
  }
  for (const Case& c : cases) {
    EXPECT_EQ(QRTLGetProfileInt("S", "E", 0, c.scope), 100 + c.scope) << c.scope;
    EXPECT_EQ(QRTLCountEntriesInSection("S", c.scope), 1) << c.scope;
  }
}

TEST_F(ProfileStore, DeletingTheLastEntryRemovesTheSection) {
  ASSERT_EQ(QRTLWriteProfileEntry("Gone", "A", "1", kScope), 0);
  ASSERT_EQ(QRTLWriteProfileEntry("Gone", "B", "2", kScope), 0);
  EXPECT_EQ(QRTLCountEntriesInSection("Gone", kScope), 2);
  EXPECT_EQ(QRTLDeleteProfileEntry("Gone", "A", kScope), 0);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Ostrel\\Pivotline\\Infrastructure\\Gone"));
  EXPECT_EQ(QRTLDeleteProfileEntry("Gone", "B", kScope), 0);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Ostrel\\Pivotline\\Infrastructure\\Gone"));
  EXPECT_EQ(QRTLCountEntriesInSection("Gone", kScope), 0);
  EXPECT_EQ(QRTLDeleteProfileEntry("Gone", "B", kScope), QRTLERR_UNAVAILABLE);
}

TEST_F(ProfileStore, FailedDeleteStillRemovesAnEmptySection) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Ostrel\\Pivotline\\Infrastructure\\Empty",
                            0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(QRTLDeleteProfileEntry("Empty", "Nothing", kScope), QRTLERR_WRITE_PROFILE);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Ostrel\\Pivotline\\Infrastructure\\Empty"));
}

struct Visit {
  std::vector<std::pair<std::string, std::string>> seen;
  size_t stopAfter = 0;
};

int32_t Collect(void* context, const char* entry, const char* text) {
  auto* visit = static_cast<Visit*>(context);
  visit->seen.emplace_back(entry, text);
  return visit->seen.size() == visit->stopAfter ? 1 : 0;
}

TEST_F(ProfileStore, EnumerationVisitsTextEntriesOnly) {
  ASSERT_EQ(QRTLWriteProfileEntry("List", "First", "one", kScope), 0);
  ASSERT_EQ(QRTLWriteProfileInt("List", "Number", 3, kScope), 0);
  ASSERT_EQ(QRTLWriteProfileEntry("List", "Second", "a longer text", kScope), 0);

  Visit all;
  EXPECT_EQ(QRTLEnumProfileSection("List", Collect, &all, 1, kScope), 0);
  const std::vector<std::pair<std::string, std::string>> expected = {{"First", "one"},
                                                                     {"Second", "a longer text"}};
  EXPECT_EQ(all.seen, expected);

  Visit namesOnly;
  EXPECT_EQ(QRTLEnumProfileSection("List", Collect, &namesOnly, 0, kScope), 0);
  ASSERT_EQ(namesOnly.seen.size(), 2u);
  EXPECT_EQ(namesOnly.seen[1].second, "");

  Visit stopped;
  stopped.stopAfter = 1;
  EXPECT_EQ(QRTLEnumProfileSection("List", Collect, &stopped, 1, kScope), QRTLWARN_CANCELLED);
  EXPECT_EQ(stopped.seen.size(), 1u);

  EXPECT_EQ(QRTLEnumProfileSection("Nowhere", Collect, &all, 1, kScope), QRTLERR_UNAVAILABLE);
}

// A hive file another user made is not used: every call says why, and the
// getter of numbers falls back on its default.
TEST_F(ProfileStore, AHiveOfAnotherUserIsRefused) {
  const std::string planted = tessel_test::WriteTempFile("planted.sqlite", "");
  ASSERT_EQ(chown(planted.c_str(), 65534, 65534), 0);
  const std::string own = std::getenv(PLATFORM_REGISTRY_HKCU_ENV);
  setenv(PLATFORM_REGISTRY_HKCU_ENV, planted.c_str(), 1);
  char buffer[16];
  EXPECT_EQ(QRTLGetProfileEntry("Sect", "Name", "d", buffer, sizeof buffer, kScope),
            QRTLERR_UNTRUSTED_PROFILE);
  EXPECT_EQ(QRTLWriteProfileEntry("Sect", "Name", "v", kScope), QRTLERR_UNTRUSTED_PROFILE);
  EXPECT_EQ(QRTLGetProfileInt("Sect", "Name", 42, kScope), 42);
  setenv(PLATFORM_REGISTRY_HKCU_ENV, own.c_str(), 1);
  EXPECT_EQ(tessel_test::ReadFile(planted), "");
}

}  // namespace
