// A dialog built from a template of the resource library, with its
// controls' events bound to handlers by control id.
//
// Every control gets its id as object name. A handler runs for the id and
// notification it is bound to; afterwards ShowState() lets the dialog show
// what its logic now says. Button 1 accepts and button 2 (also Escape and
// the window's close box) cancels, unless a handler is bound to them.
//
// A template with growing controls makes a dialog that can be enlarged:
// controls grow and move as their flags say, a status bar made by the
// dialog stays along its bottom edge, and the columns of report lists
// widen to fit what they hold.
#pragma once

#include <QDialog>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "resource_library.h"

enum class Notification {
  Clicked,           // buttons, radios and check boxes
  SelectionChanged,  // CheckListBox, combo boxes, list boxes and report lists
  CheckChanged,      // CheckListBox
  TextChanged,       // edits and IP address controls
};

class QMenuBar;

class TemplateDialog : public QDialog {
  Q_OBJECT
 public:
  // Builds dialog `templateId`. If the resource library has no such
  // template the dialog stays empty and isBuilt() is false.
  explicit TemplateDialog(int templateId, QWidget* parent = nullptr);

  bool isBuilt() const { return built_; }
  int templateId() const { return templateId_; }
  QWidget* Control(int id) const;
  template <typename T>
  T* ControlAs(int id) const {
    return qobject_cast<T*>(Control(id));
  }

  void Bind(int id, Notification notification, std::function<void()> handler);
  // Runs what control `id` is bound to for `notification`, as if the event
  // had happened; false when nothing is bound.
  bool Dispatch(int id, Notification notification);

  // How far control `id` has moved from its place in the template as the
  // dialog was resized.
  QPoint MovedBy(int id) const;

  // Puts `bar` along the top edge and moves the template's controls down
  // below it; the dialog grows by the bar's height.
  void SetMenuBar(QMenuBar* bar);

  void EnableControl(int id, bool enabled);
  void SetControlText(int id, const QString& text);

  void reject() override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  // Shows the logic's state in the controls; runs after every handler.
  virtual void ShowState() {}

 private:
  void Build(const GlyDialogTemplate& tpl);
  QWidget* CreateControl(const GlyControlTemplate& control);
  void Connect(int id, QWidget* widget);

  // Where a control lies in the template and how it follows the dialog.
  struct Placement {
    QWidget* widget;
    QRect rect;
    unsigned flags;
  };

  int templateId_;
  bool built_ = false;
  QSize templateSize_;
  QMenuBar* menuBar_ = nullptr;
  std::vector<Placement> placements_;
  std::map<int, QWidget*> controls_;
  std::map<std::pair<int, Notification>, std::function<void()>> handlers_;
};
