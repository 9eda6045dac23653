/*
 * QRTL: the runtime services of tessel.
 *
 * Status texts, the process-wide log file, per-thread events, the
 * registry-backed profile store, the optional debugger library and data
 * lists. Every function returns a signed 32-bit status (0 success, negative
 * error, positive warning) unless it says otherwise; functions that return a
 * handle or a value deliver their status through a trailing pointer that may
 * be NULL.
 */
#ifndef TESSEL_QRTL_H
#define TESSEL_QRTL_H

#include "tessel/api.h"

/* ---------------------------------------------------------------- status */

/*
 * One row per status: XX(name, code, message), in ascending code order. The
 * constants below and both lookups of QRTLErrToString come from this table.
 */
#define QRTL_STATUS_MAP(XX)                                                            \
  XX(QRTLERR_BAD_TYPE, -613, "Value in profile was the wrong type.")                   \
  XX(QRTLERR_UNAVAILABLE, -612, "Could not access requested profile.")                 \
  XX(QRTLERR_WRITE_PROFILE, -611, "Unable to write profile information.")              \
  XX(QRTLERR_TOO_BIG, -610, "Result does not fit into passed buffer.")                 \
  XX(QRTLERR_NOT_SUPPORTED, -609, "Operation is not currently supported.")             \
  XX(QRTLERR_EVENT_RECURSION, -608,                                                    \
     "Attempt was made to generate the same event from an event handling routine.")    \
  XX(QRTLERR_INVALID_PARAM, -607, "Invalid parameter supplied to function.")           \
  XX(QRTLERR_LOAD_FAILED, -606, "Could not load dynamic library.")                     \
  XX(QRTLERR_WRITE_LOG, -605, "Could not write to log file.")                          \
  XX(QRTLERR_OPEN_LOG, -604, "Could not open log file.")                               \
  XX(QRTLERR_ALREADY_LOGGING, -603, "Logging can not be enabled more than once.")      \
  XX(QRTLERR_INTERNAL, -602, "Internal logic error.")                                  \
  XX(QRTLERR_NOMEM, -601, "Unable to allocate memory.")                                \
  XX(QRTL_SUCCESS, 0, "Operation completed successfully.")                             \
  XX(QRTLWARN_LOG_DISABLED, 601, "Logging is not currently enabled.")                  \
  XX(QRTLWARN_LOG_FILTERED, 602, "This log entry was not logged because it was filtered.") \
  XX(QRTLWARN_DUP_EVENT, 603, "Event is already registered.")                          \
  XX(QRTLWARN_CANCELLED, 604, "Operation was cancelled before completing.")

enum {
#define QRTL_STATUS_CONSTANT(name, code, message) name = (code),
  QRTL_STATUS_MAP(QRTL_STATUS_CONSTANT)
#undef QRTL_STATUS_CONSTANT
};

/* What QRTLErrToString returns for a code. */
#define QRTL_TEXT_NAME 1
#define QRTL_TEXT_MESSAGE 2

TESSEL_BEGIN_DECLS

/*
 * The name (kind 1) or message (kind 2) of a status; "" for any other kind;
 * "Unknown error" / "Unknown warning" for a code without a row. The text is
 * the library's and lives as long as it is loaded. Any thread.
 */
TESSEL_API const char* QRTLErrToString(int32_t code, int32_t kind);

TESSEL_END_DECLS

/* --------------------------------------------------------------- logging */

/* Level bits of a log line. */
#define QRTL_LOG_ERROR 1
#define QRTL_LOG_WARNING 2
#define QRTL_LOG_INFO 4
#define QRTL_LOG_DEBUG 8
#define QRTL_LOG_ALL 15

/* The subsystem numbers tessel logs under itself. */
#define QRTL_SUBSYSTEM_QTL 3
#define QRTL_SUBSYSTEM_QRTL 6

TESSEL_BEGIN_DECLS

/*
 * One log file per process, shared by every client. Lines are queued and
 * appended when flushCount are waiting or an error line is logged. Any thread
 * may call any of these; they serialise on one process-wide lock.
 */
TESSEL_API int32_t QRTLEnableLogging(const char* path, int32_t levelMask, int32_t flushCount);
TESSEL_API int32_t QRTLDisableLogging(void);
TESSEL_API int32_t QRTLIsLoggingEnabled(void);
/* Returns 1 and the settings while enabled, 0 and empty/zero settings when
 * not. The path is cut to length - 1 characters. Every out pointer may be
 * NULL. */
TESSEL_API int32_t QRTLGetLogParameters(char* path, int32_t length, int32_t* levelMask,
                                        int32_t* flushCount);
TESSEL_API int32_t QRTLWriteToLog(int32_t subsystem, int32_t level, const char* text);
/* 1 when every enable has been matched by a disable. */
TESSEL_API int32_t QRTLValidateCleanup(void);

TESSEL_END_DECLS

/* ---------------------------------------------------------------- events */

/* Subsystem s owns the event numbers s * 100 to s * 100 + 99. */
typedef struct QRTLEventHandler* QRTLEventHandle;
typedef void (*QRTLEventCallback)(int32_t event, int32_t subsystem, uintptr_t userData,
                                  uintptr_t param1, uintptr_t param2);

TESSEL_BEGIN_DECLS

/*
 * Everything here belongs to the calling thread: a handle is known only to
 * the thread that installed it, and an event reaches only the handlers of the
 * thread that generates it, synchronously, newest subscription first.
 */
TESSEL_API QRTLEventHandle QRTLInstallEventHandler(QRTLEventCallback callback,
                                                   uintptr_t userData, int32_t* status);
TESSEL_API int32_t QRTLRemoveEventHandler(QRTLEventHandle handle);
TESSEL_API int32_t QRTLAddEventRequest(QRTLEventHandle handle, int32_t event);
TESSEL_API int32_t QRTLRemoveEventRequest(QRTLEventHandle handle, int32_t event);
/* Replaces the handler's subscriptions by `events` (count 0: up to the first
 * 0 entry); on failure none of them stays in force. */
TESSEL_API int32_t QRTLRequestEvents(QRTLEventHandle handle, const int32_t* events,
                                     int32_t count);
/* An event generated again while it is being delivered on this thread is
 * refused with QRTLERR_EVENT_RECURSION. */
TESSEL_API int32_t QRTLGenerateEvent(int32_t event, int32_t subsystem, uintptr_t param1,
                                     uintptr_t param2);
TESSEL_API int32_t QRTLDisableEvents(QRTLEventHandle handle);
TESSEL_API int32_t QRTLEnableEvents(QRTLEventHandle handle);
TESSEL_API int32_t QRTLAreEventsEnabled(QRTLEventHandle handle);
TESSEL_API int32_t QRTLIsEventHandled(QRTLEventHandle handle, int32_t event);
/* Returns the bytes the list needs, 4 * (requests + 1); `events` (may be
 * NULL) receives the numbers, newest first, then a 0. */
TESSEL_API int32_t QRTLListEvents(QRTLEventHandle handle, int32_t* events, int32_t* status);
/* 1 when the calling thread holds no event handler. */
TESSEL_API int32_t QRTLValidateContextCleanup(void);

TESSEL_END_DECLS

/* --------------------------------------------------------- profile store */

/*
 * Scopes: 0/1 "Client", 2/3 "Infrastructure", 4/5 "PDK\Debug", 6/7 "PDK",
 * 8 "PDK\Installed Products", 11 "Client\Debug"; even scopes (and 11) on the
 * machine hive, odd ones on the user hive, all under
 * "Software\Ostrel\Pivotline". Other scopes are QRTLERR_NOT_SUPPORTED.
 * Sections are keys of the scope, entries their values; names match without
 * case. Any thread; concurrent writers are ordered by the registry.
 */
typedef int32_t (*QRTLProfileEnumCallback)(void* context, const char* entry, const char* text);

TESSEL_BEGIN_DECLS

TESSEL_API int32_t QRTLGetProfileEntry(const char* section, const char* entry,
                                       const char* defaultText, char* buffer, int32_t size,
                                       int32_t scope);
TESSEL_API int32_t QRTLWriteProfileEntry(const char* section, const char* entry,
                                         const char* text, int32_t scope);
/* The stored 4-byte number, or the default whenever anything fails. */
TESSEL_API int32_t QRTLGetProfileInt(const char* section, const char* entry,
                                     int32_t defaultValue, int32_t scope);
TESSEL_API int32_t QRTLWriteProfileInt(const char* section, const char* entry, int32_t value,
                                       int32_t scope);
/* Removes the section too once its last entry is gone. */
TESSEL_API int32_t QRTLDeleteProfileEntry(const char* section, const char* entry,
                                          int32_t scope);
/* The number of entries, 0 when the section is missing or an argument bad. */
TESSEL_API int32_t QRTLCountEntriesInSection(const char* section, int32_t scope);
/* Calls back for every text entry (with "" instead of the text unless
 * wantText is 1) until the callback returns non-zero: QRTLWARN_CANCELLED. */
TESSEL_API int32_t QRTLEnumProfileSection(const char* section,
                                          QRTLProfileEnumCallback callback, void* context,
                                          int32_t wantText, int32_t scope);

TESSEL_END_DECLS

/* ------------------------------------------------------ debugger library */

typedef void (*QRTLProc)(void);

/* A name to resolve and the variable that receives its address; a table
 * ends with a row whose variable is NULL. */
typedef struct QRTLEntryPoint {
  const char* name;
  QRTLProc* variable;
} QRTLEntryPoint;

TESSEL_BEGIN_DECLS

/*
 * Loads the library named by "ReleaseDll" in section "QDebug" of scope 2 when
 * "Enabled" is non-zero, counting loads. Call these from one thread at a time.
 */
TESSEL_API int32_t QRTLLoadDebugger(void);
TESSEL_API int32_t QRTLUnloadDebugger(void);
/* 1 when every name was found; each variable gets its address or NULL. */
TESSEL_API int32_t QRTLGetDebugEntryPoints(const QRTLEntryPoint* table);

TESSEL_END_DECLS

/* ------------------------------------------------------------ data lists */

/* Node types whose data the library copies. */
#define QRTL_DATA_BUFFER 4
#define QRTL_DATA_BUFFER_ALT 5
#define QRTL_DATA_TEXT 6

/*
 * One value of a data list. For buffers `value` is the size and `data` the
 * library's copy; for text `value` holds the library's copy of the text (a
 * pointer) and `data` is the caller's; other types keep both as given.
 */
typedef struct QRTLDataNode {
  int32_t type;
  uintptr_t value;
  void* data;
  struct QRTLDataNode* next;
} QRTLDataNode;

TESSEL_BEGIN_DECLS

/* Appends a node to *list; for text, `value` points to the text to copy. A
 * list belongs to its caller and has no lock. */
TESSEL_API QRTLDataNode* QRTLAddData(QRTLDataNode** list, int32_t type, uintptr_t value,
                                     void* data, int32_t* status);
TESSEL_API int32_t QRTLDestroyDataList(QRTLDataNode** list);

TESSEL_END_DECLS

#endif /* TESSEL_QRTL_H */
