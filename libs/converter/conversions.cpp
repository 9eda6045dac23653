#include "conversions.h"

#include <algorithm>

#include "type1_finisher.h"

namespace converter {

namespace {

const FontModule* ModuleFor(ByteView file) {
  return FindFontModule(file.first(std::min(file.size(), kSignatureBytes)));
}

}  // namespace

bool ClassifyFont(ByteView file, FontIdentity& identity) {
  const FontModule* module = ModuleFor(file);
  return module != nullptr && module->identify(file, identity);
}

bool ConvertPfbToPfaText(ByteView pfb, OutputSink& pfa) {
  const FontModule* module = ModuleFor(pfb);
  return (module == &kType1PfbModule || module == &kType1BinaryModule) && module->convert(pfb, pfa);
}

bool ConvertTrueTypeToType1Text(ByteView trueType, OutputSink& program) {
  return ModuleFor(trueType) == &kTrueTypeModule && kTrueTypeModule.convert(trueType, program);
}

bool FinishType1Text(ByteView program, OutputSink& pfa) {
  return EncryptType1Program(AsText(program), pfa);
}

bool ConvertTrueTypeToPclText(ByteView trueType, std::string& pcl, PclCoverage& coverage) {
  const FontModule* module = ModuleFor(trueType);
  if (module == nullptr || module->convertToPclTrueType == nullptr) {
    coverage.failure = "not a TrueType font";
    return false;
  }
  return module->convertToPclTrueType(trueType, pcl, coverage);
}

}  // namespace converter
