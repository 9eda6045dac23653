// Arbitrary bytes as one AppSocket connection of a virtual printer,
// arriving in pieces: PJL commands and file-system downloads, PCL status
// readback and PostScript queries, with a reply that must stay bounded.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "appsocket_session.h"
#include "printer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  printer_sim::PrinterConfig config;
  config.postScriptFonts = 2;
  config.pclFonts = 2;
  config.diskBytes = 1 << 20;
  config.flashBytes = 1 << 16;
  // The first byte picks the personality and the size of the pieces.
  const std::uint8_t first = size ? data[0] : 0;
  config.fileSystemAccess = (first & 0x80) == 0;
  config.pjlPassword = (first & 0x40) ? 7 : 0;
  config.diskFull = (first & 0x20) != 0;
  printer_sim::Printer printer(config, nullptr);

  printer_sim::AppSocketSession session(printer);
  std::string reply;
  const std::size_t piece = (first % 32) + 1;
  for (std::size_t at = 1; at < size && !session.closing(); at += piece) {
    session.Receive(data + at, size - at < piece ? size - at : piece, reply);
  }
  session.EndOfInput(reply);
  // Whatever the input, the printer holds no more than its volumes allow.
  if (printer.FindVolume(printer_sim::Volume::kDisk)->used() > config.diskBytes) std::abort();
  return 0;
}
