/*
 * QTL: the message-oriented transport layer of tessel.
 *
 * Every function returns a signed 32-bit status (0 success, negative error,
 * positive warning) unless it says otherwise.
 */
#ifndef TESSEL_QTL_H
#define TESSEL_QTL_H

#include "tessel/api.h"
#include "tessel/qrtl.h"

/* ---------------------------------------------------------------- status */

/*
 * One row per status: XX(name, code, message), in table order. The constants
 * below and both lookups of QTLErrToString come from this table. The message
 * texts are the ones callers have always seen, spelling included.
 */
#define QTL_STATUS_MAP(XX)                                                                  \
  XX(QTLERR_BAD_CONTEXT, -339,                                                              \
     "An invalid context has been specifed or a function has been called from the wrong "   \
     "context.")                                                                            \
  XX(QTLERR_BLOCK_MODE_SET, -338, "Blocking mode has already been set for the current thread.") \
  XX(QTLERR_PING_TIMEOUT, -337, "Ping request timed out.")                                  \
  XX(QTLERR_PING_ERROR, -336, "Miscellaneous Ping error.")                                  \
  XX(QTLERR_ICMP_INIT, -335, "Unable to initialize ICMP protocol.")                         \
  XX(QTLERR_NOT_ENABLED, -334, "Selected protocol is not enabled.")                         \
  XX(QTLERR_NOT_FOUND, -333, "Data was not found e.g. could not get host data.")            \
  XX(QTLERR_NO_TIMER, -332, "Unable to enable timing service.")                             \
  XX(QTLERR_TOO_BIG, -331, "Packet was too large to send on the specified transport.")      \
  XX(QTLERR_NO_MAC, -330, "Unable to determine MAC address.")                               \
  XX(QTLERR_NB_INIT, -329, "Unable to initailize netbios.")                                 \
  XX(QTLERR_WINSOCK_INIT, -328, "Unable to initialize Winsock library.")                    \
  XX(QTLERR_NOT_SUPPORTED, -327,                                                            \
     "Attempted operation is not supported for the current protocol.")                      \
  XX(QTLERR_NOT_CONNECTED, -326, "Endpoint is not currently connected.")                    \
  XX(QTLERR_SPX_INIT, -325, "Unable to initialize SPX transport.")                          \
  XX(QTLERR_TCP_INIT, -324, "Unable to initialize TCP transport.")                          \
  XX(QTLERR_CANCELLED, -323, "Delay operation was cancelled.")                              \
  XX(QTLERR_LOCAL_INIT, -322, "Unable to initialize local communications.")                 \
  XX(QTLERR_BAD_ADDRESS, -321, "Invalid address specified.")                                \
  XX(QTLERR_WRITE_ONLY, -320, "Cannot receive from an endpoint not opened for reading.")    \
  XX(QTLERR_TOO_LARGE, -319, "Supplied buffer was not large enough to receive incoming data.") \
  XX(QTLERR_READ_ONLY, -318, "Cannot send on an endpoint not opened for writing.")          \
  XX(QTLERR_SOCKET_BUSY, -317, "Socket is currently unavailable.")                          \
  XX(QTLERR_NOT_ALL_SENT, -316, "A partial packet was sent.")                               \
  XX(QTLERR_TRANSPORT_ERR, -315, "Transport provider detected an error.")                   \
  XX(QTLERR_ALREADY_BOUND, -314, "Cannot bind a socket that is already bound.")             \
  XX(QTLERR_BIND_FAILED, -312, "Could not bind socket to local port number.")               \
  XX(QTLERR_BLOCKING, -311, "A block is already in progress.")                              \
  XX(QTLERR_NO_INIT, -310, "Operation can not be completed until QTLInit is executed.")     \
  XX(QTLERR_SOCKET_DESTROY, -309, "Problem while closing socket.")                          \
  XX(QTLERR_SOCKET_CREATE, -308, "Unable to open socket.")                                  \
  XX(QTLERR_INVALID_PARAM, -307, "Invalid parameter supplied to function.")                 \
  XX(QTLERR_NOMEM, -306, "Unable to allocate memory.")                                      \
  XX(QTLERR_INTERNAL, -305, "Internal logic error.")                                        \
  XX(QTLERR_IPC_INIT, -304, "Unable to initialize IPC transport.")                          \
  XX(QTLERR_DDP_INIT, -303, "Unable to initialize DDP transport.")                          \
  XX(QTLERR_UDP_INIT, -302, "Unable to initialize UDP transport.")                          \
  XX(QTLERR_IPX_INIT, -301, "Unable to initialize IPX transport.")                          \
  XX(QTL_SUCCESS, 0, "Operation completed successfully.")                                   \
  XX(QTLWARN_TIMEOUT, 301, "Delay operation was never cancelled.")                          \
  XX(QTLWARN_NODATA, 302, "No data is currently available on the specified endpoint.")      \
  XX(QTLWARN_PRIOR_FAILED, 303, "A previous packet send has failed.")                       \
  XX(QTLWARN_CONNECTING, 304,                                                               \
     "Socket will be unavailable until connection establishment completes.")                \
  XX(QTLWARN_OOB, 305, "Socket received out of band data.")

enum {
#define QTL_STATUS_CONSTANT(name, code, message) name = (code),
  QTL_STATUS_MAP(QTL_STATUS_CONSTANT)
#undef QTL_STATUS_CONSTANT
  /* Returned for the local port of an endpoint never bound. It has never had
   * a row of its own, so its texts are the runtime table's "Unknown error". */
  QTLERR_NOT_BOUND = -313
};


/* ------------------------------------------------------------ transports */

/* A transport is one bit; a set of transports is a mask of them. */
#define QTL_PROTO_UDP 0x0001u
#define QTL_PROTO_IPX 0x0002u
#define QTL_PROTO_NETBIOS 0x0010u
#define QTL_PROTO_TCP 0x0100u
#define QTL_PROTO_SPX 0x0200u
/* Every enabled transport but the deferred ones; a request value only. */
#define QTL_PROTO_ALL 0x7FFFu
/* The five transports together: what "Enabled Transports" defaults to. */
#define QTL_PROTO_DEFAULT_SET 0x0313u

/* Messages of the library's hidden windows (class "QTL32"). */
#define QTLMSG_WAKE 1324u
#define QTLMSG_CLOSE 1325u
#define QTLMSG_SOCKET 1326u
#define QTLMSG_NAME_DONE 1327u
#define QTLMSG_ADDR_DONE 1328u
#define QTLMSG_ABORT 1329u

/* Events handed to an endpoint's notifier. */
#define QTLEV_DATA 1
#define QTLEV_WRITE 2
#define QTLEV_ERROR 3
#define QTLEV_CONNECT 4

/* Endpoint modes: notify when data arrives, when the socket can send. */
#define QTL_MODE_READ 1
#define QTL_MODE_WRITE 2

/* Items of QTLGetInfo and QTLGetProtocolInfo. */
#define QTLINFO_MAX_PACKET 1
#define QTLINFO_LOCAL_PORT 2
#define QTLINFO_STREAM 3
#define QTLINFO_SNMP_PORT 4
#define QTLINFO_TRAP_PORT 5
#define QTLINFO_RPC_PORT 6
#define QTLINFO_CONNECTED 7
#define QTLINFO_STREAM_PROTOCOL 8
#define QTLINFO_ADDRESS_FAMILY 9
#define QTLINFO_QUEUED_BYTES 11
#define QTLINFO_ORDINAL 12

/*
 * The protocol-tagged address every QTL call exchanges: 20 bytes. Bytes not
 * named for a protocol are zero when the library fills a record.
 */
typedef struct NetAddress {
  uint32_t protocol; /* a transport bit */
  union {
    struct {
      uint16_t port;    /* host byte order */
      uint16_t zero1;
      uint32_t address; /* host byte order: the first dotted part is the high byte */
      uint8_t zero2[8];
    } ip;
    struct {
      uint8_t network[4]; /* as on the wire */
      uint8_t node[6];    /* as on the wire */
      uint8_t socket[2];  /* big-endian */
      uint8_t zero[4];
    } ipx;
    struct {
      char name[12]; /* upper case, not terminated */
      char suffix[2];
      uint16_t port; /* host byte order */
    } netbios;
  } u;
} NetAddress;

#ifdef __cplusplus
static_assert(sizeof(NetAddress) == 20, "NetAddress is 20 bytes");
static_assert(offsetof(NetAddress, u.ip.port) == 4 && offsetof(NetAddress, u.ip.address) == 8,
              "IP fields sit at +4 and +8");
static_assert(offsetof(NetAddress, u.ipx.node) == 8 && offsetof(NetAddress, u.ipx.socket) == 14,
              "IPX fields sit at +8 and +14");
static_assert(offsetof(NetAddress, u.netbios.port) == 18, "the NetBIOS port sits at +18");
#endif

/* Opaque handles; the library allocates and frees what is behind them. */
typedef struct QTLEndpointRecord* QTLEndpoint;
typedef struct QTLPacketRecord* QTLPacket;

/* Runs on the thread being woken's behalf, on the producing thread, with a
 * library lock held: it must only arrange for that thread to call
 * QTLProcessData, never wait for it. */
typedef void (*QTLWakeFunction)(uint32_t threadId, uintptr_t userData);
/* Runs on the endpoint's owner thread inside QTLProcessData, no lock held. */
typedef void (*QTLNotifier)(QTLEndpoint endpoint, int32_t event, int32_t status,
                            uintptr_t notifierData);

/* What QTLErrToString returns for a code. */
#define QTL_TEXT_NAME 1
#define QTL_TEXT_MESSAGE 2

TESSEL_BEGIN_DECLS

/*
 * The name (which 1) or message (which 2) of a transport status; "" for any
 * other `which`. Codes without a row are answered by QRTLErrToString. The
 * text is static. Any thread, with or without QTLInit.
 */
TESSEL_API const char* QTLErrToString(int32_t code, int32_t which);

/* ------------------------------------------------------ set-up, contexts */

/* Creates or references the calling thread's context and starts the
 * transports of `protocols` (a mask, 0 for the context alone, or
 * QTL_PROTO_ALL). Balance each success with QTLCleanup(protocols). */
TESSEL_API int32_t QTLInit(uint32_t protocols);
TESSEL_API int32_t QTLCleanup(uint32_t protocols);
/* As QTLInit, and wake-ups of this thread call wakeFunction instead of
 * posting QTLMSG_WAKE to its hidden window. One at a time per thread. */
TESSEL_API int32_t QTLInitEx(uint32_t protocols, QTLWakeFunction wakeFunction, uintptr_t userData);
TESSEL_API int32_t QTLCleanupEx(void);

/* The "Enabled Transports" mask (written as the default set when 0). */
TESSEL_API uint32_t QTLGetSupportedTransports(void);
TESSEL_API uint32_t QTLGetLoadedTransports(void);
/* The calling thread's id. */
TESSEL_API uint32_t QTLGetContext(void);
/* Always 1. */
TESSEL_API int32_t QTLValidateCleanup(void);
/* 1 when the calling thread holds no context. */
TESSEL_API int32_t QTLValidateContextCleanup(void);

/* Delivers the calling thread's pending events through its notifiers. */
TESSEL_API void QTLProcessData(void);
/* The window procedure of class "QTL32"; never called directly. */
TESSEL_API intptr_t DummyWindowMessageHandler(void* window, uint32_t message, uintptr_t wParam,
                                              intptr_t lParam);

/* ---------------------------------------------------- endpoints, packets */

/* protocol: UDP, IPX, TCP or SPX; mode: QTL_MODE_* bits (0..3). */
TESSEL_API QTLEndpoint QTLOpenEndpoint(uint32_t protocol, int32_t mode, int32_t* status);
/* On the owner thread only (elsewhere QTLERR_BAD_CONTEXT). */
TESSEL_API int32_t QTLCloseEndpoint(QTLEndpoint endpoint);
TESSEL_API int32_t QTLBind(QTLEndpoint endpoint, uint32_t port);
TESSEL_API int32_t QTLConnect(QTLEndpoint endpoint, NetAddress address);
TESSEL_API int32_t QTLDisconnect(void);
TESSEL_API int32_t QTLInstallNotifier(QTLEndpoint endpoint, QTLNotifier notifier,
                                      uintptr_t notifierData);
TESSEL_API uint32_t QTLGetInfo(QTLEndpoint endpoint, int32_t item, int32_t* status);
TESSEL_API uint32_t QTLGetProtocolInfo(uint32_t protocol, int32_t item, int32_t* status);
/* which 1: short name, 2: transport-domain identifier. Returns the size the
 * text needs with its NUL (copied to `out` when not NULL), 0 for none. */
TESSEL_API int32_t QTLGetProtocolString(uint32_t protocol, int32_t which, char* out);
/* Hands out the oldest data record without copying; give it back with
 * QTLReleasePacket. *data stays valid until then. */
TESSEL_API QTLPacket QTLAcquirePacket(QTLEndpoint endpoint, NetAddress* from, uint8_t** data,
                                      int32_t* length, int32_t* status);
TESSEL_API int32_t QTLReleasePacket(QTLEndpoint endpoint, QTLPacket packet);
TESSEL_API int32_t QTLReceivePacket(QTLEndpoint endpoint, NetAddress* from, uint8_t* buffer,
                                    int32_t size, int32_t* length);
TESSEL_API int32_t QTLSendPacket(QTLEndpoint endpoint, NetAddress to, const uint8_t* data,
                                 int32_t length);
TESSEL_API int32_t QTLResolveAddress(void);

/* ------------------------------------------------------------- addresses */

/*
 * Text forms: IP "a.b.c.d"; IPX 8 hexadecimal digits of network, a dot, 12
 * of node, lower case; NetBIOS the 12 name characters (not terminated unless
 * `size` leaves room). No form carries the port. `size` bytes of `out` are
 * zeroed first; IP needs 16, IPX 22, NetBIOS 12.
 */
TESSEL_API int32_t QTLNetAddrToString(NetAddress address, char* out, uint32_t size);
/* The reverse, after a syntax check of `text` for `protocol`
 * (QTLERR_INVALID_PARAM when it fails). An IP part above 255 gives the
 * address 0 with success. */
TESSEL_API int32_t QTLStringToNetAddr(const char* text, uint32_t protocol, NetAddress* out);
/* 1 when both addresses have the same protocol and host and, unless mode is
 * QTL_COMPARE_HOSTS, the same port; else 0. */
#define QTL_COMPARE_HOSTS 1
TESSEL_API int32_t QTLAddressesEqual(int32_t mode, const NetAddress* a, const NetAddress* b);
/* Stores `protocol` and the port (IPX: socket number) in `out`; the rest of
 * the record stays as it was. */
TESSEL_API int32_t QTLFillPortNumber(uint32_t protocol, uint32_t port, NetAddress* out);
/* This host's address on `protocol` (UDP, TCP, IPX or SPX), port 0. Needs
 * the transport started on some thread. The IP address is found once per
 * process and kept. */
TESSEL_API int32_t QTLLocalAddress(uint32_t protocol, NetAddress* out);
/* The broadcast address of `protocol` with the given port. */
TESSEL_API int32_t QTLBroadcastAddress(uint32_t protocol, uint32_t port, NetAddress* out);

/* ------------------------------------------------- address and host lists */

/* States of list nodes while a look-up works on them. */
#define QTL_NODE_PENDING 0
#define QTL_NODE_IN_PROGRESS 1
#define QTL_NODE_ANSWERED 2
#define QTL_NODE_NO_RESPONSE 3

/* Nodes are made and freed by the library; the list head (a pointer to the
 * first node, NULL when empty) is the caller's. New nodes go to the head,
 * so a list runs from the newest node to the oldest. */
typedef struct AddressNode {
  NetAddress address;
  int32_t state; /* QTL_NODE_* */
  void* userValue;
  struct AddressNode* next;
} AddressNode;

typedef struct HostNode {
  char* name; /* the library's copy */
  int32_t state; /* QTL_NODE_* */
  void* userValue;
  struct HostNode* next;
} HostNode;

/* Every address of a list has the same address format (QTLERR_BAD_ADDRESS
 * otherwise). A failed add leaves the list as it was. No context needed;
 * a list must not change while a look-up uses it. */
TESSEL_API int32_t QTLAddAddress(AddressNode** list, const NetAddress* address, void* userValue);
TESSEL_API int32_t QTLCleanupAddressList(AddressNode** list);
TESSEL_API int32_t QTLCountAddressList(const AddressNode* first);
/* Marks every node not answered as QTL_NODE_NO_RESPONSE; returns NULL. */
TESSEL_API void* QTLSetAddressListNoResponses(AddressNode* first);
TESSEL_API int32_t QTLAddHost(HostNode** list, const char* name, void* userValue);
TESSEL_API int32_t QTLCleanupHostList(HostNode** list);

/* ------------------------------------------------------------------ ping */

/*
 * Asks `target` for an echo and waits up to `seconds` (above 0). UDP and
 * TCP targets get an ICMP echo, which blocks the calling thread; IPX and
 * SPX targets an IPX datagram to socket 22020, answered by any datagram
 * back, while the thread waits in QTLDelay. Other protocols succeed at
 * once. IP: QTLERR_PING_TIMEOUT or QTLERR_PING_ERROR; IPX: QTLWARN_TIMEOUT
 * when nothing came back, QTLERR_BLOCKING from inside a running delay.
 */
TESSEL_API int32_t QTLPing(const NetAddress* target, int32_t seconds);

/* ------------------------------------------------------ delays, timers */

/*
 * Waiting without giving up message handling. The usual pattern:
 * QTLArmDelay(), start an operation whose completion calls
 * QTLCancelDelay(1), then QTLDelay(n): 0 completed, QTLWARN_TIMEOUT not in
 * time, QTLERR_CANCELLED aborted. Everything here works on the calling
 * thread's context unless it names another.
 */

/* seconds 0: handle what is pending once; -1: until cancelled; n > 0: at
 * most n seconds. A delay with seconds other than 0 inside another one is
 * refused with QTLERR_BLOCKING. */
TESSEL_API int32_t QTLDelay(int32_t seconds);
/* Keeps a cancellation made before the next QTLDelay, which then ends at
 * once. */
TESSEL_API int32_t QTLArmDelay(void);
/* how 1: the awaited event happened; 2: abort. An abort stays an abort. */
TESSEL_API void QTLCancelDelay(int32_t how);
/* QTLCancelDelay(how) on the thread whose QTLGetContext() is `context`, from
 * any thread; applied by that thread's next QTLProcessData. */
TESSEL_API int32_t QTLCancelDelayInContext(uint32_t context, int32_t how);
/* 1 inside a delay with seconds other than 0, else 0. */
TESSEL_API int32_t QTLIsDelaying(void);

/* Called again and again while a delay handles messages; non-zero asks to
 * be called again at once. The default hook dispatches one queued message
 * of the thread and says whether there was one. */
typedef int32_t (*QTLBlockingHook)(void);
/* Returns the previous hook (the default hook when none was set). A null
 * hook changes nothing (QTLERR_INVALID_PARAM). */
TESSEL_API QTLBlockingHook QTLSetBlockingHook(QTLBlockingHook hook, int32_t* status);
TESSEL_API int32_t QTLSetDefaultBlockingHook(void);

/* One-shot timers. The function runs once, on the thread that set the
 * timer, inside its QTLProcessData, no lock held; the timer is freed after
 * it returns. */
typedef struct QTLTimerRecord* QTLTimer;
typedef void (*QTLTimerFunction)(QTLTimer timer, uintptr_t userData);
TESSEL_API QTLTimer QTLInitTimer(uint32_t milliseconds, uintptr_t userData,
                                 QTLTimerFunction function, int32_t* status);
/* QTLERR_INTERNAL while the timer's function runs; a timer that already ran
 * or was cancelled changes nothing. */
TESSEL_API int32_t QTLCancelTimer(QTLTimer timer);

/* Event 301 of subsystem 3 through QRTLGenerateEvent, every second, on the
 * calling thread while at least one enable is outstanding. */
#define QTL_EVENT_PULSE 301
TESSEL_API int32_t QTLEnable1SecPulse(void);
TESSEL_API int32_t QTLDisable1SecPulse(void);
/* ------------------------------------------------------------ host names */

/*
 * Names are looked up in the host tables of the profile store first ("IP
 * Hosts", "IPX Hosts", "NBDG Hosts", scope 2, keyed by the name as written),
 * then, for IP, in the name service. Results reach the result function once
 * per host, on the calling thread, before the call returns. A look-up that
 * has to wait does so in QTLDelay(-1), so it is refused with QTLERR_BLOCKING
 * on a thread that is already delaying.
 */

/* A forward look-up's result: the address (valid during the call only; a
 * copy when status is 0 or more), the host name as listed and the host
 * node's user value. */
typedef void (*QTLAddressResultFunction)(NetAddress* address, int32_t status, const char* name,
                                         void* userValue);
/* A reverse look-up's result: the address node, the host name (up to 128
 * bytes with its terminator, empty unless status is 0) and the node's user
 * value. */
typedef void (*QTLNameResultFunction)(AddressNode* node, int32_t status, const char* name,
                                      void* userValue);

/* The address of one host name; QTLERR_NOT_FOUND when nothing knows it. */
TESSEL_API int32_t QTLGetAddrFromHostName(uint32_t protocol, const char* name, NetAddress* out);
/* The addresses of a list of host names. UDP and TCP resolve by IP, IPX and
 * SPX through "IPX Hosts", NetBIOS through "NBDG Hosts". For IP a failure
 * other than QTLERR_NOT_FOUND ends the list; hosts left unanswered get state
 * no-response. Needs a context with the transport started. */
TESSEL_API int32_t QTLGetManyAddrFromHostName(uint32_t protocol, HostNode** hosts,
                                              QTLAddressResultFunction function);
/* The name of one IP address into buffer (size bytes with the terminator;
 * QTLERR_TOO_LARGE when it does not fit). Another address gives the empty
 * name, or the failure to start its transport. */
TESSEL_API int32_t QTLGetHostNameFromAddr(const NetAddress* address, char* buffer, int32_t size);
/* The names of a list of addresses of one address family, looked up by up
 * to 10 threads at once. A QTLCancelDelay(2) on the calling thread while it
 * waits makes it return QTLERR_CANCELLED without results once the lookups
 * under way have ended. Addresses other than IP have no names: success
 * without results once their transport starts, else the start's failure
 * (QTLERR_IPX_INIT, QTLERR_NB_INIT). */
TESSEL_API int32_t QTLGetManyHostNameFromAddr(AddressNode** addresses,
                                              QTLNameResultFunction function);

TESSEL_END_DECLS

#endif /* TESSEL_QTL_H */
