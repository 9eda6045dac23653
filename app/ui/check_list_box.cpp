#include "ui/check_list_box.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>

CheckListBox::CheckListBox(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformItemSizes(true);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setTextElideMode(Qt::ElideNone);
  connect(this, &QListWidget::itemSelectionChanged, this, &CheckListBox::selectionChanged);
}

void CheckListBox::InsertItem(int row, const QString& text, bool checked) {
  auto* item = new QListWidgetItem(text);
  // Not user-checkable: toggling is done here, ahead of the selection.
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  ApplyRowSize(item);
  insertItem(row, item);
}

bool CheckListBox::IsChecked(int row) const {
  const QListWidgetItem* it = item(row);
  return it && it->checkState() == Qt::Checked;
}

void CheckListBox::SetChecked(int row, bool checked) {
  if (QListWidgetItem* it = item(row)) it->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

int CheckListBox::SelectedRow() const {
  const QList<QListWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? -1 : row(selected.first());
}

void CheckListBox::SetHorizontalExtent(int textWidth) {
  extent_ = textWidth;
  for (int row = 0; row < count(); ++row) ApplyRowSize(item(row));
}

void CheckListBox::ApplyRowSize(QListWidgetItem* item) const {
  const int height = qMax(fontMetrics().height(), style()->pixelMetric(QStyle::PM_IndicatorHeight)) + 6;
  item->setSizeHint(QSize(extent_ > 0 ? extent_ + CheckAreaWidth() : -1, height));
}

int CheckListBox::CheckAreaWidth() const {
  return style()->pixelMetric(QStyle::PM_IndicatorWidth) + 10;
}

void CheckListBox::Toggle(int row) {
  SetChecked(row, !IsChecked(row));
  lastToggled_ = row;
  emit checkToggled(row);
}

void CheckListBox::mousePressEvent(QMouseEvent* event) {
  const QModelIndex index = indexAt(event->position().toPoint());
  if (event->button() == Qt::LeftButton && index.isValid() &&
      event->position().x() < visualRect(index).left() + CheckAreaWidth())
    Toggle(index.row());
  QListWidget::mousePressEvent(event);
}

void CheckListBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space && currentRow() >= 0) {
    Toggle(currentRow());
    return;
  }
  QListWidget::keyPressEvent(event);
}
