#include "device_identity.h"

#include "answer_values.h"
#include "table_walk.h"

namespace glysnmp {
namespace {

// GETNEXT of an object gives its first instance: .0 for the scalars.
const Oid kSysDescrObject = {1, 3, 6, 1, 2, 1, 1, 1};
const Oid kSysObjectIdObject = {1, 3, 6, 1, 2, 1, 1, 2};
const Oid kSysNameObject = {1, 3, 6, 1, 2, 1, 1, 5};

bool Names(const netsnmp_variable_list& value, const Oid& name) {
  return snmp_oid_compare(value.name, value.name_length, name.data(), name.size()) == 0;
}

}  // namespace

Pdu IdentityRequest() {
  return MakeRequest(SNMP_MSG_GETNEXT, {kSysDescrObject, kSysObjectIdObject, kSysNameObject, oids::kPrtGeneralEntry,
                                        oids::kHrDeviceType});
}

bool ReadIdentity(const netsnmp_pdu& answer, uint32_t address, IdentityAnswer* identity) {
  *identity = IdentityAnswer{};
  DeviceInfo& device = identity->device;
  device.address = address;
  if (answer.command != SNMP_MSG_RESPONSE || answer.errstat != SNMP_ERR_NOERROR) return false;
  bool any = false;
  for (const netsnmp_variable_list* value = answer.variables; value != nullptr; value = value->next_variable) {
    if (IsException(*value)) continue;
    if (Names(*value, oids::kSysDescr)) {
      any |= ReadText(*value, device.description);
    } else if (Names(*value, oids::kSysObjectId)) {
      any |= ReadOidText(*value, device.systemId);
    } else if (Names(*value, oids::kSysName)) {
      any |= ReadText(*value, device.deviceName);
    } else if (IsUnder(value->name, value->name_length, oids::kPrtGeneralEntry)) {
      identity->printer = true;
    } else if (IsUnder(value->name, value->name_length, oids::kHrDeviceType)) {
      if (HoldsOid(*value, oids::kHrDevicePrinter)) {
        identity->printer = true;
      } else if (std::optional<int32_t> row = RowIndex(*value, oids::kHrDeviceType.size())) {
        identity->lastDeviceRow = row;
      }
    }
  }
  return any;
}

bool IsPrinter(Session& session, const IdentityAnswer& identity) {
  if (identity.printer) return true;
  if (!identity.lastDeviceRow) return false;
  bool printer = false;
  WalkColumns(session, {oids::kHrDeviceType}, identity.lastDeviceRow, [&](size_t, const netsnmp_variable_list& value) {
    printer = HoldsOid(value, oids::kHrDevicePrinter);
    return !printer;
  });
  return printer;
}

bool QueryIdentity(Session& session, uint32_t address, IdentityAnswer* identity) {
  Pdu answer = session.Exchange(IdentityRequest());
  return answer && ReadIdentity(*answer, address, identity);
}

}  // namespace glysnmp
