// The host resources groups of a printer (RFC 2790): memory size, the
// storage table, the device table with the printer and its disks, the
// printer table and the disk storage table.
#include <algorithm>

#include "mib_rows.h"
#include "printer.h"

namespace printer_sim {
namespace {

const Oid kHrMemorySize = {1, 3, 6, 1, 2, 1, 25, 2, 2};
const Oid kHrStorageEntry = {1, 3, 6, 1, 2, 1, 25, 2, 3, 1};
const Oid kHrStorageOther = {1, 3, 6, 1, 2, 1, 25, 2, 1, 1};
const Oid kHrStorageFixedDisk = {1, 3, 6, 1, 2, 1, 25, 2, 1, 4};
const Oid kHrStorageFlashMemory = {1, 3, 6, 1, 2, 1, 25, 2, 1, 9};
const Oid kHrDeviceEntry = {1, 3, 6, 1, 2, 1, 25, 3, 2, 1};
const Oid kHrDevicePrinter = {1, 3, 6, 1, 2, 1, 25, 3, 1, 5};
const Oid kHrDeviceDiskStorage = {1, 3, 6, 1, 2, 1, 25, 3, 1, 6};
const Oid kHrPrinterEntry = {1, 3, 6, 1, 2, 1, 25, 3, 5, 1};
const Oid kHrDiskStorageEntry = {1, 3, 6, 1, 2, 1, 25, 3, 6, 1};

constexpr uint32_t kMemoryKiB = 262144;
constexpr int32_t kDeviceRunning = 2;
constexpr int32_t kPrinterIdle = 3;
enum DiskAccess : int32_t { kReadWrite = 1 };
enum DiskMedia : int32_t { kMediaOther = 1, kMediaHardDisk = 3 };

struct Disk {
  Volume volume;
  const char* descr;
  const Oid& storageType;
  int32_t media;
};
const Disk kDisks[] = {{Volume::kDisk, "Hard disk", kHrStorageFixedDisk, kMediaHardDisk},
                       {Volume::kFlash, "Flash memory", kHrStorageFlashMemory, kMediaOther}};

uint32_t Units(uint64_t bytes, uint32_t unit) {
  uint64_t units = (bytes + unit - 1) / unit;
  return static_cast<uint32_t>(std::min<uint64_t>(units, INT32_MAX));
}

void AddStorageRow(MibRows& rows, uint32_t index, const Oid& type, const char* descr, uint32_t unit,
                   uint32_t size, uint32_t used) {
  auto column = [](uint32_t c) { return Join(kHrStorageEntry, {c}); };
  rows.Add(column(1), {index}, Value::Integer(index));
  rows.Add(column(2), {index}, Value::ObjectId(type));
  rows.Add(column(3), {index}, Value::Text(descr));
  rows.Add(column(4), {index}, Value::Integer(unit));
  rows.Add(column(5), {index}, Value::Integer(size));
  rows.Add(column(6), {index}, Value::Integer(used));
  rows.Add(column(7), {index}, Value::Unsigned(kTagCounter32, 0));
}

void AddDeviceRow(MibRows& rows, uint32_t index, const Oid& type, const std::string& descr) {
  auto column = [](uint32_t c) { return Join(kHrDeviceEntry, {c}); };
  rows.Add(column(1), {index}, Value::Integer(index));
  rows.Add(column(2), {index}, Value::ObjectId(type));
  rows.Add(column(3), {index}, Value::Text(descr));
  rows.Add(column(4), {index}, Value::ObjectId({0, 0}));
  rows.Add(column(5), {index}, Value::Integer(kDeviceRunning));
  rows.Add(column(6), {index}, Value::Unsigned(kTagCounter32, 0));
}

void AddDiskStorageRow(MibRows& rows, uint32_t index, int32_t media, const StorageVolume& volume) {
  auto column = [](uint32_t c) { return Join(kHrDiskStorageEntry, {c}); };
  rows.Add(column(1), {index}, Value::Integer(kReadWrite));
  rows.Add(column(2), {index}, Value::Integer(media));
  rows.Add(column(3), {index}, Value::Integer(kFalse));
  rows.Add(column(4), {index}, Value::Integer(Units(volume.capacity(), 1024)));
}

}  // namespace

void AddHostResources(MibRows& rows, const Printer& printer) {
  const PrinterConfig& config = printer.config();
  const SnmpPersonality& snmp = config.snmp;
  // A device with neither the storage table nor the printer row serves
  // no host resources group at all.
  const bool storageTable = snmp.storageReport != StorageReport::kDeviceTable;
  if (storageTable || snmp.hostPrinterRow) rows.Add(kHrMemorySize, {0}, Value::Integer(kMemoryKiB));

  if (storageTable) {
    // The table is there even when the printer has no volume.
    for (uint32_t column = 1; column <= 7; ++column) rows.Serve(Join(kHrStorageEntry, {column}));
    uint32_t index = 1;
    for (const Disk& disk : kDisks) {
      if (const StorageVolume* volume = printer.FindVolume(disk.volume)) {
        const uint32_t unit = snmp.allocationUnit;
        AddStorageRow(rows, index, disk.storageType, disk.descr, unit, Units(volume->capacity(), unit),
                      Units(volume->used(), unit));
      }
      ++index;
    }
    if (snmp.nvramUnits > 0) {
      AddStorageRow(rows, index, kHrStorageOther, "NVRAM", snmp.allocationUnit, snmp.nvramUnits, snmp.nvramUnits);
    }
  }

  if (snmp.hostPrinterRow) {
    AddDeviceRow(rows, kPrinterDeviceIndex, kHrDevicePrinter, DeviceDescription(config));
    rows.Add(Join(kHrPrinterEntry, {1}), {kPrinterDeviceIndex}, Value::Integer(kPrinterIdle));
    rows.Add(Join(kHrPrinterEntry, {2}), {kPrinterDeviceIndex}, Value::Text(std::string(1, '\0')));
  }
  if (snmp.storageReport != StorageReport::kStorageTable) {
    uint32_t index = kPrinterDeviceIndex + 1;
    for (const Disk& disk : kDisks) {
      const StorageVolume* volume = printer.FindVolume(disk.volume);
      if (!volume) continue;
      AddDeviceRow(rows, index, kHrDeviceDiskStorage, disk.descr);
      AddDiskStorageRow(rows, index, disk.media, *volume);
      ++index;
    }
  }
}

}  // namespace printer_sim
