// The contract's functions (glysnmp.h) on the pieces of this folder.
// Every call opens its own sessions and closes them before it returns.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "default_address.h"
#include "device_identity.h"
#include "font_deletion.h"
#include "font_table.h"
#include "identity_sweep.h"
#include "pjl_inventory.h"
#include "printer_abilities.h"
#include "printer_contexts.h"
#include "printer_details.h"
#include "glysnmp.h"
#include "snmp_security.h"
#include "storage_inventory.h"
#include "subnet.h"

namespace {

using namespace glysnmp;

// The agent refused the v3 credentials: no other way to the printer is tried.
bool IsSecurityFailure(int32_t result) { return result <= kSnmpAuthenticationFailed && result >= kSnmpDecryptionFailed; }

// `fallback`, unless the session knows better why it failed: refused
// credentials, or answers that could not be read.
int32_t FailureOr(const Session& session, int32_t fallback) {
  const int32_t failure = session.failure();
  return IsSecurityFailure(failure) || failure == kSnmpMalformedAnswer ? failure : fallback;
}

// Why no session could be opened: for v3 the engine discovery may have
// failed, or been refused.
int32_t OpenFailure(int32_t failure) { return failure == kSnmpOk ? kSnmpNoSession : failure; }

// DeleteContext::state during a run.
enum DeleteRoute : int32_t { kDeleteOverSnmp = 1, kDeleteOverPjl = 2 };

std::string FieldText(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }

void UseSecurity(const PeerSecurity& security, Peer* peer) {
  peer->version = security.version;
  peer->v3 = security.v3;
}

// The record's printer, with its read or write community. Model profiles
// give SNMPLevel 1 for printers that speak only v1; everything else is
// asked in v2c, unless the printer's address has settings of its own.
Peer PeerOf(const PrinterRecord& printer, bool write) {
  Peer peer;
  peer.address = printer.address;
  peer.community = write ? FieldText(printer.writeCommunity, sizeof printer.writeCommunity)
                         : FieldText(printer.readCommunity, sizeof printer.readCommunity);
  peer.version = printer.snmpLevel == 1 ? SnmpVersion::kV1 : SnmpVersion::kV2c;
  if (std::optional<PeerSecurity> security = PrinterSecurityOf(printer.address)) UseSecurity(*security, &peer);
  return peer;
}

// A device not yet listed has no record to give a community: it is asked
// with the one from the settings, or with the discovery's security.
Peer NewDevicePeer(uint32_t address, const SnmpSettings& settings, const std::optional<PeerSecurity>& discovery) {
  Peer peer{address, settings.newDeviceCommunity, SnmpVersion::kV2c, nullptr};
  if (discovery) UseSecurity(*discovery, &peer);
  return peer;
}

// A device that answered the discovery's security is asked with it later.
void KeepDiscoverySecurity(uint32_t address, const std::optional<PeerSecurity>& discovery) {
  if (discovery) SetPrinterSecurity(address, *discovery);
}

// The settings `given` stands for; nullopt for null, which forgets them.
int32_t ReadSecurity(const SnmpSecurity* given, std::optional<PeerSecurity>* security) {
  if (given == nullptr) {
    security->reset();
    return kSnmpOk;
  }
  PeerSecurity made;
  if (int32_t result = MakePeerSecurity(*given, &made); result != kSnmpOk) return result;
  *security = std::move(made);
  return kSnmpOk;
}

// Identities of the v3 agents among `addresses`: those that tell their
// engine ID, each then asked in a session of its own.
std::vector<IdentityAnswer> QueryV3Identities(const std::vector<uint32_t>& addresses, const SnmpSettings& settings,
                                              const PeerSecurity& discovery) {
  std::vector<IdentityAnswer> answers;
  for (uint32_t address : SweepV3Engines(addresses, settings)) {
    std::unique_ptr<Session> session = Session::Open(NewDevicePeer(address, settings, discovery), settings);
    IdentityAnswer answer;
    if (session && QueryIdentity(*session, address, &answer)) answers.push_back(answer);
  }
  return answers;
}

PjlPrinter PjlPrinterOf(const PrinterRecord& printer) {
  return {printer.address, PjlPasswordOf(printer.address), ReadPjlSettings()};
}

// A printer without our font table tells its fonts over PJL; the entries
// after `afterIndex` when given.
int32_t ReadFontsOverPjl(const PrinterRecord& printer, std::optional<int32_t> afterIndex,
                         std::vector<FontEntry>* fonts) {
  const PjlPrinter pjlPrinter = PjlPrinterOf(printer);
  PjlFonts read = ReadPjlFonts(pjlPrinter);
  switch (read.status) {
    case PjlStatus::kAnswered: RememberFontSource(printer.address, read.source); break;
    case PjlStatus::kUnreachable:
    case PjlStatus::kRefused: return kSnmpNoAnswer;
    case PjlStatus::kNoFileSystemAccess: return kSnmpFontsNoFileSystemAccess;
    case PjlStatus::kFileSystemLocked:
      return pjlPrinter.password != 0 ? kSnmpFontsPjlPasswordWrong : kSnmpFontsFileSystemLocked;
    case PjlStatus::kDeadlinePassed: return kSnmpPjlDeadlinePassed;
    case PjlStatus::kTooManyRequests: return kSnmpPjlTooManyRequests;
  }
  for (const FontEntry& entry : read.fonts) {
    if (!afterIndex || entry.index > *afterIndex) fonts->push_back(entry);
  }
  return kSnmpOk;
}

// From the font table alone when `tableOnly`: a printer without one gives
// kSnmpNoFontTable, one that stopped answering kSnmpNoAnswer.
int32_t FillFontList(PrinterRecord* printer, FontList* fonts, std::optional<int32_t> afterIndex,
                     bool tableOnly = false) {
  if (fonts == nullptr) return kSnmpBadArgument;
  *fonts = FontList{0, nullptr};
  if (printer == nullptr) return kSnmpBadArgument;
  int32_t failure = kSnmpOk;
  std::unique_ptr<Session> session = Session::Open(PeerOf(*printer, false), ReadSnmpSettings(), &failure);
  if (!session) return OpenFailure(failure);
  FontTableRead table = ReadFontTable(*session, afterIndex);
  if (table.state != FontTableRead::kRead && IsSecurityFailure(session->failure())) return session->failure();
  switch (table.state) {
    case FontTableRead::kRead: RememberFontSource(printer->address, kFontSourceFontMib); break;
    // A device that does not answer SNMP is not asked over PJL: on a
    // network its AppSocket port would cost one more time-out.
    case FontTableRead::kNoAnswer: return FailureOr(*session, kSnmpNoAnswer);
    case FontTableRead::kAbsent:
      if (tableOnly) return kSnmpNoFontTable;
      if (int32_t result = ReadFontsOverPjl(*printer, afterIndex, &table.fonts); result != kSnmpOk) return result;
      break;
  }
  if (table.fonts.empty()) return kSnmpOk;
  auto* entries = static_cast<FontEntry*>(std::calloc(table.fonts.size(), sizeof(FontEntry)));
  if (entries == nullptr) return kSnmpOutOfMemory;
  std::memcpy(entries, table.fonts.data(), table.fonts.size() * sizeof(FontEntry));
  *fonts = FontList{static_cast<int32_t>(table.fonts.size()), entries};
  return kSnmpOk;
}

}  // namespace

extern "C" {

int32_t SnmpInitContext(SnmpContext* context, PrinterFoundCallback onPrinterFound, void* callbackContext,
                        uint32_t) {
  if (context == nullptr) return kSnmpBadArgument;
  CreatePrinterContext(context, onPrinterFound, callbackContext);
  return kSnmpOk;
}

int32_t SnmpGetDefaultAddress(uint32_t* address) {
  if (address == nullptr) return kSnmpBadArgument;
  *address = DefaultPrinterAddress();
  return kSnmpOk;
}

uint32_t SnmpSubnetTarget(uint32_t subnetAddress, uint32_t subnetMask) {
  std::optional<Subnet> subnet = MakeSubnet(subnetAddress, subnetMask);
  return subnet ? TargetOf(*subnet) : 0;
}

int32_t SnmpDiscoverPrinters(SnmpContext* context, uint32_t target, uint32_t, uint32_t) {
  std::shared_ptr<PrinterContext> printers = FindPrinterContext(context);
  std::optional<Subnet> subnet = SubnetOfTarget(target);
  if (!printers || !subnet) return kSnmpBadArgument;
  SnmpSettings settings = ReadSnmpSettings();
  std::vector<uint32_t> addresses;
  // Printers already listed are not reported a second time.
  for (uint32_t address : HostAddresses(*subnet)) {
    if (!printers->Knows(address)) addresses.push_back(address);
  }
  std::optional<PeerSecurity> discovery = DiscoverySecurity();
  bool v3 = discovery && discovery->version == SnmpVersion::kV3;
  std::vector<IdentityAnswer> answers = v3 ? QueryV3Identities(addresses, settings, *discovery)
                                           : SweepIdentities(addresses, settings.newDeviceCommunity, settings);
  for (IdentityAnswer& answer : answers) {
    if (!IsSettled(answer)) {
      // The first answer left it open: look further down the device table.
      std::unique_ptr<Session> session =
          Session::Open(NewDevicePeer(answer.device.address, settings, discovery), settings);
      if (session) CompleteIdentity(*session, &answer);
    }
    if (!answer.printer) continue;
    KeepDiscoverySecurity(answer.device.address, discovery);
    printers->Report(answer.device);
  }
  return kSnmpOk;
}

int32_t SnmpAddPrinter(SnmpContext* context, uint32_t address, DeviceInfo* device) {
  std::shared_ptr<PrinterContext> printers = FindPrinterContext(context);
  if (!printers || device == nullptr) return kSnmpBadArgument;
  if (printers->Knows(address)) return kSnmpAddAlreadyListed;
  SnmpSettings settings = ReadSnmpSettings();
  // An address with settings of its own is asked with them.
  std::optional<PeerSecurity> security = PrinterSecurityOf(address);
  if (!security) security = DiscoverySecurity();
  int32_t failure = kSnmpOk;
  std::unique_ptr<Session> session = Session::Open(NewDevicePeer(address, settings, security), settings, &failure);
  if (!session) {
    // A v3 device that tells no engine ID did not answer at all.
    if (IsSecurityFailure(failure)) return failure;
    return security && security->v3 ? int32_t{kSnmpNoAnswer} : int32_t{kSnmpNoSession};
  }
  IdentityAnswer answer;
  if (!QueryIdentity(*session, address, &answer)) {
    // Silence, an answer that could not be read, refused credentials; an
    // answer without a system group is a device that is no printer.
    return session->failure() == kSnmpOk ? int32_t{kSnmpAddNotAPrinter} : session->failure();
  }
  if (!CompleteIdentity(*session, &answer)) return FailureOr(*session, kSnmpAddNotAPrinter);
  *device = answer.device;
  if (!PrinterSecurityOf(address)) KeepDiscoverySecurity(address, security);
  printers->Remember(address);
  return kSnmpAddAnswered;
}

int32_t SnmpForgetPrinter(SnmpContext* context, uint32_t address) {
  std::shared_ptr<PrinterContext> printers = FindPrinterContext(context);
  if (!printers) return kSnmpBadArgument;
  printers->Forget(address);
  return kSnmpOk;
}

namespace {

// The printer's storage as it reports it: storage and device tables, or,
// where SNMP says nothing of storage, its own file system (PJL INFO
// FILESYS). A printer that does not answer SNMP is not asked over PJL.
// `*storage` is nullopt when SNMP did not answer.
int32_t QueryReportedStorage(const PrinterRecord& printer, std::optional<StorageInventory>* storage) {
  int32_t failure = kSnmpOk;
  std::unique_ptr<Session> session = Session::Open(PeerOf(printer, false), ReadSnmpSettings(), &failure);
  *storage = session ? QueryStorage(*session) : std::nullopt;
  if (IsSecurityFailure(failure) || (session && IsSecurityFailure(session->failure()))) {
    storage->reset();
    return session ? session->failure() : failure;
  }
  if (*storage && (*storage)->areas.empty()) {
    if (std::optional<StorageInventory> volumes = QueryPjlStorage(PjlPrinterOf(printer))) *storage = volumes;
  }
  if (!session) return kSnmpNoSession;
  return *storage ? kSnmpOk : kSnmpNoAnswer;
}

}  // namespace

int32_t SnmpGetPrinterOptions(PrinterRecord* printer) {
  if (printer == nullptr) return kSnmpBadArgument;
  std::optional<StorageInventory> storage;
  const int32_t result = QueryReportedStorage(*printer, &storage);
  // A printer that does not say what it has gets nothing to download onto.
  printer->storageOptions = storage ? storage->Options() : kStorageNone;
  return result;
}

int32_t SnmpGetReportedStorage(PrinterRecord* printer, uint32_t* storageOptions) {
  if (printer == nullptr || storageOptions == nullptr) return kSnmpBadArgument;
  *storageOptions = kStorageNone;
  std::optional<StorageInventory> storage;
  const int32_t result = QueryReportedStorage(*printer, &storage);
  if (result != kSnmpOk) return result;
  if (storage->areas.empty()) return kSnmpStorageUnreported;
  *storageOptions = storage->Options();
  return kSnmpOk;
}

int32_t SnmpGetPrinterDetails(PrinterRecord* printer, SnmpPrinterDetails* details) {
  if (details == nullptr) return kSnmpBadArgument;
  *details = SnmpPrinterDetails{};
  if (printer == nullptr) return kSnmpBadArgument;
  int32_t failure = kSnmpOk;
  std::unique_ptr<Session> session = Session::Open(PeerOf(*printer, false), ReadSnmpSettings(), &failure);
  if (!session) return OpenFailure(failure);
  std::optional<SnmpPrinterDetails> found = QueryPrinterDetails(*session, PjlPrinterOf(*printer));
  if (!found) return FailureOr(*session, kSnmpNoAnswer);
  *details = *found;
  return kSnmpOk;
}

int32_t SnmpGetPrinterAbilities(PrinterRecord* printer, SnmpPrinterAbilities* abilities) {
  if (abilities == nullptr) return kSnmpBadArgument;
  *abilities = SnmpPrinterAbilities{};
  if (printer == nullptr) return kSnmpBadArgument;
  int32_t failure = kSnmpOk;
  std::unique_ptr<Session> session = Session::Open(PeerOf(*printer, false), ReadSnmpSettings(), &failure);
  if (!session) return OpenFailure(failure);
  std::optional<SnmpPrinterAbilities> found = QueryPrinterAbilities(*session);
  if (!found) return FailureOr(*session, kSnmpNoAnswer);
  *abilities = *found;
  return kSnmpOk;
}

int32_t SnmpGetFontList(PrinterRecord* printer, FontList* fonts) { return FillFontList(printer, fonts, std::nullopt); }

int32_t SnmpGetFontListFrom(PrinterRecord* printer, FontList* fonts, int32_t afterIndex) {
  return FillFontList(printer, fonts, afterIndex);
}

int32_t SnmpGetFontTable(PrinterRecord* printer, FontList* fonts) {
  return FillFontList(printer, fonts, std::nullopt, true);
}

int32_t SnmpQueryStoredFile(uint32_t address, const char* printerPath) {
  uint64_t size = kSnmpUnknownSize;
  return SnmpQueryStoredFileSize(address, printerPath, &size);
}

int32_t SnmpQueryStoredFileSize(uint32_t address, const char* printerPath, uint64_t* size) {
  if (printerPath == nullptr || size == nullptr) return kSnmpBadArgument;
  *size = kSnmpUnknownSize;
  std::optional<uint64_t> given;
  switch (QueryPjlStoredFile({address, PjlPasswordOf(address), ReadPjlSettings()}, printerPath, &given)) {
    case StoredFile::kStored:
      *size = given.value_or(kSnmpUnknownSize);
      return kSnmpFileStored;
    case StoredFile::kNotStored: return kSnmpFileNotStored;
    case StoredFile::kUnknown: break;
  }
  return kSnmpFileUnknown;
}

int32_t SnmpUploadStoredFileHead(uint32_t address, const char* printerPath, char* head, uint32_t capacity,
                                 uint32_t* length) {
  if (printerPath == nullptr || (head == nullptr && capacity > 0) || length == nullptr) return kSnmpBadArgument;
  *length = 0;
  std::string uploaded;
  switch (UploadPjlFileHead({address, PjlPasswordOf(address), ReadPjlSettings()}, printerPath, capacity, &uploaded)) {
    case StoredFile::kStored:
      std::copy(uploaded.begin(), uploaded.end(), head);
      *length = static_cast<uint32_t>(uploaded.size());
      return kSnmpFileStored;
    case StoredFile::kNotStored: return kSnmpFileNotStored;
    case StoredFile::kUnknown: break;
  }
  return kSnmpFileUnknown;
}

int32_t SnmpGetPjlPassword(uint32_t address, uint32_t* password) {
  if (password == nullptr) return kSnmpBadArgument;
  *password = PjlPasswordOf(address);
  return kSnmpOk;
}

int32_t SnmpFreeFontList(FontList* fonts) {
  if (fonts == nullptr) return kSnmpBadArgument;
  std::free(fonts->entries);
  *fonts = FontList{0, nullptr};
  return kSnmpOk;
}

int32_t SnmpDeleteFontStart(DeleteContext* context, int32_t fontIndex) {
  if (context == nullptr || context->printer == nullptr) return kSnmpBadArgument;
  int32_t failure = kSnmpOk;
  std::unique_ptr<Session> session = Session::Open(PeerOf(*context->printer, true), ReadSnmpSettings(), &failure);
  if (!session) return OpenFailure(failure);
  if (context->state != kDeleteOverPjl) {
    const DeletionRequest request = RequestFontDeletion(*session, fontIndex);
    if (request == DeletionRequest::kAccepted) {
      context->state = kDeleteOverSnmp;
      return kSnmpOk;
    }
    if (IsSecurityFailure(session->failure())) return session->failure();
    // A printer without our font table deletes its font files over PJL; the
    // run's word remembers it for the polls and the fonts that follow.
    if (context->state == kDeleteOverSnmp || HasFontTable(*session)) {
      return request == DeletionRequest::kRefused ? kSnmpRefused : FailureOr(*session, kSnmpNoAnswer);
    }
    context->state = kDeleteOverPjl;
  }
  switch (DeletePjlFont(PjlPrinterOf(*context->printer), fontIndex)) {
    case PjlStatus::kAnswered: return kSnmpOk;
    case PjlStatus::kRefused: return kSnmpRefused;
    case PjlStatus::kDeadlinePassed: return kSnmpPjlDeadlinePassed;
    case PjlStatus::kTooManyRequests: return kSnmpPjlTooManyRequests;
    default: return kSnmpNoAnswer;
  }
}

int32_t SnmpDeleteFontPoll(DeleteContext* context, int32_t fontIndex, uint32_t* pending) {
  if (pending == nullptr) return kSnmpBadArgument;
  *pending = 1;
  if (context == nullptr || context->printer == nullptr) return kSnmpBadArgument;
  if (context->state == kDeleteOverPjl) {
    if (QueryPjlFontDeletion(PjlPrinterOf(*context->printer), fontIndex) != PjlDeletion::kDeleted) return kSnmpOk;
    *pending = 0;
    return kSnmpOk;
  }
  int32_t failure = kSnmpOk;
  std::unique_ptr<Session> session = Session::Open(PeerOf(*context->printer, false), ReadSnmpSettings(), &failure);
  if (!session) return OpenFailure(failure);
  switch (QueryFontDeletion(*session, fontIndex)) {
    case DeletionState::kDeleted:
      *pending = 0;
      return kSnmpOk;
    case DeletionState::kPending:
      return kSnmpOk;
    case DeletionState::kNoAnswer:
      break;
  }
  return FailureOr(*session, kSnmpNoAnswer);
}

int32_t SnmpDeleteFontEnd(DeleteContext* context) {
  if (context == nullptr) return kSnmpBadArgument;
  context->state = 0;
  return kSnmpOk;
}

int32_t SnmpSetPjlPassword(uint32_t address, uint32_t password) {
  SetPjlPassword(address, password);
  return kSnmpOk;
}

int32_t SnmpSetPrinterSecurity(uint32_t address, const SnmpSecurity* given) {
  std::optional<PeerSecurity> security;
  if (int32_t result = ReadSecurity(given, &security); result != kSnmpOk) return result;
  SetPrinterSecurity(address, std::move(security));
  return kSnmpOk;
}

int32_t SnmpSetDiscoverySecurity(const SnmpSecurity* given) {
  std::optional<PeerSecurity> security;
  if (int32_t result = ReadSecurity(given, &security); result != kSnmpOk) return result;
  SetDiscoverySecurity(std::move(security));
  return kSnmpOk;
}

const char* SnmpResultText(int32_t result) {
  switch (result) {
#define GLYSNMP_RESULT_TEXT(name, value, text) \
  case name: return text;
    GLYSNMP_RESULT_MAP(GLYSNMP_RESULT_TEXT)
#undef GLYSNMP_RESULT_TEXT
  }
  return "unknown result";
}

}  // extern "C"
