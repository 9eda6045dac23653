// Arbitrary bytes as one LPD connection of a virtual printer, arriving in
// pieces, and as one data file for its job interpreter.
#include <cstddef>
#include <cstdint>
#include <string>

#include "lpd_session.h"
#include "printer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  printer_sim::PrinterConfig config;
  config.postScriptFonts = 1;
  config.pclFonts = 1;
  config.diskBytes = 1 << 20;
  config.flashBytes = 1 << 16;
  printer_sim::Printer printer(config, nullptr);

  printer_sim::LpdSession session(printer);
  std::string reply;
  // The first byte sets the size of the pieces the connection delivers.
  const std::size_t piece = size ? (data[0] % 64) + 1 : 1;
  for (std::size_t at = 0; at < size && !session.closing(); at += piece) {
    session.Receive(data + at, size - at < piece ? size - at : piece, reply);
  }
  session.EndOfInput(reply);

  printer.RunDataFile(std::string_view(reinterpret_cast<const char*>(data), size));
  printer.FinishDueDeletions();
  return 0;
}
