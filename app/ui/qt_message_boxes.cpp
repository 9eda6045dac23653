#include "ui/qt_message_boxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "ui/resource_qt.h"
#include "ui/single_byte_text.h"

namespace {

// The buttons of MB_SAVEQUITCANCEL.
constexpr int kSaveListButtonText = 33003;
constexpr int kQuitButtonText = 33004;

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
    case MB_SAVEQUITCANCEL: return QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
    default: return QMessageBox::Ok;
  }
}

int ResultOf(int button) {
  switch (button) {
    case QMessageBox::Ok: return IDOK;
    case QMessageBox::Yes:
    case QMessageBox::Save: return IDYES;
    case QMessageBox::No:
    case QMessageBox::Discard: return IDNO;
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
  if ((style & 0x0Fu) == MB_SAVEQUITCANCEL) {
    box.button(QMessageBox::Save)->setText(ResourceText(kSaveListButtonText));
    box.button(QMessageBox::Discard)->setText(ResourceText(kQuitButtonText));
    box.setDefaultButton(QMessageBox::Cancel);
  }
  return ResultOf(box.exec());
}
