#include "ui/popup_menu_button.h"

#include "ui/resource_qt.h"

PopupMenuButton::PopupMenuButton(const QString& text, int menuId, QWidget* parent)
    : QPushButton(text, parent), menuId_(menuId) {}

int PopupMenuButton::PopUp() {
  std::unique_ptr<QMenu> menu = LoadPopupMenu(menuId_, 0);
  if (!menu) return 0;
  setDown(true);
  const int command = TrackMenu(*menu, mapToGlobal(rect().bottomLeft() + QPoint(0, 1)));
  setDown(false);
  return command;
}
