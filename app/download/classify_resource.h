// The decision behind adding one file to the resource list: ask the
// converter what the file is, and either accept it with the texts of its row
// or reject it. The list control and the message box stay with the dialog.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "download/contract/converter.h"
#include "resource_kind.h"

// The converter's classification entry point (ClassifyFontFile in the
// program; a stand-in in tests).
using FontClassifier = std::function<int(const char* path, char* fontName, ResourceKindInfo* kindInfo)>;

inline constexpr const char* kInvalidFontFileText = "Invalid font file.";
inline constexpr const char* kNotDownloadedText = "Not Downloaded";

struct ResourceRow {
  bool accepted = false;
  ResourceKindInfo kindInfo{};  // kind None for files passed through by extension
  std::string fileName;         // column 0: the name without its folder
  std::string fontName;         // column 1, empty for non-fonts
  std::string typeText;         // column 2
  std::string status;           // column 3
};

// `path` is the file's full path as the file dialog returns it: the file is
// opened by it, whatever the current folder. The extension of a file that
// is not a font is taken from its name alone. A rejected row carries only
// its file name; the caller shows kInvalidFontFileText.
ResourceRow ClassifyResource(const std::string& path, const FontClassifier& classify);

// The message for files that are not accepted, naming them:
// "Invalid font file: NAME" for one, "Invalid font files:" followed by one
// name a line for more.
std::string InvalidFilesText(const std::vector<std::string>& fileNames);

// The last part of `path`, after its last '/'.
std::string FileNameOf(const std::string& path);
