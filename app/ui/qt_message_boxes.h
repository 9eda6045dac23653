// Message boxes shown with QMessageBox, texts from the string table.
#pragma once

#include <QString>

#include "ui/message_boxes.h"

class QWidget;

class QtMessageBoxes final : public MessageBoxes {
 public:
  // Boxes are modal to `owner`, or to the active window when it is null.
  explicit QtMessageBoxes(QWidget* owner = nullptr) : owner_(owner) {}
  int Show(int stringId, unsigned style = MB_OK) override;
  int ShowMessage(const std::string& text, unsigned style = MB_OK) override;

  // A box with a text that does not come from the string table: the
  // start-up messages shown before, or without, the resource library.
  static int ShowText(QWidget* owner, const QString& text, unsigned style = MB_OK);

 private:
  QWidget* owner_;
};
