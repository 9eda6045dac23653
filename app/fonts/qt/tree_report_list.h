// A report-view list on screen as a report list: its rows as shown, and
// each heading's current width, alignment and text.
#pragma once

#include "fonts/report_list.h"

class QTreeWidget;

class TreeReportList final : public ReportList {
 public:
  // `tree` is not owned and outlives this list.
  explicit TreeReportList(const QTreeWidget& tree) : tree_(tree) {}

  int ItemCount() const override;
  int ColumnCount() const override;
  bool Column(int column, ReportColumn& out) const override;
  std::string CellText(int row, int column) const override;

 private:
  const QTreeWidget& tree_;
};
