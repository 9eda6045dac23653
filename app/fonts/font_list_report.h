// The font list as a report table: the font list's columns, headings and
// on-screen widths over the given rows, for printing without the dialog.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "fonts/font_rows.h"
#include "fonts/report_list.h"
#include "snmp/contract/snmp_records.h"

TableReportList FontListReportTable(const std::vector<FontCells>& rows);

// The report's title, which says how the library reads the printer's font
// list: "Printer Font List (through SNMP)", "(through PJL)" and so on, or
// "Printer Font List" when the printer does not answer the question. Asks
// the printer, so it blocks while the library waits for the answer.
std::string FontListReportTitle(const PrinterRecord& printer);

// The line under the report's title: which printer, on which day (local
// time): "Printer LAB2 (Model 40) 10.1.2.3, 2026-12-09".
std::string FontListReportSubtitle(const PrinterRecord& printer, std::time_t when);
