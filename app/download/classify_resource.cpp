#include "classify_resource.h"

#include <cstring>

std::string FileNameOf(const std::string& path) {
  const size_t separator = path.rfind('/');
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string InvalidFilesText(const std::vector<std::string>& fileNames) {
  if (fileNames.size() == 1) return "Invalid font file: " + fileNames.front();
  std::string text = "Invalid font files:";
  for (const std::string& name : fileNames) text += "\n" + name;
  return text;
}

ResourceRow ClassifyResource(const std::string& path, const FontClassifier& classify) {
  ResourceRow row;
  row.fileName = FileNameOf(path);
  char fontName[GLY_FONT_NAME_SIZE] = {};
  ResourceKindInfo info{};
  if (classify(path.c_str(), fontName, &info) == 0) {
    row.kindInfo = info;
    row.typeText = FontTypeText(info);
    // The classifier promises a terminated name; a faulty one must not make
    // us read past the buffer.
    row.fontName.assign(fontName, strnlen(fontName, sizeof fontName));
  } else {
    row.typeText = PassThroughTypeText(row.fileName);
    if (row.typeText.empty()) return row;
  }
  row.accepted = true;
  row.status = kNotDownloadedText;
  return row;
}
