// Who a device is (the system group) and whether it is a printer, mostly
// from one GETNEXT request: it asks for the three system objects, the first
// object of the Printer MIB, the first row of the host resources device
// table (its type and description) and the first IEEE 1284 device ID.
//
// A device is a printer when its device table lists a printer, when it has
// any row of the Printer MIB (some printers give only supply rows), or when
// its device ID names a printer language. Its model text is the printer
// row's description, else the device ID's model, else sysDescr, which on
// many printers names only the network card; but a printer row that is
// generic gives way to the device ID's model.
#pragma once

#include <optional>
#include <string_view>

#include "glysnmp.h"
#include "snmp_session.h"

namespace glysnmp {

struct IdentityAnswer {
  DeviceInfo device{};  // `description` holds the model text chosen so far
  bool printer = false;
  std::optional<int32_t> printerRow;     // the device table's printer row
  std::optional<int32_t> lastDeviceRow;  // a device of another type; more rows may follow
  std::optional<int32_t> describedRow;   // the device row whose description was read
  // The candidates for the model text.
  char rowDescription[256] = {};  // hrDeviceDescr of describedRow
  char deviceIdModel[256] = {};
  char systemDescription[256] = {};
};

// A printer row's description that names no model: its first word is
// "Generic" (in any case), or it is one bare family code such as "28C-1"
// (capitals, digits and hyphens, with a digit and a hyphen, at most 16
// bytes). Blanks around it do not count.
bool IsGenericModelText(std::string_view text);

Pdu IdentityRequest();

// Reads an answer to IdentityRequest into `identity` (cleared first): the
// texts cut to their fields, unknown or mistyped values left empty. False
// when the answer reports an error or carries no system group value.
bool ReadIdentity(const netsnmp_pdu& answer, uint32_t address, IdentityAnswer* identity);

// True when the answer left nothing to ask: the device table has no
// printer row further down to look for, and the printer row's description
// is known.
bool IsSettled(const IdentityAnswer& identity);

// Asks what the answer left open (a printer further down the device table,
// its description) and settles the model text. True for a printer.
bool CompleteIdentity(Session& session, IdentityAnswer* identity);

// Asks the device its identity (ReadIdentity); false when it did not
// answer with one.
bool QueryIdentity(Session& session, uint32_t address, IdentityAnswer* identity);

}  // namespace glysnmp
