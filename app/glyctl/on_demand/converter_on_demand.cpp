// The functions of the converter library that preparing a download calls.
#include "converter.h"
#include "glyctl/on_demand/on_demand_library.h"

namespace {
const OnDemandLibrary kConverter{"libConverter.so", "preparing a download", true};
}  // namespace

extern "C" {
GLY_ON_DEMAND(kConverter, int, ClassifyFontFile, (const char* path, char* fontName, ResourceKindInfo* kindInfo),
              (path, fontName, kindInfo))
GLY_ON_DEMAND(kConverter, int, ConvertPfbToPfa, (const char* pfbPath, const char* pfaPath), (pfbPath, pfaPath))
GLY_ON_DEMAND(kConverter, int, ConvertTrueTypeToType1, (const char* trueTypePath, const char* outputPath),
              (trueTypePath, outputPath))
GLY_ON_DEMAND(kConverter, int, FinishType1Conversion, (const char* type1ProgramPath, const char* outputPath, int reserved),
              (type1ProgramPath, outputPath, reserved))
GLY_ON_DEMAND(kConverter, int, ConvertTrueTypeToPclTrueType, (const char* trueTypePath, const char* outputPath),
              (trueTypePath, outputPath))
GLY_ON_DEMAND(kConverter, int, ConvertTrueTypeToPclTrueTypeReporting,
              (const char* trueTypePath, const char* outputPath, PclConversionReport* report),
              (trueTypePath, outputPath, report))
}
