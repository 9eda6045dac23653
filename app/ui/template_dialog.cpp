#include "ui/template_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTreeWidget>
#include <algorithm>

#include "ui/animation_static.h"
#include "ui/check_list_box.h"
#include "ui/ip_address_edit.h"
#include "ui/popup_menu_button.h"
#include "ui/resource_module.h"
#include "ui/resource_qt.h"
#include "ui/single_byte_text.h"
#include "ui/transparent_bitmap_static.h"

namespace {

// Widens each column of `report` to what its heading and cells need, as
// rows come and change; a column never gets narrower than its owner made it.
void FitColumnsToContents(QTreeWidget& report) {
  auto fit = [&report] {
    for (int column = 0; column < report.columnCount(); ++column) {
      // Public in the item view, protected in the tree that overrides it.
      const QAbstractItemView& view = report;
      const int needed = std::max(view.sizeHintForColumn(column), report.header()->sectionSizeHint(column));
      if (needed > report.columnWidth(column)) report.setColumnWidth(column, needed);
    }
  };
  QAbstractItemModel* model = report.model();
  QObject::connect(model, &QAbstractItemModel::rowsInserted, &report, fit);
  QObject::connect(model, &QAbstractItemModel::dataChanged, &report, fit);
}

}  // namespace

TemplateDialog::TemplateDialog(int templateId, QWidget* parent)
    : QDialog(parent), templateId_(templateId) {
  if (const GlyDialogTemplate* tpl = FindDialogTemplate(templateId)) Build(*tpl);
}

void TemplateDialog::Build(const GlyDialogTemplate& tpl) {
  setWindowTitle(FromSingleByte(tpl.title));
  templateSize_ = QSize(tpl.width, tpl.height);
  bool grows = false;
  // Controls are created in template order, which is also the tab order and
  // the stacking order: a group box comes first and lies under its contents.
  for (size_t i = 0; i < tpl.controlCount; ++i) {
    const GlyControlTemplate& control = tpl.controls[i];
    QWidget* widget = CreateControl(control);
    const QRect rect(control.x, control.y, control.width, control.height);
    widget->setGeometry(rect);
    widget->setEnabled(!(control.flags & GLY_CTL_DISABLED));
    grows = grows || (control.flags & (GLY_CTL_GROW_X | GLY_CTL_GROW_Y));
    if (control.flags & (GLY_CTL_GROW_X | GLY_CTL_GROW_Y | GLY_CTL_MOVE_X | GLY_CTL_MOVE_Y))
      placements_.push_back({widget, rect, control.flags});
    if (control.id != GLY_ID_STATIC) {
      widget->setObjectName(QString::number(control.id));
      controls_[control.id] = widget;
      Connect(control.id, widget);
    }
  }
  if (grows) {
    setMinimumSize(templateSize_);
    resize(templateSize_);
  } else {
    setFixedSize(templateSize_);
  }
  built_ = true;
}

void TemplateDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (!built_) return;
  const int dx = width() - templateSize_.width(), dy = height() - templateSize_.height();
  for (const Placement& placement : placements_) {
    QRect rect = placement.rect;
    if (placement.flags & GLY_CTL_MOVE_X) rect.translate(dx, 0);
    if (placement.flags & GLY_CTL_MOVE_Y) rect.translate(0, dy);
    if (placement.flags & GLY_CTL_GROW_X) rect.setWidth(rect.width() + dx);
    if (placement.flags & GLY_CTL_GROW_Y) rect.setHeight(rect.height() + dy);
    placement.widget->setGeometry(rect);
  }
  if (menuBar_) menuBar_->setGeometry(0, 0, width(), menuBar_->height());
  for (QStatusBar* bar : findChildren<QStatusBar*>(Qt::FindDirectChildrenOnly))
    bar->setGeometry(0, height() - bar->height(), width(), bar->height());
}

void TemplateDialog::SetMenuBar(QMenuBar* bar) {
  const int inset = bar->sizeHint().height();
  for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (child != bar && !qobject_cast<QStatusBar*>(child)) child->move(child->pos() + QPoint(0, inset));
  for (Placement& placement : placements_) placement.rect.translate(0, inset);
  menuBar_ = bar;
  bar->setGeometry(0, 0, width(), inset);
  templateSize_.rheight() += inset;
  if (minimumSize() == maximumSize()) {
    setFixedSize(templateSize_);
  } else {
    setMinimumSize(templateSize_);
    resize(width(), height() + inset);
  }
}

QWidget* TemplateDialog::CreateControl(const GlyControlTemplate& control) {
  const QString text = FromSingleByte(control.text ? control.text : "");
  switch (control.kind) {
    case GLY_CTL_LABEL: {
      auto* label = new QLabel(text, this);
      label->setWordWrap(control.flags & GLY_CTL_WRAP);
      label->setAlignment(Qt::AlignLeft | (control.flags & GLY_CTL_WRAP ? Qt::AlignTop : Qt::AlignVCenter));
      return label;
    }
    case GLY_CTL_GROUP:
      return new QGroupBox(text, this);
    case GLY_CTL_BUTTON: {
      auto* button = new QPushButton(text, this);
      button->setDefault(control.flags & GLY_CTL_DEFAULT);
      return button;
    }
    case GLY_CTL_POPUP_BUTTON:
      return new PopupMenuButton(text, control.resource, this);
    case GLY_CTL_CHECK_LIST:
      return new CheckListBox(this);
    case GLY_CTL_EDIT: {
      auto* edit = new QLineEdit(text, this);
      edit->setReadOnly(control.flags & GLY_CTL_READ_ONLY);
      // What is typed ends up in a single-byte text.
      edit->setValidator(new SingleByteValidator(edit));
      return edit;
    }
    case GLY_CTL_IP_ADDRESS:
      return new IpAddressEdit(this);
    case GLY_CTL_BITMAP: {
      auto* picture = new TransparentBitmapStatic(this);
      picture->SetBitmap(LoadBitmapImage(control.resource));
      return picture;
    }
    case GLY_CTL_ICON: {
      auto* picture = new QLabel(this);
      picture->setPixmap(LoadResourceIcon(control.resource).pixmap(control.width, control.height));
      return picture;
    }
    case GLY_CTL_RADIO:
      return new QRadioButton(text, this);
    case GLY_CTL_CHECK_BOX:
      return new QCheckBox(text, this);
    case GLY_CTL_LIST_BOX:
      return new QListWidget(this);
    case GLY_CTL_REPORT_LIST: {
      // Its owner sets the columns.
      auto* report = new QTreeWidget(this);
      report->setRootIsDecorated(false);
      report->setItemsExpandable(false);
      report->setSelectionMode(QAbstractItemView::ExtendedSelection);
      report->header()->setStretchLastSection(false);
      FitColumnsToContents(*report);
      return report;
    }
    case GLY_CTL_COMBO:
      return new QComboBox(this);
    case GLY_CTL_ANIMATION:
      return new AnimationStatic(control.resource, this);
    case GLY_CTL_PROGRESS: {
      auto* bar = new QProgressBar(this);
      bar->setTextVisible(false);
      return bar;
    }
  }
  return new QWidget(this);
}

void TemplateDialog::Connect(int id, QWidget* widget) {
  if (auto* list = qobject_cast<CheckListBox*>(widget)) {
    connect(list, &CheckListBox::selectionChanged, this,
            [this, id] { Dispatch(id, Notification::SelectionChanged); });
    connect(list, &CheckListBox::checkToggled, this,
            [this, id] { Dispatch(id, Notification::CheckChanged); });
  } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
    connect(button, &QPushButton::clicked, this, [this, id] {
      if (Dispatch(id, Notification::Clicked)) return;
      if (id == 1) accept();
      if (id == 2) QDialog::reject();
    });
  } else if (auto* choice = qobject_cast<QAbstractButton*>(widget)) {
    connect(choice, &QAbstractButton::clicked, this, [this, id] { Dispatch(id, Notification::Clicked); });
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    connect(combo, &QComboBox::currentIndexChanged, this,
            [this, id] { Dispatch(id, Notification::SelectionChanged); });
  } else if (auto* report = qobject_cast<QTreeWidget*>(widget)) {
    connect(report, &QTreeWidget::itemSelectionChanged, this,
            [this, id] { Dispatch(id, Notification::SelectionChanged); });
  } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
    connect(list, &QListWidget::currentRowChanged, this,
            [this, id] { Dispatch(id, Notification::SelectionChanged); });
  } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    connect(edit, &QLineEdit::textChanged, this, [this, id] { Dispatch(id, Notification::TextChanged); });
  } else if (auto* address = qobject_cast<IpAddressEdit*>(widget)) {
    connect(address, &IpAddressEdit::changed, this, [this, id] { Dispatch(id, Notification::TextChanged); });
  }
}

QWidget* TemplateDialog::Control(int id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

QPoint TemplateDialog::MovedBy(int id) const {
  const QWidget* widget = Control(id);
  for (const Placement& placement : placements_)
    if (placement.widget == widget) return widget->pos() - placement.rect.topLeft();
  return {};
}

void TemplateDialog::Bind(int id, Notification notification, std::function<void()> handler) {
  handlers_[{id, notification}] = std::move(handler);
}

bool TemplateDialog::Dispatch(int id, Notification notification) {
  const auto found = handlers_.find({id, notification});
  if (found == handlers_.end()) return false;
  // A copy: the handler may rebind, or end the dialog.
  const std::function<void()> handler = found->second;
  handler();
  ShowState();
  return true;
}

void TemplateDialog::EnableControl(int id, bool enabled) {
  if (QWidget* widget = Control(id)) widget->setEnabled(enabled);
}

void TemplateDialog::SetControlText(int id, const QString& text) {
  QWidget* widget = Control(id);
  if (auto* label = qobject_cast<QLabel*>(widget))
    label->setText(text);
  else if (auto* button = qobject_cast<QPushButton*>(widget))
    button->setText(text);
  else if (auto* edit = qobject_cast<QLineEdit*>(widget))
    edit->setText(text);
}

void TemplateDialog::reject() {
  // Escape and the close box are the Cancel button, as in every dialog.
  if (!Dispatch(2, Notification::Clicked)) QDialog::reject();
}
