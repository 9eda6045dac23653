#include "download/job_questions_dialog.h"

#include <QAbstractButton>

#include "download/resource_manager_ids.h"
#include "ui/template_dialog.h"

using namespace resource_manager;

namespace {

bool IsChecked(const TemplateDialog& dialog, int id) {
  const auto* button = dialog.ControlAs<QAbstractButton>(id);
  return button && button->isChecked();
}

}  // namespace

std::optional<ConversionOptions> JobQuestionsDialogs::AskConversionOptions() {
  TemplateDialog dialog(kConversionOptionsDialog, owner_);
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

void JobQuestionsDialogs::AskFormMacroName() {
  // The name typed is used by nobody; the question is asked all the same.
  TemplateDialog dialog(kFormMacroNameDialog, owner_);
  dialog.exec();
}
