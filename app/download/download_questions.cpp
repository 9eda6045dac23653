#include "download/download_questions.h"

#include "download/classify_resource.h"
#include "download/converter_operations.h"
#include "download/resource_name.h"

namespace {

// The kind of the font at `path`; nothing when it is not a font.
std::optional<ResourceKind> FontKindOf(ConverterOperations& converter, const std::string& path) {
  char fontName[GLY_FONT_NAME_SIZE] = {};
  ResourceKindInfo kindInfo{};
  if (converter.ClassifyFontFile(path.c_str(), fontName, &kindInfo) != 0) return std::nullopt;
  return static_cast<ResourceKind>(kindInfo.kind);
}

}  // namespace

std::vector<ResourceAnswer> AskDownloadQuestions(const std::vector<std::string>& paths, ConversionChoice& choice,
                                                 ConverterOperations& converter, ResourceJobQuestions& questions) {
  std::vector<ResourceAnswer> answers(paths.size());
  for (size_t i = 0; i < paths.size(); ++i) {
    const std::string& path = paths[i];
    const std::string file = FileNameOf(path);
    ResourceAnswer& answer = answers[i];
    const std::optional<ResourceKind> font = FontKindOf(converter, path);
    const PassThroughKind passThrough = font ? PassThroughKind::kNone : PassThroughKindOf(file);
    if (passThrough == PassThroughKind::kPclMacro || passThrough == PassThroughKind::kPostScriptForm) {
      const ResourceNameKind kind =
          passThrough == PassThroughKind::kPclMacro ? ResourceNameKind::kMacroId : ResourceNameKind::kFormName;
      answer.name = questions.AskFormMacroName(kind, file);
      if (answer.name && !ResourceNameProblem(kind, *answer.name).empty()) answer.name.reset();
      if (!answer.name) answer.leftOut = Outcome::kNoName;
      continue;
    }
    if (font != ResourceKind::TrueType) continue;
    if (choice.askConversion) {
      const std::optional<ConversionOptions> options = questions.AskConversionOptions(file);
      if (!options) {
        answer.leftOut = Outcome::kNotConverted;
        continue;
      }
      static_cast<ConversionOptions&>(choice) = *options;
      if (options->applyToAll) choice.askConversion = false;
    }
    answer.conversion = choice;
    if (!choice.toType1 && !choice.toPclTrueType && !choice.both) answer.leftOut = Outcome::kNotConverted;
  }
  return answers;
}
