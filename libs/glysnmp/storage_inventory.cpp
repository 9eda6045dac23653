#include "storage_inventory.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include "answer_values.h"
#include "glysnmp.h"
#include "table_walk.h"

namespace glysnmp {
namespace {

// Rows are kept only up to this many per table; a printer has a handful.
constexpr size_t kMostRowsKept = 256;

struct StorageRow {
  uint32_t kind = 0;
  std::string description;
  std::optional<int32_t> units, size, used;
};

struct DeviceRow {
  bool diskStorage = false;
  std::string description;
  std::optional<int32_t> access, media, capacityKBytes;
};

// The row of `value` below `column` in `rows`, created if there is room.
template <typename Row>
Row* RowOf(std::map<int32_t, Row>& rows, const netsnmp_variable_list& value, const Oid& column) {
  std::optional<int32_t> index = RowIndex(value, column.size());
  if (!index) return nullptr;
  auto at = rows.find(*index);
  if (at != rows.end()) return &at->second;
  if (rows.size() == kMostRowsKept) return nullptr;
  return &rows[*index];
}

std::string Description(const netsnmp_variable_list& value) {
  char text[kMostDescriptionBytes + 1];
  ReadText(value, text);
  return text;
}

std::optional<int32_t> Positive(std::optional<int32_t> number) {
  if (number && *number >= 0) return number;
  return std::nullopt;
}

WalkEnd Walk(Session& session, const std::vector<Oid>& columns,
             const std::function<void(size_t, const netsnmp_variable_list&)>& visit) {
  return WalkColumns(session, columns, std::nullopt, [&](size_t column, const netsnmp_variable_list& value) {
    visit(column, value);
    return true;
  });
}

// nullopt when the agent did not answer; an agent that refuses the walk
// says nothing of storage.
std::optional<std::map<int32_t, StorageRow>> ReadStorageTable(Session& session) {
  const std::vector<Oid> columns = {oids::kHrStorageType, oids::kHrStorageDescr, oids::kHrStorageAllocationUnits,
                                    oids::kHrStorageSize, oids::kHrStorageUsed};
  std::map<int32_t, StorageRow> rows;
  const WalkEnd end = Walk(session, columns, [&](size_t column, const netsnmp_variable_list& value) {
    StorageRow* row = RowOf(rows, value, columns[column]);
    if (row == nullptr) return;
    switch (column) {
      case 0:
        if (HoldsOid(value, oids::kHrStorageFixedDisk)) row->kind = kStorageHardDisk;
        if (HoldsOid(value, oids::kHrStorageFlashMemory)) row->kind = kStorageFlash;
        break;
      case 1: row->description = Description(value); break;
      case 2: row->units = Positive(ReadInteger(value)); break;
      case 3: row->size = Positive(ReadInteger(value)); break;
      case 4: row->used = Positive(ReadInteger(value)); break;
    }
  });
  if (end == WalkEnd::kSilent) return std::nullopt;
  if (end == WalkEnd::kRefused) rows.clear();
  return rows;
}

// Storage rows that carry a read-only file system.
std::set<int32_t> ReadOnlyStorageRows(Session& session) {
  const std::vector<Oid> columns = {oids::kHrFsAccess, oids::kHrFsStorageIndex};
  std::map<int32_t, std::pair<std::optional<int32_t>, std::optional<int32_t>>> fileSystems;
  Walk(session, columns, [&](size_t column, const netsnmp_variable_list& value) {
    auto* row = RowOf(fileSystems, value, columns[column]);
    if (row == nullptr) return;
    (column == 0 ? row->first : row->second) = ReadInteger(value);
  });
  std::set<int32_t> readOnly;
  for (const auto& [index, fileSystem] : fileSystems) {
    if (fileSystem.first == oids::kAccessReadOnly && fileSystem.second) readOnly.insert(*fileSystem.second);
  }
  return readOnly;
}

std::map<int32_t, DeviceRow> ReadDiskDevices(Session& session) {
  const std::vector<Oid> devices = {oids::kHrDeviceType, oids::kHrDeviceDescr};
  std::map<int32_t, DeviceRow> rows;
  Walk(session, devices, [&](size_t column, const netsnmp_variable_list& value) {
    DeviceRow* row = RowOf(rows, value, devices[column]);
    if (row == nullptr) return;
    if (column == 0) row->diskStorage = HoldsOid(value, oids::kHrDeviceDiskStorage);
    if (column == 1) row->description = Description(value);
  });
  std::erase_if(rows, [](const auto& row) { return !row.second.diskStorage; });
  if (rows.empty()) return rows;
  const std::vector<Oid> disks = {oids::kHrDiskStorageAccess, oids::kHrDiskStorageMedia, oids::kHrDiskStorageCapacity};
  Walk(session, disks, [&](size_t column, const netsnmp_variable_list& value) {
    std::optional<int32_t> index = RowIndex(value, disks[column].size());
    auto row = index ? rows.find(*index) : rows.end();
    if (row == rows.end()) return;
    std::optional<int32_t> number = ReadInteger(value);
    (column == 0 ? row->second.access : column == 1 ? row->second.media : row->second.capacityKBytes) = number;
  });
  return rows;
}

std::string Lowered(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

bool MentionsFlash(const std::string& description) { return Lowered(description).find("flash") != std::string::npos; }

// A disk of the device table: hard disks, and media the agent leaves open
// (other, unknown) as flash when their description says so, else as disk.
// RAM disks, floppies and optical media hold no downloads.
std::optional<StorageArea> DiskArea(const DeviceRow& disk) {
  long media = disk.media.value_or(oids::kMediaUnknown);
  if (media != oids::kMediaHardDisk && media != oids::kMediaOther && media != oids::kMediaUnknown) return std::nullopt;
  StorageArea area;
  area.kind = media != oids::kMediaHardDisk && MentionsFlash(disk.description) ? kStorageFlash : kStorageHardDisk;
  area.description = disk.description;
  if (std::optional<int32_t> capacity = Positive(disk.capacityKBytes)) {
    area.capacityBytes = static_cast<uint64_t>(*capacity) * 1024;
  }
  area.writable = disk.access != oids::kAccessReadOnly;
  return area;
}

StorageArea StorageTableArea(const StorageRow& row, bool readOnly) {
  StorageArea area;
  area.kind = row.kind;
  area.description = row.description;
  area.writable = !readOnly;
  if (row.units && row.size) {
    uint64_t units = static_cast<uint64_t>(*row.units);
    area.capacityBytes = units * static_cast<uint64_t>(*row.size);
    if (row.used) area.freeBytes = units * static_cast<uint64_t>(std::max(*row.size - *row.used, 0));
  }
  return area;
}

// Whether a disk of the device table is one the storage table shows
// already: the same description, or the same kind and a capacity within
// 1% (a file system is a little smaller than its disk, and the two tables
// count in different units).
bool SameArea(const StorageArea& shown, const StorageArea& disk) {
  if (!disk.description.empty() && Lowered(shown.description) == Lowered(disk.description)) return true;
  if (shown.kind != disk.kind || !shown.capacityBytes || !disk.capacityBytes) return false;
  const uint64_t larger = std::max(*shown.capacityBytes, *disk.capacityBytes);
  const uint64_t smaller = std::min(*shown.capacityBytes, *disk.capacityBytes);
  return larger - smaller <= larger / 100;
}

// Adds a disk of the device table unless the storage table's first
// `shownCount` areas show it; such an area keeps its size and free space,
// which the disk table does not give, and takes the disk's read-only
// access.
void AddDiskArea(std::vector<StorageArea>& areas, size_t shownCount, const StorageArea& disk) {
  for (size_t i = 0; i < shownCount; ++i) {
    StorageArea& shown = areas[i];
    if (!SameArea(shown, disk)) continue;
    shown.writable = shown.writable && disk.writable;
    if (!shown.capacityBytes) shown.capacityBytes = disk.capacityBytes;
    return;
  }
  areas.push_back(disk);
}

}  // namespace

bool StorageArea::Usable() const {
  return writable && capacityBytes.value_or(1) > 0 && freeBytes.value_or(1) > 0;
}

uint32_t StorageInventory::Options() const {
  uint32_t options = kStorageNone;
  for (const StorageArea& area : areas) {
    if (area.Usable()) options |= area.kind;
  }
  return options;
}

std::optional<StorageInventory> QueryStorage(Session& session) {
  std::optional<std::map<int32_t, StorageRow>> storage = ReadStorageTable(session);
  if (!storage) return std::nullopt;
  StorageInventory inventory;
  std::erase_if(*storage, [](const auto& row) { return row.second.kind == 0; });
  std::set<int32_t> readOnly = storage->empty() ? std::set<int32_t>{} : ReadOnlyStorageRows(session);
  for (const auto& [index, row] : *storage) inventory.areas.push_back(StorageTableArea(row, readOnly.count(index) > 0));
  const size_t shownCount = inventory.areas.size();
  for (const auto& [index, disk] : ReadDiskDevices(session)) {
    if (std::optional<StorageArea> area = DiskArea(disk)) AddDiskArea(inventory.areas, shownCount, *area);
  }
  if (inventory.areas.size() > kMostStorageAreas) inventory.areas.resize(kMostStorageAreas);
  return inventory;
}

}  // namespace glysnmp
