#include "printer_details.h"

#include <cstdio>
#include <map>
#include <mutex>

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

std::mutex gSourcesMutex;
std::map<uint32_t, int32_t> gFontSources;

std::optional<int32_t> TakeFontSource(uint32_t address) {
  std::lock_guard<std::mutex> lock(gSourcesMutex);
  auto found = gFontSources.find(address);
  if (found == gFontSources.end()) return std::nullopt;
  const int32_t source = found->second;
  gFontSources.erase(found);
  return source;
}

int32_t FontSourceOf(Session& session, const PjlPrinter& printer) {
  if (std::optional<int32_t> source = TakeFontSource(printer.address)) return *source;
  // Told without reading the list, which a slow printer takes long to give.
  return HasFontTable(session) ? kFontSourceFontMib : PjlFontSource(printer);
}

}  // namespace

void RememberFontSource(uint32_t address, int32_t source) {
  std::lock_guard<std::mutex> lock(gSourcesMutex);
  gFontSources[address] = source;
}

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
  // A printer that gave no answer at all, or none that could be read, is
  // not asked again for its storage: that would only wait out the
  // time-out a second time.
  if (!answered && (session.failure() == kSnmpNoAnswer || session.failure() == kSnmpMalformedAnswer)) {
    return std::nullopt;
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
  details.fontSource = FontSourceOf(session, printer);
  return details;
}

}  // namespace glysnmp
