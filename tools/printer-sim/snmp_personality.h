// How a virtual printer presents itself over SNMP. The defaults are our own
// test printer (font table, storage table, one host resources printer row);
// the other settings play what printers on real networks serve: no private
// font MIB, the disk only as a DiskStorage device, the model in the printer
// row with sysDescr naming the network card, an IEEE 1284 device ID, and
// the Printer MIB's general, marker and supplies rows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace printer_sim {

// Where the disk and flash volumes are reported.
enum class StorageReport {
  kStorageTable,  // hrStorageTable rows (fixed disk, flash memory)
  kDeviceTable,   // hrDeviceTable DiskStorage rows with their hrDiskStorageTable rows
  kBoth,
};

// One prtChannelTable row: its PrtChannelTypeTC and whether it takes print
// data (prtChannelState printDataAccepted, else noDataAccepted).
struct SimChannel {
  int32_t type;
  bool enabled;
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
  // With the Printer MIB: one prtInterpreterTable row per language family
  // (PrtInterpreterLangFamilyTC), and the prtChannelTable rows.
  std::vector<int32_t> languages = {5, 3, 6};  // PJL, PCL, PostScript
  std::vector<SimChannel> channels = {{8, true}, {11, true}, {44, true}};  // LPD, port 9100, IPP
};

// "pjl,pcl,postscript" (also pclxl, pdf, hpgl) into language families;
// false for an unknown word.
bool ParseLanguages(const std::string& text, std::vector<int32_t>& languages);
// "lpd,raw,ipp:off" (also appsocket) into channel rows, ":off" for one that
// takes no data; false for an unknown word.
bool ParseChannels(const std::string& text, std::vector<SimChannel>& channels);

// What `real = yes` sets: the font MIB off, storage as DiskStorage devices,
// the Printer MIB on.
void UseRealPrinterDefaults(SnmpPersonality& personality);

}  // namespace printer_sim
