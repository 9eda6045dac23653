// An IP address control: four fields of 0 to 255 separated by dots, in one
// frame that looks and types like the desktop's own IP address control.
// Three digits move to the next field, and a dot typed right after that is
// taken as the separator already passed; a dot elsewhere moves on too.
// Focus selects the field's text, so that typing replaces it. A pasted
// "a.b.c.d" fills all four fields. Tab and Shift+Tab leave the control;
// the arrows at a field's edge and Backspace in an empty field move
// between fields. A digit that would make a field's number larger than 255
// is refused with a word why, next to the field.
#pragma once

#include <QFrame>
#include <array>

#include "ui/ip_address_value.h"

class QKeyEvent;
class QLineEdit;

class IpAddressEdit : public QFrame {
  Q_OBJECT
 public:
  explicit IpAddressEdit(QWidget* parent = nullptr);

  IpAddressValue Value() const;
  void SetValue(const IpAddressValue& value);
  void SetAddress(uint32_t address) { SetValue(IpAddressValue::FromAddress(address)); }
  void Clear() { SetValue(IpAddressValue{}); }
  QLineEdit* Field(int index) const { return fields_[index]; }

 signals:
  void changed();
  // A typed digit was refused; `message` says why.
  void refused(const QString& message);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool HandleKey(int field, QKeyEvent* key);
  void MoveTo(int field);
  bool PasteAddress();
  // True when `key` is a digit that would take the field over 255; the
  // refusal is then shown.
  bool RefuseOverRange(QLineEdit* field, const QKeyEvent* key);

  std::array<QLineEdit*, 4> fields_{};
  // The field that three digits just moved to, until the next key.
  int movedOnTo_ = -1;
};
