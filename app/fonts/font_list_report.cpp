#include "fonts/font_list_report.h"

#include "ui/resource_module.h"

TableReportList FontListReportTable(const std::vector<FontCells>& rows) {
  std::vector<ReportColumn> columns;
  for (int column = 0; column < kFontColumnCount; ++column)
    columns.push_back({kFontColumnWidths[column], LVCFMT_LEFT, LoadResourceString(kFontColumnHeadings[column])});
  std::vector<std::vector<std::string>> cells;
  for (const FontCells& row : rows) cells.emplace_back(row.begin(), row.end());
  return TableReportList(std::move(columns), std::move(cells));
}
