// The objects served, by personality (instances after the column):
//
//   always      system group 1.3.6.1.2.1.1.1-7 .0
//   storage-report storage or both, or host-printer-row
//               hrMemorySize 1.3.6.1.2.1.25.2.2.0
//   storage-report storage or both (rows 1 disk, 2 flash, 3 NVRAM when nvram-units > 0)
//               hrStorageEntry 1.3.6.1.2.1.25.2.3.1.1-7 .N (Index, Type, Descr,
//               AllocationUnits, Size, Used, AllocationFailures)
//   host-printer-row
//               hrDeviceEntry 1.3.6.1.2.1.25.3.2.1.1-6 .1 (type hrDevicePrinter 1.3.6.1.2.1.25.3.1.5,
//               hrDeviceDescr the device description)
//               hrPrinterEntry 1.3.6.1.2.1.25.3.5.1.1-2 .1 (Status, DetectedErrorState)
//   storage-report device or both (devices 2, 3 for disk and flash)
//               hrDeviceEntry .N (type hrDeviceDiskStorage 1.3.6.1.2.1.25.3.1.6)
//               hrDiskStorageEntry 1.3.6.1.2.1.25.3.6.1.1-4 .N (Access, Media, Removeble,
//               Capacity in KB)
//   printer-mib prtGeneralEntry 1.3.6.1.2.1.43.5.1.1.1-19 .1 (17: prtGeneralSerialNumber)
//               prtMarkerEntry 1.3.6.1.2.1.43.10.2.1.2-15 .1.1
//               prtMarkerSuppliesEntry 1.3.6.1.2.1.43.11.1.1.2-9 .1.1 (toner), .1.2 (drum)
//               prtMarkerColorantEntry 1.3.6.1.2.1.43.12.1.1.2-5 .1.1 (black)
//   device-id   ppmGeneral 1.3.6.1.4.1.2699.1.2.1.1.1-3 .0
//               ppmPrinterEntry 1.3.6.1.4.1.2699.1.2.1.2.1.1.2-8 .1
//               (3: ppmPrinterIEEE1284DeviceId)
//               ppmPortEntry 1.3.6.1.4.1.2699.1.2.1.3.1.1.2-7,9 .1.1 (the LPD port; the
//               configured one, 515 when the printer took a free port)
//   font-mib    glyFontCount 1.3.6.1.4.1.32473.2.1.1.0
//               glyFontEntry 1.3.6.1.4.1.32473.2.1.2.1.2-8 .index
#include "printer_mib.h"

#include <algorithm>

namespace printer_sim {
namespace {

const Oid kSystem = {1, 3, 6, 1, 2, 1, 1};
const Oid kFontObjects = {1, 3, 6, 1, 4, 1, 32473, 2, 1};
const Oid kFontEntry = {1, 3, 6, 1, 4, 1, 32473, 2, 1, 2, 1};

enum SystemObject : uint32_t {
  kSysDescr = 1, kSysObjectId, kSysUpTime, kSysContact, kSysName, kSysLocation, kSysServices
};
enum FontColumn : uint32_t {
  kFontName = 2, kFontPclId, kFontLocation, kFontType, kFontPersistence, kFontStatus, kFontDelete
};
enum FontStatus : int32_t { kStatusPresent = 1, kStatusDeleting = 2 };
enum FontDeleteAction : int32_t { kActionIdle = 1, kActionDelete = 2 };

constexpr int32_t kServicesApplication = 72;
constexpr size_t kMostTextBytes = 255;

Oid SystemIdOf(const PrinterConfig& config) {
  Oid oid;
  if (!ParseOid(config.systemId, oid)) ParseOid(kDefaultSystemId, oid);
  return oid;
}

void AddSystem(MibRows& rows, const PrinterConfig& config) {
  auto object = [](uint32_t id) { return Join(kSystem, {id}); };
  rows.Add(object(kSysDescr), {0}, Value::Text(config.description));
  rows.Add(object(kSysObjectId), {0}, Value::ObjectId(SystemIdOf(config)));
  rows.Add(object(kSysUpTime), {0}, Value::Unsigned(kTagTimeTicks, 0));
  rows.Add(object(kSysContact), {0}, Value::Text(config.contact));
  rows.Add(object(kSysName), {0}, Value::Text(config.name));
  rows.Add(object(kSysLocation), {0}, Value::Text(config.location));
  rows.Add(object(kSysServices), {0}, Value::Integer(kServicesApplication));
}

void AddFontTable(MibRows& rows, Printer& printer) {
  const std::vector<Font>& fonts = printer.Fonts();
  rows.Add(Join(kFontObjects, {1}), {0}, Value::Unsigned(kTagGauge32, fonts.size()));
  for (uint32_t column = kFontName; column <= kFontDelete; ++column) rows.Serve(Join(kFontEntry, {column}));
  for (const Font& font : fonts) {
    uint32_t index = static_cast<uint32_t>(font.index);
    auto column = [](uint32_t c) { return Join(kFontEntry, {c}); };
    rows.Add(column(kFontName), {index}, Value::Text(font.name));
    rows.Add(column(kFontPclId), {index}, Value::Integer(font.fontId));
    rows.Add(column(kFontLocation), {index}, Value::Integer(font.location));
    rows.Add(column(kFontType), {index}, Value::Integer(font.type));
    rows.Add(column(kFontPersistence), {index}, Value::Integer(font.persistence));
    rows.Add(column(kFontStatus), {index}, Value::Integer(font.deleting ? kStatusDeleting : kStatusPresent));
    rows.Add(column(kFontDelete), {index}, Value::Integer(kActionIdle));
  }
}

bool StartsWith(const Oid& name, const Oid& prefix) {
  return name.size() > prefix.size() && std::equal(prefix.begin(), prefix.end(), name.begin());
}

const Font* FindFont(Printer& printer, const Oid& name) {
  if (name.size() != kFontEntry.size() + 2) return nullptr;
  for (const Font& font : printer.Fonts()) {
    if (static_cast<uint32_t>(font.index) == name.back()) return &font;
  }
  return nullptr;
}

}  // namespace

const std::vector<Variable>& PrinterMib::Variables(Printer& printer) {
  printer.FinishDueDeletions();
  if (builtGeneration_ != printer.generation()) Rebuild(printer);
  std::vector<Variable>& variables = rows_.variables();
  variables[upTimeSlot_].value.number = printer.UpTimeTicks();
  return variables;
}

void PrinterMib::Rebuild(Printer& printer) {
  const PrinterConfig& config = printer.config();
  rows_.Clear();
  AddSystem(rows_, config);
  AddHostResources(rows_, printer);
  if (config.snmp.printerMib) AddPrinterMib(rows_, printer);
  if (!config.snmp.deviceId.empty()) AddPortMonitor(rows_, printer);
  if (config.snmp.fontMib) AddFontTable(rows_, printer);
  rows_.Finish();
  const std::vector<Variable>& variables = rows_.variables();
  const Oid upTime = Join(kSystem, {kSysUpTime, 0});
  upTimeSlot_ = static_cast<size_t>(
      std::find_if(variables.begin(), variables.end(), [&](const Variable& v) { return v.name == upTime; }) -
      variables.begin());
  builtGeneration_ = printer.generation();
}

int32_t PrinterMib::CheckSet(Printer& printer, const VarBind& binding) {
  const Oid& name = binding.name;
  const Value& value = binding.value;
  for (uint32_t object : {kSysContact, kSysName, kSysLocation}) {
    if (name != Join(kSystem, {object, 0})) continue;
    if (value.tag != kTagOctetString) return kWrongType;
    return value.bytes.size() > kMostTextBytes ? kWrongLength : kNoError;
  }
  if (printer.config().snmp.fontMib && StartsWith(name, Join(kFontEntry, {kFontDelete}))) {
    const Font* font = FindFont(printer, name);
    if (!font) return kNoCreation;
    if (value.tag != kTagInteger) return kWrongType;
    if (value.Signed() != kActionIdle && value.Signed() != kActionDelete) return kWrongValue;
    if (value.Signed() == kActionDelete && font->persistence != kDownloaded) return kInconsistentValue;
    return kNoError;
  }
  const std::vector<Variable>& variables = Variables(printer);
  bool exists = std::binary_search(variables.begin(), variables.end(), Variable{name, {}},
                                   [](const Variable& a, const Variable& b) { return a.name < b.name; });
  return exists ? kNotWritable : kNoCreation;
}

void PrinterMib::ApplySet(Printer& printer, const VarBind& binding) {
  const Oid& name = binding.name;
  if (name == Join(kSystem, {kSysContact, 0})) return printer.SetContact(binding.value.bytes);
  if (name == Join(kSystem, {kSysName, 0})) return printer.SetName(binding.value.bytes);
  if (name == Join(kSystem, {kSysLocation, 0})) return printer.SetLocation(binding.value.bytes);
  if (binding.value.Signed() == kActionDelete) printer.StartDeletion(static_cast<int32_t>(name.back()));
}

}  // namespace printer_sim
