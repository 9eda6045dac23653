#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/registry.h"
#include "temp_dir.h"

namespace {

class RegistryTest : public ::testing::Test {
 protected:
  RegistryTest()
      : machine_(PLATFORM_REGISTRY_HKLM_ENV, dir_.file("hklm.sqlite")),
        user_(PLATFORM_REGISTRY_HKCU_ENV, dir_.file("hkcu.sqlite")) {}

  static HKEY create(HKEY parent, const char* path, DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &key, disposition),
              ERROR_SUCCESS);
    return key;
  }

  static LONG set_text(HKEY key, const char* name, const char* text) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(std::strlen(text) + 1));
  }

  static LONG set_number(HKEY key, const char* name, DWORD number) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                          sizeof(number));
  }

  static std::string text(HKEY key, const char* name) {
    char buffer[256] = {};
    DWORD size = sizeof(buffer);
    DWORD type = REG_NONE;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
      return "<none>";
    }
    return std::string(buffer, size);
  }

  TempDir dir_;
  EnvOverride machine_;
  EnvOverride user_;
};

TEST_F(RegistryTest, ValuesRoundTripUnderNamesWithoutCase) {
  DWORD disposition = 0;
  HKEY client = create(HKEY_CURRENT_USER, "Software\\Ostrel\\Pivotline\\Client", &disposition);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  ASSERT_EQ(set_text(client, "Log File", "C:\\qrtl.log"), ERROR_SUCCESS);
  ASSERT_EQ(set_number(client, "Level", 3), ERROR_SUCCESS);
  ASSERT_EQ(RegCloseKey(client), ERROR_SUCCESS);

  HKEY again = create(HKEY_CURRENT_USER, "SOFTWARE\\ostrel\\PIVOTLINE\\client", &disposition);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  EXPECT_EQ(text(again, "LOG FILE"), std::string("C:\\qrtl.log", 12));  // stored with its NUL
  DWORD number = 0, size = sizeof(number), type = REG_NONE;
  EXPECT_EQ(RegQueryValueExA(again, "level", nullptr, &type, reinterpret_cast<BYTE*>(&number),
                             &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(number, 3u);
  ASSERT_EQ(set_text(again, "LOG file", "other"), ERROR_SUCCESS);  // replaces, does not add
  DWORD values = 0;
  ASSERT_EQ(RegQueryInfoKeyA(again, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                             nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(values, 2u);
  RegCloseKey(again);

  // The hives are separate files; each starts with "Software".
  HKEY machine = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &machine), ERROR_SUCCESS);
  RegCloseKey(machine);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Ostrel", 0, KEY_READ, &machine),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(machine, nullptr);
}

TEST_F(RegistryTest, QueriesReportSizesAndRefuseSmallBuffers) {
  HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\Sizes");
  ASSERT_EQ(set_text(key, "Name", "abcdef"), ERROR_SUCCESS);
  DWORD size = 0, type = REG_NONE;
  EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 7u);
  EXPECT_EQ(type, REG_SZ);

  char buffer[8] = {};
  size = 6;
  EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 7u);
  EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(buffer, "abcdef");
  EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                             nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegQueryValueExA(key, "Absent", nullptr, nullptr, nullptr, &size),
            ERROR_FILE_NOT_FOUND);

  // Empty data and the unnamed default value are values like any other.
  ASSERT_EQ(RegSetValueExA(key, nullptr, 0, REG_SZ, nullptr, 0), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(key, "", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(RegSetValueExA(key, "Bad", 0, REG_SZ, nullptr, 4), ERROR_INVALID_PARAMETER);
  RegCloseKey(key);
}

TEST_F(RegistryTest, DeletingKeysAndValues) {
  HKEY parent = create(HKEY_LOCAL_MACHINE, "Software\\Parent");
  HKEY child = create(parent, "Child");
  ASSERT_EQ(set_text(child, "Entry", "x"), ERROR_SUCCESS);

  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Parent"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueA(child, "ENTRY"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(child, "Entry"), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(set_text(child, "Entry", "y"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(parent, "CHILD"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(parent, "Child"), ERROR_FILE_NOT_FOUND);

  // A handle on a deleted key fails from then on, even after a key of the
  // same name is made again.
  HKEY recreated = create(parent, "Child");
  EXPECT_EQ(text(recreated, "Entry"), "<none>");  // its values went with it
  EXPECT_EQ(set_text(child, "Entry", "z"), ERROR_KEY_DELETED);
  EXPECT_EQ(RegQueryValueExA(child, "Entry", nullptr, nullptr, nullptr, nullptr),
            ERROR_KEY_DELETED);
  EXPECT_EQ(RegCloseKey(child), ERROR_SUCCESS);
  RegCloseKey(recreated);
  EXPECT_EQ(RegDeleteKeyA(parent, "Child"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Parent"), ERROR_SUCCESS);
  RegCloseKey(parent);
}

TEST_F(RegistryTest, EnumerationAndKeyInformation) {
  HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\Listing");
  for (const char* name : {"beta", "Alpha", "gamma"}) RegCloseKey(create(key, name));
  ASSERT_EQ(set_text(key, "Second", "22"), ERROR_SUCCESS);
  ASSERT_EQ(set_text(key, "First", "1"), ERROR_SUCCESS);
  ASSERT_EQ(set_number(key, "Third", 3), ERROR_SUCCESS);
  ASSERT_EQ(set_text(key, "second", "longer text"), ERROR_SUCCESS);  // keeps its place

  std::vector<std::string> keys;
  char name[32];
  DWORD length = sizeof(name);
  for (DWORD i = 0; RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) ==
                    ERROR_SUCCESS;
       ++i, length = sizeof(name)) {
    keys.emplace_back(name, length);
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"Alpha", "beta", "gamma"}));

  std::vector<std::string> values;
  DWORD type = 0, size = 0;
  length = sizeof(name);
  for (DWORD i = 0;
       RegEnumValueA(key, i, name, &length, nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
       ++i, length = sizeof(name)) {
    values.emplace_back(std::string(name, length) + ":" + std::to_string(type) + ":" +
                        std::to_string(size));
  }
  EXPECT_EQ(values, (std::vector<std::string>{"Second:1:12", "First:1:2", "Third:4:4"}));
  length = 5;  // "Second" needs 7 with its NUL
  EXPECT_EQ(RegEnumValueA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);
  length = sizeof(name);
  EXPECT_EQ(RegEnumValueA(key, 3, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);

  DWORD sub_keys = 0, longest_key = 0, value_count = 0, longest_name = 0, longest_data = 0;
  ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &sub_keys, &longest_key, nullptr,
                             &value_count, &longest_name, &longest_data, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(sub_keys, 3u);
  EXPECT_EQ(longest_key, 5u);
  EXPECT_EQ(value_count, 3u);
  EXPECT_EQ(longest_name, 6u);
  EXPECT_EQ(longest_data, 12u);
  RegCloseKey(key);
}

TEST_F(RegistryTest, HandlesKeepToTheirAccessAndBadHandlesFail) {
  RegCloseKey(create(HKEY_LOCAL_MACHINE, "Software\\Existing"));
  HKEY software = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &software), ERROR_SUCCESS);
  EXPECT_EQ(set_text(software, "Entry", "x"), ERROR_ACCESS_DENIED);
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExA(software, "New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_ACCESS_DENIED);
  ASSERT_EQ(RegCreateKeyExA(software, "Existing", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  RegCloseKey(software);

  int not_a_key = 0;
  HKEY bogus = reinterpret_cast<HKEY>(&not_a_key);
  EXPECT_EQ(RegCloseKey(bogus), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
  EXPECT_EQ(set_text(bogus, "Entry", "x"), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "x", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\\\x", 0, KEY_READ, &key),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, ""), ERROR_ACCESS_DENIED);  // the hive's root
}

TEST_F(RegistryTest, EachHiveFileHoldsItsOwnKeys) {
  HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\Kept");
  RegCloseKey(key);
  {
    EnvOverride other(PLATFORM_REGISTRY_HKLM_ENV, dir_.file("nested/other.sqlite"));
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Kept", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
  }
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Kept", 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
}

// Writes `count` values named "<tag>-<n>" into Software\Shared, each call
// opening its own handle the way the profile store does. The exit status
// counts failures.
int write_values(char tag, int count) {
  int failures = 0;
  for (int n = 0; n < count; ++n) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Shared", 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
      ++failures;
      continue;
    }
    std::string name = std::string(1, tag) + "-" + std::to_string(n);
    DWORD value = static_cast<DWORD>(n);
    if (RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                       sizeof(value)) != ERROR_SUCCESS) {
      ++failures;
    }
    RegCloseKey(key);
  }
  return failures;
}

DWORD count_shared_values() {
  HKEY key = nullptr;
  DWORD values = 0;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Shared", 0, KEY_READ, &key) == ERROR_SUCCESS) {
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
  }
  return values;
}

// Two child processes, released at the same moment, each write `per_process`
// values; both must report no failure.
void race_two_writers(int per_process) {
  int start[2];
  ASSERT_EQ(pipe(start), 0);
  std::vector<pid_t> children;
  for (char tag : {'a', 'b'}) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Both wait for the pipe to close, then race, the hive file included.
      char ignored;
      close(start[1]);
      while (read(start[0], &ignored, 1) > 0) {
      }
      _exit(write_values(tag, per_process) == 0 ? 0 : 1);
    }
    children.push_back(child);
  }
  close(start[0]);
  close(start[1]);
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
}

TEST_F(RegistryTest, TwoProcessesWritingAtOnceLoseNothing) {
  constexpr int kPerProcess = 150;
  race_two_writers(kPerProcess);
  EXPECT_EQ(count_shared_values(), 2u * kPerProcess);
}

// The first use of a hive file creates it; two processes doing that at the
// same moment must both get their keys and values.
TEST_F(RegistryTest, TwoProcessesCreatingOneHiveAtOnceBothSucceed) {
  constexpr int kRounds = 20;
  constexpr int kPerProcess = 3;
  for (int round = 0; round < kRounds; ++round) {
    EnvOverride fresh(PLATFORM_REGISTRY_HKLM_ENV,
                      dir_.file("fresh-" + std::to_string(round) + ".sqlite"));
    race_two_writers(kPerProcess);
    EXPECT_EQ(count_shared_values(), 2u * kPerProcess) << "round " << round;
  }
}

TEST_F(RegistryTest, ThreadsWritingAtOnceLoseNothing) {
  constexpr int kPerThread = 100;
  std::vector<std::thread> threads;
  for (char tag : {'a', 'b', 'c', 'd'}) {
    threads.emplace_back([tag] { EXPECT_EQ(write_values(tag, kPerThread), 0); });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(count_shared_values(), 4u * kPerThread);
}

constexpr uid_t kNobody = 65534;

// Runs `body` in a child process as the ordinary user kNobody: its exit
// code, or -1.
int run_as_nobody(const std::function<int()>& body) {
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(100);
    _exit(body());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A hive its process may not write (here in root's folder, used by an
// ordinary user: root is not stopped by permissions) is read all the same,
// both when no other process has it open and beside one that is writing
// it, whose latest values are seen; every change fails with ERROR_CANTWRITE.
TEST_F(RegistryTest, AHiveThatCannotBeWrittenIsStillRead) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to use the hive as another user";
  ASSERT_EQ(chmod(dir_.path().c_str(), 0755), 0);
  const pid_t writer = fork();
  if (writer == 0) _exit(write_values('a', 2));
  int status = 0;
  ASSERT_EQ(waitpid(writer, &status, 0), writer);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  auto reads_but_cannot_write = [](DWORD expected) {
    return [expected] {
      if (count_shared_values() != expected) return 1;
      HKEY key = nullptr;
      if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Shared", 0, KEY_ALL_ACCESS, &key) !=
          ERROR_SUCCESS) {
        return 2;
      }
      const LONG set = set_number(key, "a-0", 7);
      RegCloseKey(key);
      HKEY created = nullptr;
      const LONG create = RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\New", 0, nullptr, 0,
                                          KEY_ALL_ACCESS, nullptr, &created, nullptr);
      return set == ERROR_CANTWRITE && create == ERROR_CANTWRITE ? 0 : 3;
    };
  };
  EXPECT_EQ(run_as_nobody(reads_but_cannot_write(2)), 0);
  ASSERT_EQ(write_values('b', 3), 0);  // this process now holds the hive open
  EXPECT_EQ(run_as_nobody(reads_but_cannot_write(5)), 0);
}

// Files another user put where a hive goes are never used: their dangling
// link does not make the hive appear at its target, and their file (even
// one open to all), as the hive or beside it, is refused. One's own link is
// followed. (Root plants them by giving them to an ordinary user.)
TEST_F(RegistryTest, FilesOfAnotherUserAreRefused) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to plant files of another user";
  const std::string target = dir_.file("target.sqlite");
  const std::string link = dir_.file("linked.sqlite");
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  ASSERT_EQ(lchown(link.c_str(), kNobody, kNobody), 0);
  HKEY key = nullptr;
  {
    EnvOverride planted(PLATFORM_REGISTRY_HKLM_ENV, link);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key),
              ERROR_INVALID_OWNER);
  }
  EXPECT_FALSE(std::filesystem::exists(target));

  for (const std::string suffix : {"", "-wal", ".lock"}) {
    const std::string hive = dir_.file("planted" + std::to_string(suffix.size()) + ".sqlite");
    const int file = open((hive + suffix).c_str(), O_CREAT | O_WRONLY, 0666);
    ASSERT_GE(file, 0);
    close(file);
    ASSERT_EQ(chown((hive + suffix).c_str(), kNobody, kNobody), 0);
    EnvOverride planted(PLATFORM_REGISTRY_HKLM_ENV, hive);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key),
              ERROR_INVALID_OWNER)
        << suffix;
  }

  ASSERT_EQ(lchown(link.c_str(), geteuid(), getegid()), 0);
  EnvOverride own(PLATFORM_REGISTRY_HKLM_ENV, link);
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_TRUE(std::filesystem::exists(target));
}

}  // namespace
