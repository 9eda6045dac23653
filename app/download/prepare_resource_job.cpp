#include "download/prepare_resource_job.h"

#include <cstring>
#include <filesystem>
#include <string>

#include "download/classify_resource.h"
#include "download/converter_operations.h"
#include "download/resource_kind.h"
#include "download/resource_name.h"

namespace {

// Scratch files of the conversions, in the job folder.
constexpr char kPfaScratch[] = "tmpPfa.tmp";    // ASCII form of a PFB, or the Type 1 program
constexpr char kType1Scratch[] = "tmpPfb.pfa";  // finished Type 1 font
constexpr char kPclScratch[] = "tmpPcl.tmp";    // PCL TrueType font
// Room a conversion needs beyond the size of its font.
constexpr std::uintmax_t kRoomSlack = 64 * 1024;

class Preparation {
 public:
  Preparation(ResourceJobContext& context, const char* path, char* fontName,
              ResourceKindInfo& kindInfo, bool exportMode)
      : context_(context),
        converter_(context.converter),
        path_(path),
        fontName_(fontName),
        kindInfo_(kindInfo),
        exportMode_(exportMode) {}
  ~Preparation() {
    for (const char* scratch : {kPfaScratch, kType1Scratch, kPclScratch}) context_.jobFolder.RemoveFile(scratch);
  }
  Preparation(const Preparation&) = delete;
  Preparation& operator=(const Preparation&) = delete;

  int Run() {
    if (!exportMode_) StartWithEmptyJobFiles();
    context_.charactersLeftOut = 0;
    context_.unboundSymbolSet.clear();
    context_.sent.clear();
    switch (static_cast<ResourceKind>(kindInfo_.kind)) {
      case ResourceKind::PostScript: return PreparePostScriptFont();
      case ResourceKind::PclSoftFont: return WritePclJob(path_);
      case ResourceKind::TrueType: return PrepareTrueTypeFont();
      case ResourceKind::None: break;
    }
    return PreparePassThrough();
  }

 private:
  std::string InJobDirectory(const char* name) const { return context_.jobFolder.FilePath(name); }

  void StartWithEmptyJobFiles() {
    context_.jobFiles = {};
    for (const char* name : {kJobFileName, kSecondJobFileName}) context_.jobFolder.RemoveFile(name);
  }

  // Outside export mode a job file is made when its first job is written.
  int JobFileFor(std::shared_ptr<JobFile>& slot, const char* name) {
    if (!exportMode_ && !slot) slot = context_.jobFolder.CreateFile(name);
    return slot ? slot->descriptor() : -1;
  }

  int PreparePostScriptFont() {
    if ((kindInfo_.subtype & GLY_PFB_SUBTYPE_FLAG) == 0) return WritePostScriptJob(path_);
    // The printer copies the font line by line: a binary font goes as ASCII.
    const std::string ascii = InJobDirectory(kPfaScratch);
    if (converter_.ConvertPfbToPfa(path_, ascii.c_str()) != 0) return kPostScriptConversionFailed;
    return WritePostScriptJob(ascii);
  }

  int PrepareTrueTypeFont() {
    ConversionChoice& choice = context_.conversion;
    if (choice.askConversion) {
      if (std::optional<ConversionOptions> options = context_.questions.AskConversionOptions(FileNameOf(path_))) {
        static_cast<ConversionOptions&>(choice) = *options;
        if (options->applyToAll) choice.askConversion = false;
      }
    }
    if (choice.toType1) return PrepareType1();
    if (choice.toPclTrueType) return PreparePclTrueType();
    if (choice.both) {
      // The PCL half carries the name the Type 1 font was classified with.
      const int result = PrepareType1();
      if (result != kResourceJobDone) return result;
      pclJobFileName_ = kSecondJobFileName;
      return PreparePclTrueType();
    }
    return kResourceJobDone;
  }

  // A file that is not a font, by its extension.
  int PreparePassThrough() {
    const StorageLocation location = context_.downloadLocation;
    switch (PassThroughKindOf(FileNameOf(path_))) {
      case PassThroughKind::kPclMacro: {
        const std::optional<std::string> id = ResourceName(ResourceNameKind::kMacroId);
        if (!id) return kResourceNameNotGiven;
        const int macroId = std::stoi(*id);
        std::uintmax_t storedBytes = 0;
        const int written = WritePclMacroJob(path_, macroId, location, JobFileFor(context_.jobFiles.pcl, kJobFileName),
                                             context_.boxes, &storedBytes, context_.pjlPassword);
        return Sent(Outcome(written, context_.jobFiles.pcl, kJobFileName), SentKind::kPclMacro, *id, *id,
                    PclMacroPrinterPath(location, macroId), context_.jobFiles.pcl, storedBytes);
      }
      case PassThroughKind::kPostScriptForm: {
        const std::optional<std::string> name = ResourceName(ResourceNameKind::kFormName);
        if (!name) return kResourceNameNotGiven;
        StoredCopy stored;
        const int written =
            WritePostScriptFormJob(path_, name->c_str(), location,
                                   JobFileFor(context_.jobFiles.postScript, kJobFileName), context_.boxes, &stored,
                                   context_.pjlPassword);
        return Sent(Outcome(written, context_.jobFiles.postScript, kJobFileName), SentKind::kPostScriptForm, *name,
                    *name, PostScriptPrinterPath(location, "Resource\\Form", *name), context_.jobFiles.postScript,
                    stored.bytes, std::move(stored.head));
      }
      case PassThroughKind::kPrintFile: {
        const int written =
            WritePrintFileJob(path_, JobFileFor(context_.jobFiles.pcl, kJobFileName), context_.boxes);
        return Sent(Outcome(written, context_.jobFiles.pcl, kJobFileName), SentKind::kPrintFile, {}, {}, {},
                    context_.jobFiles.pcl);
      }
      case PassThroughKind::kNone: break;
    }
    return kResourceJobDone;
  }

  // The macro ID or form name of this resource: asked once per run, and
  // checked again whoever answered.
  std::optional<std::string> ResourceName(ResourceNameKind kind) {
    const auto known = context_.resourceNames.find(path_);
    if (known != context_.resourceNames.end()) return known->second;
    std::optional<std::string> name = context_.questions.AskFormMacroName(kind, FileNameOf(path_));
    if (name && !ResourceNameProblem(kind, *name).empty()) name.reset();
    context_.resourceNames[path_] = name;
    return name;
  }

  // Records where a job that was written stores its resource, and how
  // large the stored file is where the job fixes that.
  int Sent(int result, SentKind kind, std::string name, std::string listedName, std::string printerPath,
           const std::shared_ptr<JobFile>& jobFile, std::optional<uint64_t> storedBytes = std::nullopt,
           std::string storedHead = {}) {
    if (result == kResourceJobDone)
      context_.sent.push_back({kind, context_.downloadLocation, std::move(name), std::move(listedName),
                               std::move(printerPath), jobFile, storedBytes, std::move(storedHead)});
    return result;
  }

  int PrepareType1() {
    const std::string program = InJobDirectory(kPfaScratch);
    const std::string type1 = InJobDirectory(kType1Scratch);
    if (converter_.ConvertTrueTypeToType1(path_, program.c_str()) != 0) {
      return ConversionFailure();
    }
    // Its result tells nothing: a failed finish leaves no font to classify.
    converter_.FinishType1Conversion(program.c_str(), type1.c_str(), 0);
    std::memset(fontName_, 0, GLY_FONT_NAME_SIZE);
    if (converter_.ClassifyFontFile(type1.c_str(), fontName_, &kindInfo_) != 0) {
      return ConversionFailure();
    }
    return WritePostScriptJob(type1);
  }

  int PreparePclTrueType() {
    const std::string pcl = InJobDirectory(kPclScratch);
    PclConversionReport report{};
    if (converter_.ConvertTrueTypeToPclTrueTypeReporting(path_, pcl.c_str(), &report) != 0) {
      return ConversionFailure();
    }
    if (report.charactersCarried < report.charactersMapped)
      context_.charactersLeftOut = report.charactersMapped - report.charactersCarried;
    if (report.unbound)
      context_.unboundSymbolSet.assign(report.selectSymbolSet, strnlen(report.selectSymbolSet, sizeof report.selectSymbolSet));
    // The printer lists the font by the name in its descriptor, which the
    // converter made from the TrueType font, not by its file name.
    char listed[GLY_FONT_NAME_SIZE] = {};
    ResourceKindInfo listedKind{};
    if (converter_.ClassifyFontFile(pcl.c_str(), listed, &listedKind) == 0 &&
        static_cast<ResourceKind>(listedKind.kind) == ResourceKind::PclSoftFont)
      pclListedName_.assign(listed, strnlen(listed, GLY_FONT_NAME_SIZE));
    return WritePclJob(pcl);
  }

  // Checked while the failed step's output still takes its room: a job
  // folder without room for another copy of the font was the cause.
  bool ScratchIsFull() const {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path_, error);
    return !error && context_.jobFolder.HasLessRoomThan(size + kRoomSlack);
  }
  int ConversionFailure() const { return ScratchIsFull() ? kScratchSpaceFull : kTrueTypeConversionFailed; }

  // The classifier promises a terminated name; a faulty one must not make
  // the writers read past the buffer.
  std::string FontName() const {
    return std::string(fontName_, strnlen(fontName_, GLY_FONT_NAME_SIZE));
  }

  int WritePostScriptJob(const std::string& source) {
    const std::string name = FontName();
    StoredCopy stored;
    const int written = WritePostScriptDownloadJob(source.c_str(), name.c_str(), context_.downloadLocation,
                                                   JobFileFor(context_.jobFiles.postScript, kJobFileName),
                                                   context_.boxes, &stored, context_.pjlPassword);
    return Sent(Outcome(written, context_.jobFiles.postScript, kJobFileName), SentKind::kPostScriptFont, name, name,
                PostScriptPrinterPath(context_.downloadLocation, "fonts", name), context_.jobFiles.postScript,
                stored.bytes, std::move(stored.head));
  }

  int WritePclJob(const std::string& source) {
    const std::string name = FontName();
    std::uintmax_t storedBytes = 0;
    const int written =
        WritePclDownloadJob(source.c_str(), name.c_str(), context_.downloadLocation,
                            JobFileFor(context_.jobFiles.pcl, pclJobFileName_), context_.boxes, &storedBytes,
                            context_.pjlPassword);
    return Sent(Outcome(written, context_.jobFiles.pcl, pclJobFileName_), SentKind::kPclFont, name,
                pclListedName_.empty() ? name : pclListedName_, PclFontPrinterPath(context_.downloadLocation, name),
                context_.jobFiles.pcl, storedBytes);
  }

  // A temporary job file whose job failed holds nothing to send: it goes.
  int Outcome(int written, std::shared_ptr<JobFile>& slot, const char* name) {
    if (written == kJobWritten) return kResourceJobDone;
    if (exportMode_) return written == kJobWriteFailed ? kResourceJobWriteFailed : kResourceJobNotWritten;
    const bool full = written == kJobWriteFailed && ScratchIsFull();
    slot.reset();
    context_.jobFolder.RemoveFile(name);
    return full ? kScratchSpaceFull : written == kJobWriteFailed ? kResourceJobWriteFailed : kResourceJobNotWritten;
  }

  ResourceJobContext& context_;
  ConverterOperations& converter_;
  const char* path_;
  char* fontName_;
  ResourceKindInfo& kindInfo_;
  bool exportMode_;
  const char* pclJobFileName_ = kJobFileName;
  std::string pclListedName_;  // a converted PCL font's descriptor name
};

}  // namespace

int PrepareResourceJob(ResourceJobContext& context, const char* path, char* fontName,
                       ResourceKindInfo& kindInfo, bool exportMode) {
  return Preparation(context, path, fontName, kindInfo, exportMode).Run();
}
