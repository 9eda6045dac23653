#include "snmp_settings.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace glysnmp {
namespace {

// The variable's value when it is a whole number within [least, most].
bool ReadNumber(const char* name, unsigned long least, unsigned long most, unsigned long* value) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text < '0' || *text > '9') return false;
  char* end = nullptr;
  errno = 0;
  unsigned long number = std::strtoul(text, &end, 10);
  if (errno != 0 || *end != '\0' || number < least || number > most) return false;
  *value = number;
  return true;
}

}  // namespace

SnmpSettings ReadSnmpSettings() {
  SnmpSettings settings;
  unsigned long value = 0;
  if (ReadNumber("GLY_SNMP_PORT", 1, 65535, &value)) settings.port = static_cast<uint16_t>(value);
  // A minute per request is already far beyond any useful wait.
  if (ReadNumber("GLY_SNMP_TIMEOUT_MS", 1, 60000, &value)) settings.timeoutMs = static_cast<uint32_t>(value);
  if (ReadNumber("GLY_SNMP_RETRIES", 0, 10, &value)) settings.retries = static_cast<uint32_t>(value);
  if (ReadNumber("GLY_SNMP_DISCOVERY_RATE", 1, 1000000, &value)) settings.discoveryRate = static_cast<uint32_t>(value);
  if (ReadNumber("GLY_SNMP_DISCOVERY_IN_FLIGHT", 1, 65536, &value)) {
    settings.discoveryInFlight = static_cast<uint32_t>(value);
  }
  // A community is 1 to 63 characters, as a record's field holds it.
  const char* community = std::getenv("GLY_SNMP_COMMUNITY");
  if (community != nullptr && *community != '\0' && std::strlen(community) < 64) {
    settings.newDeviceCommunity = community;
  }
  return settings;
}

}  // namespace glysnmp
