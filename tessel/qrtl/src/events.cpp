// The event service. Every structure here belongs to one thread, reached
// through the event slot, so nothing is locked.
#include <cstdio>
#include <new>
#include <vector>

#include "platform/thread.h"
#include "runtime.h"
#include "tessel/qrtl.h"

struct QRTLEventHandler;

namespace {

struct EventEntry;

// One subscription, linked into its handler's list and its event's list.
struct Request {
  EventEntry* entry;
  QRTLEventHandler* handler;
  Request* nextOfHandler;
  Request* nextOfEvent;
};

struct EventEntry {
  int32_t event;
  Request* requests;
  EventEntry* next;
};

// An event being delivered on this thread; the chain of them is what refuses
// a recursive generation.
struct Delivery {
  int32_t event;
  Delivery* outer;
};

struct ThreadEvents {
  // Installed handlers plus deliveries under way: a callback may remove the
  // thread's last handler, and the delivery still needs the context after.
  int refCount;
  EventEntry* events;
  QRTLEventHandler* handlers;
  Delivery* deliveries;
  char text[252];
};

DWORD g_eventSlot = TLS_OUT_OF_INDEXES;

ThreadEvents* CurrentContext() {
  if (g_eventSlot == TLS_OUT_OF_INDEXES) return nullptr;
  return static_cast<ThreadEvents*>(TlsGetValue(g_eventSlot));
}

// Adds a reference to the thread's context, creating it on first use.
int32_t AcquireContext(ThreadEvents** result) {
  if (g_eventSlot == TLS_OUT_OF_INDEXES) return QRTLERR_INTERNAL;
  ThreadEvents* context = CurrentContext();
  if (context == nullptr) {
    context = new (std::nothrow) ThreadEvents{};
    if (context == nullptr) return QRTLERR_NOMEM;
    if (!TlsSetValue(g_eventSlot, context)) {
      delete context;
      return QRTLERR_NOMEM;
    }
  }
  ++context->refCount;
  *result = context;
  return QRTL_SUCCESS;
}

void ReleaseContext(ThreadEvents* context) {
  if (--context->refCount > 0) return;
  TlsSetValue(g_eventSlot, nullptr);
  delete context;
}

void LogHandle(ThreadEvents* context, int32_t level, const char* what, const void* handle) {
  std::snprintf(context->text, sizeof context->text, "%s %lu", what,
                static_cast<unsigned long>(reinterpret_cast<uintptr_t>(handle)));
  QRTLWriteToLog(QRTL_SUBSYSTEM_QRTL, level, context->text);
}

}  // namespace

struct QRTLEventHandler {
  QRTLEventCallback callback;
  uintptr_t userData;
  Request* requests;
  bool disabled;
  QRTLEventHandler* next;
};

namespace {

// Handles are only ever compared against this thread's own list, so a
// handle of another thread, or garbage, is simply not found.
QRTLEventHandler* FindHandler(ThreadEvents* context, QRTLEventHandle handle) {
  if (context == nullptr) return nullptr;
  for (QRTLEventHandler* handler = context->handlers; handler != nullptr; handler = handler->next) {
    if (handler == handle) return handler;
  }
  return nullptr;
}

EventEntry* FindEntry(ThreadEvents* context, int32_t event) {
  for (EventEntry* entry = context->events; entry != nullptr; entry = entry->next) {
    if (entry->event == event) return entry;
  }
  return nullptr;
}

Request* FindRequest(QRTLEventHandler* handler, int32_t event) {
  for (Request* request = handler->requests; request != nullptr; request = request->nextOfHandler) {
    if (request->entry->event == event) return request;
  }
  return nullptr;
}

template <typename Node, typename Next>
bool Unlink(Node** head, Node* node, Next next) {
  for (Node** link = head; *link != nullptr; link = &((*link)->*next)) {
    if (*link == node) {
      *link = node->*next;
      return true;
    }
  }
  return false;
}

int32_t RemoveRequest(ThreadEvents* context, QRTLEventHandler* handler, Request* request) {
  EventEntry* entry = request->entry;
  Unlink(&handler->requests, request, &Request::nextOfHandler);
  Unlink(&entry->requests, request, &Request::nextOfEvent);
  delete request;
  if (entry->requests != nullptr) return QRTL_SUCCESS;
  if (!Unlink(&context->events, entry, &EventEntry::next)) return QRTLERR_INTERNAL;
  delete entry;
  return QRTL_SUCCESS;
}

void RemoveAllRequests(ThreadEvents* context, QRTLEventHandler* handler) {
  while (handler->requests != nullptr) RemoveRequest(context, handler, handler->requests);
}

int32_t AddRequest(ThreadEvents* context, QRTLEventHandler* handler, int32_t event) {
  if (FindRequest(handler, event) != nullptr) return QRTLWARN_DUP_EVENT;
  EventEntry* entry = FindEntry(context, event);
  bool newEntry = entry == nullptr;
  if (newEntry) {
    entry = new (std::nothrow) EventEntry{event, nullptr, context->events};
    if (entry == nullptr) return QRTLERR_NOMEM;
  }
  auto* request = new (std::nothrow) Request{entry, handler, handler->requests, entry->requests};
  if (request == nullptr) {
    if (newEntry) delete entry;
    return QRTLERR_NOMEM;
  }
  if (newEntry) context->events = entry;
  handler->requests = request;
  entry->requests = request;
  return QRTL_SUCCESS;
}

bool IsBeingDelivered(const ThreadEvents* context, int32_t event) {
  for (const Delivery* delivery = context->deliveries; delivery != nullptr;
       delivery = delivery->outer) {
    if (delivery->event == event) return true;
  }
  return false;
}

// Marks an event as being delivered and holds the context for as long as
// the delivery runs. Both are undone on every way out, also when a callback
// throws, so no record of a finished delivery stays linked to the context.
class DeliveryScope {
 public:
  DeliveryScope(ThreadEvents* context, int32_t event)
      : context_(context), delivery_{event, context->deliveries} {
    context_->deliveries = &delivery_;
    ++context_->refCount;
  }
  ~DeliveryScope() {
    context_->deliveries = delivery_.outer;
    ReleaseContext(context_);
  }
  DeliveryScope(const DeliveryScope&) = delete;
  DeliveryScope& operator=(const DeliveryScope&) = delete;

 private:
  ThreadEvents* context_;
  Delivery delivery_;
};

// Calls every subscriber of `event` in subscription order (newest first).
// Callbacks may install, remove, subscribe and unsubscribe at will, so the
// subscribers are taken first and each is checked again before its call.
int32_t Deliver(ThreadEvents* context, EventEntry* entry, int32_t subsystem, uintptr_t param1,
                uintptr_t param2) {
  std::vector<QRTLEventHandler*> subscribers;
  try {
    for (Request* request = entry->requests; request != nullptr; request = request->nextOfEvent) {
      subscribers.push_back(request->handler);
    }
  } catch (const std::bad_alloc&) {
    return QRTLERR_NOMEM;
  }
  const int32_t event = entry->event;
  const DeliveryScope scope(context, event);
  for (QRTLEventHandler* subscriber : subscribers) {
    QRTLEventHandler* handler = FindHandler(context, subscriber);
    if (handler == nullptr || handler->disabled || handler->callback == nullptr) continue;
    if (FindRequest(handler, event) == nullptr) continue;
    handler->callback(event, subsystem, handler->userData, param1, param2);
  }
  return QRTL_SUCCESS;
}

int32_t SetDisabled(QRTLEventHandle handle, bool disabled) {
  ThreadEvents* context = CurrentContext();
  if (context != nullptr) {
    LogHandle(context, QRTL_LOG_INFO, disabled ? "Events disabled for" : "Events enabled for",
              handle);
  }
  QRTLEventHandler* handler = FindHandler(context, handle);
  if (handler == nullptr) return QRTLERR_INVALID_PARAM;
  handler->disabled = disabled;
  return QRTL_SUCCESS;
}

}  // namespace

namespace tessel::qrtl {

bool AllocateEventSlot() {
  g_eventSlot = TlsAlloc();
  if (g_eventSlot == TLS_OUT_OF_INDEXES) return false;
  TlsSetValue(g_eventSlot, nullptr);
  return true;
}

void FreeEventSlot() {
  if (g_eventSlot == TLS_OUT_OF_INDEXES) return;
  TlsFree(g_eventSlot);
  g_eventSlot = TLS_OUT_OF_INDEXES;
}

}  // namespace tessel::qrtl

QRTLEventHandle QRTLInstallEventHandler(QRTLEventCallback callback, uintptr_t userData,
                                        int32_t* status) {
  ThreadEvents* context = nullptr;
  int32_t result = AcquireContext(&context);
  QRTLEventHandler* handler = nullptr;
  if (result == QRTL_SUCCESS) {
    handler =
        new (std::nothrow) QRTLEventHandler{callback, userData, nullptr, false, context->handlers};
    if (handler == nullptr) {
      ReleaseContext(context);
      result = QRTLERR_NOMEM;
    } else {
      context->handlers = handler;
      LogHandle(context, QRTL_LOG_INFO, "QRTLInstallEventHandler created handle", handler);
    }
  }
  if (status != nullptr) *status = result;
  return handler;
}

int32_t QRTLRemoveEventHandler(QRTLEventHandle handle) {
  ThreadEvents* context = CurrentContext();
  QRTLEventHandler* handler = FindHandler(context, handle);
  if (handler == nullptr) return QRTLERR_INVALID_PARAM;
  RemoveAllRequests(context, handler);
  Unlink(&context->handlers, handler, &QRTLEventHandler::next);
  LogHandle(context, QRTL_LOG_INFO, "QRTLRemoveEventHandler destroyed handle", handler);
  delete handler;
  ReleaseContext(context);
  return QRTL_SUCCESS;
}

int32_t QRTLAddEventRequest(QRTLEventHandle handle, int32_t event) {
  ThreadEvents* context = CurrentContext();
  QRTLEventHandler* handler = FindHandler(context, handle);
  if (handler == nullptr) return QRTLERR_INVALID_PARAM;
  return AddRequest(context, handler, event);
}

int32_t QRTLRemoveEventRequest(QRTLEventHandle handle, int32_t event) {
  ThreadEvents* context = CurrentContext();
  QRTLEventHandler* handler = FindHandler(context, handle);
  if (handler == nullptr) return QRTLERR_INVALID_PARAM;
  Request* request = FindRequest(handler, event);
  if (request == nullptr) return QRTLERR_INVALID_PARAM;
  return RemoveRequest(context, handler, request);
}

int32_t QRTLRequestEvents(QRTLEventHandle handle, const int32_t* events, int32_t count) {
  ThreadEvents* context = CurrentContext();
  QRTLEventHandler* handler = FindHandler(context, handle);
  if (handler == nullptr || events == nullptr || count < 0) return QRTLERR_INVALID_PARAM;
  RemoveAllRequests(context, handler);
  if (count == 0) {
    while (events[count] != 0) ++count;
  }
  int32_t status = QRTL_SUCCESS;
  for (int32_t i = 0; i < count; ++i) {
    if (events[i] == 0) {
      status = QRTLERR_INVALID_PARAM;
      break;
    }
    status = AddRequest(context, handler, events[i]);
    if (status == QRTLWARN_DUP_EVENT) status = QRTL_SUCCESS;
    if (status != QRTL_SUCCESS) break;
  }
  // All of the list or none of it.
  if (status != QRTL_SUCCESS) RemoveAllRequests(context, handler);
  return status;
}

int32_t QRTLGenerateEvent(int32_t event, int32_t subsystem, uintptr_t param1, uintptr_t param2) {
  ThreadEvents* context = CurrentContext();
  if (context == nullptr) return QRTL_SUCCESS;
  const int64_t first = static_cast<int64_t>(subsystem) * 100;
  if (event == 0 || event < first || event > first + 99) {
    std::snprintf(context->text, sizeof context->text,
                  "QRTLGenerateEvent event %d is invalid for subsystem %d", event, subsystem);
    QRTLWriteToLog(QRTL_SUBSYSTEM_QRTL, QRTL_LOG_ERROR, context->text);
    return QRTLERR_INVALID_PARAM;
  }
  EventEntry* entry = FindEntry(context, event);
  if (entry == nullptr) return QRTL_SUCCESS;
  if (IsBeingDelivered(context, event)) return QRTLERR_EVENT_RECURSION;
  return Deliver(context, entry, subsystem, param1, param2);
}

int32_t QRTLDisableEvents(QRTLEventHandle handle) { return SetDisabled(handle, true); }

int32_t QRTLEnableEvents(QRTLEventHandle handle) { return SetDisabled(handle, false); }

int32_t QRTLAreEventsEnabled(QRTLEventHandle handle) {
  QRTLEventHandler* handler = FindHandler(CurrentContext(), handle);
  return handler != nullptr && !handler->disabled ? 1 : 0;
}

int32_t QRTLIsEventHandled(QRTLEventHandle handle, int32_t event) {
  QRTLEventHandler* handler = FindHandler(CurrentContext(), handle);
  return handler != nullptr && FindRequest(handler, event) != nullptr ? 1 : 0;
}

int32_t QRTLListEvents(QRTLEventHandle handle, int32_t* events, int32_t* status) {
  QRTLEventHandler* handler = FindHandler(CurrentContext(), handle);
  if (handler == nullptr) {
    if (status != nullptr) *status = QRTLERR_INVALID_PARAM;
    return 0;
  }
  int32_t count = 0;
  for (Request* request = handler->requests; request != nullptr; request = request->nextOfHandler) {
    if (events != nullptr) events[count] = request->entry->event;
    ++count;
  }
  if (events != nullptr) events[count] = 0;
  if (status != nullptr) *status = QRTL_SUCCESS;
  return static_cast<int32_t>(sizeof(int32_t)) * (count + 1);
}

int32_t QRTLValidateContextCleanup(void) { return CurrentContext() == nullptr ? 1 : 0; }
