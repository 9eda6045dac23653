#include "ui/qt_message_boxes.h"

#include <QApplication>
#include <QMessageBox>

#include "ui/resource_qt.h"
#include "ui/single_byte_text.h"

namespace {

// The product's name, which every message box carries as its title.
constexpr char kBoxTitle[] = "GLY";

QMessageBox::Icon IconOf(unsigned style) {
  switch (style & 0xF0u) {
    case MB_ICONSTOP: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

QMessageBox::StandardButtons ButtonsOf(unsigned style) {
  switch (style & 0x0Fu) {
    case MB_OKCANCEL: return QMessageBox::Ok | QMessageBox::Cancel;
    case MB_YESNOCANCEL: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MB_YESNO: return QMessageBox::Yes | QMessageBox::No;
    default: return QMessageBox::Ok;
  }
}

int ResultOf(int button) {
  switch (button) {
    case QMessageBox::Ok: return IDOK;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return IDCANCEL;
  }
}

}  // namespace

int QtMessageBoxes::Show(int stringId, unsigned style) {
  return ShowText(owner_ ? owner_ : QApplication::activeWindow(), ResourceText(stringId), style);
}

int QtMessageBoxes::ShowMessage(const std::string& text, unsigned style) {
  return ShowText(owner_ ? owner_ : QApplication::activeWindow(), ShownFromSingleByte(text), style);
}

int QtMessageBoxes::ShowText(QWidget* owner, const QString& text, unsigned style) {
  QMessageBox box(IconOf(style), kBoxTitle, text, ButtonsOf(style), owner);
  return ResultOf(box.exec());
}
