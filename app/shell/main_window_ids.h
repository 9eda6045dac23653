// Numbers of the main window's resources: dialog 102, its controls, the
// commands of its menus and the strings it shows.
#pragma once

namespace main_window {

enum Resource : int {
  kDialog = 102,
  kAboutDialog = 100,
  kIcon = 128,
  kPrintFontListMenu = 132,
  kPrinterMenu = 133,
};

enum Control : int {
  kPrinterList = 1000,
  kFontListButton = 1002,
  kPrintFontListButton = 1003,
  kManageResourcesButton = 1004,
  kAddPrinterButton = 1024,
  kHardDiskLabel = 1026,
  kFlashLabel = 1027,
  kPrinterPicture = 1029,
  kBidirectionalLabel = 1028,
  kAddressLabel = 1030,
  kAboutButton = 1031,
  kCloseButton = 2,
  kHelpButton = 57670,
  kStatusBar = 32500,
};

enum Command : int {
  kPclFontList = 32771,
  kPsFontList = 32772,
  kChangeCommunityString = 32775,
  kSavePrinterList = 32776,
  kOpenPrinterList = 32777,
  kJobPort = 32778,
};

enum String : int {
  kSelectPrinterText = 32794,
  kAddressLabelText = 32815,
  kFontListSentText = 32885,
  kCannotWriteText = 32842,
  kPrinterListSavedText = 32887,
  kPrinterListOpenedText = 32888,
  kPrinterListFilterText = 32889,
};

}  // namespace main_window
