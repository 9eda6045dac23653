// The font list as a report table: the font list's columns, headings and
// on-screen widths over the given rows, for printing without the dialog.
#pragma once

#include <vector>

#include "fonts/font_rows.h"
#include "fonts/report_list.h"

TableReportList FontListReportTable(const std::vector<FontCells>& rows);
