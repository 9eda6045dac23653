// A push button that opens the first submenu of a menu resource just below
// itself and gives back the chosen command. The menu sends no command of
// its own: whoever handles the click decides what the choice does.
#pragma once

#include <QPushButton>

class PopupMenuButton : public QPushButton {
  Q_OBJECT
 public:
  PopupMenuButton(const QString& text, int menuId, QWidget* parent = nullptr);

  // Opens the menu at the button's lower left corner, shows the button
  // pressed while it is open, and returns the chosen command, or 0 when
  // the menu was dismissed (or the resource is missing).
  int PopUp();
  int menuId() const { return menuId_; }

 private:
  int menuId_;
};
