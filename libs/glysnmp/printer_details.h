// What glyctl shows of a printer besides its record: identity, serial
// number, storage areas with their free space, and how its fonts are read.
#pragma once

#include <optional>

#include "glysnmp.h"
#include "pjl_inventory.h"
#include "snmp_session.h"

namespace glysnmp {

// nullopt when the printer did not answer at all.
std::optional<SnmpPrinterDetails> QueryPrinterDetails(Session& session, const PjlPrinter& printer);

}  // namespace glysnmp
