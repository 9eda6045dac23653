// The questions job preparation asks the user: how to convert a TrueType
// font (the "Font Conversion Options" dialog) and the name of a form or
// macro (the "Form / Macro Name" dialog). The program asks them with its
// dialogs; tests script the answers.
//
// The questions come on the thread that prepares the job, which during a
// download is the download worker: an implementation that shows dialogs
// carries them to the user-interface thread and waits for the answer.
#pragma once

#include <optional>
#include <string>

#include "download/resource_name.h"

// What the "Font Conversion Options" dialog yields: at most one of the
// three targets, and whether the choice holds for the rest of the run.
struct ConversionOptions {
  bool toType1 = false;
  bool toPclTrueType = false;
  bool both = false;
  bool applyToAll = false;
};

// The choice the resource manager keeps between resources.
struct ConversionChoice : ConversionOptions {
  // Ask again at the next TrueType resource. Cleared by a confirmed "Apply
  // to All"; set again by the resource manager when a download ends.
  bool askConversion = true;
};

class ResourceJobQuestions {
 public:
  virtual ~ResourceJobQuestions() = default;
  // Shows "Font Conversion Options" for the font `fileName` (opening with
  // "Both" chosen); nothing when the user cancels.
  virtual std::optional<ConversionOptions> AskConversionOptions(const std::string& fileName) = 0;
  // Shows "Form / Macro Name" for the ID of the macro `fileName`, or the
  // name of that form, until the text typed has no ResourceNameProblem,
  // and returns it; nothing when the user cancels.
  virtual std::optional<std::string> AskFormMacroName(ResourceNameKind kind, const std::string& fileName) = 0;
};
