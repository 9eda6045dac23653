// The address first offered for adding a printer.
#pragma once

#include <cstdint>

namespace glysnmp {

// This host's first IPv4 address on an interface that is up and not
// loopback, so the administrator only has to change its last numbers;
// 127.0.0.1 on a host with no such interface.
uint32_t DefaultPrinterAddress();

}  // namespace glysnmp
