// The transport frame: per-thread contexts, the thread registry, start and
// stop requests and the library's locks. Every other transport file builds
// on these.
#pragma once

#include <cstdint>

#include "platform/sync.h"
#include "platform/window.h"
#include "tessel/qtl.h"

namespace tessel::qtl {

using Endpoint = ::QTLEndpointRecord;
struct LookupJob;

// One per calling thread, reached through the thread-local slot; touched
// only by its own thread.
struct ThreadContext {
  int32_t refCount;
  uint32_t allMask;   // transports this thread's all-transports request holds
  int32_t allCount;   // nesting of QTLInit(QTL_PROTO_ALL)
  int32_t allStarting;  // 1 while the all-transports request starts its set
  char logLine[250];  // where this thread formats its log lines
  QTLWakeFunction wakeCallback;
  int32_t exActive;
  uint32_t exProtocols;
  HWND window;
  // Delays: 0 none, 1 completed, 2 aborted (never lowered while a delay runs).
  int32_t cancelState;
  int32_t armed;     // a cancellation before the next delay is kept
  int32_t delaying;  // inside a delay with seconds other than 0
  HANDLE delayEvent;  // wake-function mode: what a delay waits on
  QTLBlockingHook blockingHook;  // null: the default hook
  int32_t pulseCount;  // nesting of QTLEnable1SecPulse
  QTLTimer pulseTimer;
  LookupJob* lookupJob;  // the reverse look-up running on this thread, or null
};

// One per thread that holds a context; every field is guarded by the
// registry lock.
struct ThreadEntry {
  uint32_t threadId;
  QTLWakeFunction wakeCallback;
  uintptr_t wakeUserData;
  HWND window;
  uint32_t wakeCount;
  HANDLE delayEvent;      // set while the owner delays in wake-function mode
  int32_t pendingCancel;  // from QTLCancelDelayInContext, applied by the owner
  Endpoint* endpoints;  // newest first; changed only by the owner thread
  ThreadEntry* next;
};

// The library's locks, created when it is loaded.
CRITICAL_SECTION& InitLock();
CRITICAL_SECTION& RegistryLock();
// Taken in this order, each before the registry lock.
CRITICAL_SECTION& TimerServiceLock();
CRITICAL_SECTION& TimerListLock();
// Guards reverse-lookup jobs and the states of their address nodes.
CRITICAL_SECTION& LookupLock();

// A hidden "QTL32" window of the calling thread, or null.
HWND CreateLayerWindow();

// The calling thread's context, or null.
ThreadContext* CurrentContext();
// Adds a reference to the calling thread's context, creating it (without
// window or entry) when there is none; drops one, freeing the context, its
// window and its entry at the last.
int32_t TakeContextReference(ThreadContext** result);
int32_t DropContextReference();

// Start and stop requests without the exported calls' log lines; every
// internal start (an endpoint's, a lookup's) goes through these.
int32_t StartRequest(uint32_t protocols);
int32_t StopRequest(uint32_t protocols);

// The calling thread's registry entry (registry lock held by the caller).
ThreadEntry* FindEntryLocked(uint32_t threadId);
// Asks the thread to run QTLProcessData; at most five wake-ups are
// outstanding between two runs.
void WakeThread(uint32_t threadId);
// Makes wake-ups of the calling thread signal `event` (null: back to the
// window message or wake function). QTLERR_NO_INIT without an entry.
int32_t SetEntryDelayEvent(HANDLE event);
// Adds / removes an endpoint in the calling thread's entry.
int32_t RegisterEndpoint(Endpoint* endpoint);
void UnregisterEndpoint(Endpoint* endpoint);
// The calling thread's endpoints, newest first (owner thread only).
Endpoint* ThreadEndpoints();

// What QTLProcessData does once the thread's sockets have been looked at:
// what a wake-up message runs, the thread being in its message loop.
void ProcessData();

// Sets or clears a transport's bit in the loaded-transports mask (init
// lock held).
void MarkLoaded(uint32_t transport, bool loaded);

// The transport half of the library's start and end.
bool StartTransportFrame();
void StopTransportFrame();

}  // namespace tessel::qtl
