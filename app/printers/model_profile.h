// Known printer models, read once at start from the profile file
// QPntStrPrfl.ini (looked up by bare name in the platform's Windows
// directory). The file is only ever read.
//
// Layout of the file: [NumberOfPrinters] number=N, then one section that is
// skipped, then N model sections named after the model, each with SystemID,
// StorageIndex, SNMPLevel and optionally FontNameIndex (default 1) and
// PCLList (default 0).
#pragma once

#include <cstdint>
#include <vector>

inline constexpr char kModelProfileFileName[] = "QPntStrPrfl.ini";

struct ModelProfile {
  char modelName[40];   // the section name, at most 39 characters
  char systemId[40];    // the sysObjectID text the printer reports
  uint8_t storageFirst;
  uint8_t storageSecond;
  int32_t snmpLevel;
  int32_t fontNameIndex;
  int32_t pclList;
};

struct ModelProfileTable {
  std::vector<ModelProfile> profiles;  // room for N; the first modelCount are complete
  int modelCount = 0;
};

// Fills `table` from the profile file and returns modelCount: the number of
// model sections read completely before the reading stopped (a section
// without SystemID, StorageIndex or SNMPLevel, or an empty name, stops it).
// A missing file or a missing NumberOfPrinters gives 0 models.
int LoadModelProfiles(ModelProfileTable& table, const char* fileName = kModelProfileFileName);

// A profile number: leading blanks and a sign are accepted, reading stops
// at the first non-digit, text without leading digits is 0. Values beyond
// the 32-bit range are clamped.
int32_t ParseProfileNumber(const char* text);
