// The Printer MIB rows a printer serves (RFC 3805: its general row, one
// marker with its black colorant, a toner and a drum supply) and the PWG's
// Printer Port Monitor MIB with the printer's IEEE 1284 device ID and its
// LPD port. Counts and levels are those of a printer in mid-life; nothing
// changes them.
#include "lpd_session.h"
#include "mib_rows.h"
#include "printer.h"

namespace printer_sim {
namespace {

const Oid kPrtGeneralEntry = {1, 3, 6, 1, 2, 1, 43, 5, 1, 1};
const Oid kPrtMarkerEntry = {1, 3, 6, 1, 2, 1, 43, 10, 2, 1};
const Oid kPrtMarkerSuppliesEntry = {1, 3, 6, 1, 2, 1, 43, 11, 1, 1};
const Oid kPrtMarkerColorantEntry = {1, 3, 6, 1, 2, 1, 43, 12, 1, 1};
const Oid kPrtChannelEntry = {1, 3, 6, 1, 2, 1, 43, 14, 1, 1};
const Oid kPrtInterpreterEntry = {1, 3, 6, 1, 2, 1, 43, 15, 1, 1};
const Oid kPpmGeneral = {1, 3, 6, 1, 4, 1, 2699, 1, 2, 1, 1};
const Oid kPpmPrinterEntry = {1, 3, 6, 1, 4, 1, 2699, 1, 2, 1, 2, 1, 1};
const Oid kPpmPortEntry = {1, 3, 6, 1, 4, 1, 2699, 1, 2, 1, 3, 1, 1};

constexpr uint32_t kMarker = 1;
constexpr uint32_t kBlack = 1;  // prtMarkerColorantIndex
constexpr uint32_t kLpdPortIndex = 1;
constexpr uint16_t kLpdPort = 515;

// Values of the IANA-PRINTER-MIB and Printer MIB textual conventions.
enum : int32_t {
  kNotResetting = 3,              // PrtGeneralResetTC
  kConsoleEnabled = 3,            // PrtConsoleDisableTC
  kOff = 4,                       // PresentOnOff
  kElectrophotographicLaser = 4,  // PrtMarkerMarkTechTC
  kImpressions = 7,               // PrtMarkerCounterUnitTC
  kTenThousandthsOfInches = 3,    // PrtMarkerAddressabilityUnitTC
  kAvailableAndIdle = 0,          // PrtSubUnitStatusTC
  kSupplyThatIsConsumed = 3,      // PrtMarkerSuppliesClassTC
  kToner = 3,                     // PrtMarkerSuppliesTypeTC
  kOpc = 9,
  kPercent = 19,                  // PrtMarkerSuppliesSupplyUnitTC
  kProcessColorant = 3,           // PrtMarkerColorantRoleTC
  kChannelLpdServer = 8,          // PrtChannelTypeTC
  kPrintDataAccepted = 3,         // PrtChannelStateTC
  kNoDataAccepted = 4,
};

constexpr uint32_t kLifeImpressions = 48213;
constexpr int32_t kDotsPerInch = 600;
constexpr int32_t kMargin = 1968;  // 5 mm in ten-thousandths of an inch
constexpr int32_t kTonality = 256;

struct Supply {
  int32_t type;
  uint32_t colorant;  // 0: none
  const char* description;
  int32_t level;  // percent
};
const Supply kSupplies[] = {{kToner, kBlack, "Black Toner Cartridge", 62}, {kOpc, 0, "Drum Unit", 81}};

std::string SerialNumberOf(const PrinterConfig& config) {
  if (!config.snmp.serialNumber.empty()) return config.snmp.serialNumber;
  std::string digits;
  for (char c : config.address) {
    if (c != '.') digits.push_back(c);
  }
  return "VP" + digits;
}

void AddGeneral(MibRows& rows, const PrinterConfig& config) {
  auto add = [&](uint32_t column, Value value) {
    rows.Add(Join(kPrtGeneralEntry, {column}), {kPrinterDeviceIndex}, std::move(value));
  };
  add(1, Value::Unsigned(kTagCounter32, 0));  // prtGeneralConfigChanges
  add(2, Value::Integer(1));                  // prtGeneralCurrentLocalization
  add(3, Value::Integer(kNotResetting));      // prtGeneralReset
  add(4, Value::Text(""));                    // prtGeneralCurrentOperator
  add(5, Value::Text(""));                    // prtGeneralServicePerson
  // The default input, output, marker and media path.
  for (uint32_t column = 6; column <= 9; ++column) add(column, Value::Integer(1));
  add(10, Value::Integer(1));                // prtConsoleLocalization
  add(11, Value::Integer(2));                // prtConsoleNumberOfDisplayLines
  add(12, Value::Integer(16));               // prtConsoleNumberOfDisplayChars
  add(13, Value::Integer(kConsoleEnabled));  // prtConsoleDisable
  add(14, Value::Integer(kOff));             // prtAuxiliarySheetStartupPage
  add(15, Value::Integer(kOff));             // prtAuxiliarySheetBannerPage
  add(16, Value::Text(DeviceDescription(config)));     // prtGeneralPrinterName
  add(17, Value::Text(SerialNumberOf(config)));
  add(18, Value::Unsigned(kTagCounter32, 0));  // prtAlertCriticalEvents
  add(19, Value::Unsigned(kTagCounter32, 0));  // prtAlertAllEvents
}

void AddMarker(MibRows& rows) {
  auto add = [&](uint32_t column, Value value) {
    rows.Add(Join(kPrtMarkerEntry, {column}), {kPrinterDeviceIndex, kMarker}, std::move(value));
  };
  add(2, Value::Integer(kElectrophotographicLaser));
  add(3, Value::Integer(kImpressions));
  add(4, Value::Unsigned(kTagCounter32, kLifeImpressions));
  add(5, Value::Unsigned(kTagCounter32, 0));  // since power-on
  add(6, Value::Integer(1));                  // process colorants: black
  add(7, Value::Integer(0));                  // spot colorants
  add(8, Value::Integer(kTenThousandthsOfInches));
  add(9, Value::Integer(kDotsPerInch));
  add(10, Value::Integer(kDotsPerInch));
  for (uint32_t column = 11; column <= 14; ++column) add(column, Value::Integer(kMargin));
  add(15, Value::Integer(kAvailableAndIdle));
}

void AddSupplies(MibRows& rows) {
  uint32_t index = 1;
  for (const Supply& supply : kSupplies) {
    auto add = [&](uint32_t column, Value value) {
      rows.Add(Join(kPrtMarkerSuppliesEntry, {column}), {kPrinterDeviceIndex, index}, std::move(value));
    };
    add(2, Value::Integer(kMarker));
    add(3, Value::Integer(supply.colorant));
    add(4, Value::Integer(kSupplyThatIsConsumed));
    add(5, Value::Integer(supply.type));
    add(6, Value::Text(supply.description));
    add(7, Value::Integer(kPercent));
    add(8, Value::Integer(100));
    add(9, Value::Integer(supply.level));
    ++index;
  }
}

// The channels, each with the first interpreter as its languages; and
// one interpreter row per language family.
void AddChannelsAndInterpreters(MibRows& rows, const SnmpPersonality& personality) {
  uint32_t index = 1;
  for (const SimChannel& channel : personality.channels) {
    auto add = [&](uint32_t column, Value value) {
      rows.Add(Join(kPrtChannelEntry, {column}), {kPrinterDeviceIndex, index}, std::move(value));
    };
    add(2, Value::Integer(channel.type));
    add(3, Value::Text(""));    // prtChannelProtocolVersion
    add(4, Value::Integer(1));  // prtChannelCurrentJobCntlLangIndex
    add(5, Value::Integer(1));  // prtChannelDefaultPageDescLangIndex
    add(6, Value::Integer(channel.enabled ? kPrintDataAccepted : kNoDataAccepted));
    ++index;
  }
  index = 1;
  for (int32_t family : personality.languages) {
    auto add = [&](uint32_t column, Value value) {
      rows.Add(Join(kPrtInterpreterEntry, {column}), {kPrinterDeviceIndex, index}, std::move(value));
    };
    add(2, Value::Integer(family));
    add(3, Value::Text(""));  // prtInterpreterLangLevel
    ++index;
  }
}

}  // namespace

void AddPrinterMib(MibRows& rows, const Printer& printer) {
  AddGeneral(rows, printer.config());
  AddMarker(rows);
  AddSupplies(rows);
  auto colorant = [&](uint32_t column, Value value) {
    rows.Add(Join(kPrtMarkerColorantEntry, {column}), {kPrinterDeviceIndex, kBlack}, std::move(value));
  };
  colorant(2, Value::Integer(kMarker));
  colorant(3, Value::Integer(kProcessColorant));
  colorant(4, Value::Text("black"));
  colorant(5, Value::Integer(kTonality));
  AddChannelsAndInterpreters(rows, printer.config().snmp);
}

void AddPortMonitor(MibRows& rows, const Printer& printer) {
  const PrinterConfig& config = printer.config();
  rows.Add(Join(kPpmGeneral, {1}), {0}, Value::Text("en"));  // ppmGeneralNaturalLanguage
  rows.Add(Join(kPpmGeneral, {2}), {0}, Value::Integer(1));  // ppmGeneralNumberOfPrinters
  rows.Add(Join(kPpmGeneral, {3}), {0}, Value::Integer(1));  // ppmGeneralNumberOfPorts

  auto printerColumn = [&](uint32_t column, Value value) {
    rows.Add(Join(kPpmPrinterEntry, {column}), {1}, std::move(value));
  };
  printerColumn(2, Value::Text(config.name));
  printerColumn(3, Value::Text(config.snmp.deviceId));
  printerColumn(4, Value::Integer(1));  // ports
  printerColumn(5, Value::Integer(kLpdPortIndex));
  printerColumn(6, Value::Integer(kPrinterDeviceIndex));
  printerColumn(7, Value::Text(""));    // community: the agent's own
  printerColumn(8, Value::Integer(kTrue));

  auto portColumn = [&](uint32_t column, Value value) {
    rows.Add(Join(kPpmPortEntry, {column}), {1, kLpdPortIndex}, std::move(value));
  };
  portColumn(2, Value::Integer(kTrue));
  portColumn(3, Value::Text("LPD"));
  portColumn(4, Value::Text(kQueueName));
  portColumn(5, Value::Integer(kChannelLpdServer));
  portColumn(6, Value::Integer(config.lpdPort ? config.lpdPort : kLpdPort));
  portColumn(7, Value::Integer(kFalse));
  portColumn(9, Value::Integer(kTrue));
}

}  // namespace printer_sim
