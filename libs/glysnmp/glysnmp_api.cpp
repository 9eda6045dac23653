// The contract's functions (glysnmp.h) on the pieces of this folder.
// Every call opens its own sessions and closes them before it returns.
#include <cstdlib>
#include <cstring>

#include "default_address.h"
#include "device_identity.h"
#include "font_deletion.h"
#include "font_table.h"
#include "identity_sweep.h"
#include "pjl_inventory.h"
#include "printer_contexts.h"
#include "printer_details.h"
#include "glysnmp.h"
#include "storage_inventory.h"
#include "subnet.h"

namespace {

using namespace glysnmp;

// Failures; the program looks only at 0 and at SnmpAddResult.
enum Result : int32_t {
  kOk = 0,
  kNoAnswer = -1,
  kBadArgument = -2,
  kNoSession = -3,
};

// DeleteContext::state during a run.
enum DeleteRoute : int32_t { kDeleteOverSnmp = 1, kDeleteOverPjl = 2 };

std::string FieldText(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }

// The record's printer, with its read or write community. Model profiles
// give SNMPLevel 1 for printers that speak only v1; everything else is
// asked in v2c.
Peer PeerOf(const PrinterRecord& printer, bool write) {
  Peer peer;
  peer.address = printer.address;
  peer.community = write ? FieldText(printer.writeCommunity, sizeof printer.writeCommunity)
                         : FieldText(printer.readCommunity, sizeof printer.readCommunity);
  peer.version = printer.snmpLevel == 1 ? SnmpVersion::kV1 : SnmpVersion::kV2c;
  return peer;
}

// A device not yet listed has no record to give a community: it is asked
// with the one from the settings.
Peer NewDevicePeer(uint32_t address, const SnmpSettings& settings) {
  return {address, settings.newDeviceCommunity, SnmpVersion::kV2c};
}

PjlPrinter PjlPrinterOf(const PrinterRecord& printer) {
  return {printer.address, PjlPasswordOf(printer.address), ReadPjlSettings()};
}

// A printer without our font table tells its fonts over PJL; the entries
// after `afterIndex` when given.
int32_t ReadFontsOverPjl(const PrinterRecord& printer, std::optional<int32_t> afterIndex,
                         std::vector<FontEntry>* fonts) {
  PjlFonts read = ReadPjlFonts(PjlPrinterOf(printer));
  switch (read.status) {
    case PjlStatus::kAnswered: break;
    case PjlStatus::kUnreachable:
    case PjlStatus::kRefused: return kNoAnswer;
    case PjlStatus::kNoFileSystemAccess: return kSnmpFontsNoFileSystemAccess;
    case PjlStatus::kFileSystemLocked: return kSnmpFontsFileSystemLocked;
  }
  for (const FontEntry& entry : read.fonts) {
    if (!afterIndex || entry.index > *afterIndex) fonts->push_back(entry);
  }
  return kOk;
}

// From the font table alone when `tableOnly`: a printer without one gives
// kSnmpNoFontTable, one that stopped answering kNoAnswer.
int32_t FillFontList(PrinterRecord* printer, FontList* fonts, std::optional<int32_t> afterIndex,
                     bool tableOnly = false) {
  if (fonts == nullptr) return kBadArgument;
  *fonts = FontList{0, nullptr};
  if (printer == nullptr) return kBadArgument;
  std::unique_ptr<Session> session = Session::Open(PeerOf(*printer, false), ReadSnmpSettings());
  if (!session) return kNoSession;
  std::optional<std::vector<FontEntry>> table = ReadFontTable(*session, afterIndex);
  if (!table && tableOnly) return HasFontTable(*session) ? int32_t{kNoAnswer} : int32_t{kSnmpNoFontTable};
  if (!table) {
    table.emplace();
    if (int32_t result = ReadFontsOverPjl(*printer, afterIndex, &*table); result != kOk) return result;
  }
  if (table->empty()) return kOk;
  auto* entries = static_cast<FontEntry*>(std::calloc(table->size(), sizeof(FontEntry)));
  if (entries == nullptr) return kNoSession;
  std::memcpy(entries, table->data(), table->size() * sizeof(FontEntry));
  *fonts = FontList{static_cast<int32_t>(table->size()), entries};
  return kOk;
}

}  // namespace

extern "C" {

int32_t SnmpInitContext(SnmpContext* context, PrinterFoundCallback onPrinterFound, void* callbackContext,
                        uint32_t) {
  if (context == nullptr) return kBadArgument;
  CreatePrinterContext(context, onPrinterFound, callbackContext);
  return kOk;
}

int32_t SnmpGetDefaultAddress(uint32_t* address) {
  if (address == nullptr) return kBadArgument;
  *address = DefaultPrinterAddress();
  return kOk;
}

uint32_t SnmpSubnetTarget(uint32_t subnetAddress, uint32_t subnetMask) {
  std::optional<Subnet> subnet = MakeSubnet(subnetAddress, subnetMask);
  return subnet ? TargetOf(*subnet) : 0;
}

int32_t SnmpDiscoverPrinters(SnmpContext* context, uint32_t target, uint32_t, uint32_t) {
  std::shared_ptr<PrinterContext> printers = FindPrinterContext(context);
  std::optional<Subnet> subnet = SubnetOfTarget(target);
  if (!printers || !subnet) return kBadArgument;
  SnmpSettings settings = ReadSnmpSettings();
  std::vector<uint32_t> addresses;
  // Printers already listed are not reported a second time.
  for (uint32_t address : HostAddresses(*subnet)) {
    if (!printers->Knows(address)) addresses.push_back(address);
  }
  for (IdentityAnswer& answer : SweepIdentities(addresses, settings.newDeviceCommunity, settings)) {
    if (!IsSettled(answer)) {
      // The first answer left it open: look further down the device table.
      std::unique_ptr<Session> session = Session::Open(NewDevicePeer(answer.device.address, settings), settings);
      if (session) CompleteIdentity(*session, &answer);
    }
    if (answer.printer) printers->Report(answer.device);
  }
  return kOk;
}

int32_t SnmpAddPrinter(SnmpContext* context, uint32_t address, DeviceInfo* device) {
  std::shared_ptr<PrinterContext> printers = FindPrinterContext(context);
  if (!printers || device == nullptr) return kBadArgument;
  if (printers->Knows(address)) return kSnmpAddAlreadyListed;
  SnmpSettings settings = ReadSnmpSettings();
  std::unique_ptr<Session> session = Session::Open(NewDevicePeer(address, settings), settings);
  if (!session) return kNoSession;
  IdentityAnswer answer;
  if (!QueryIdentity(*session, address, &answer) || !CompleteIdentity(*session, &answer)) return kSnmpAddNotAPrinter;
  *device = answer.device;
  printers->Remember(address);
  return kSnmpAddAnswered;
}

int32_t SnmpGetPrinterOptions(PrinterRecord* printer) {
  if (printer == nullptr) return kBadArgument;
  std::unique_ptr<Session> session = Session::Open(PeerOf(*printer, false), ReadSnmpSettings());
  std::optional<StorageInventory> storage = session ? QueryStorage(*session) : std::nullopt;
  // Where SNMP says nothing of storage, the printer's own file system
  // (PJL INFO FILESYS) tells its volumes. A printer that does not say what
  // it has gets nothing to download onto.
  if (!storage || storage->areas.empty()) {
    if (std::optional<StorageInventory> volumes = QueryPjlStorage(PjlPrinterOf(*printer))) storage = volumes;
  }
  printer->storageOptions = storage ? storage->Options() : kStorageNone;
  if (!session) return kNoSession;
  return storage ? kOk : kNoAnswer;
}

int32_t SnmpGetPrinterDetails(PrinterRecord* printer, SnmpPrinterDetails* details) {
  if (details == nullptr) return kBadArgument;
  *details = SnmpPrinterDetails{};
  if (printer == nullptr) return kBadArgument;
  std::unique_ptr<Session> session = Session::Open(PeerOf(*printer, false), ReadSnmpSettings());
  if (!session) return kNoSession;
  std::optional<SnmpPrinterDetails> found = QueryPrinterDetails(*session, PjlPrinterOf(*printer));
  if (!found) return kNoAnswer;
  *details = *found;
  return kOk;
}

int32_t SnmpGetFontList(PrinterRecord* printer, FontList* fonts) { return FillFontList(printer, fonts, std::nullopt); }

int32_t SnmpGetFontListFrom(PrinterRecord* printer, FontList* fonts, int32_t afterIndex) {
  return FillFontList(printer, fonts, afterIndex);
}

int32_t SnmpGetFontTable(PrinterRecord* printer, FontList* fonts) {
  return FillFontList(printer, fonts, std::nullopt, true);
}

int32_t SnmpQueryStoredFile(uint32_t address, const char* printerPath) {
  if (printerPath == nullptr) return kBadArgument;
  switch (QueryPjlStoredFile({address, PjlPasswordOf(address), ReadPjlSettings()}, printerPath)) {
    case StoredFile::kStored: return kSnmpFileStored;
    case StoredFile::kNotStored: return kSnmpFileNotStored;
    case StoredFile::kUnknown: break;
  }
  return kSnmpFileUnknown;
}

int32_t SnmpFreeFontList(FontList* fonts) {
  if (fonts == nullptr) return kBadArgument;
  std::free(fonts->entries);
  *fonts = FontList{0, nullptr};
  return kOk;
}

int32_t SnmpDeleteFontStart(DeleteContext* context, int32_t fontIndex) {
  if (context == nullptr || context->printer == nullptr) return kBadArgument;
  std::unique_ptr<Session> session = Session::Open(PeerOf(*context->printer, true), ReadSnmpSettings());
  if (!session) return kNoSession;
  if (context->state != kDeleteOverPjl && RequestFontDeletion(*session, fontIndex)) {
    context->state = kDeleteOverSnmp;
    return kOk;
  }
  // A printer without our font table deletes its font files over PJL; the
  // run's word remembers it for the polls and the fonts that follow.
  if (context->state == kDeleteOverSnmp || HasFontTable(*session)) return kNoAnswer;
  context->state = kDeleteOverPjl;
  return DeletePjlFont(PjlPrinterOf(*context->printer), fontIndex) == PjlStatus::kAnswered ? kOk : kNoAnswer;
}

int32_t SnmpDeleteFontPoll(DeleteContext* context, int32_t fontIndex, uint32_t* pending) {
  if (pending == nullptr) return kBadArgument;
  *pending = 1;
  if (context == nullptr || context->printer == nullptr) return kBadArgument;
  if (context->state == kDeleteOverPjl) {
    if (QueryPjlFontDeletion(PjlPrinterOf(*context->printer), fontIndex) != PjlDeletion::kDeleted) return kOk;
    *pending = 0;
    return kOk;
  }
  std::unique_ptr<Session> session = Session::Open(PeerOf(*context->printer, false), ReadSnmpSettings());
  if (!session) return kNoSession;
  switch (QueryFontDeletion(*session, fontIndex)) {
    case DeletionState::kDeleted:
      *pending = 0;
      return kOk;
    case DeletionState::kPending:
      return kOk;
    case DeletionState::kNoAnswer:
      break;
  }
  return kNoAnswer;
}

int32_t SnmpDeleteFontEnd(DeleteContext* context) {
  if (context == nullptr) return kBadArgument;
  context->state = 0;
  return kOk;
}

int32_t SnmpSetPjlPassword(uint32_t address, uint32_t password) {
  SetPjlPassword(address, password);
  return kOk;
}

}  // extern "C"
