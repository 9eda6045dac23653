// This host's own addresses, found through the socket library.
#pragma once

namespace tessel::qtl {

// Forgets the IP address found once per process and the IPX host found
// last, as if no QTLLocalAddress had run yet.
void ForgetLocalAddress();

}  // namespace tessel::qtl
