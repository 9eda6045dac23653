// The objects the library asks for, by number: the system group, the host
// resources storage, device, disk and file-system tables, the Printer MIB,
// the Printer Port Monitor MIB's IEEE 1284 device ID, and the printer's font
// table (GLY-FONT-MIB under enterprise 32473).
#pragma once

#include <cstddef>
#include <vector>

#include "net_snmp.h"

namespace glysnmp {

using Oid = std::vector<oid>;

inline Oid Join(Oid prefix, std::initializer_list<oid> suffix) {
  prefix.insert(prefix.end(), suffix);
  return prefix;
}

// True when `name` lies strictly below `prefix`.
bool IsUnder(const oid* name, size_t nameLength, const Oid& prefix);

namespace oids {

inline const Oid kSysDescr = {1, 3, 6, 1, 2, 1, 1, 1, 0};
inline const Oid kSysObjectId = {1, 3, 6, 1, 2, 1, 1, 2, 0};
inline const Oid kSysName = {1, 3, 6, 1, 2, 1, 1, 5, 0};

inline const Oid kHrStorageEntry = {1, 3, 6, 1, 2, 1, 25, 2, 3, 1};
inline const Oid kHrStorageType = Join(kHrStorageEntry, {2});
inline const Oid kHrStorageDescr = Join(kHrStorageEntry, {3});
inline const Oid kHrStorageAllocationUnits = Join(kHrStorageEntry, {4});
inline const Oid kHrStorageSize = Join(kHrStorageEntry, {5});
inline const Oid kHrStorageUsed = Join(kHrStorageEntry, {6});
inline const Oid kHrStorageFixedDisk = {1, 3, 6, 1, 2, 1, 25, 2, 1, 4};
inline const Oid kHrStorageFlashMemory = {1, 3, 6, 1, 2, 1, 25, 2, 1, 9};

inline const Oid kHrDeviceEntry = {1, 3, 6, 1, 2, 1, 25, 3, 2, 1};
inline const Oid kHrDeviceType = Join(kHrDeviceEntry, {2});
inline const Oid kHrDeviceDescr = Join(kHrDeviceEntry, {3});
inline const Oid kHrDevicePrinter = {1, 3, 6, 1, 2, 1, 25, 3, 1, 5};
inline const Oid kHrDeviceDiskStorage = {1, 3, 6, 1, 2, 1, 25, 3, 1, 6};
// hrDiskStorageEntry, indexed like the device table.
inline const Oid kHrDiskStorageEntry = {1, 3, 6, 1, 2, 1, 25, 3, 6, 1};
inline const Oid kHrDiskStorageAccess = Join(kHrDiskStorageEntry, {1});
inline const Oid kHrDiskStorageMedia = Join(kHrDiskStorageEntry, {2});
inline const Oid kHrDiskStorageCapacity = Join(kHrDiskStorageEntry, {4});  // KBytes
// hrFSEntry: a file system's access and the storage row it lives on.
inline const Oid kHrFsEntry = {1, 3, 6, 1, 2, 1, 25, 3, 8, 1};
inline const Oid kHrFsAccess = Join(kHrFsEntry, {5});
inline const Oid kHrFsStorageIndex = Join(kHrFsEntry, {7});
// Values of hrDiskStorageAccess, hrFSAccess and hrDiskStorageMedia.
inline constexpr long kAccessReadOnly = 2;
inline constexpr long kMediaOther = 1;
inline constexpr long kMediaUnknown = 2;
inline constexpr long kMediaHardDisk = 3;

// Every table of the Printer MIB lies below it.
inline const Oid kPrinterMib = {1, 3, 6, 1, 2, 1, 43};
inline const Oid kPrtGeneralSerialNumber = {1, 3, 6, 1, 2, 1, 43, 5, 1, 1, 17};
// prtChannelType and prtChannelState; prtInterpreterLangFamily.
inline const Oid kPrtChannelType = {1, 3, 6, 1, 2, 1, 43, 14, 1, 1, 2};
inline const Oid kPrtChannelState = {1, 3, 6, 1, 2, 1, 43, 14, 1, 1, 6};
inline const Oid kPrtInterpreterLangFamily = {1, 3, 6, 1, 2, 1, 43, 15, 1, 1, 2};
// ppmPrinterIEEE1284DeviceId, one row per printer of the port monitor.
inline const Oid kPpmPrinterIeee1284DeviceId = {1, 3, 6, 1, 4, 1, 2699, 1, 2, 1, 2, 1, 1, 3};

// glyFontCount, which every printer with the font table has; then the
// glyFontEntry columns, whose row index is the printer's font index.
inline const Oid kFontCount = {1, 3, 6, 1, 4, 1, 32473, 2, 1, 1, 0};
inline const Oid kFontEntry = {1, 3, 6, 1, 4, 1, 32473, 2, 1, 2, 1};
inline const Oid kFontName = Join(kFontEntry, {2});
inline const Oid kFontPclId = Join(kFontEntry, {3});
inline const Oid kFontLocation = Join(kFontEntry, {4});
inline const Oid kFontType = Join(kFontEntry, {5});
inline const Oid kFontPersistence = Join(kFontEntry, {6});
inline const Oid kFontStatus = Join(kFontEntry, {7});
inline const Oid kFontDelete = Join(kFontEntry, {8});
// Values of glyFontStatus and glyFontDelete.
inline constexpr long kFontStatusDeleting = 2;
inline constexpr long kFontDeleteRequested = 2;

}  // namespace oids
}  // namespace glysnmp
