// This host's own addresses, found through the socket library.
#pragma once

namespace tessel::qtl {

// Forgets the IP address found once per process, so that the next
// QTLLocalAddress looks for it again.
void ForgetLocalAddress();

}  // namespace tessel::qtl
