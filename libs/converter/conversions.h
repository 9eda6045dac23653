// The library's operations on bytes in memory. The exported functions add
// only file handling on top, and the fuzz targets drive these directly.
#pragma once

#include <string>

#include "font_module.h"

namespace converter {

bool ClassifyFont(ByteView file, FontIdentity& identity);
bool ConvertPfbToPfaText(ByteView pfb, OutputSink& pfa);
bool ConvertTrueTypeToType1Text(ByteView trueType, OutputSink& program);
bool FinishType1Text(ByteView program, OutputSink& pfa);
bool ConvertTrueTypeToPclText(ByteView trueType, std::string& pcl, PclCoverage& coverage);

}  // namespace converter
