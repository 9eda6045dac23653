#include "classify_resource.h"

#include <cstring>

ResourceRow ClassifyResource(const std::string& fileName, FontClassifier classify) {
  ResourceRow row;
  row.fileName = fileName;
  char fontName[GLY_FONT_NAME_SIZE] = {};
  ResourceKindInfo info{};
  if (classify(fileName.c_str(), fontName, &info) == 0) {
    row.kindInfo = info;
    row.typeText = FontTypeText(info);
    // The classifier promises a terminated name; a faulty one must not make
    // us read past the buffer.
    row.fontName.assign(fontName, strnlen(fontName, sizeof fontName));
  } else {
    row.typeText = PassThroughTypeText(fileName);
    if (row.typeText.empty()) return row;
  }
  row.accepted = true;
  row.status = kNotDownloadedText;
  return row;
}
