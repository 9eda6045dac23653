#include "frame.h"

#include <cstdlib>

#include "critical_section_lock.h"
#include "endpoint.h"
#include "platform/thread.h"
#include "reverse_lookup.h"
#include "timers.h"
#include "transport_log.h"
#include "transports.h"

namespace tessel::qtl {
namespace {

constexpr char kWindowClass[] = "QTL32";
constexpr int32_t kProfileRoot = 2;

DWORD contextSlot = TLS_OUT_OF_INDEXES;
CRITICAL_SECTION initLock;
CRITICAL_SECTION registryLock;
CRITICAL_SECTION timerServiceLock;
CRITICAL_SECTION timerListLock;
CRITICAL_SECTION lookupLock;

// Guarded by the registry lock.
ThreadEntry* registry;
struct {
  uint32_t threadId;
  ThreadEntry* entry;
} registryCache;

// Guarded by the init lock.
uint32_t loadedMask;

void RemoveEntry(uint32_t threadId) {
  CriticalSectionLock lock(registryLock);
  registryCache = {};
  for (ThreadEntry** link = &registry; *link; link = &(*link)->next) {
    if ((*link)->threadId == threadId) {
      ThreadEntry* entry = *link;
      *link = entry->next;
      std::free(entry);
      return;
    }
  }
}

}  // namespace

int32_t TakeContextReference(ThreadContext** result) {
  if (ThreadContext* context = CurrentContext()) {
    ++context->refCount;
    *result = context;
    return QTL_SUCCESS;
  }
  auto* context = static_cast<ThreadContext*>(std::calloc(1, sizeof(ThreadContext)));
  if (!context) return QTLERR_NOMEM;
  if (!TlsSetValue(contextSlot, context)) {
    std::free(context);
    return QTLERR_NOMEM;
  }
  context->refCount = 1;
  *result = context;
  return QTL_SUCCESS;
}

int32_t DropContextReference() {
  ThreadContext* context = CurrentContext();
  if (!context) return QTLERR_INTERNAL;
  if (context->refCount > 0) --context->refCount;
  if (context->refCount > 0) return QTL_SUCCESS;
  RemoveEntry(GetCurrentThreadId());
  if (context->window) DestroyWindow(context->window);
  std::free(context);
  TlsSetValue(contextSlot, nullptr);
  return QTL_SUCCESS;
}

namespace {

// The thread's hidden window and its registry entry, made at its first
// start request.
int32_t CreateThreadWindow(ThreadContext& context) {
  HWND window = CreateLayerWindow();
  if (!window) return QTLERR_INTERNAL;
  SetWindowLongPtrA(window, 0, 0);
  const uint32_t threadId = GetCurrentThreadId();
  int32_t status = QTL_SUCCESS;
  {
    CriticalSectionLock lock(registryLock);
    if (FindEntryLocked(threadId)) {
      status = QTLERR_INTERNAL;
    } else if (auto* entry = static_cast<ThreadEntry*>(std::calloc(1, sizeof(ThreadEntry)))) {
      entry->threadId = threadId;
      entry->window = window;
      entry->next = registry;
      registry = entry;
    } else {
      status = QTLERR_NOMEM;
    }
  }
  if (status != QTL_SUCCESS) {
    DestroyWindow(window);
    return status;
  }
  context.window = window;
  return QTL_SUCCESS;
}

// Starts the transports of `mask` in their fixed order. A tolerant start
// passes over a transport that fails with its own init code; only the
// transports that did start go into *started, so that stopping them later
// never stops a start this request did not make.
int32_t StartTransports(uint32_t mask, bool tolerant, uint32_t* started) {
  for (const Transport& transport : Transports()) {
    if (!(mask & transport.bit)) continue;
    const int32_t status = transport.start();
    if (status == QTL_SUCCESS) {
      *started |= transport.bit;
    } else if (!tolerant || status != transport.initFailure) {
      return status;
    }
  }
  return QTL_SUCCESS;
}

void StopTransports(uint32_t mask) {
  for (const Transport& transport : Transports()) {
    if (mask & transport.bit) transport.stop();
  }
}

int32_t StartRequestImpl(uint32_t protocols, bool logFlag);

int32_t StopRequestImpl(uint32_t protocols, bool logFlag) {
  ThreadContext* context = CurrentContext();
  if (!context) return QTLERR_NO_INIT;
  {
    CriticalSectionLock lock(initLock);
    uint32_t mask = protocols;
    bool nestedAll = false;
    if (protocols == QTL_PROTO_ALL) {
      if (context->allCount > 0) --context->allCount;
      nestedAll = context->allCount > 0;
      if (!nestedAll) {
        mask = context->allMask;
        context->allMask = 0;
      }
    }
    if (!nestedAll) StopTransports(mask);
    if (logFlag) LogLine(QRTL_LOG_INFO, "QTLCleanup(protocols = %d) called", int32_t(protocols));
  }
  return DropContextReference();
}

int32_t StartRequestImpl(uint32_t protocols, bool logFlag) {
  const bool allFlag = protocols == QTL_PROTO_ALL;
  if (allFlag) {
    protocols = ~uint32_t(QRTLGetProfileInt("QTL", "Deferred Transports", 0, kProfileRoot)) &
                QTL_PROTO_ALL;
  }
  ThreadContext* context = nullptr;
  if (const int32_t status = TakeContextReference(&context)) return status;
  if (logFlag) LogLine(QRTL_LOG_INFO, "QTLInit(protocols = %d) called", int32_t(protocols));

  CriticalSectionLock lock(initLock);
  if (!context->window) {
    if (const int32_t status = CreateThreadWindow(*context)) {
      DropContextReference();
      return status;
    }
  }
  if (allFlag && ++context->allCount > 1) return QTL_SUCCESS;

  const uint32_t enabledMask = protocols & QTLGetSupportedTransports();
  if (!allFlag && enabledMask != protocols) {
    StopRequestImpl(0, false);
    return QTLERR_NOT_ENABLED;
  }

  uint32_t startedMask = 0;
  // Dependency starts made while the all-transports set starts belong to
  // the transport that asked for them and are stopped with it.
  if (allFlag) context->allStarting = 1;
  const int32_t status = StartTransports(enabledMask, allFlag, &startedMask);
  if (allFlag) context->allStarting = 0;
  if (status != QTL_SUCCESS) {
    if (allFlag) --context->allCount;
    StopTransports(startedMask);
    DropContextReference();
    return status;
  }
  if (allFlag) {
    context->allMask |= startedMask;
  } else if (context->allCount > 0 && !context->allStarting) {
    // The all-transports set takes its own start on what it lacked, so that
    // QTLCleanup(QTL_PROTO_ALL) and this request's cleanup each stop one.
    const uint32_t missing = startedMask & ~context->allMask;
    if (missing) {
      context->allMask |= missing;
      uint32_t again = 0;
      StartTransports(missing, false, &again);
    }
  }
  return QTL_SUCCESS;
}

LRESULT WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DummyWindowMessageHandler(window, message, wParam, lParam);
}

}  // namespace

CRITICAL_SECTION& InitLock() { return initLock; }
CRITICAL_SECTION& RegistryLock() { return registryLock; }
CRITICAL_SECTION& TimerServiceLock() { return timerServiceLock; }
CRITICAL_SECTION& TimerListLock() { return timerListLock; }
CRITICAL_SECTION& LookupLock() { return lookupLock; }

HWND CreateLayerWindow() {
  return CreateWindowExA(0, kWindowClass, nullptr, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                         nullptr);
}

ThreadContext* CurrentContext() {
  if (contextSlot == TLS_OUT_OF_INDEXES) return nullptr;
  return static_cast<ThreadContext*>(TlsGetValue(contextSlot));
}

int32_t StartRequest(uint32_t protocols) { return StartRequestImpl(protocols, false); }
int32_t StopRequest(uint32_t protocols) { return StopRequestImpl(protocols, false); }

void MarkLoaded(uint32_t transport, bool loaded) {
  if (loaded) {
    loadedMask |= transport;
  } else {
    loadedMask &= ~transport;
  }
}

ThreadEntry* FindEntryLocked(uint32_t threadId) {
  if (registryCache.entry && registryCache.threadId == threadId) return registryCache.entry;
  for (ThreadEntry* entry = registry; entry; entry = entry->next) {
    if (entry->threadId == threadId) {
      registryCache = {threadId, entry};
      return entry;
    }
  }
  return nullptr;
}

void WakeThread(uint32_t threadId) {
  CriticalSectionLock lock(registryLock);
  ThreadEntry* entry = FindEntryLocked(threadId);
  if (!entry || entry->wakeCount >= 5) return;
  ++entry->wakeCount;
  if (entry->delayEvent) {
    SetEvent(entry->delayEvent);
  } else if (entry->wakeCallback) {
    entry->wakeCallback(threadId, entry->wakeUserData);
  } else {
    PostMessageA(entry->window, QTLMSG_WAKE, 0, 0);
  }
}

int32_t SetEntryDelayEvent(HANDLE event) {
  CriticalSectionLock lock(registryLock);
  ThreadEntry* entry = FindEntryLocked(GetCurrentThreadId());
  if (!entry) return QTLERR_NO_INIT;
  entry->delayEvent = event;
  return QTL_SUCCESS;
}

int32_t RegisterEndpoint(Endpoint* endpoint) {
  CriticalSectionLock lock(registryLock);
  ThreadEntry* entry = FindEntryLocked(GetCurrentThreadId());
  if (!entry) return QTLERR_NO_INIT;
  endpoint->next = entry->endpoints;
  entry->endpoints = endpoint;
  return QTL_SUCCESS;
}

void UnregisterEndpoint(Endpoint* endpoint) {
  CriticalSectionLock lock(registryLock);
  ThreadEntry* entry = FindEntryLocked(GetCurrentThreadId());
  if (!entry) return;
  for (Endpoint** link = &entry->endpoints; *link; link = &(*link)->next) {
    if (*link == endpoint) {
      *link = endpoint->next;
      return;
    }
  }
}

Endpoint* ThreadEndpoints() {
  CriticalSectionLock lock(registryLock);
  ThreadEntry* entry = FindEntryLocked(GetCurrentThreadId());
  return entry ? entry->endpoints : nullptr;
}

bool StartTransportFrame() {
  contextSlot = TlsAlloc();
  if (contextSlot == TLS_OUT_OF_INDEXES) return false;
  TlsSetValue(contextSlot, nullptr);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.cbWndExtra = 4;
  windowClass.lpszClassName = kWindowClass;
  if (!RegisterClassA(&windowClass)) {
    TlsFree(contextSlot);
    contextSlot = TLS_OUT_OF_INDEXES;
    return false;
  }
  InitializeCriticalSection(&initLock);
  InitializeCriticalSection(&registryLock);
  InitializeCriticalSection(&timerServiceLock);
  InitializeCriticalSection(&timerListLock);
  InitializeCriticalSection(&lookupLock);
  return true;
}

void StopTransportFrame() {
  if (contextSlot == TLS_OUT_OF_INDEXES) return;
  StopTimerService();
  DeleteCriticalSection(&timerListLock);
  DeleteCriticalSection(&timerServiceLock);
  DeleteCriticalSection(&lookupLock);
  DeleteCriticalSection(&registryLock);
  DeleteCriticalSection(&initLock);
  UnregisterClassA(kWindowClass, nullptr);
  TlsFree(contextSlot);
  contextSlot = TLS_OUT_OF_INDEXES;
}

}  // namespace tessel::qtl

using tessel::CriticalSectionLock;
using namespace tessel::qtl;

int32_t QTLInit(uint32_t protocols) { return StartRequestImpl(protocols, true); }

int32_t QTLCleanup(uint32_t protocols) { return StopRequestImpl(protocols, true); }

int32_t QTLInitEx(uint32_t protocols, QTLWakeFunction wakeFunction, uintptr_t userData) {
  if (const int32_t status = QTLInit(protocols)) return status;
  ThreadContext* context = CurrentContext();
  if (!context) {
    QTLCleanup(protocols);
    return QTLERR_NO_INIT;
  }
  if (context->exActive) {
    QTLCleanup(protocols);
    return QTLERR_BLOCK_MODE_SET;
  }
  {
    CriticalSectionLock lock(RegistryLock());
    ThreadEntry* entry = FindEntryLocked(GetCurrentThreadId());
    if (entry) {
      entry->wakeCallback = wakeFunction;
      entry->wakeUserData = userData;
    }
    if (!entry) {
      QTLCleanup(protocols);
      return QTLERR_NO_INIT;
    }
  }
  context->wakeCallback = wakeFunction;
  context->exActive = 1;
  context->exProtocols = protocols;
  RouteNotifications();
  return QTL_SUCCESS;
}

int32_t QTLCleanupEx(void) {
  ThreadContext* context = CurrentContext();
  if (!context || !context->exActive) return QTLERR_NO_INIT;
  {
    CriticalSectionLock lock(RegistryLock());
    if (ThreadEntry* entry = FindEntryLocked(GetCurrentThreadId())) {
      entry->wakeCallback = nullptr;
      entry->wakeUserData = 0;
    }
  }
  // The transports QTLInitEx started are read before the field is cleared.
  const uint32_t protocols = context->exProtocols;
  context->wakeCallback = nullptr;
  context->exActive = 0;
  context->exProtocols = 0;
  RouteNotifications();
  return QTLCleanup(protocols);
}

uint32_t QTLGetSupportedTransports(void) {
  const int32_t enabled = QRTLGetProfileInt("QTL", "Enabled Transports", 0, kProfileRoot);
  if (enabled != 0) return uint32_t(enabled);
  QRTLWriteProfileInt("QTL", "Enabled Transports", QTL_PROTO_DEFAULT_SET, kProfileRoot);
  return QTL_PROTO_DEFAULT_SET;
}

uint32_t QTLGetLoadedTransports(void) {
  CriticalSectionLock lock(InitLock());
  return loadedMask;
}

uint32_t QTLGetContext(void) { return GetCurrentThreadId(); }

int32_t QTLValidateCleanup(void) { return 1; }

int32_t QTLValidateContextCleanup(void) { return CurrentContext() ? 0 : 1; }

// A thread that calls it without handling its messages still receives
// what its endpoints' sockets hold.
void QTLProcessData(void) {
  ReceiveNowOnThread();
  ProcessData();
}

void tessel::qtl::ProcessData() {
  int32_t pendingCancel = 0;
  {
    CriticalSectionLock lock(RegistryLock());
    if (ThreadEntry* entry = FindEntryLocked(GetCurrentThreadId())) {
      entry->wakeCount = 0;
      pendingCancel = entry->pendingCancel;
      entry->pendingCancel = 0;
    }
  }
  if (pendingCancel) QTLCancelDelay(pendingCancel);
  // Timers run whether or not the thread holds a context: setting one
  // needs none.
  while (RunOneDueTimer()) {
  }
  while (DeliverOneEvent()) {
  }
  CollectLookupThreads();
}
