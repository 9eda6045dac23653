// The exported C functions: file handling around the operations in
// conversions.cpp. Each call owns all its state, so any number may run at
// once on different threads.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "conversions.h"
#include "converter.h"
#include "font_file_io.h"

using namespace converter;

static_assert(kMaxFontNameLength == GLY_FONT_NAME_SIZE - 1);
// Callers pass the kind info as two 16-bit words, kind first.
static_assert(sizeof(ResourceKindInfo) == 4 && offsetof(ResourceKindInfo, subtype) == 2);

namespace {

using Operation = bool (*)(ByteView, std::string&);

int ConvertFile(Operation operation, const char* inputPath, const char* outputPath) {
  std::string out;
  const auto input = ReadFontFile(inputPath);
  if (input && operation(*input, out) && WriteOutputFile(outputPath, out)) return 0;
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

  if (fontName != nullptr) {
    const std::size_t length = std::min(identity.name.size(), kMaxFontNameLength);
    std::memcpy(fontName, identity.name.data(), length);
    fontName[length] = '\0';
  }
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
  return ConvertFile(ConvertTrueTypeToPclText, trueTypePath, outputPath);
}

}  // extern "C"
