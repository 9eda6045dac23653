#include "ui/ip_address_edit.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <algorithm>

IpAddressEdit::IpAddressEdit(QWidget* parent) : QFrame(parent) {
  setFrameShape(QFrame::StyledPanel);
  setFrameShadow(QFrame::Sunken);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 1, 4, 1);
  layout->setSpacing(0);
  // 0 to 255, or empty; anything else never gets into a field.
  const QRegularExpression octet("(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])?");
  for (int i = 0; i < 4; ++i) {
    if (i > 0) layout->addWidget(new QLabel(".", this));
    auto* field = new QLineEdit(this);
    field->setObjectName(QString("field%1").arg(i));
    field->setFrame(false);
    field->setAlignment(Qt::AlignCenter);
    field->setMaxLength(3);
    field->setValidator(new QRegularExpressionValidator(octet, field));
    field->installEventFilter(this);
    connect(field, &QLineEdit::textEdited, this, [this, i](const QString& text) {
      if (text.size() == 3 && i < 3) {
        fields_[i + 1]->setFocus();
        fields_[i + 1]->selectAll();
      }
    });
    connect(field, &QLineEdit::textChanged, this, &IpAddressEdit::changed);
    layout->addWidget(field, 1);
    fields_[i] = field;
  }
  setFocusProxy(fields_[0]);
}

IpAddressValue IpAddressEdit::Value() const {
  IpAddressValue value;
  for (int i = 0; i < 4; ++i) {
    const QString text = fields_[i]->text();
    if (!text.isEmpty()) value.fields[i] = static_cast<uint8_t>(text.toUInt());
  }
  return value;
}

void IpAddressEdit::SetValue(const IpAddressValue& value) {
  for (int i = 0; i < 4; ++i)
    fields_[i]->setText(value.fields[i] ? QString::number(*value.fields[i]) : QString());
}

bool IpAddressEdit::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QFrame::eventFilter(watched, event);
  const int i = static_cast<int>(std::find(fields_.begin(), fields_.end(), watched) - fields_.begin());
  if (i >= 4) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  if ((key->key() == Qt::Key_Period || key->text() == ".") && i < 3) {
    fields_[i + 1]->setFocus();
    fields_[i + 1]->selectAll();
    return true;
  }
  if (key->key() == Qt::Key_Backspace && i > 0 && fields_[i]->cursorPosition() == 0 &&
      !fields_[i]->hasSelectedText()) {
    fields_[i - 1]->setFocus();
    fields_[i - 1]->end(false);
    return true;
  }
  return false;
}
