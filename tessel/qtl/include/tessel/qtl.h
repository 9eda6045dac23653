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

TESSEL_END_DECLS

#endif /* TESSEL_QTL_H */
