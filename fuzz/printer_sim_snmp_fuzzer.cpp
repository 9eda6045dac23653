// Arbitrary bytes as an SNMP request datagram to a virtual printer.
#include <cstddef>
#include <cstdint>

#include "printer.h"
#include "printer_mib.h"
#include "snmp_agent.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  printer_sim::PrinterConfig config;
  config.postScriptFonts = 2;
  config.pclFonts = 2;
  config.deletionMs = 0;
  printer_sim::Printer printer(config, nullptr);
  printer.RunDataFile("@PJL FSDOWNLOAD NAME=\"1:\\pcl\\fonts\\F\" SIZE=72\r\n\x1b)s64W" + std::string(72 - 6, 'A'));
  printer_sim::PrinterMib mib;
  printer_sim::AnswerSnmpRequest(printer, mib, data, size);
  // A SET may have started a deletion; the next request sees it through.
  printer_sim::AnswerSnmpRequest(printer, mib, data, size);
  return 0;
}
