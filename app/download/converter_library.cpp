#include "download/converter_operations.h"

namespace {

class LibraryOperations final : public ConverterOperations {
 public:
  int ClassifyFontFile(const char* path, char* fontName, ResourceKindInfo* kindInfo) override {
    return ::ClassifyFontFile(path, fontName, kindInfo);
  }
  int ConvertPfbToPfa(const char* pfbPath, const char* pfaPath) override {
    return ::ConvertPfbToPfa(pfbPath, pfaPath);
  }
  int ConvertTrueTypeToType1(const char* trueTypePath, const char* outputPath) override {
    return ::ConvertTrueTypeToType1(trueTypePath, outputPath);
  }
  int FinishType1Conversion(const char* type1ProgramPath, const char* outputPath,
                            int reserved) override {
    return ::FinishType1Conversion(type1ProgramPath, outputPath, reserved);
  }
  int ConvertTrueTypeToPclTrueType(const char* trueTypePath, const char* outputPath) override {
    return ::ConvertTrueTypeToPclTrueType(trueTypePath, outputPath);
  }
  int ConvertTrueTypeToPclTrueTypeReporting(const char* trueTypePath, const char* outputPath,
                                            PclConversionReport* report) override {
    return ::ConvertTrueTypeToPclTrueTypeReporting(trueTypePath, outputPath, report);
  }
};

}  // namespace

ConverterOperations& ConverterLibrary() {
  static LibraryOperations operations;
  return operations;
}
