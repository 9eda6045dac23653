// The questions of job preparation as the program asks them: the "Font
// Conversion Options" dialog (139) and the "Form / Macro Name" dialog
// (142), both modal to `owner`. User-interface thread only.
#pragma once

#include "download/resource_job_questions.h"

class QWidget;

class JobQuestionsDialogs final : public ResourceJobQuestions {
 public:
  explicit JobQuestionsDialogs(QWidget* owner) : owner_(owner) {}
  std::optional<ConversionOptions> AskConversionOptions(const std::string& fileName) override;
  std::optional<std::string> AskFormMacroName(ResourceNameKind kind, const std::string& fileName) override;

 private:
  QWidget* owner_;
};
