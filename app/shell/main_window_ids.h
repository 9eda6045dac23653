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
  kMenuBar = 150,
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
  kRemovePrinterButton = 1032,
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
  // Menu bar entries without a button of their own.
  kFindOnSubnet = 33031,
  kFindAnnouncedPrinters = 33032,
  kFleetFonts = 33033,
};

enum String : int {
  kSelectPrinterText = 32794,
  kAddressLabelText = 32815,
  kFontListSentText = 32885,
  kCannotWriteText = 32842,
  kPrinterListSavedText = 32887,
  kPrinterListFilterText = 32889,
  kQuitQuestionText = 33000,     // "%d": the printers listed
  kQuitOneQuestionText = 33001,
  kRemovedText = 33002,          // "%s": the removed printers' addresses
  kFontListFailedText = 33012,   // "%s": why the job was not sent
  kAskingListedPrintersText = 33110,  // "%d": the addresses, "%s": the file
  kLookingForAnnouncedText = 33111,
  kStoppedAskingText = 33112,
  kSendingToHighlightedText = 33113,  // "%s": the printer
};

}  // namespace main_window
