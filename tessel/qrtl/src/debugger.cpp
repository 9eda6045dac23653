// The optional diagnostic library: loaded by count when the profile store
// enables it, and searched for entry points by name. The count has no lock:
// callers load and unload from one thread at a time.
#include "platform/beep.h"
#include "platform/error.h"
#include "platform/module.h"
#include "runtime.h"
#include "tessel/qrtl.h"

namespace {

constexpr int kProfileScope = 2;

int32_t g_loadCount = 0;
HMODULE g_library = nullptr;

// What the library resolves for itself when it starts. It never calls them:
// they are there for a diagnostic library to find them resolved.
bool g_ownLoad = false;
QRTLProc g_debugInit = nullptr;
QRTLProc g_debugCleanup = nullptr;
QRTLProc g_debugRecordEvent = nullptr;
const QRTLEntryPoint kOwnEntryPoints[] = {
    {"QDEBUGInit", &g_debugInit},
    {"QDEBUGCleanup", &g_debugCleanup},
    {"QDEBUGRecordEvent", &g_debugRecordEvent},
    {nullptr, nullptr},
};

HMODULE LoadConfiguredLibrary() {
  char path[MAX_PATH];
  if (QRTLGetProfileEntry("QDebug", "ReleaseDll", "", path, sizeof path, kProfileScope) !=
          QRTL_SUCCESS ||
      path[0] == '\0' || QRTLGetProfileInt("QDEBUG", "Enabled", 0, kProfileScope) == 0) {
    return nullptr;
  }
  // A debug build of the diagnostic library already in the process must not
  // meet the release build.
  char debugName[MAX_PATH];
  if (QRTLGetProfileEntry("QDebug", "DebugDll", "", debugName, sizeof debugName, kProfileScope) ==
          QRTL_SUCCESS &&
      debugName[0] != '\0' && GetModuleHandleA(debugName) != nullptr) {
    MessageBeep(MB_SIMPLE_BEEP);
    return nullptr;
  }
  const UINT previousMode = SetErrorMode(SEM_NOOPENFILEERRORBOX);
  HMODULE library = LoadLibraryA(path);
  SetErrorMode(previousMode);
  return library;
}

}  // namespace

namespace tessel::qrtl {

void LoadOwnDebugger() {
  g_ownLoad = QRTLLoadDebugger() == 1;
  if (g_ownLoad) QRTLGetDebugEntryPoints(kOwnEntryPoints);
}

void UnloadOwnDebugger() {
  if (g_ownLoad) QRTLUnloadDebugger();
  g_ownLoad = false;
}

}  // namespace tessel::qrtl

int32_t QRTLLoadDebugger(void) {
  if (g_loadCount == 0) g_library = LoadConfiguredLibrary();
  if (g_library == nullptr) return 0;
  ++g_loadCount;
  return 1;
}

int32_t QRTLUnloadDebugger(void) {
  if (g_loadCount == 0) return 0;
  if (--g_loadCount > 0) return g_loadCount;
  const BOOL unloaded = FreeLibrary(g_library);
  g_library = nullptr;
  return unloaded;
}

int32_t QRTLGetDebugEntryPoints(const QRTLEntryPoint* table) {
  if (g_library == nullptr || table == nullptr) return 0;
  int32_t allFound = 1;
  for (const QRTLEntryPoint* row = table; row->variable != nullptr; ++row) {
    *row->variable = row->name != nullptr ? GetProcAddress(g_library, row->name) : nullptr;
    if (*row->variable == nullptr) allFound = 0;
  }
  return allFound;
}
