// Control, dialog and string numbers of the Printer Font List (130) and the
// Delete Fonts dialog (146) in the resource library.
#pragma once

namespace font_list {

inline constexpr int kDialog = 130;
inline constexpr int kPrinterCombo = 1018;
inline constexpr int kViewCombo = 1019;
inline constexpr int kFontTable = 1009;
inline constexpr int kDeleteButton = 1021;
inline constexpr int kAddFontButton = 1022;
inline constexpr int kPrintReportButton = 1023;
inline constexpr int kHelpButton = 57670;
inline constexpr int kStatusBar = 32500;

// Column headings.
inline constexpr int kFontNameHeading = 32809;
inline constexpr int kResourceTypeHeading = 32810;
inline constexpr int kFontIdHeading = 32811;
inline constexpr int kPersistenceHeading = 32812;
inline constexpr int kLocationHeading = 32813;
// Cell texts.
inline constexpr int kRamText = 32816;
inline constexpr int kInRamText = 32817;
inline constexpr int kHardDiskText = 32818;
inline constexpr int kInRomText = 32819;
inline constexpr int kFlashText = 32820;
inline constexpr int kPermanentText = 32821;
inline constexpr int kDownloadedText = 32822;
inline constexpr int kFontCountText = 32830;  // "%d Font(s)"
inline constexpr int kNoAnswerText = 32880;
inline constexpr int kNotReadText = 32906;  // "%s": the library's reason
// Strings of ours: a printer whose font list is read over PJL with its
// file-system access switched off, or behind a PJL password not given.
inline constexpr int kNoFileSystemAccessText = 32831;
inline constexpr int kPjlPasswordWantedText = 32832;
inline constexpr int kPjlPasswordWrongText = 32905;
// A PJL listing or deletion ended by its bounds: its deadline, or its cap
// on requests.
inline constexpr int kPjlDeadlinePassedText = 32903;
inline constexpr int kPjlTooManyRequestsText = 32904;

// Choosing the fonts to delete.
inline constexpr int kDeleteQuestion = 32798;
inline constexpr int kCannotDeletePermanent = 32802;
inline constexpr int kSomeArePermanent = 32803;
inline constexpr int kSelectFontsToDelete = 32881;

}  // namespace font_list

namespace delete_fonts {

inline constexpr int kDialog = 146;
inline constexpr int kFontTable = 1090;
inline constexpr int kPrinterText = 1092;
inline constexpr int kCancelButton = 1024;
inline constexpr int kCloseButton = 1091;

inline constexpr int kFontNameHeading = 32799;
inline constexpr int kFontTypeHeading = 32800;
inline constexpr int kStatusHeading = 32801;

inline constexpr int kStopQuestion = 32804;
inline constexpr int kAllDeleted = 32805;
inline constexpr int kSomeDeleted = 32806;
inline constexpr int kNoneDeleted = 32807;
// "Stopped: %d of %d fonts deleted.": the summary of a run the user stopped.
inline constexpr int kStoppedSummary = 33040;

}  // namespace delete_fonts
