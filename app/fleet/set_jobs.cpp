#include "fleet/set_jobs.h"

#include "download/classify_resource.h"
#include "download/converter_operations.h"
#include "download/resource_kind.h"
#include "ui/message_boxes.h"
#include "ui/resource_module.h"

namespace {

// Every answer is in the set: nothing is asked.
class NoQuestions final : public ResourceJobQuestions {
 public:
  std::optional<ConversionOptions> AskConversionOptions(const std::string&) override { return std::nullopt; }
  std::optional<std::string> AskFormMacroName(ResourceNameKind, const std::string&) override { return std::nullopt; }
};

// Keeps the last text a job writer showed: it says why the job failed.
class KeptMessages final : public MessageBoxes {
 public:
  int Show(int stringId, unsigned) override {
    last = LoadResourceString(stringId);
    return IDOK;
  }
  int ShowMessage(const std::string& text, unsigned) override {
    last = text;
    return IDOK;
  }
  std::string last;
};

std::string PreparationProblem(int result, const SetResource& resource, const std::string& shown) {
  switch (result) {
    case kPostScriptConversionFailed: return "the PostScript font could not be made ASCII";
    case kTrueTypeConversionFailed: return "the TrueType font could not be converted";
    case kScratchSpaceFull: return "the job folder's disk is full";
    case kResourceNameNotGiven:
      return PassThroughKindOf(FileNameOf(resource.path)) == PassThroughKind::kPclMacro
                 ? "a PCL macro needs macro-id="
                 : "a PostScript form needs form-name=";
    default: return shown.empty() ? "its job could not be written" : shown;
  }
}

SetResourceParts Prepare(const SetResource& resource, ResourceJobContext& context, KeptMessages& messages) {
  char fontName[GLY_FONT_NAME_SIZE] = {};
  ResourceKindInfo kindInfo{};
  const std::string fileName = FileNameOf(resource.path);
  if (context.converter.ClassifyFontFile(resource.path.c_str(), fontName, &kindInfo) != 0) {
    const PassThroughKind kind = PassThroughKindOf(fileName);
    if (kind == PassThroughKind::kNone) return {{}, kInvalidFontFileText};
    if (kind == PassThroughKind::kPrintFile) return {{}, "a print file is printed, not kept: a set cannot hold it"};
    kindInfo = {};
  }
  context.downloadLocation = resource.location;
  static_cast<ConversionOptions&>(context.conversion) = resource.conversion;
  context.conversion.askConversion = false;
  const std::optional<std::string> name = resource.macroId ? resource.macroId : resource.formName;
  context.resourceNames[resource.path] = name;
  messages.last.clear();
  const int result = PrepareResourceJob(context, resource.path.c_str(), fontName, kindInfo, false);
  if (result != kResourceJobDone) return {{}, PreparationProblem(result, resource, messages.last)};
  if (context.sent.empty()) return {{}, kInvalidFontFileText};
  std::vector<SentResource> parts = context.sent;
  for (SentResource& part : parts) part.jobFile.reset();  // the next resource's job reuses the file
  return {std::move(parts), {}};
}

}  // namespace

std::vector<SetResourceParts> PrepareSetJobs(const std::vector<SetResource>& resources,
                                             ConverterOperations& converter, const std::string& jobFolder) {
  NoQuestions questions;
  KeptMessages messages;
  ResourceJobContext context(converter, questions, messages, jobFolder);
  std::vector<SetResourceParts> prepared;
  for (const SetResource& resource : resources) prepared.push_back(Prepare(resource, context, messages));
  return prepared;
}
