#include "printer_details.h"

#include <cstdio>

#include "answer_values.h"
#include "device_identity.h"
#include "font_table.h"
#include "storage_inventory.h"

namespace glysnmp {
namespace {

// The first general row's serial number.
void ReadSerialNumber(Session& session, SnmpPrinterDetails* details) {
  Pdu answer = session.Exchange(MakeRequest(SNMP_MSG_GETNEXT, {oids::kPrtGeneralSerialNumber}));
  if (!answer || answer->errstat != SNMP_ERR_NOERROR || answer->variables == nullptr) return;
  const netsnmp_variable_list& value = *answer->variables;
  if (IsException(value) || !IsUnder(value.name, value.name_length, oids::kPrtGeneralSerialNumber)) return;
  ReadText(value, details->serialNumber);
}

SnmpStorageArea ContractArea(const StorageArea& area) {
  SnmpStorageArea out{};
  out.kind = area.kind;
  out.usable = area.Usable() ? 1 : 0;
  out.capacityBytes = area.capacityBytes.value_or(kSnmpUnknownSize);
  out.freeBytes = area.freeBytes.value_or(kSnmpUnknownSize);
  std::snprintf(out.description, sizeof out.description, "%s", area.description.c_str());
  return out;
}

}  // namespace

std::optional<SnmpPrinterDetails> QueryPrinterDetails(Session& session, const PjlPrinter& printer) {
  SnmpPrinterDetails details{};
  IdentityAnswer identity;
  bool answered = QueryIdentity(session, printer.address, &identity);
  if (answered) {
    CompleteIdentity(session, &identity);
    std::snprintf(details.systemId, sizeof details.systemId, "%s", identity.device.systemId);
    std::snprintf(details.model, sizeof details.model, "%s", identity.device.description);
    ReadSerialNumber(session, &details);
  }
  std::optional<StorageInventory> storage = QueryStorage(session);
  answered = answered || storage.has_value();
  if (!answered) return std::nullopt;
  // Where SNMP says nothing of storage, the PJL file system may.
  if (!storage || storage->areas.empty()) {
    if (std::optional<StorageInventory> volumes = QueryPjlStorage(printer)) storage = volumes;
  }
  if (storage) {
    for (const StorageArea& area : storage->areas) {
      if (details.storageCount == kSnmpMostStorageAreas) break;
      details.storage[details.storageCount++] = ContractArea(area);
    }
  }
  details.fontSource = HasFontTable(session) ? kFontSourceFontMib : ReadPjlFonts(printer).source;
  return details;
}

}  // namespace glysnmp
