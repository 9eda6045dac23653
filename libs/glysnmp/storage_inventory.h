// What a printer has to store downloads on, from the host resources MIB:
// fixed-disk and flash-memory rows of the storage table (size and use in
// allocation units, read-only when a read-only file system lives on them),
// and DiskStorage rows of the device table with their disk table entry
// (access, media, capacity), the way printers with a hard disk often show it.
// A disk both tables show is listed once, as the storage table gives it:
// only that table tells the free space. A disk only the device table shows
// has no known free space and counts when it is present and writable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "snmp_session.h"

namespace glysnmp {

struct StorageArea {
  uint32_t kind = 0;  // kStorageHardDisk or kStorageFlash
  std::string description;
  std::optional<uint64_t> capacityBytes;  // unknown when the agent did not say
  std::optional<uint64_t> freeBytes;
  bool writable = true;

  // Present, writable and not full; what the agent left unsaid does not
  // count against it.
  bool Usable() const;
};

// A storage-table description or device description is kept to this many
// bytes, and no more areas than this are kept.
inline constexpr size_t kMostDescriptionBytes = 63;
inline constexpr size_t kMostStorageAreas = 32;

struct StorageInventory {
  std::vector<StorageArea> areas;  // storage-table rows first, each in index order

  // PrinterStorage: the kinds of the usable areas.
  uint32_t Options() const;
};

// nullopt when the agent did not answer the storage table walk; the device
// and disk tables add what they give. An empty inventory means SNMP said
// nothing of storage (also when the agent refused the walk).
std::optional<StorageInventory> QueryStorage(Session& session);

}  // namespace glysnmp
