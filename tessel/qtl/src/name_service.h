// What the name-service calls of host-name resolution share.
#pragma once

#include <cstdint>

#include "platform/winsock.h"

namespace tessel::qtl {

// The status of a failed blocking name-service call (gethostbyname,
// gethostbyaddr) from its Winsock error: no such host is QTLERR_NOT_FOUND.
int32_t BlockingLookupStatus(int error);

// The first address of a host entry as a host-order number; 0 for an entry
// without addresses.
uint32_t FirstHostAddress(const HOSTENT& host);

}  // namespace tessel::qtl
