// One listed printer, in the fixed 524-byte layout that the SNMP access
// library reads and fills through a pointer (see snmp/glysnmp.h). The field
// offsets are part of that interface, so they are pinned below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Community strings a new record starts with.
inline constexpr char kDefaultReadCommunity[] = "vorpal";
inline constexpr char kDefaultWriteCommunity[] = "quillet";
inline constexpr char kDefaultTrapCommunity[] = "PLMB_vane";

// Values of `storageOptions`.
enum PrinterStorage : uint32_t {
  kStorageNone = 0,
  kStorageHardDisk = 1,
  kStorageFlash = 2,
  kStorageBoth = 3,
};

struct PrinterRecord {
  char modelName[256];       // model profile name, or the printer's own description
  char printerName[32];      // the name the printer reports
  char readCommunity[64];
  char writeCommunity[64];
  char trapCommunity[64];
  uint32_t address;          // IPv4, first octet in the most significant byte
  uint8_t reserved484[16];   // never touched by the program
  uint32_t storageOptions;   // PrinterStorage
  uint8_t reserved504[4];    // never touched by the program
  int32_t snmpLevel;         // carried for the SNMP library only
  int32_t pclList;           // 1 selects FontList1.pcl
  int32_t fontNameIndex;     // carried for the SNMP library only
  int32_t optionsKnown;      // 1: the model profile settled storageOptions
};

static_assert(sizeof(PrinterRecord) == 524);
static_assert(offsetof(PrinterRecord, modelName) == 0);
static_assert(offsetof(PrinterRecord, printerName) == 256);
static_assert(offsetof(PrinterRecord, readCommunity) == 288);
static_assert(offsetof(PrinterRecord, writeCommunity) == 352);
static_assert(offsetof(PrinterRecord, trapCommunity) == 416);
static_assert(offsetof(PrinterRecord, address) == 480);
static_assert(offsetof(PrinterRecord, storageOptions) == 500);
static_assert(offsetof(PrinterRecord, snmpLevel) == 508);
static_assert(offsetof(PrinterRecord, pclList) == 512);
static_assert(offsetof(PrinterRecord, fontNameIndex) == 516);
static_assert(offsetof(PrinterRecord, optionsKnown) == 520);

// A zero-filled record with the default community strings, no model
// (pclList 0) and fontNameIndex 1, as a record looks before any model
// profile or printer answer has been applied.
PrinterRecord MakePrinterRecord();

// Copies `text` into a fixed text field, cut to fit and NUL-terminated.
void CopyRecordText(char* field, size_t fieldSize, const char* text);
template <size_t N>
void CopyRecordText(char (&field)[N], const char* text) {
  CopyRecordText(field, N, text);
}

// "a.b.c.d" of a 32-bit address, most significant octet first.
std::string FormatAddress(uint32_t address);
