#include "printer_mib.h"

#include <algorithm>

namespace printer_sim {
namespace {

const Oid kSystem = {1, 3, 6, 1, 2, 1, 1};
const Oid kHrStorage = {1, 3, 6, 1, 2, 1, 25, 2};
const Oid kHrStorageEntry = {1, 3, 6, 1, 2, 1, 25, 2, 3, 1};
const Oid kHrStorageFixedDisk = {1, 3, 6, 1, 2, 1, 25, 2, 1, 4};
const Oid kHrStorageFlashMemory = {1, 3, 6, 1, 2, 1, 25, 2, 1, 9};
const Oid kHrDeviceEntry = {1, 3, 6, 1, 2, 1, 25, 3, 2, 1};
const Oid kHrDevicePrinter = {1, 3, 6, 1, 2, 1, 25, 3, 1, 5};
const Oid kHrPrinterEntry = {1, 3, 6, 1, 2, 1, 25, 3, 5, 1};
const Oid kFontObjects = {1, 3, 6, 1, 4, 1, 32473, 2, 1};
const Oid kFontEntry = {1, 3, 6, 1, 4, 1, 32473, 2, 1, 2, 1};

enum SystemObject : uint32_t { kSysDescr = 1, kSysObjectId, kSysUpTime, kSysContact, kSysName, kSysLocation, kSysServices };
enum FontColumn : uint32_t {
  kFontName = 2, kFontPclId, kFontLocation, kFontType, kFontPersistence, kFontStatus, kFontDelete
};
enum FontStatus : int32_t { kStatusPresent = 1, kStatusDeleting = 2 };
enum FontDeleteAction : int32_t { kActionIdle = 1, kActionDelete = 2 };

constexpr uint32_t kAllocationUnit = 1024;
constexpr uint32_t kMemoryKiB = 262144;
constexpr int32_t kDeviceRunning = 2;
constexpr int32_t kPrinterIdle = 3;
constexpr int32_t kServicesApplication = 72;
constexpr size_t kMostTextBytes = 255;

// Scalars and columns this agent serves (instances follow them).
const std::vector<Oid>& KnownObjects() {
  static const std::vector<Oid> objects = [] {
    std::vector<Oid> list;
    for (uint32_t i = kSysDescr; i <= kSysServices; ++i) list.push_back(Join(kSystem, {i}));
    list.push_back(Join(kHrStorage, {2}));
    for (uint32_t i = 1; i <= 7; ++i) list.push_back(Join(kHrStorageEntry, {i}));
    for (uint32_t i = 1; i <= 6; ++i) list.push_back(Join(kHrDeviceEntry, {i}));
    for (uint32_t i = 1; i <= 2; ++i) list.push_back(Join(kHrPrinterEntry, {i}));
    list.push_back(Join(kFontObjects, {1}));
    for (uint32_t i = kFontName; i <= kFontDelete; ++i) list.push_back(Join(kFontEntry, {i}));
    return list;
  }();
  return objects;
}

bool StartsWith(const Oid& name, const Oid& prefix) {
  return name.size() > prefix.size() && std::equal(prefix.begin(), prefix.end(), name.begin());
}

Oid SystemIdOf(const PrinterConfig& config) {
  Oid oid;
  if (!ParseOid(config.systemId, oid)) ParseOid(kDefaultSystemId, oid);
  return oid;
}

uint32_t Units(uint64_t bytes) {
  uint64_t units = (bytes + kAllocationUnit - 1) / kAllocationUnit;
  return static_cast<uint32_t>(std::min<uint64_t>(units, INT32_MAX));
}

void AddStorageRow(std::vector<Variable>& out, uint32_t index, const Oid& type, const char* descr,
                   const StorageVolume& volume) {
  auto column = [&](uint32_t c) { return Join(kHrStorageEntry, {c, index}); };
  out.push_back({column(1), Value::Integer(index)});
  out.push_back({column(2), Value::ObjectId(type)});
  out.push_back({column(3), Value::Text(descr)});
  out.push_back({column(4), Value::Integer(kAllocationUnit)});
  out.push_back({column(5), Value::Integer(Units(volume.capacity()))});
  out.push_back({column(6), Value::Integer(Units(volume.used()))});
  out.push_back({column(7), Value::Unsigned(kTagCounter32, 0)});
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
  variables_[upTimeSlot_].value.number = printer.UpTimeTicks();
  return variables_;
}

void PrinterMib::Rebuild(Printer& printer) {
  const PrinterConfig& config = printer.config();
  std::vector<Variable>& out = variables_;
  out.clear();
  out.push_back({Join(kSystem, {kSysDescr, 0}), Value::Text(config.description)});
  out.push_back({Join(kSystem, {kSysObjectId, 0}), Value::ObjectId(SystemIdOf(config))});
  out.push_back({Join(kSystem, {kSysUpTime, 0}), Value::Unsigned(kTagTimeTicks, 0)});
  out.push_back({Join(kSystem, {kSysContact, 0}), Value::Text(config.contact)});
  out.push_back({Join(kSystem, {kSysName, 0}), Value::Text(config.name)});
  out.push_back({Join(kSystem, {kSysLocation, 0}), Value::Text(config.location)});
  out.push_back({Join(kSystem, {kSysServices, 0}), Value::Integer(kServicesApplication)});

  out.push_back({Join(kHrStorage, {2, 0}), Value::Integer(kMemoryKiB)});
  if (const StorageVolume* disk = printer.FindVolume(Volume::kDisk)) {
    AddStorageRow(out, 1, kHrStorageFixedDisk, "Hard disk", *disk);
  }
  if (const StorageVolume* flash = printer.FindVolume(Volume::kFlash)) {
    AddStorageRow(out, 2, kHrStorageFlashMemory, "Flash memory", *flash);
  }

  out.push_back({Join(kHrDeviceEntry, {1, 1}), Value::Integer(1)});
  out.push_back({Join(kHrDeviceEntry, {2, 1}), Value::ObjectId(kHrDevicePrinter)});
  out.push_back({Join(kHrDeviceEntry, {3, 1}), Value::Text(config.description)});
  out.push_back({Join(kHrDeviceEntry, {4, 1}), Value::ObjectId({0, 0})});
  out.push_back({Join(kHrDeviceEntry, {5, 1}), Value::Integer(kDeviceRunning)});
  out.push_back({Join(kHrDeviceEntry, {6, 1}), Value::Unsigned(kTagCounter32, 0)});
  out.push_back({Join(kHrPrinterEntry, {1, 1}), Value::Integer(kPrinterIdle)});
  out.push_back({Join(kHrPrinterEntry, {2, 1}), Value::Text(std::string(1, '\0'))});

  const std::vector<Font>& fonts = printer.Fonts();
  out.push_back({Join(kFontObjects, {1, 0}), Value::Unsigned(kTagGauge32, fonts.size())});
  for (const Font& font : fonts) {
    uint32_t index = static_cast<uint32_t>(font.index);
    out.push_back({Join(kFontEntry, {kFontName, index}), Value::Text(font.name)});
    out.push_back({Join(kFontEntry, {kFontPclId, index}), Value::Integer(font.fontId)});
    out.push_back({Join(kFontEntry, {kFontLocation, index}), Value::Integer(font.location)});
    out.push_back({Join(kFontEntry, {kFontType, index}), Value::Integer(font.type)});
    out.push_back({Join(kFontEntry, {kFontPersistence, index}), Value::Integer(font.persistence)});
    out.push_back({Join(kFontEntry, {kFontStatus, index}),
                   Value::Integer(font.deleting ? kStatusDeleting : kStatusPresent)});
    out.push_back({Join(kFontEntry, {kFontDelete, index}), Value::Integer(kActionIdle)});
  }
  std::sort(out.begin(), out.end(), [](const Variable& a, const Variable& b) { return a.name < b.name; });
  upTimeSlot_ = static_cast<size_t>(
      std::find_if(out.begin(), out.end(),
                   [](const Variable& v) { return v.name == Join(kSystem, {kSysUpTime, 0}); }) -
      out.begin());
  builtGeneration_ = printer.generation();
}

bool IsKnownObject(const Oid& name) {
  const std::vector<Oid>& objects = KnownObjects();
  return std::any_of(objects.begin(), objects.end(),
                     [&](const Oid& object) { return StartsWith(name, object); });
}

int32_t PrinterMib::CheckSet(Printer& printer, const VarBind& binding) {
  const Oid& name = binding.name;
  const Value& value = binding.value;
  for (uint32_t object : {kSysContact, kSysName, kSysLocation}) {
    if (name != Join(kSystem, {object, 0})) continue;
    if (value.tag != kTagOctetString) return kWrongType;
    return value.bytes.size() > kMostTextBytes ? kWrongLength : kNoError;
  }
  if (StartsWith(name, Join(kFontEntry, {kFontDelete}))) {
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
