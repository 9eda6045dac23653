#include "fonts/font_list_report.h"

#include <cstring>

#include "printers/printer_record.h"
#include "ui/resource_module.h"

namespace {

constexpr int kAddressLabelText = 32815;  // "IP Address: "

}  // namespace

TableReportList FontListReportTable(const std::vector<FontCells>& rows) {
  std::vector<ReportColumn> columns;
  for (int column = 0; column < kFontColumnCount; ++column)
    columns.push_back({kFontColumnWidths[column], LVCFMT_LEFT, LoadResourceString(kFontColumnHeadings[column])});
  std::vector<std::vector<std::string>> cells;
  for (const FontCells& row : rows) cells.emplace_back(row.begin(), row.end());
  return TableReportList(std::move(columns), std::move(cells));
}

std::string FontListReportSubtitle(const PrinterRecord& printer, std::time_t when) {
  // The standard call, not its thread-safe POSIX twin: reports are made on
  // the user-interface thread alone.
  char date[16] = "";
  if (const std::tm* local = std::localtime(&when)) std::strftime(date, sizeof date, "%Y-%m-%d", local);
  const std::string name(printer.printerName, strnlen(printer.printerName, sizeof printer.printerName));
  return "Printer " + name + ", " + LoadResourceString(kAddressLabelText) + FormatAddress(printer.address) + ", " +
         date;
}
