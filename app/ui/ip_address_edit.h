// An IP address control: four fields of 0 to 255 separated by dots, in one
// frame that looks like a single edit. Typing three digits or a dot moves
// to the next field; Backspace in an empty field moves back.
#pragma once

#include <QFrame>
#include <array>

#include "ui/ip_address_value.h"

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

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::array<QLineEdit*, 4> fields_{};
};
