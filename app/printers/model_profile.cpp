#include "printers/model_profile.h"

#include <cctype>
#include <cstring>
#include <string>

#include "platform/profile.h"
#include "platform/types.h"
#include "printers/printer_record.h"

namespace {

// The profile functions hand back this text for a missing value; a value
// that reads exactly "Not found" therefore counts as missing too.
constexpr char kMissing[] = "Not found";
// Every value is read as text of at most 39 characters.
constexpr DWORD kValueBufferSize = 40;
// The section-name list is first read with 20 characters per model.
constexpr size_t kSectionNameShare = 20;
// Past this the list is taken as it was cut (a corrupt or hostile file).
constexpr size_t kMostSectionListBytes = 64u << 20;
// A guard against a corrupt count: far more models than any file holds.
constexpr int32_t kMostModels = 100000;

struct ValueText {
  char text[kValueBufferSize];
  bool missing;
};

ValueText ReadValue(const char* section, const char* key, const char* fileName) {
  ValueText value;
  GetPrivateProfileStringA(section, key, kMissing, value.text, kValueBufferSize, fileName);
  value.missing = std::strcmp(value.text, kMissing) == 0;
  return value;
}

// Reads one model section into `profile`; false when a required key is
// missing, which ends the reading of the file.
bool ReadModel(const char* section, const char* fileName, ModelProfile& profile) {
  std::memset(&profile, 0, sizeof profile);
  // A longer section name still reads its own keys; only the stored name is cut.
  CopyRecordText(profile.modelName, section);

  ValueText systemId = ReadValue(section, "SystemID", fileName);
  if (systemId.missing) return false;
  std::memcpy(profile.systemId, systemId.text, sizeof profile.systemId);

  ValueText storage = ReadValue(section, "StorageIndex", fileName);
  if (storage.missing) return false;
  // "1 1" names both storage kinds: the second number starts at the second
  // character. A two-character text such as "12" is one number.
  profile.storageFirst = static_cast<uint8_t>(ParseProfileNumber(storage.text));
  profile.storageSecond = static_cast<uint8_t>(
      std::strlen(storage.text) > 2 ? ParseProfileNumber(storage.text + 1) : 0);

  ValueText snmpLevel = ReadValue(section, "SNMPLevel", fileName);
  if (snmpLevel.missing) return false;
  profile.snmpLevel = ParseProfileNumber(snmpLevel.text);

  ValueText fontNameIndex = ReadValue(section, "FontNameIndex", fileName);
  profile.fontNameIndex = fontNameIndex.missing ? 1 : ParseProfileNumber(fontNameIndex.text);

  ValueText pclList = ReadValue(section, "PCLList", fileName);
  profile.pclList = pclList.missing ? 0 : ParseProfileNumber(pclList.text);
  return true;
}

}  // namespace

int32_t ParseProfileNumber(const char* text) {
  while (std::isspace(static_cast<unsigned char>(*text))) ++text;
  bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  int64_t value = 0;
  for (; std::isdigit(static_cast<unsigned char>(*text)); ++text) {
    value = value * 10 + (*text - '0');
    if (value > INT32_MAX) {
      return negative ? INT32_MIN : INT32_MAX;
    }
  }
  return static_cast<int32_t>(negative ? -value : value);
}

int LoadModelProfiles(ModelProfileTable& table, const char* fileName) {
  table.profiles.clear();
  table.modelCount = 0;

  ValueText number = ReadValue("NumberOfPrinters", "number", fileName);
  if (number.missing) return 0;
  int32_t declared = ParseProfileNumber(number.text);
  if (declared <= 0) return 0;
  if (declared > kMostModels) declared = kMostModels;
  table.profiles.resize(static_cast<size_t>(declared));

  // The section list starts with N x 20 characters and grows until it is not
  // cut: a fixed share per model would lose the models of any file whose
  // names are long, and with one model even the usual first two sections do
  // not fit.
  std::string names(static_cast<size_t>(declared) * kSectionNameShare, '\0');
  DWORD length = 0;
  for (;;) {
    length = GetPrivateProfileStringA(nullptr, nullptr, kMissing, names.data(),
                                      static_cast<DWORD>(names.size()), fileName);
    if (length + 2 < names.size() || names.size() >= kMostSectionListBytes) break;
    names.assign(names.size() * 2, '\0');
  }
  if (length == 0) return 0;

  // The list is ended by an empty name (or by the buffer's end); sections 0
  // and 1 are NumberOfPrinters and a section that is skipped.
  const char* name = names.c_str();
  const char* end = names.c_str() + names.size();
  int section = 0;
  for (; section < declared + 2 && name < end && *name != '\0'; ++section) {
    if (section >= 2 &&
        !ReadModel(name, fileName, table.profiles[static_cast<size_t>(section - 2)])) {
      break;
    }
    name += std::strlen(name) + 1;
  }
  table.modelCount = section > 2 ? section - 2 : 0;
  return table.modelCount;
}
