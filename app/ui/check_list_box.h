// A list with a check box in front of every item, rows of one fixed height,
// and a horizontal scroll extent set by its owner.
//
// A click on an item's check box toggles it before the click selects the
// item, and the space bar toggles the current item, so that a handler of
// the selection change already sees the new check state.
#pragma once

#include <QListWidget>

class CheckListBox : public QListWidget {
  Q_OBJECT
 public:
  explicit CheckListBox(QWidget* parent = nullptr);

  void InsertItem(int row, const QString& text, bool checked);
  bool IsChecked(int row) const;
  void SetChecked(int row, bool checked);
  // The row with the selection, or -1.
  int SelectedRow() const;
  // The row the last check toggle was on, -1 before any.
  int lastToggledRow() const { return lastToggled_; }
  // Scrolls horizontally over `textWidth` pixels of item text (the room of
  // the check box comes on top).
  void SetHorizontalExtent(int textWidth);

 signals:
  void checkToggled(int row);
  void selectionChanged();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  int CheckAreaWidth() const;
  void Toggle(int row);
  void ApplyRowSize(QListWidgetItem* item) const;

  int extent_ = 0;
  int lastToggled_ = -1;
};
