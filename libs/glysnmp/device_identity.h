// Who a device is (the system group) and whether it is a printer.
#pragma once

#include "snmp/glysnmp.h"
#include "snmp_session.h"

namespace glysnmp {

// The request for sysDescr, sysObjectID and sysName.
Pdu IdentityRequest();

// Fills `device` (cleared first) from an answer to IdentityRequest: the
// texts cut to their fields, unknown or mistyped values left empty. False
// when the answer reports an error or carries no system group value.
bool ReadIdentity(const netsnmp_pdu& answer, uint32_t address, DeviceInfo* device);

// True when the device lists a printer in the host resources device table
// or has a row in the Printer MIB's general table.
bool IsPrinter(Session& session);

// Asks the device its identity; false when it did not answer with one.
bool QueryIdentity(Session& session, uint32_t address, DeviceInfo* device);

}  // namespace glysnmp
