// What one font of a printer looks like in a list: the cell texts of its
// row and the nine views that narrow a font list.
#pragma once

#include <array>
#include <string>

#include "snmp/contract/glysnmp.h"

// The views of the "View by Font Types" box, by position.
enum FontViewFilter : int {
  kAllFonts = 0,
  kAllPermanent,
  kAllDownloaded,
  kAllPostScript,
  kAllPcl,
  kPostScriptPermanent,
  kPclPermanent,
  kPostScriptDownloaded,
  kPclDownloaded,
  kFontViewCount
};

// The choices' texts, in box order.
extern const char* const kFontViewTexts[kFontViewCount];

// Views are exclusions: each hides a font type, a persistence or both, and
// shows everything else, so codes outside the known ones pass every view
// that does not name them.
bool ViewHides(int view, const FontEntry& entry);

// "Postscript", "PCL" or empty.
std::string FontTypeText(const FontEntry& entry);

// Name, resource type, ID, persistence, location.
inline constexpr int kFontColumnCount = 5;
using FontCells = std::array<std::string, kFontColumnCount>;
FontCells FontRowCells(const FontEntry& entry);

// The columns' on-screen widths in pixels and their headings' string numbers.
extern const int kFontColumnWidths[kFontColumnCount];
extern const int kFontColumnHeadings[kFontColumnCount];


// The name of an entry, which need not end inside its field.
std::string FontName(const FontEntry& entry);
