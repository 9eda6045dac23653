#include "device_identity.h"

#include <cstring>

#include "answer_values.h"
#include "table_walk.h"

namespace glysnmp {

Pdu IdentityRequest() { return MakeRequest(SNMP_MSG_GET, {oids::kSysDescr, oids::kSysObjectId, oids::kSysName}); }

bool ReadIdentity(const netsnmp_pdu& answer, uint32_t address, DeviceInfo* device) {
  std::memset(device, 0, sizeof *device);
  device->address = address;
  if (answer.command != SNMP_MSG_RESPONSE || answer.errstat != SNMP_ERR_NOERROR) return false;
  bool any = false;
  for (const netsnmp_variable_list* value = answer.variables; value != nullptr; value = value->next_variable) {
    auto is = [&](const Oid& name) {
      return snmp_oid_compare(value->name, value->name_length, name.data(), name.size()) == 0;
    };
    if (is(oids::kSysDescr)) {
      any |= ReadText(*value, device->description);
    } else if (is(oids::kSysObjectId)) {
      any |= ReadOidText(*value, device->systemId);
    } else if (is(oids::kSysName)) {
      any |= ReadText(*value, device->deviceName);
    }
  }
  return any;
}

bool IsPrinter(Session& session) {
  Pdu general = session.Exchange(MakeRequest(SNMP_MSG_GETNEXT, {oids::kPrtGeneralEntry}));
  if (general && general->errstat == SNMP_ERR_NOERROR && general->variables != nullptr &&
      !IsException(*general->variables) &&
      IsUnder(general->variables->name, general->variables->name_length, oids::kPrtGeneralEntry)) {
    return true;
  }
  bool printer = false;
  WalkColumns(session, {oids::kHrDeviceType}, std::nullopt, [&](size_t, const netsnmp_variable_list& value) {
    printer = HoldsOid(value, oids::kHrDevicePrinter);
    return !printer;
  });
  return printer;
}

bool QueryIdentity(Session& session, uint32_t address, DeviceInfo* device) {
  Pdu answer = session.Exchange(IdentityRequest());
  return answer && ReadIdentity(*answer, address, device);
}

}  // namespace glysnmp
