// Numbers of the Resource Manager's resources: dialogs 129, 136, 139 and
// 142, their controls and the strings they show.
#pragma once

namespace resource_manager {

enum Resource : int {
  kDialog = 129,
  kEditPrinterListDialog = 136,
  kConversionOptionsDialog = 139,
  kFormMacroNameDialog = 142,
};

enum Control : int {
  kCloseButton = 1,
  kCancelButton = 2,
  kSelectedPrinters = 1005,
  kEditPrinterListButton = 1007,
  kResourceList = 1009,
  kDownloadButton = 1010,
  kExportButton = 1011,
  kHardDiskRadio = 1013,
  kFlashMemoryRadio = 1014,
  kStopButton = 1015,
  kAddButton = 1016,
  kRemoveButton = 1017,
  kHelpButton = 57670,
  kStatusBar = 32500,
  // Edit Printer List
  kPrinterCheckList = 1037,
  kApplyButton = 1040,
  // Font Conversion Options
  kToType1Radio = 1013,
  kToPclTrueTypeRadio = 1014,
  kBothRadio = 1041,
  kApplyToAllCheck = 1073,
  // Form / Macro Name
  kFormMacroNameEdit = 1074,
};

enum String : int {
  kFontNameHeading = 32809,
  kResourceTypeHeading = 32810,
  kPersistanceHeading = 32812,
  kStatusBarNotCreatedText = 32823,
  kFontCountText = 32830,
  kSelectFontsText = 32850,
  kInvalidFontFileMessage = 32851,
  kStopQuestionText = 32852,
  kCannotCloseText = 32853,
  kPrinterCountText = 32855,
  kReadyText = 32856,
  kFileNameHeading = 32857,
  kOutOfMemoryText = 32858,
  kNoHardDiskQuestion = 32910,
  kNoFlashMemoryQuestion = 32911,
  kJobsWrittenText = 32912,
  kOneJobWrittenText = 32913,
  kLeftOutText = 32914,
  kSendLaterText = 32915,
};

}  // namespace resource_manager
