#include "device_identity.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>

#include "answer_values.h"
#include "ieee1284_device_id.h"
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

void ReadDeviceId(const netsnmp_variable_list& value, IdentityAnswer* identity) {
  char text[kMostDeviceIdBytes + 1];
  if (!ReadText(value, text)) return;
  DeviceIdFields fields = ParseDeviceId(text);
  std::snprintf(identity->deviceIdModel, sizeof identity->deviceIdModel, "%s", fields.model.c_str());
  identity->printer = identity->printer || fields.pageLanguage;
}

// The first candidate that is not empty becomes the description; a generic
// printer row gives way to the device ID's model.
void ChooseModelText(IdentityAnswer* identity) {
  const bool printerDescribed = identity->printerRow && identity->describedRow == identity->printerRow;
  const bool hasRowText = printerDescribed && identity->rowDescription[0] != '\0';
  const bool hasDeviceIdModel = identity->deviceIdModel[0] != '\0';
  const bool rowWins = hasRowText && !(hasDeviceIdModel && IsGenericModelText(identity->rowDescription));
  const char* model = rowWins            ? identity->rowDescription
                      : hasDeviceIdModel ? identity->deviceIdModel
                      : hasRowText       ? identity->rowDescription
                                         : identity->systemDescription;
  std::snprintf(identity->device.description, sizeof identity->device.description, "%s", model);
}

// The first printer row after `afterRow`.
std::optional<int32_t> FindPrinterRow(Session& session, int32_t afterRow) {
  std::optional<int32_t> row;
  WalkColumns(session, {oids::kHrDeviceType}, afterRow, [&](size_t, const netsnmp_variable_list& value) {
    if (HoldsOid(value, oids::kHrDevicePrinter)) row = RowIndex(value, oids::kHrDeviceType.size());
    return !row;
  });
  return row;
}

void ReadRowDescription(Session& session, IdentityAnswer* identity) {
  int32_t row = *identity->printerRow;
  Pdu answer = session.Exchange(MakeRequest(SNMP_MSG_GET, {Join(oids::kHrDeviceDescr, {static_cast<oid>(row)})}));
  identity->describedRow = row;
  if (answer && answer->errstat == SNMP_ERR_NOERROR && answer->variables != nullptr) {
    ReadText(*answer->variables, identity->rowDescription);
  }
}

std::vector<Oid> IdentityNames() {
  return {kSysDescrObject, kSysObjectIdObject,  kSysNameObject,
          oids::kPrinterMib, oids::kHrDeviceType, oids::kHrDeviceDescr, oids::kPpmPrinterIeee1284DeviceId};
}

}  // namespace

bool IsGenericModelText(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  const std::string_view first = text.substr(0, text.find_first_of(" \t"));
  constexpr std::string_view kGeneric = "generic";
  if (first.size() == kGeneric.size() && strncasecmp(first.data(), kGeneric.data(), kGeneric.size()) == 0) return true;
  // A bare family code: one word of capitals, digits and hyphens, with a
  // digit and a hyphen in it ("28C-1").
  constexpr size_t kMostFamilyCodeBytes = 16;
  const auto codeByte = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'; };
  return !text.empty() && text.size() <= kMostFamilyCodeBytes && std::all_of(text.begin(), text.end(), codeByte) &&
         text.find('-') != std::string_view::npos && text.find_first_of("0123456789") != std::string_view::npos;
}

Pdu IdentityRequest() { return MakeRequest(SNMP_MSG_GETNEXT, IdentityNames()); }

bool ReadIdentity(const netsnmp_pdu& answer, uint32_t address, IdentityAnswer* identity) {
  *identity = IdentityAnswer{};
  DeviceInfo& device = identity->device;
  device.address = address;
  if (answer.command != SNMP_MSG_RESPONSE || answer.errstat != SNMP_ERR_NOERROR) return false;
  bool any = false;
  for (const netsnmp_variable_list* value = answer.variables; value != nullptr; value = value->next_variable) {
    if (IsException(*value)) continue;
    if (Names(*value, oids::kSysDescr)) {
      any |= ReadText(*value, identity->systemDescription);
    } else if (Names(*value, oids::kSysObjectId)) {
      any |= ReadOidText(*value, device.systemId);
    } else if (Names(*value, oids::kSysName)) {
      any |= ReadText(*value, device.deviceName);
    } else if (IsUnder(value->name, value->name_length, oids::kPrinterMib)) {
      identity->printer = true;
    } else if (IsUnder(value->name, value->name_length, oids::kHrDeviceType)) {
      std::optional<int32_t> row = RowIndex(*value, oids::kHrDeviceType.size());
      if (HoldsOid(*value, oids::kHrDevicePrinter)) {
        identity->printer = true;
        identity->printerRow = row;
      } else {
        identity->lastDeviceRow = row;
      }
    } else if (IsUnder(value->name, value->name_length, oids::kHrDeviceDescr)) {
      identity->describedRow = RowIndex(*value, oids::kHrDeviceDescr.size());
      ReadText(*value, identity->rowDescription);
    } else if (IsUnder(value->name, value->name_length, oids::kPpmPrinterIeee1284DeviceId)) {
      ReadDeviceId(*value, identity);
    }
  }
  ChooseModelText(identity);
  return any;
}

bool IsSettled(const IdentityAnswer& identity) {
  if (identity.printerRow) return identity.describedRow == identity.printerRow;
  return !identity.lastDeviceRow;
}

bool CompleteIdentity(Session& session, IdentityAnswer* identity) {
  if (!identity->printerRow && identity->lastDeviceRow) {
    identity->printerRow = FindPrinterRow(session, *identity->lastDeviceRow);
    identity->lastDeviceRow.reset();
  }
  if (identity->printerRow) {
    identity->printer = true;
    if (identity->describedRow != identity->printerRow) ReadRowDescription(session, identity);
  }
  ChooseModelText(identity);
  return identity->printer;
}

bool QueryIdentity(Session& session, uint32_t address, IdentityAnswer* identity) {
  std::vector<Oid> names = IdentityNames();
  while (!names.empty()) {
    Pdu answer = session.Exchange(MakeRequest(SNMP_MSG_GETNEXT, names));
    if (!answer) return false;
    // A v1 agent answers a GETNEXT beyond its last object (a device without
    // the device ID, say) with noSuchName for the whole request, naming
    // that object: it is asked again without it.
    const long named = answer->errindex;
    if (session.version() == SnmpVersion::kV1 && answer->errstat == SNMP_ERR_NOSUCHNAME && named >= 1 &&
        static_cast<size_t>(named) <= names.size()) {
      names.erase(names.begin() + (named - 1));
      continue;
    }
    return ReadIdentity(*answer, address, identity);
  }
  return false;
}

}  // namespace glysnmp
