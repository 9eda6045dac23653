// What the two stream transports, TCP and SPX, share: connecting, sending,
// and the information items of a connection.
#pragma once

#include <cstdint>

#include "endpoint.h"

namespace tessel::qtl {

// connect to `to` (toLength bytes). A connect that goes on in the
// background logs "<name> connect would block" and gives
// QTLWARN_CONNECTING; its outcome arrives as a connect event.
int32_t ConnectStream(Endpoint& endpoint, const char* name, const SOCKADDR* to, int toLength);

// send on the connection; the NetAddress of QTLSendPacket is not used.
int32_t SendStream(Endpoint& endpoint, const NetAddress& to, const uint8_t* data, int32_t length);

// Items 3 (stream), 7 (connected) and 11 (bytes queued) of a stream
// endpoint; every other item is the datagram sibling's (`sibling`).
uint32_t StreamInfo(Endpoint& endpoint, int32_t item, int32_t* status,
                    uint32_t (*sibling)(Endpoint& endpoint, int32_t item, int32_t* status));

}  // namespace tessel::qtl
