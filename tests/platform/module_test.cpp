#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/error.h"
#include "platform/module.h"

namespace {

int answer_one() { return 1; }
int answer_two() { return 2; }

FARPROC as_proc(int (*function)()) { return reinterpret_cast<FARPROC>(function); }

int call(FARPROC proc) { return reinterpret_cast<int (*)()>(proc)(); }

const PlatformExport kOriginalExports[] = {{"Answer", as_proc(answer_one)}, {nullptr, nullptr}};
const PlatformExport kReplacementExports[] = {{"Answer", as_proc(answer_two)},
                                              {nullptr, nullptr}};

TEST(Module, BuiltInNamesMatchWithoutCaseAndCountReferences) {
  static const PlatformModuleTable table = {"ModTestA.DLL", kOriginalExports};
  ASSERT_TRUE(PlatformRegisterModule(&table));
  EXPECT_FALSE(PlatformRegisterModule(&table));

  HMODULE first = LoadLibraryA("modtesta.dll");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(LoadLibraryA("MODTESTA"), first);  // no extension means ".DLL"
  EXPECT_EQ(LoadLibraryA("ModTestA.Dll"), first);
  EXPECT_EQ(LoadLibraryA("modtesta."), nullptr);  // a trailing dot means no extension
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);

  EXPECT_EQ(call(GetProcAddress(first, "Answer")), 1);
  EXPECT_EQ(GetProcAddress(first, "answer"), nullptr);  // entry points keep their case
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);

  char name[64];
  EXPECT_EQ(GetModuleFileNameA(first, name, sizeof(name)), std::strlen("ModTestA.DLL"));

  EXPECT_TRUE(FreeLibrary(first));
  EXPECT_TRUE(FreeLibrary(first));
  EXPECT_NE(GetProcAddress(first, "Answer"), nullptr);  // one reference left
  EXPECT_TRUE(FreeLibrary(first));
  EXPECT_FALSE(FreeLibrary(first));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(GetProcAddress(first, "Answer"), nullptr);
}

TEST(Module, ReplacementServesNewLoadsUntilRestored) {
  static const PlatformModuleTable original = {"MODTESTB.DLL", kOriginalExports};
  static const PlatformModuleTable replacement = {"modtestb.dll", kReplacementExports};
  ASSERT_TRUE(PlatformRegisterModule(&original));
  HMODULE before = LoadLibraryA("MODTESTB.DLL");

  ASSERT_TRUE(PlatformReplaceModule(&replacement));
  HMODULE during = LoadLibraryA("MODTESTB.DLL");
  ASSERT_NE(during, before);
  EXPECT_EQ(call(GetProcAddress(during, "Answer")), 2);
  EXPECT_EQ(call(GetProcAddress(before, "Answer")), 1);  // loaded before: keeps its module

  ASSERT_TRUE(PlatformRestoreModule("ModTestB"));
  EXPECT_FALSE(PlatformRestoreModule("ModTestB"));
  HMODULE after = LoadLibraryA("MODTESTB.DLL");
  EXPECT_EQ(call(GetProcAddress(after, "Answer")), 1);
  EXPECT_EQ(call(GetProcAddress(during, "Answer")), 2);

  for (HMODULE module : {before, during, after}) EXPECT_TRUE(FreeLibrary(module));
}

TEST(Module, ReplacementCanStandInForAModuleThatDoesNotExist) {
  static const PlatformModuleTable stand_in = {"MODTESTMISSING.DLL", kReplacementExports};
  ASSERT_TRUE(PlatformReplaceModule(&stand_in));
  HMODULE module = LoadLibraryA("ModTestMissing.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_TRUE(FreeLibrary(module));
  ASSERT_TRUE(PlatformRestoreModule("MODTESTMISSING.DLL"));
  EXPECT_EQ(LoadLibraryA("ModTestMissing.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

TEST(Module, BadNamesAndHandlesFailCleanly) {
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
  EXPECT_EQ(LoadLibraryA(""), nullptr);
  EXPECT_EQ(LoadLibraryA("no-such-module-anywhere.so"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);

  int not_a_module = 0;
  HMODULE bogus = reinterpret_cast<HMODULE>(&not_a_module);
  EXPECT_FALSE(FreeLibrary(nullptr));
  EXPECT_FALSE(FreeLibrary(bogus));
  EXPECT_EQ(GetProcAddress(bogus, "Answer"), nullptr);
  EXPECT_EQ(GetModuleFileNameA(bogus, nullptr, 0), 0u);
  EXPECT_FALSE(PlatformRegisterModule(nullptr));
  EXPECT_FALSE(PlatformRestoreModule(nullptr));

  HMODULE libm = LoadLibraryA("libm.so.6");
  ASSERT_NE(libm, nullptr);
  EXPECT_EQ(GetProcAddress(libm, reinterpret_cast<const char*>(1)), nullptr);  // an ordinal
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_TRUE(FreeLibrary(libm));
}

TEST(Module, OtherNamesAreOpenedAsSharedObjects) {
  HMODULE libm = LoadLibraryA("libm.so.6");
  ASSERT_NE(libm, nullptr);
  EXPECT_EQ(LoadLibraryA("LIBM.SO.6"), libm);
  auto cosine = reinterpret_cast<double (*)(double)>(GetProcAddress(libm, "cos"));
  ASSERT_NE(cosine, nullptr);
  EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
  EXPECT_EQ(GetProcAddress(libm, "no_such_function"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  char path[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(libm, path, sizeof(path)), 0u);
  EXPECT_NE(std::string(path).find("libm"), std::string::npos);
  EXPECT_TRUE(FreeLibrary(libm));
  EXPECT_TRUE(FreeLibrary(libm));

  // Found in the program's directory, where the build puts it.
  HMODULE self = LoadLibraryA("libglyplatform.so");
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(GetProcAddress(self, "LoadLibraryA"), reinterpret_cast<FARPROC>(&LoadLibraryA));
  EXPECT_TRUE(FreeLibrary(self));
}

TEST(Module, ProgramFileNameIsCutToTheBuffer) {
  char full[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, full, sizeof(full));
  ASSERT_GT(length, 4u);
  EXPECT_EQ(full[0], '/');
  EXPECT_EQ(std::strlen(full), length);

  char small[5];
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof(small)), sizeof(small));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::string(small), std::string(full, 4));
}

TEST(Module, ConcurrentLoadsAndFreesBalance) {
  static const PlatformModuleTable table = {"MODTESTC.DLL", kOriginalExports};
  ASSERT_TRUE(PlatformRegisterModule(&table));
  HMODULE held = LoadLibraryA("MODTESTC.DLL");
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([held] {
      for (int i = 0; i < 500; ++i) {
        HMODULE module = LoadLibraryA("modtestc");
        EXPECT_EQ(module, held);
        EXPECT_NE(GetProcAddress(module, "Answer"), nullptr);
        EXPECT_TRUE(FreeLibrary(module));
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_TRUE(FreeLibrary(held));
  EXPECT_FALSE(FreeLibrary(held));
}

}  // namespace
