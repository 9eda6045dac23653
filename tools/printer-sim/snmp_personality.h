// How a virtual printer presents itself over SNMP. The defaults are our own
// test printer (font table, storage table, one host resources printer row);
// the other settings play what printers on real networks serve: no private
// font MIB, the disk only as a DiskStorage device, the model in the printer
// row with sysDescr naming the network card, an IEEE 1284 device ID, and
// the Printer MIB's general, marker and supplies rows.
#pragma once

#include <cstdint>
#include <string>

namespace printer_sim {

// Where the disk and flash volumes are reported.
enum class StorageReport {
  kStorageTable,  // hrStorageTable rows (fixed disk, flash memory)
  kDeviceTable,   // hrDeviceTable DiskStorage rows with their hrDiskStorageTable rows
  kBoth,
};

struct SnmpPersonality {
  bool fontMib = true;  // the font table of GLY-FONT-MIB
  StorageReport storageReport = StorageReport::kStorageTable;
  uint32_t allocationUnit = 1024;  // hrStorageAllocationUnits of the disk and flash rows
  // An NVRAM row of this many units in the storage table, every unit in
  // use, as small printer memories report; 0: none.
  uint32_t nvramUnits = 0;
  std::string deviceDescription;  // the printer row's hrDeviceDescr; empty: sysDescr
  bool hostPrinterRow = true;     // the printer's hrDeviceTable and hrPrinterTable rows
  bool printerMib = false;        // prtGeneral, prtMarker and prtMarkerSupplies rows
  std::string serialNumber;       // prtGeneralSerialNumber; empty: made from the address
  std::string deviceId;           // ppmPrinterIEEE1284DeviceId; empty: no port monitor rows
};

// What `real = yes` sets: the font MIB off, storage as DiskStorage devices,
// the Printer MIB on.
void UseRealPrinterDefaults(SnmpPersonality& personality);

}  // namespace printer_sim
