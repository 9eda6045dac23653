#include "snmp_personality.h"

#include <charconv>

#include "printer_sim.h"

namespace printer_sim {
namespace {

constexpr uint64_t kMostMegabytes = 1 << 20;  // a terabyte
constexpr uint32_t kMostAllocationUnit = 1 << 20;
constexpr uint32_t kMostNvramUnits = 1 << 16;

bool ParseYesNo(const std::string& text, bool& value) {
  if (text != "yes" && text != "no") return false;
  value = text == "yes";
  return true;
}

template <typename Number>
bool ParseBounded(const std::string& text, Number low, Number high, Number& value) {
  Number parsed{};
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (error != std::errc() || end != text.data() + text.size() || parsed < low || parsed > high) return false;
  value = parsed;
  return true;
}

bool ParseStorageReport(const std::string& text, StorageReport& report) {
  if (text == "storage") {
    report = StorageReport::kStorageTable;
  } else if (text == "device") {
    report = StorageReport::kDeviceTable;
  } else if (text == "both") {
    report = StorageReport::kBoth;
  } else {
    return false;
  }
  return true;
}

}  // namespace

void UseRealPrinterDefaults(SnmpPersonality& personality) {
  personality.fontMib = false;
  personality.storageReport = StorageReport::kDeviceTable;
  personality.printerMib = true;
}

bool ApplyPersonalityKey(const std::string& key, const std::string& value, PrinterConfig& config,
                         std::string& error) {
  SnmpPersonality& snmp = config.snmp;
  uint64_t megabytes = 0;
  bool real = false;
  if (key == "real") {
    if (!ParseYesNo(value, real)) error = "real must be yes or no";
    if (real) UseRealPrinterDefaults(snmp);
  } else if (key == "font-mib") {
    if (!ParseYesNo(value, snmp.fontMib)) error = "font-mib must be yes or no";
  } else if (key == "storage-report") {
    if (!ParseStorageReport(value, snmp.storageReport)) error = "storage-report must be storage, device or both";
  } else if (key == "disk-mb" || key == "flash-mb") {
    if (ParseBounded<uint64_t>(value, 1, kMostMegabytes, megabytes)) {
      (key == "disk-mb" ? config.diskBytes : config.flashBytes) = megabytes << 20;
    } else {
      error = "bad " + key;
    }
  } else if (key == "allocation-unit") {
    if (!ParseBounded<uint32_t>(value, 1, kMostAllocationUnit, snmp.allocationUnit)) error = "bad allocation-unit";
  } else if (key == "nvram-units") {
    if (!ParseBounded<uint32_t>(value, 0, kMostNvramUnits, snmp.nvramUnits)) error = "bad nvram-units";
  } else if (key == "device-description") {
    snmp.deviceDescription = value;
  } else if (key == "host-printer-row") {
    if (!ParseYesNo(value, snmp.hostPrinterRow)) error = "host-printer-row must be yes or no";
  } else if (key == "printer-mib") {
    if (!ParseYesNo(value, snmp.printerMib)) error = "printer-mib must be yes or no";
  } else if (key == "serial-number") {
    snmp.serialNumber = value;
  } else if (key == "device-id") {
    snmp.deviceId = value;
  } else {
    return false;
  }
  return true;
}

}  // namespace printer_sim
