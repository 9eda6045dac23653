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

// The line under the report's title: which printer, at which address, on
// which day (local time): "Printer LAB2, IP Address: 10.1.2.3, 2026-12-09".
std::string FontListReportSubtitle(const PrinterRecord& printer, std::time_t when);
