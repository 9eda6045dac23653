// The converter library's five operations as job preparation uses them,
// behind an interface so that the preparation can be run against scripted
// results as well as against the library.
#pragma once

#include "converter.h"

class ConverterOperations {
 public:
  virtual ~ConverterOperations() = default;
  virtual int ClassifyFontFile(const char* path, char* fontName, ResourceKindInfo* kindInfo) = 0;
  virtual int ConvertPfbToPfa(const char* pfbPath, const char* pfaPath) = 0;
  virtual int ConvertTrueTypeToType1(const char* trueTypePath, const char* outputPath) = 0;
  virtual int FinishType1Conversion(const char* type1ProgramPath, const char* outputPath,
                                    int reserved) = 0;
  virtual int ConvertTrueTypeToPclTrueType(const char* trueTypePath, const char* outputPath) = 0;
  // The PCL conversion telling how many characters it carried; stand-ins
  // that do not tell report none left out.
  virtual int ConvertTrueTypeToPclTrueTypeReporting(const char* trueTypePath, const char* outputPath,
                                                    PclConversionReport* report) {
    *report = {};
    return ConvertTrueTypeToPclTrueType(trueTypePath, outputPath);
  }
};

// The operations of libConverter.so. Stateless; any thread may use it.
ConverterOperations& ConverterLibrary();
