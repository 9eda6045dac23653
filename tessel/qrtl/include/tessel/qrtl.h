/*
 * QRTL: the runtime services of tessel.
 *
 * Status texts, the process-wide log file, per-thread events, the
 * registry-backed profile store, the optional debugger library and data
 * lists. Every function returns a signed 32-bit status (0 success, negative
 * error, positive warning) unless it says otherwise; functions that return a
 * handle or a value deliver their status through a trailing pointer that may
 * be NULL. Each function lists the statuses it returns.
 *
 * When the library's start fails (when no thread-local slot is left; the
 * reason is written to standard error once) the library stays loaded:
 * QRTLEnableLogging and QRTLInstallEventHandler answer QRTLERR_INTERNAL, and
 * every other call answers as with logging off and no handler installed.
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
  XX(QRTLERR_UNTRUSTED_PROFILE, -616,                                                  \
     "Profile store file belongs to another user, or is another user's link; it is not used.") \
  XX(QRTLERR_UNTRUSTED_LOG_FILE, -615,                                                 \
     "Log file belongs to another user; no line is written to it.")                   \
  XX(QRTLERR_UNTRUSTED_LOG_LINK, -614,                                                 \
     "Log file path is a symbolic link of another user; it is not followed.")          \
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
 *
 * The file is kept small in place: once it passes the upper threshold its
 * front is cut off, and it stays the same file (links to it keep working;
 * its folder need not be writable). Lines are only ever written whole.
 *
 * The library's end (also when the process exits while threads still log)
 * writes the lines still queued; later lines get QRTLWARN_LOG_DISABLED.
 *
 * The queue is bounded: it holds at most 8192 lines and 1 MiB of text, and
 * one that reaches either bound is written at once, whatever the flush
 * count. While the file cannot be written (a full disk, a lost file) the
 * oldest lines beyond the bound are dropped; the next flush that works
 * first writes one line "N log lines were lost: the log file could not be
 * written." (subsystem QRTL, level "All"), then the lines kept.
 */

/* Creates the file (owner-only) unless it exists, and starts logging.
 * A path that is a symbolic link is followed only when the link belongs to
 * the process's user or to root, so a link another user planted in a shared
 * folder cannot turn the log onto a file of the caller; and only a file of
 * the process's user or of root is written, so a file another user made
 * there beforehand (say with mode 0666) never receives the caller's lines.
 * Both are checked again at every flush.
 * QRTL_SUCCESS; QRTLERR_ALREADY_LOGGING (the first settings stay);
 * QRTLERR_INVALID_PARAM (path NULL); QRTLERR_NOMEM; QRTLERR_OPEN_LOG (the
 * file cannot be created or opened); QRTLERR_UNTRUSTED_LOG_LINK (the path is
 * another user's link) or QRTLERR_UNTRUSTED_LOG_FILE (the file is another
 * user's): logging does not start; QRTLERR_INTERNAL (the library's start
 * failed, or it has ended). */
TESSEL_API int32_t QRTLEnableLogging(const char* path, int32_t levelMask, int32_t flushCount);
/* Writes the queued lines and stops logging; logging is off afterwards
 * whatever the result, and lines the final flush could not write are
 * dropped. QRTL_SUCCESS (also when logging was off); the flush's
 * QRTLERR_OPEN_LOG, QRTLERR_WRITE_LOG or QRTLERR_NOMEM; QRTLERR_INTERNAL. */
TESSEL_API int32_t QRTLDisableLogging(void);
/* 1 while logging is enabled, else 0. */
TESSEL_API int32_t QRTLIsLoggingEnabled(void);
/* Returns 1 and the settings while enabled, 0 and empty/zero settings when
 * not. The path is cut to length - 1 characters. Every out pointer may be
 * NULL. */
TESSEL_API int32_t QRTLGetLogParameters(char* path, int32_t length, int32_t* levelMask,
                                        int32_t* flushCount);
/* QRTL_SUCCESS (queued, or queued and flushed); QRTLWARN_LOG_DISABLED
 * (logging off: nothing done); QRTLWARN_LOG_FILTERED (level not in the
 * mask: nothing done); QRTLERR_NOMEM (the line could not be built and is
 * dropped). A flush that fails returns QRTLERR_OPEN_LOG, QRTLERR_WRITE_LOG,
 * QRTLERR_UNTRUSTED_LOG_LINK, QRTLERR_UNTRUSTED_LOG_FILE or QRTLERR_NOMEM,
 * and the lines not written stay queued for the next one
 * (up to the queue's bound).
 * After a failed flush the next ones wait a pause (10 ms doubling up to 1 s)
 * and meanwhile return the last failure without touching the file. */
TESSEL_API int32_t QRTLWriteToLog(int32_t subsystem, int32_t level, const char* text);
/* 1 when every enable has been matched by a disable, else 0. */
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
 * the thread that installed it (elsewhere it is QRTLERR_INVALID_PARAM), and an
 * event reaches only the handlers of the thread that generates it,
 * synchronously, newest subscription first.
 *
 * A thread's context holds its handlers and subscriptions; it is made by the
 * first install and freed with the last handler. A callback may remove any
 * handler of its thread, itself and the last one included: the context then
 * stays valid until the delivery that removed its last handler (and any
 * delivery around that one) has returned.
 */

/* Returns the new handle, or NULL. *status: QRTL_SUCCESS; QRTLERR_NOMEM;
 * QRTLERR_INTERNAL (the library's start failed: there is no context). */
TESSEL_API QRTLEventHandle QRTLInstallEventHandler(QRTLEventCallback callback,
                                                   uintptr_t userData, int32_t* status);
/* Removes the handler and its subscriptions. QRTL_SUCCESS;
 * QRTLERR_INVALID_PARAM (handle not found). */
TESSEL_API int32_t QRTLRemoveEventHandler(QRTLEventHandle handle);
/* QRTL_SUCCESS; QRTLWARN_DUP_EVENT (already requested); QRTLERR_INVALID_PARAM
 * (handle not found); QRTLERR_NOMEM. */
TESSEL_API int32_t QRTLAddEventRequest(QRTLEventHandle handle, int32_t event);
/* QRTL_SUCCESS; QRTLERR_INVALID_PARAM (handle not found, or the event not
 * requested); QRTLERR_INTERNAL (the thread's lists disagree). */
TESSEL_API int32_t QRTLRemoveEventRequest(QRTLEventHandle handle, int32_t event);
/* Replaces the handler's subscriptions by `events` (count 0: up to the first
 * 0 entry; a repeated number counts once); on failure none of them stays in
 * force. QRTL_SUCCESS; QRTLERR_INVALID_PARAM (handle not found, events NULL,
 * count negative, or a 0 entry within count); QRTLERR_NOMEM. */
TESSEL_API int32_t QRTLRequestEvents(QRTLEventHandle handle, const int32_t* events,
                                     int32_t count);
/* Calls the enabled subscribers of `event` in this thread. QRTL_SUCCESS (also
 * when nothing subscribes, and for any numbers in a thread without
 * handlers); QRTLERR_INVALID_PARAM (event 0 or not among subsystem * 100 to
 * subsystem * 100 + 99; logged as an error line); QRTLERR_EVENT_RECURSION
 * (the event is being delivered on this thread already); QRTLERR_NOMEM. An
 * exception thrown by a callback reaches the caller, and the delivery is
 * over as if the callback had returned. */
TESSEL_API int32_t QRTLGenerateEvent(int32_t event, int32_t subsystem, uintptr_t param1,
                                     uintptr_t param2);
/* A disabled handler keeps its subscriptions and is not called.
 * QRTL_SUCCESS; QRTLERR_INVALID_PARAM (handle not found). */
TESSEL_API int32_t QRTLDisableEvents(QRTLEventHandle handle);
TESSEL_API int32_t QRTLEnableEvents(QRTLEventHandle handle);
/* 1 when the handler is enabled; 0 when disabled or not found. */
TESSEL_API int32_t QRTLAreEventsEnabled(QRTLEventHandle handle);
/* 1 when the handler has requested the event, else 0. */
TESSEL_API int32_t QRTLIsEventHandled(QRTLEventHandle handle, int32_t event);
/* Returns the bytes the list needs, 4 * (requests + 1); `events` (may be
 * NULL) receives the numbers, newest first, then a 0. *status: QRTL_SUCCESS;
 * QRTLERR_INVALID_PARAM with result 0 (handle not found). */
TESSEL_API int32_t QRTLListEvents(QRTLEventHandle handle, int32_t* events, int32_t* status);
/* 1 when the calling thread has no context, else 0. */
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
 *
 * Where it is kept: each hive is one SQLite file, named by an environment
 * variable read when the process first uses the hive, else at its default
 * place (folders and file are made on first use):
 *   machine hive  PLATFORM_REGISTRY_HKLM  <config>/gly/registry/hklm.sqlite
 *   user hive     PLATFORM_REGISTRY_HKCU  <config>/gly/registry/hkcu.sqlite
 * where <config> is $XDG_CONFIG_HOME when it is an absolute path, else
 * $HOME/.config.
 *
 * The transport layer's settings are in scope 2 (numbers unless said):
 *   "QTL"  "Enabled Transports"  QTL_PROTO_* bits QTLGetSupportedTransports
 *                                reports; written as QTL_PROTO_DEFAULT_SET
 *                                when missing or 0
 *          "Deferred Transports" bits QTLInit(QTL_PROTO_ALL) leaves out
 *   "UDP"  "MTU"                 largest UDP datagram, 512 to 1400 (other
 *                                values: taken from the socket buffers)
 *   "IP Hosts", "IPX Hosts", "NBDG Hosts"  host tables: entry = host name,
 *          text = dotted IPv4 address or another name, IPX address text,
 *          NetBIOS name
 * The command tessel-profile(1) reads, writes and lists entries.
 */
typedef int32_t (*QRTLProfileEnumCallback)(void* context, const char* entry, const char* text);

TESSEL_BEGIN_DECLS

/*
 * Every function below that returns a status may return QRTLERR_NOT_SUPPORTED
 * (scope not supported), QRTLERR_UNAVAILABLE (the scope's keys cannot be
 * opened or created) and QRTLERR_UNTRUSTED_PROFILE (a file of the hive, or
 * the link it is reached by, belongs to another user than the process's
 * user and root: the hive is not used, and nothing is created where such a
 * link points), and QRTLERR_INVALID_PARAM for a NULL or empty section or
 * entry name.
 *
 * A hive that cannot be written (read-only folder or file, full disk) is
 * read all the same; a missing entry then reads as its default, and writes
 * fail with QRTLERR_UNAVAILABLE or QRTLERR_WRITE_PROFILE.
 */

/* Copies the stored text, or the default when the section or entry is
 * missing. QRTL_SUCCESS; QRTLERR_TOO_BIG (the text, with its NUL, does not
 * fit); QRTLERR_BAD_TYPE (the entry is not text; the buffer is then
 * undefined); QRTLERR_INVALID_PARAM (also a NULL default or buffer, or size 0
 * or less). */
TESSEL_API int32_t QRTLGetProfileEntry(const char* section, const char* entry,
                                       const char* defaultText, char* buffer, int32_t size,
                                       int32_t scope);
/* QRTL_SUCCESS; QRTLERR_INVALID_PARAM (also a NULL text); QRTLERR_UNAVAILABLE
 * (also the section cannot be created); QRTLERR_WRITE_PROFILE (the value
 * cannot be set). */
TESSEL_API int32_t QRTLWriteProfileEntry(const char* section, const char* entry,
                                         const char* text, int32_t scope);
/* The stored 4-byte number, or the default whenever anything fails. */
TESSEL_API int32_t QRTLGetProfileInt(const char* section, const char* entry,
                                     int32_t defaultValue, int32_t scope);
/* As QRTLWriteProfileEntry. */
TESSEL_API int32_t QRTLWriteProfileInt(const char* section, const char* entry, int32_t value,
                                       int32_t scope);
/* Removes the section too once its last entry is gone. QRTL_SUCCESS;
 * QRTLERR_UNAVAILABLE (also the section cannot be opened);
 * QRTLERR_WRITE_PROFILE (the entry cannot be deleted, e.g. it is missing). */
TESSEL_API int32_t QRTLDeleteProfileEntry(const char* section, const char* entry,
                                          int32_t scope);
/* The number of entries, 0 when the section is missing or an argument bad. */
TESSEL_API int32_t QRTLCountEntriesInSection(const char* section, int32_t scope);
/* Calls back for every text entry (with "" instead of the text unless
 * wantText is 1) until the callback returns non-zero. QRTL_SUCCESS (all
 * visited); QRTLWARN_CANCELLED (the callback stopped it);
 * QRTLERR_INVALID_PARAM (also a NULL callback); QRTLERR_UNAVAILABLE (also the
 * section is missing, or the enumeration failed); QRTLERR_NOMEM. */
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
 * These return no status: 1 when loaded (the count raised), 0 when not
 * enabled, not configured, blocked or not loadable.
 */
TESSEL_API int32_t QRTLLoadDebugger(void);
/* 0 when nothing is loaded; the remaining count while others still hold it;
 * after the last, the platform's unload result (non-zero on success). */
TESSEL_API int32_t QRTLUnloadDebugger(void);
/* 1 when every name was found; each variable gets its address or NULL. 0
 * when the library is not loaded, the table is NULL or a name is missing. */
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

/* Appends a node to *list and returns it, or NULL; for text, `value` points
 * to the text to copy. A list belongs to its caller and has no lock.
 * *status: QRTL_SUCCESS; QRTLERR_INVALID_PARAM (list NULL, a buffer NULL with
 * a size above 0, or a text NULL; the list is unchanged); QRTLERR_NOMEM (the
 * list is unchanged). */
TESSEL_API QRTLDataNode* QRTLAddData(QRTLDataNode** list, int32_t type, uintptr_t value,
                                     void* data, int32_t* status);
/* Frees every node with its copies and sets *list to NULL. QRTL_SUCCESS;
 * QRTLERR_INVALID_PARAM (list NULL). */
TESSEL_API int32_t QRTLDestroyDataList(QRTLDataNode** list);

TESSEL_END_DECLS

#endif /* TESSEL_QRTL_H */
