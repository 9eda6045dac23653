// Who a device is (the system group) and whether it is a printer, mostly
// from one GETNEXT request: it asks for the three system objects, the
// first Printer-MIB general row and the first host resources device type.
#pragma once

#include <optional>

#include "glysnmp.h"
#include "snmp_session.h"

namespace glysnmp {

struct IdentityAnswer {
  DeviceInfo device{};
  bool printer = false;                 // a general row or a printer device was seen
  std::optional<int32_t> lastDeviceRow;  // a device of another type was seen; more may follow
};

Pdu IdentityRequest();

// Reads an answer to IdentityRequest into `identity` (cleared first): the
// texts cut to their fields, unknown or mistyped values left empty. False
// when the answer reports an error or carries no system group value.
bool ReadIdentity(const netsnmp_pdu& answer, uint32_t address, IdentityAnswer* identity);

// True when the answer showed a printer, or the device table holds one
// after the device the answer showed.
bool IsPrinter(Session& session, const IdentityAnswer& identity);

// Asks the device its identity; false when it did not answer with one.
bool QueryIdentity(Session& session, uint32_t address, IdentityAnswer* identity);

}  // namespace glysnmp
