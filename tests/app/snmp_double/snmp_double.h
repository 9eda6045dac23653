// A stand-in for the SNMP access library (snmp/contract/glysnmp.h) for the
// program's own tests: link `glysnmp_double` instead of the real library.
// Tests script the devices it knows, their font tables and the outcome of
// each font deletion, and read back every call the program made.
//
// All functions here and in the contract are safe to call from any thread.
// The PrinterFoundCallback is called on the thread that calls
// SnmpDiscoverPrinters or ReportPrinter, without the double's lock held.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "snmp/contract/glysnmp.h"

namespace snmp_double {

struct Device {
  DeviceInfo info{};                 // info.address is the key
  uint32_t storageOptions = kStorageNone;
  bool reportsStorage = true;        // false: SnmpGetReportedStorage hears of no storage area
  SnmpPrinterAbilities abilities{};  // what SnmpGetPrinterAbilities answers
  bool discoverable = true;          // reported by SnmpDiscoverPrinters
  int32_t addResult = kSnmpAddAnswered;
  int32_t fontListResult = 0;        // non-zero: SnmpGetFontList fails
  std::vector<FontEntry> fonts;      // the font table, in table order
  bool fontTable = true;             // false: SnmpGetFontTable says it has none
  // SnmpQueryStoredFile's answers by PJL path, and for any other path;
  // SnmpQueryStoredFileSize gives them with no size, SnmpUploadStoredFileHead
  // with no bytes.
  std::map<std::string, int32_t> storedFiles;
  int32_t storedFileResult = kSnmpFileUnknown;
  // A printer that holds files: the bytes at a PJL path (nullopt: ask
  // storedFiles), given with their size and head.
  std::function<std::optional<std::string>(const std::string& path)> storedContent;
  bool tellsSizes = true;  // false: SnmpQueryStoredFileSize gives no size
  int32_t fontSource = kFontSourceFontMib;  // what SnmpGetPrinterDetails tells
};

// What happens when the program deletes one font. By default the start is
// accepted and the first poll reports the font deleted.
struct Deletion {
  int32_t startResult = 0;   // non-zero: the start is refused
  int pendingPolls = 0;      // polls that report "pending" before the font is gone
  bool neverFinishes = false;
  int32_t pendingResult = 0; // what a poll returns while pending (pending flag 1)
};

struct Call {
  std::string operation;     // the contract's name, e.g. "SnmpGetFontList"
  uint32_t address = 0;      // the printer's or device's address, when there is one
  int32_t fontIndex = 0;     // font index or afterIndex, when there is one
  uint32_t target = 0;       // SnmpDiscoverPrinters target, SnmpSubnetTarget subnet, PJL password
  std::thread::id thread;
  std::string path;          // SnmpQueryStoredFile's (or ...Size's) printer path
};

// Forgets every device, deletion, call, the callback and the counters.
void Reset();

// Adds a device, or replaces the one with the same address.
void AddDevice(const Device& device);
// The device's current state (its font table shrinks as fonts are deleted).
Device GetDevice(uint32_t address);

void SetDefaultAddress(int32_t result, uint32_t address);
void SetDeletion(uint32_t address, int32_t fontIndex, const Deletion& deletion);

// Calls the PrinterFoundCallback given to SnmpInitContext, as the library
// does when a printer reports itself. Returns false when none was given.
bool ReportPrinter(const DeviceInfo& device);

std::vector<Call> Calls();
int CallCount(const std::string& operation);

// Font lists handed out and not yet freed, and SnmpFreeFontList calls on
// entries the double did not allocate (which it leaves alone).
int OutstandingFontLists();
int ForeignFrees();

// Convenience builders.
DeviceInfo MakeDeviceInfo(uint32_t address, const char* systemId, const char* deviceName,
                          const char* description);
FontEntry MakeFontEntry(const char* name, int32_t index, int32_t fontType,
                        int32_t persistence, int32_t location, int32_t fontId = kNoFontId);

}  // namespace snmp_double
