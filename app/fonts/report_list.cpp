#include "fonts/report_list.h"

bool TableReportList::Column(int column, ReportColumn& out) const {
  if (column < 0 || column >= ColumnCount()) return false;
  out = columns_[static_cast<size_t>(column)];
  return true;
}

std::string TableReportList::CellText(int row, int column) const {
  if (row < 0 || row >= ItemCount()) return {};
  const std::vector<std::string>& cells = rows_[static_cast<size_t>(row)];
  return column >= 0 && column < static_cast<int>(cells.size()) ? cells[static_cast<size_t>(column)] : std::string();
}
