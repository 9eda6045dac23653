#include "fonts/font_list_report.h"

#include <cstring>

#include "fonts/list_report.h"
#include "printers/printer_name.h"
#include "printers/printer_record.h"
#include "snmp/contract/glysnmp.h"
#include "ui/resource_module.h"

TableReportList FontListReportTable(const std::vector<FontCells>& rows) {
  std::vector<ReportColumn> columns;
  for (int column = 0; column < kFontColumnCount; ++column)
    columns.push_back({kFontColumnWidths[column], LVCFMT_LEFT, LoadResourceString(kFontColumnHeadings[column])});
  std::vector<std::vector<std::string>> cells;
  for (const FontCells& row : rows) cells.emplace_back(row.begin(), row.end());
  return TableReportList(std::move(columns), std::move(cells));
}

std::string FontListReportTitle(const PrinterRecord& printer) {
  const std::string title = kFontListReportTitle;
  PrinterRecord asked = printer;  // the library takes a record it may write
  SnmpPrinterDetails details{};
  if (SnmpGetPrinterDetails(&asked, &details) != 0) return title;
  switch (details.fontSource) {
    case kFontSourceFontMib: return title + " (through SNMP)";
    case kFontSourcePjl: return title + " (through PJL)";
    case kFontSourcePclReadback: return title + " (through PCL readback)";
    case kFontSourcePostScript: return title + " (through PostScript)";
    default: return title;
  }
}

std::string FontListReportSubtitle(const PrinterRecord& printer, std::time_t when) {
  // The standard call, not its thread-safe POSIX twin: reports are made on
  // the user-interface thread alone.
  char date[16] = "";
  if (const std::tm* local = std::localtime(&when)) std::strftime(date, sizeof date, "%Y-%m-%d", local);
  return "Printer " + PrinterDisplayName(printer) + ", " + date;
}
