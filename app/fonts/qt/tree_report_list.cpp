#include "fonts/qt/tree_report_list.h"

#include <QTreeWidget>

#include "ui/single_byte_text.h"

int TreeReportList::ItemCount() const { return tree_.topLevelItemCount(); }

int TreeReportList::ColumnCount() const { return tree_.columnCount(); }

bool TreeReportList::Column(int column, ReportColumn& out) const {
  const QTreeWidgetItem* heading = tree_.headerItem();
  if (!heading || column < 0 || column >= ColumnCount()) return false;
  const int alignment = heading->textAlignment(column);
  out.width = tree_.columnWidth(column);
  out.format = (alignment & Qt::AlignHCenter) ? LVCFMT_CENTER : (alignment & Qt::AlignRight) ? LVCFMT_RIGHT : LVCFMT_LEFT;
  out.heading = ToSingleByte(heading->text(column)).value_or(std::string());
  return true;
}

std::string TreeReportList::CellText(int row, int column) const {
  const QTreeWidgetItem* item = tree_.topLevelItem(row);
  return item ? ToSingleByte(item->text(column)).value_or(std::string()) : std::string();
}
