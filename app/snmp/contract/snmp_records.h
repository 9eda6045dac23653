// The fixed records the program and the SNMP access library exchange by
// pointer: the 524-byte printer record and the 92-byte font entry. Their
// offsets are part of the library's interface, so they are pinned here.
// Standalone: the library compiles against this and glysnmp.h alone.
#pragma once

#include <cstddef>
#include <cstdint>

// Values of `storageOptions`.
enum PrinterStorage : uint32_t {
  kStorageNone = 0,
  kStorageHardDisk = 1,
  kStorageFlash = 2,
  kStorageBoth = 3,
};

// One listed printer. Texts are NUL-terminated single-byte strings.
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

// Values of FontEntry::location.
enum FontLocation : int32_t {
  kFontInRam = 1,
  kFontOnHardDisk = 2,
  kFontInRom = 3,
  kFontInFlash = 4,
};
// Values of FontEntry::fontType.
enum FontType : int32_t {
  kFontTypePcl = 3,
  kFontTypePostScript = 6,
};
// Values of FontEntry::persistence.
enum FontPersistence : int32_t {
  kFontOnlyInRam = 3,
  kFontDownloaded = 4,
  kFontPermanent = 5,
};
// FontEntry::fontId of a font without a PCL font ID.
inline constexpr int32_t kNoFontId = -2;

// One font of a printer, in the library's fixed 92-byte layout. Codes
// outside the enums above are legal.
struct FontEntry {
  char name[68];
  int32_t fontId;       // signed PCL font ID, kNoFontId when none
  int32_t index;        // the printer's own index: key for deletion and partial reads
  int32_t location;     // FontLocation
  int32_t reserved80;   // filled by the library, not read by the program
  int32_t fontType;     // FontType
  int32_t persistence;  // FontPersistence
};
static_assert(sizeof(FontEntry) == 92);
static_assert(offsetof(FontEntry, fontId) == 68);
static_assert(offsetof(FontEntry, index) == 72);
static_assert(offsetof(FontEntry, location) == 76);
static_assert(offsetof(FontEntry, fontType) == 84);
static_assert(offsetof(FontEntry, persistence) == 88);

