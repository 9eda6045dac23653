#include "ui/ip_address_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QToolTip>
#include <algorithm>
#include <utility>

#include "ui/resource_qt.h"

namespace {

// "%s is over 255: ...", the refusal of a typed number.
constexpr int kOverRangeText = 33009;

// 0 to 255, or empty; anything else never gets into a field.
const QRegularExpression& Octet() {
  static const QRegularExpression octet("(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])?");
  return octet;
}

}  // namespace

IpAddressEdit::IpAddressEdit(QWidget* parent) : QFrame(parent) {
  setFrameShape(QFrame::StyledPanel);
  setFrameShadow(QFrame::Sunken);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 1, 4, 1);
  layout->setSpacing(0);
  for (int i = 0; i < 4; ++i) {
    if (i > 0) layout->addWidget(new QLabel(".", this));
    auto* field = new QLineEdit(this);
    field->setObjectName(QString("field%1").arg(i));
    field->setFrame(false);
    field->setAlignment(Qt::AlignCenter);
    field->setMaxLength(3);
    field->setValidator(new QRegularExpressionValidator(Octet(), field));
    // The control is one stop of the dialog's tab order: its first field.
    field->setFocusPolicy(i == 0 ? Qt::StrongFocus : Qt::ClickFocus);
    field->installEventFilter(this);
    connect(field, &QLineEdit::textEdited, this, [this, i](const QString& text) {
      if (text.size() == 3 && i < 3) {
        MoveTo(i + 1);
        movedOnTo_ = i + 1;
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

void IpAddressEdit::MoveTo(int field) {
  fields_[field]->setFocus(Qt::OtherFocusReason);
  fields_[field]->selectAll();
}

bool IpAddressEdit::eventFilter(QObject* watched, QEvent* event) {
  const int i = static_cast<int>(std::find(fields_.begin(), fields_.end(), watched) - fields_.begin());
  if (i >= 4) return QFrame::eventFilter(watched, event);
  if (event->type() == QEvent::FocusIn) {
    // A click places the cursor; every other way in selects the field.
    if (static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason) fields_[i]->selectAll();
    return false;
  }
  if (event->type() == QEvent::KeyPress) return HandleKey(i, static_cast<QKeyEvent*>(event));
  return false;
}

bool IpAddressEdit::HandleKey(int i, QKeyEvent* key) {
  const bool justMovedOn = std::exchange(movedOnTo_, -1) == i;
  QLineEdit* field = fields_[i];
  const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
  if (key->matches(QKeySequence::Paste)) return PasteAddress();
  if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
    // Leave the control as a whole: the search for the next stop starts
    // from the focus widget, so going back starts from the first field.
    if (key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier)) {
      fields_[0]->setFocus(Qt::BacktabFocusReason);
      focusNextPrevChild(false);
    } else {
      focusNextPrevChild(true);
    }
    return true;
  }
  if (plain && RefuseOverRange(field, key)) return true;
  if (plain && (key->key() == Qt::Key_Period || key->text() == ".")) {
    if (!justMovedOn && i < 3) MoveTo(i + 1);
    return true;
  }
  const bool atStart = field->cursorPosition() == 0 && !field->hasSelectedText();
  const bool atEnd = field->cursorPosition() == field->text().size() && !field->hasSelectedText();
  const bool left = key->key() == Qt::Key_Left && key->modifiers() == Qt::NoModifier;
  if ((key->key() == Qt::Key_Backspace || left) && i > 0 && atStart) {
    fields_[i - 1]->setFocus(Qt::OtherFocusReason);
    fields_[i - 1]->end(false);
    return true;
  }
  if (key->key() == Qt::Key_Right && key->modifiers() == Qt::NoModifier && i < 3 && atEnd) {
    fields_[i + 1]->setFocus(Qt::OtherFocusReason);
    fields_[i + 1]->home(false);
    return true;
  }
  return false;
}

bool IpAddressEdit::RefuseOverRange(QLineEdit* field, const QKeyEvent* key) {
  if (key->text().size() != 1 || !key->text()[0].isDigit()) return false;
  QString typed = field->text();
  int at = field->cursorPosition();
  if (field->hasSelectedText()) {
    at = field->selectionStart();
    typed.remove(at, field->selectedText().size());
  }
  typed.insert(at, key->text());
  if (typed.size() > 3 || typed.toInt() <= 255) return false;
  const QString message = ResourceText(kOverRangeText).replace("%s", typed);
  QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())), message, field);
  emit refused(message);
  return true;
}

bool IpAddressEdit::PasteAddress() {
  const QString text = QApplication::clipboard()->text().trimmed();
  // Text without dots is pasted into the field as usual.
  if (!text.contains('.')) return false;
  const QStringList parts = text.split('.');
  const QRegularExpression octet(QRegularExpression::anchoredPattern(Octet().pattern()));
  const bool whole = parts.size() == 4 && std::all_of(parts.begin(), parts.end(), [&](const QString& part) {
                       return !part.isEmpty() && octet.match(part).hasMatch();
                     });
  // Anything but a whole address is refused, as a typed letter would be.
  if (!whole) return true;
  for (int i = 0; i < 4; ++i) fields_[i]->setText(parts[i]);
  MoveTo(3);
  return true;
}
