#include "download/job_questions_dialog.h"

#include <QAbstractButton>
#include <QLineEdit>

#include "download/resource_manager_ids.h"
#include "ui/qt_message_boxes.h"
#include "ui/single_byte_text.h"
#include "ui/template_dialog.h"

using namespace resource_manager;

namespace {

bool IsChecked(const TemplateDialog& dialog, int id) {
  const auto* button = dialog.ControlAs<QAbstractButton>(id);
  return button && button->isChecked();
}

// Each question is asked once for every printer, up front: the title says
// which file it is about ("Font Conversion Options - Serif.ttf").
void NameFileInTitle(TemplateDialog& dialog, const std::string& fileName) {
  dialog.setWindowTitle(dialog.windowTitle() + " - " + ShownFromSingleByte(fileName));
}

}  // namespace

std::optional<ConversionOptions> JobQuestionsDialogs::AskConversionOptions(const std::string& fileName) {
  TemplateDialog dialog(kConversionOptionsDialog, owner_);
  NameFileInTitle(dialog, fileName);
  // It opens with "Both" chosen; the radios exclude each other.
  if (auto* both = dialog.ControlAs<QAbstractButton>(kBothRadio)) both->setChecked(true);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  ConversionOptions options;
  options.toType1 = IsChecked(dialog, kToType1Radio);
  options.toPclTrueType = IsChecked(dialog, kToPclTrueTypeRadio);
  options.both = IsChecked(dialog, kBothRadio);
  options.applyToAll = IsChecked(dialog, kApplyToAllCheck);
  return options;
}

std::optional<std::string> JobQuestionsDialogs::AskFormMacroName(ResourceNameKind kind,
                                                                 const std::string& fileName) {
  TemplateDialog dialog(kFormMacroNameDialog, owner_);
  NameFileInTitle(dialog, fileName);
  auto* edit = dialog.ControlAs<QLineEdit>(kFormMacroNameEdit);
  if (edit == nullptr) return std::nullopt;
  edit->setPlaceholderText(kind == ResourceNameKind::kMacroId ? "Macro ID, 0 to 32767" : "Form name");
  std::string name;
  // OK closes the dialog only for a name that can be used; otherwise the
  // problem is shown and the dialog stays with the text typed.
  dialog.Bind(1, Notification::Clicked, [&dialog, edit, kind, &name] {
    const std::optional<std::string> typed = ToSingleByte(edit->text().trimmed());
    const std::string problem = typed ? ResourceNameProblem(kind, *typed) : ResourceNameProblem(kind, "?");
    if (!problem.empty()) {
      QtMessageBoxes::ShowText(&dialog, ShownFromSingleByte(problem));
      edit->setFocus();
      edit->selectAll();
      return;
    }
    name = *typed;
    dialog.accept();
  });
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return name;
}
