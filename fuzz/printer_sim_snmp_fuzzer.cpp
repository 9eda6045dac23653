// Arbitrary bytes as an SNMP request datagram to a virtual printer, once to
// our own test printer and once to one that plays a printer on a real
// network (no font table, DiskStorage rows, Printer and port monitor MIBs).
#include <cstddef>
#include <cstdint>

#include "printer.h"
#include "printer_mib.h"
#include "snmp_agent.h"

namespace {

void Ask(printer_sim::PrinterConfig config, const std::uint8_t* data, std::size_t size) {
  config.postScriptFonts = 2;
  config.pclFonts = 2;
  config.deletionMs = 0;
  printer_sim::Printer printer(config, nullptr);
  printer.RunDataFile("@PJL FSDOWNLOAD NAME=\"1:\\pcl\\fonts\\F\" SIZE=72\r\n\x1b)s64W" + std::string(72 - 6, 'A'));
  printer_sim::PrinterMib mib;
  printer_sim::AnswerSnmpRequest(printer, mib, data, size);
  // A SET may have started a deletion; the next request sees it through.
  printer_sim::AnswerSnmpRequest(printer, mib, data, size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Ask(printer_sim::PrinterConfig{}, data, size);
  printer_sim::PrinterConfig real;
  printer_sim::UseRealPrinterDefaults(real.snmp);
  real.snmp.storageReport = printer_sim::StorageReport::kBoth;
  real.snmp.nvramUnits = 2;
  real.snmp.deviceId = "MFG:Ostrel;MDL:LaserLine 4100;CMD:PJL,PCL;";
  Ask(real, data, size);
  return 0;
}
