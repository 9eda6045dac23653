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

// How the font list of the printer at `address` was just read
// (SnmpFontSource). The next details of that printer take it from here
// instead of reading the whole list again to find out; later ones ask anew.
void RememberFontSource(uint32_t address, int32_t source);

}  // namespace glysnmp
