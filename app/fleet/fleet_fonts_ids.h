// The Fleet Fonts window's texts in the resource library's string table.
#pragma once

namespace fleet_fonts {

enum Text : int {
  kTitleText = 32940,
  kOpenSetText = 32941,
  kFilterText = 32942,
  kStopText = 32943,
  kDownloadText = 32944,
  kSaveCsvText = 32945,
  kCloseText = 32946,
  kResourceHeading = 32947,
  kFontHeading = 32948,
  kSetFilterText = 32949,
  kCsvFilterText = 32950,
  kSetNotOpenedText = 32951,  // "%s": why
  kCsvNotWrittenText = 32952,  // "%s": the file
};

// The main window's button that opens the window.
inline constexpr int kMainWindowButton = 1045;

}  // namespace fleet_fonts
