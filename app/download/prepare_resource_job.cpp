#include "download/prepare_resource_job.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "download/converter_operations.h"
#include "download/job_folder.h"
#include "download/resource_kind.h"

namespace {

// Scratch files of the conversions, in the job folder.
constexpr char kPfaScratch[] = "tmpPfa.tmp";    // ASCII form of a PFB, or the Type 1 program
constexpr char kType1Scratch[] = "tmpPfb.pfa";  // finished Type 1 font
constexpr char kPclScratch[] = "tmpPcl.tmp";    // PCL TrueType font

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
    for (const char* scratch : {kPfaScratch, kType1Scratch, kPclScratch}) {
      std::remove(InJobDirectory(scratch).c_str());
    }
  }
  Preparation(const Preparation&) = delete;
  Preparation& operator=(const Preparation&) = delete;

  int Run() {
    if (!exportMode_) StartWithEmptyJobFiles();
    context_.charactersLeftOut = 0;
    int result = kResourceJobDone;
    switch (static_cast<ResourceKind>(kindInfo_.kind)) {
      case ResourceKind::PostScript: result = PreparePostScriptFont(); break;
      case ResourceKind::PclSoftFont: result = WritePclJob(path_); break;
      case ResourceKind::TrueType: result = PrepareTrueTypeFont(); break;
      case ResourceKind::None: break;
    }
    if (result != kResourceJobDone) return result;
    if (HasExtension(path_, ".pcl")) context_.questions.AskFormMacroName();
    return kResourceJobDone;
  }

 private:
  std::string InJobDirectory(const char* name) const { return JobFilePath(context_.jobDirectory, name); }

  void StartWithEmptyJobFiles() {
    context_.jobFiles.postScript = context_.jobFiles.pcl = InJobDirectory(kJobFileName);
    std::remove(InJobDirectory(kJobFileName).c_str());
    std::remove(InJobDirectory(kSecondJobFileName).c_str());
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
      if (std::optional<ConversionOptions> options = context_.questions.AskConversionOptions()) {
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
      if (!exportMode_) context_.jobFiles.pcl = InJobDirectory(kSecondJobFileName);
      return PreparePclTrueType();
    }
    return kResourceJobDone;
  }

  int PrepareType1() {
    const std::string program = InJobDirectory(kPfaScratch);
    const std::string type1 = InJobDirectory(kType1Scratch);
    if (converter_.ConvertTrueTypeToType1(path_, program.c_str()) != 0) {
      return kTrueTypeConversionFailed;
    }
    // Its result tells nothing: a failed finish leaves no font to classify.
    converter_.FinishType1Conversion(program.c_str(), type1.c_str(), 0);
    std::memset(fontName_, 0, GLY_FONT_NAME_SIZE);
    if (converter_.ClassifyFontFile(type1.c_str(), fontName_, &kindInfo_) != 0) {
      return kTrueTypeConversionFailed;
    }
    return WritePostScriptJob(type1);
  }

  int PreparePclTrueType() {
    const std::string pcl = InJobDirectory(kPclScratch);
    PclConversionReport report{};
    if (converter_.ConvertTrueTypeToPclTrueTypeReporting(path_, pcl.c_str(), &report) != 0) {
      return kTrueTypeConversionFailed;
    }
    if (report.charactersCarried < report.charactersMapped)
      context_.charactersLeftOut = report.charactersMapped - report.charactersCarried;
    return WritePclJob(pcl);
  }

  // The classifier promises a terminated name; a faulty one must not make
  // the writers read past the buffer.
  std::string FontName() const {
    return std::string(fontName_, strnlen(fontName_, GLY_FONT_NAME_SIZE));
  }

  int WritePostScriptJob(const std::string& source) {
    const int written =
        WritePostScriptDownloadJob(source.c_str(), FontName().c_str(), context_.downloadLocation,
                                   context_.jobFiles.postScript.c_str(), context_.boxes);
    return written == kJobWritten ? kResourceJobDone : kResourceJobNotWritten;
  }

  int WritePclJob(const std::string& source) {
    const int written =
        WritePclDownloadJob(source.c_str(), FontName().c_str(), context_.downloadLocation,
                            context_.jobFiles.pcl.c_str(), context_.boxes);
    return written == kJobWritten ? kResourceJobDone : kResourceJobNotWritten;
  }

  ResourceJobContext& context_;
  ConverterOperations& converter_;
  const char* path_;
  char* fontName_;
  ResourceKindInfo& kindInfo_;
  bool exportMode_;
};

}  // namespace

int PrepareResourceJob(ResourceJobContext& context, const char* path, char* fontName,
                       ResourceKindInfo& kindInfo, bool exportMode) {
  return Preparation(context, path, fontName, kindInfo, exportMode).Run();
}
