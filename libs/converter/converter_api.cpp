// The exported C functions: file handling around the operations in
// conversions.cpp. Each call owns all its state, so any number may run at
// once on different threads.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <string_view>
#include <utility>

#include "conversions.h"
#include "converter.h"
#include "font_file_io.h"

using namespace converter;

static_assert(kMaxFontNameLength == GLY_FONT_NAME_SIZE - 1);
// Callers pass the kind info as two 16-bit words, kind first.
static_assert(sizeof(ResourceKindInfo) == 4 && offsetof(ResourceKindInfo, subtype) == 2);

namespace {

using Operation = std::function<bool(ByteView, OutputSink&)>;

// `text` cut to fit `size` bytes with its terminating NUL.
void CopyText(std::string_view text, char* buffer, std::size_t size) {
  const std::size_t length = std::min(text.size(), size - 1);
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
}

// An operation that makes its whole result before it is written.
Operation WholeResult(std::function<bool(ByteView, std::string&)> operation) {
  return [operation = std::move(operation)](ByteView input, OutputSink& sink) {
    std::string out;
    if (!operation(input, out)) return false;
    sink.Write(out);
    return true;
  };
}

int ConvertFile(const Operation& operation, const char* inputPath, const char* outputPath) {
  if (const auto input = ReadFontFile(inputPath)) {
    OutputFile output(outputPath);
    if (output.IsOpen() && operation(*input, output) && output.Commit()) return 0;
  }
  // A stale file at the output path would otherwise pass for this run's result.
  DiscardOutput(inputPath, outputPath);
  return 1;
}

}  // namespace

extern "C" {

int ClassifyFontFile(const char* path, char* fontName, ResourceKindInfo* kindInfo) {
  auto file = ReadFontFile(path, kSignatureBytes);
  if (!file) return 1;
  if (file->size() == kSignatureBytes) file = ReadFontFile(path);
  FontIdentity identity;
  if (!file || !ClassifyFont(*file, identity)) return 1;

  if (fontName != nullptr) CopyText(identity.name, fontName, GLY_FONT_NAME_SIZE);
  if (kindInfo != nullptr) {
    kindInfo->kind = static_cast<uint16_t>(identity.kind);
    kindInfo->subtype = identity.subtype;
  }
  return 0;
}

int ConvertPfbToPfa(const char* pfbPath, const char* pfaPath) {
  return ConvertFile(ConvertPfbToPfaText, pfbPath, pfaPath);
}

int ConvertTrueTypeToType1(const char* trueTypePath, const char* outputPath) {
  return ConvertFile(ConvertTrueTypeToType1Text, trueTypePath, outputPath);
}

int FinishType1Conversion(const char* type1ProgramPath, const char* outputPath, int /*reserved*/) {
  return ConvertFile(FinishType1Text, type1ProgramPath, outputPath);
}

int ConvertTrueTypeToPclTrueType(const char* trueTypePath, const char* outputPath) {
  return ConvertTrueTypeToPclTrueTypeReporting(trueTypePath, outputPath, nullptr);
}

int ConvertTrueTypeToPclTrueTypeReporting(const char* trueTypePath, const char* outputPath,
                                          PclConversionReport* report) {
  PclCoverage coverage;
  const int result = ConvertFile(
      WholeResult([&coverage](ByteView font, std::string& pcl) { return ConvertTrueTypeToPclText(font, pcl, coverage); }),
      trueTypePath, outputPath);
  if (report != nullptr) {
    *report = {};
    if (result == 0) {
      report->charactersMapped = static_cast<uint32_t>(coverage.mapped);
      report->charactersCarried = static_cast<uint32_t>(coverage.carried);
      CopyText(coverage.symbolSet, report->symbolSet, sizeof report->symbolSet);
      report->privateUseCharacters = static_cast<uint32_t>(coverage.privateUseCount);
      report->firstPrivateUseCode = static_cast<uint32_t>(coverage.firstPrivateUseCode);
      report->unbound = coverage.symbolSet == "unbound";
      CopyText(coverage.selectWith, report->selectSymbolSet, sizeof report->selectSymbolSet);
    } else {
      CopyText(coverage.failure.empty() ? "the font file could not be read or the result written" : coverage.failure,
               report->failure, sizeof report->failure);
    }
  }
  return result;
}

}  // extern "C"
