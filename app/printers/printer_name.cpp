#include "printers/printer_name.h"

#include <cstring>

namespace {

template <size_t N>
std::string FieldText(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

}  // namespace

std::string PrinterDisplayName(const PrinterRecord& printer) {
  std::string name = FieldText(printer.printerName);
  if (const std::string model = FieldText(printer.modelName); !model.empty())
    name += (name.empty() ? "(" : " (") + model + ")";
  return name + (name.empty() ? "" : " ") + FormatAddress(printer.address);
}
