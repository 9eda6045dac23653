#include "reverse_lookup.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "address_text.h"
#include "critical_section_lock.h"
#include "frame.h"
#include "name_service.h"
#include "socket_library.h"
#include "transport_log.h"

namespace tessel::qtl {

// Lookup threads are numbered 1..threadCount in the order they begin; slot
// index - 1 of the arrays belongs to thread `index`. The counters, the
// finished flags, the thread windows and the states of the address nodes
// are guarded by the lookup lock. A results / names slot is written only by
// the thread that claimed its node and read by the owner only after every
// thread is collected.
struct LookupJob {
  HWND window;
  HWND threadWindows[kMaxLookupThreads];
  int32_t finished[kMaxLookupThreads];
  HANDLE threads[kMaxLookupThreads];  // the started ones, for a wait without QTLDelay
  int32_t threadCount;                // threads started
  int32_t begun;                      // hands out thread indexes; only ever grows
  int32_t running;                    // begun and not yet collected
  int32_t collected;
  AddressNode* addresses;
  int32_t* results;
  char (*names)[kHostNameSize];
  uint32_t owner;
};

namespace {

HANDLE StartPlatformThread(LPTHREAD_START_ROUTINE start, void* parameter) {
  return CreateThread(nullptr, 0, start, parameter, 0, nullptr);
}

LookupPlatform platformCalls{CreateLayerWindow, StartPlatformThread};

void LogJobFailure(const char* why) {
  LogLine(QRTL_LOG_ERROR, "UDPGetManyHostNameFromAddr failed:  %s", why);
}

// The first pending node and its position in the list (lookup lock held).
AddressNode* FirstPendingLocked(AddressNode* first, int32_t* position) {
  int32_t at = 0;
  for (AddressNode* node = first; node; node = node->next, ++at) {
    if (node->state == QTL_NODE_PENDING) {
      *position = at;
      return node;
    }
  }
  return nullptr;
}

int32_t ResolveAddress(const NetAddress& address, char (&name)[kHostNameSize]) {
  std::memset(name, 0, sizeof name);
  if (!Winsock().gethostbyaddr) return QTLERR_NO_INIT;
  const uint32_t host = address.u.ip.address;
  const char wire[4] = {char(host >> 24), char(host >> 16), char(host >> 8), char(host)};
  const HOSTENT* entry = Winsock().gethostbyaddr(wire, sizeof wire, WS_AF_INET);
  if (!entry) return BlockingLookupStatus(LogFailedCall("gethostbyaddr"));
  const size_t length = std::strlen(entry->h_name);
  if (length >= sizeof name) return QTLERR_NOMEM;
  std::memcpy(name, entry->h_name, length + 1);
  return QTL_SUCCESS;
}

// Claims pending nodes one after another and resolves them until none is
// left (or the job is aborted, which marks every pending node).
void ResolvePendingNodes(LookupJob& job, int32_t index, HWND window) {
  EnterCriticalSection(&LookupLock());
  job.threadWindows[index - 1] = window;
  int32_t position;
  while (AddressNode* node = FirstPendingLocked(job.addresses, &position)) {
    node->state = QTL_NODE_IN_PROGRESS;
    LeaveCriticalSection(&LookupLock());
    job.results[position] = ResolveAddress(node->address, job.names[position]);
    EnterCriticalSection(&LookupLock());
    node->state = QTL_NODE_ANSWERED;
  }
  job.threadWindows[index - 1] = nullptr;
  LeaveCriticalSection(&LookupLock());
}

// A lookup thread takes its own context and UDP start, so that the socket
// library stays bound while it calls it. Once it has set its finished flag
// the owner may free the job at any moment: nothing of the job is touched
// after that.
DWORD LookupThread(void* parameter) {
  auto& job = *static_cast<LookupJob*>(parameter);
  const uint32_t owner = job.owner;
  int32_t index;
  bool work;
  {
    CriticalSectionLock lock(LookupLock());
    index = ++job.begun;
    ++job.running;
    int32_t position;
    work = FirstPendingLocked(job.addresses, &position) != nullptr;
  }
  if (work && StartRequest(QTL_PROTO_UDP) == QTL_SUCCESS) {
    if (HWND window = platformCalls.createWindow()) {
      SetWindowLongPtrA(window, 0, 0);
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&job));
      ResolvePendingNodes(job, index, window);
      DestroyWindow(window);
    }
    StopRequest(QTL_PROTO_UDP);
  }
  {
    CriticalSectionLock lock(LookupLock());
    job.finished[index - 1] = 1;
  }
  WakeThread(owner);
  return 0;
}

// Aborting marks every node not yet answered, so that no thread claims
// another; the threads finish the addresses they are resolving.
void AbortJob(LookupJob& job) {
  CriticalSectionLock lock(LookupLock());
  QTLSetAddressListNoResponses(job.addresses);
  for (HWND window : job.threadWindows) {
    if (window) PostMessageA(window, QTLMSG_ABORT, 0, 0);
  }
}

// Counts the threads that have finished since the last look; true when the
// last of the started threads came in.
bool CollectFinished(LookupJob& job) {
  CriticalSectionLock lock(LookupLock());
  bool allIn = false;
  for (int32_t& finished : job.finished) {
    if (!finished) continue;
    finished = 0;
    ++job.collected;
    --job.running;
    allIn = job.running == 0 && job.collected == job.threadCount;
  }
  return allIn;
}

bool AllCollected(const LookupJob& job) {
  CriticalSectionLock lock(LookupLock());
  return job.collected == job.threadCount;
}

// Waits in QTLDelay until every started thread is collected. A wait that
// cannot be made there (the delay fails) waits for the threads themselves.
int32_t WaitForLookupThreads(LookupJob& job) {
  int32_t status = QTL_SUCCESS;
  while (!AllCollected(job)) {
    const int32_t waited = QTLDelay(-1);
    if (waited == QTLERR_CANCELLED) {
      status = QTLERR_CANCELLED;
      AbortJob(job);
    } else if (waited != QTL_SUCCESS) {
      WaitForMultipleObjects(DWORD(job.threadCount), job.threads, TRUE, INFINITE);
      CollectFinished(job);
      return waited;
    }
  }
  return status;
}

int32_t DeliverNames(LookupJob& job, QTLNameResultFunction function) {
  int32_t position = 0;
  for (AddressNode* node = job.addresses; node; node = node->next, ++position) {
    const int32_t status = job.results[position];
    if (status >= 0 || status == QTLERR_NOT_FOUND) {
      function(node, status, job.names[position], node->userValue);
    } else {
      LogJobFailure("Propagating error from UDPGetHostNameFromAddr");
      return status;
    }
  }
  return QTL_SUCCESS;
}

void EndJob(ThreadContext& context, LookupJob* job) {
  if (job->window) DestroyWindow(job->window);
  for (int32_t i = 0; i < job->threadCount; ++i) CloseHandle(job->threads[i]);
  {
    CriticalSectionLock lock(LookupLock());
    QTLSetAddressListNoResponses(job->addresses);
  }
  std::free(job->results);
  std::free(job->names);
  std::free(job);
  context.lookupJob = nullptr;
}

int32_t StartLookupThreads(LookupJob& job, int32_t count) {
  const int32_t wanted = std::min(count, kMaxLookupThreads);
  while (job.threadCount < wanted) {
    HANDLE thread = platformCalls.startThread(LookupThread, &job);
    if (!thread) {
      LogJobFailure("Could not start helper thread.");
      return QTLERR_INTERNAL;
    }
    job.threads[job.threadCount++] = thread;
  }
  return QTL_SUCCESS;
}

int32_t RunReverseJob(AddressNode* first, QTLNameResultFunction function) {
  ThreadContext* context = CurrentContext();
  if (!context) return QTLERR_NO_INIT;
  if (context->lookupJob) return QTLERR_INTERNAL;
  // The wait below needs a delay of its own.
  if (QTLIsDelaying()) return QTLERR_BLOCKING;

  const int32_t count = QTLCountAddressList(first);
  auto* job = static_cast<LookupJob*>(std::calloc(1, sizeof(LookupJob)));
  if (!job) {
    LogJobFailure("Error creating thread data.");
    return QTLERR_NOMEM;
  }
  context->lookupJob = job;
  job->addresses = first;
  job->owner = GetCurrentThreadId();
  job->results = static_cast<int32_t*>(std::malloc(sizeof(int32_t) * size_t(count)));
  job->names = static_cast<char(*)[kHostNameSize]>(std::calloc(size_t(count), kHostNameSize));
  if (!job->results || !job->names) {
    LogJobFailure("Error creating thread data members.");
    EndJob(*context, job);
    return QTLERR_NOMEM;
  }
  // A node that no thread claims is reported as not found.
  std::fill_n(job->results, count, QTLERR_NOT_FOUND);

  job->window = platformCalls.createWindow();
  if (!job->window) {
    LogJobFailure("Error window for main thread.");
    EndJob(*context, job);
    return QTLERR_INTERNAL;
  }
  SetWindowLongPtrA(job->window, 0, 0);
  SetWindowLongPtrA(job->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(job));

  int32_t status = StartLookupThreads(*job, count);
  const int32_t waited = WaitForLookupThreads(*job);
  if (status == QTL_SUCCESS) status = waited;
  if (status == QTL_SUCCESS) status = DeliverNames(*job, function);
  EndJob(*context, job);
  return status;
}

// What QTLGetHostNameFromAddr hands its own result function.
struct SingleName {
  char* buffer;
  int32_t size;
  int32_t status;
};

void KeepSingleName(AddressNode*, int32_t status, const char* name, void* userValue) {
  auto* result = static_cast<SingleName*>(userValue);
  if (status < 0) {
    result->status = status;
    return;
  }
  const size_t length = std::strlen(name);
  if (result->size > 0 && length < size_t(result->size)) {
    std::memcpy(result->buffer, name, length + 1);
  } else {
    result->status = QTLERR_TOO_LARGE;
  }
}

}  // namespace

void CollectLookupThreads() {
  ThreadContext* context = CurrentContext();
  if (!context || !context->lookupJob) return;
  if (CollectFinished(*context->lookupJob)) QTLCancelDelay(1);
}

LookupPlatform& LookupPlatformCalls() { return platformCalls; }

}  // namespace tessel::qtl

using namespace tessel::qtl;

int32_t QTLGetManyHostNameFromAddr(AddressNode** addresses, QTLNameResultFunction function) {
  if (!addresses || !function) return QTLERR_INVALID_PARAM;
  AddressNode* first = *addresses;
  if (!first) return QTL_SUCCESS;
  const uint32_t family = AddressFamily(first->address.protocol);
  for (AddressNode* node = first->next; node; node = node->next) {
    if (AddressFamily(node->address.protocol) != family) return QTLERR_BAD_ADDRESS;
  }
  // The list's transport must start, as for a forward look-up, even though
  // only IP addresses have names to look up.
  const uint32_t protocol = first->address.protocol;
  if (const int32_t status = StartRequest(protocol)) return status;
  int32_t status = QTL_SUCCESS;
  if (protocol == QTL_PROTO_UDP || protocol == QTL_PROTO_TCP) status = RunReverseJob(first, function);
  StopRequest(protocol);
  return status;
}

int32_t QTLGetHostNameFromAddr(const NetAddress* address, char* buffer, int32_t size) {
  if (!address || !buffer) return QTLERR_INVALID_PARAM;
  SingleName result{buffer, size, QTL_SUCCESS};
  // An address without a name to look up (IPX) gives the empty name, never
  // whatever the buffer held.
  if (size > 0) buffer[0] = '\0';
  AddressNode* addresses = nullptr;
  int32_t status = QTLAddAddress(&addresses, address, &result);
  if (status != QTL_SUCCESS) return status;
  status = QTLGetManyHostNameFromAddr(&addresses, KeepSingleName);
  if (status >= 0 && result.status != QTL_SUCCESS) status = result.status;
  QTLCleanupAddressList(&addresses);
  return status;
}
