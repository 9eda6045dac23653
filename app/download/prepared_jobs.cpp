#include "download/prepared_jobs.h"

#include "download/classify_resource.h"
#include "download/converter_operations.h"
#include "download/resource_kind.h"
#include "ui/message_boxes.h"

Outcome PreparationFailure(int result) {
  switch (result) {
    case kPostScriptConversionFailed: return Outcome::kInvalidPostScript;
    case kTrueTypeConversionFailed: return Outcome::kInvalidTrueType;
    case kScratchSpaceFull: return Outcome::kScratchFull;
    case kResourceNameNotGiven: return Outcome::kNoName;
    default: return Outcome::kJobNotWritten;
  }
}

namespace {

void ForgetJobFileNames(ResourceJobContext& context) {
  context.jobFiles = {};
  for (const char* name : {kJobFileName, kSecondJobFileName}) context.jobFolder.RemoveFile(name);
}

}  // namespace

PreparedJobs::PreparedJobs(ConverterOperations& converter, ResourceJobQuestions& questions, MessageBoxes& boxes,
                           const std::string& jobDirectory, std::vector<std::string> paths,
                           std::vector<ResourceAnswer> answers, StorageLocation location,
                           const ConversionChoice& conversion)
    : context_(converter, questions, boxes, jobDirectory), paths_(std::move(paths)), answers_(std::move(answers)) {
  context_.downloadLocation = location;
  context_.conversion = conversion;
}

PreparedJobs::~PreparedJobs() { ForgetJobFileNames(context_); }

std::shared_ptr<const PreparedResource> PreparedJobs::Get(size_t row, uint32_t pjlPassword) {
  const std::lock_guard guard(lock_);
  std::shared_ptr<const PreparedResource>& made = made_[{row, pjlPassword}];
  if (!made) {
    context_.pjlPassword = pjlPassword;
    made = std::make_shared<const PreparedResource>(Prepare(row));
  }
  return made;
}

ConversionChoice PreparedJobs::conversion() {
  const std::lock_guard guard(lock_);
  return context_.conversion;
}

int PreparedJobs::preparations() {
  const std::lock_guard guard(lock_);
  return static_cast<int>(made_.size());
}

PreparedResource PreparedJobs::Prepare(size_t row) {
  PreparedResource made;
  const std::string& path = paths_.at(row);
  if (row < answers_.size()) {
    const ResourceAnswer& answer = answers_[row];
    if (answer.leftOut != Outcome::kNotSent) {
      made.failure.what = answer.leftOut;
      return made;
    }
    if (answer.conversion) {
      static_cast<ConversionOptions&>(context_.conversion) = *answer.conversion;
      context_.conversion.askConversion = false;
    }
    if (answer.name) context_.resourceNames[path] = answer.name;
  }
  char fontName[GLY_FONT_NAME_SIZE] = {};
  ResourceKindInfo kindInfo{};
  const PassThroughKind passThrough = PassThroughKindOf(FileNameOf(path));
  if (context_.converter.ClassifyFontFile(path.c_str(), fontName, &kindInfo) != 0) {
    if (passThrough == PassThroughKind::kNone) {
      context_.boxes.ShowMessage(InvalidFilesText({FileNameOf(path)}));
      made.failure.what = Outcome::kInvalidFile;
      return made;
    }
    kindInfo = {};  // not a font: it goes by its extension, as it was listed
  }
  const ResourceKind kind = static_cast<ResourceKind>(kindInfo.kind);
  made.needsStorage = kind != ResourceKind::None || passThrough != PassThroughKind::kPrintFile;
  const int prepared = PrepareResourceJob(context_, path.c_str(), fontName, kindInfo, false);
  if (prepared != kResourceJobDone) {
    // Half a Both conversion is not sent either.
    ForgetJobFileNames(context_);
    made.failure.what = PreparationFailure(prepared);
    return made;
  }
  made.charactersLeftOut = context_.charactersLeftOut;
  made.unboundSymbolSet = context_.unboundSymbolSet;
  for (const SentResource& sent : context_.sent) {
    if (made.jobFiles.empty() || made.jobFiles.back() != sent.jobFile) made.jobFiles.push_back(sent.jobFile);
    if (sent.kind != SentKind::kPrintFile) made.stored.push_back(sent);
  }
  if (kind == ResourceKind::TrueType && made.jobFiles.empty()) made.failure.what = Outcome::kNotConverted;
  // The next resource starts with job files of its own, made afresh under
  // the same names; these stay open for every printer that takes them.
  context_.jobFiles = {};
  return made;
}
