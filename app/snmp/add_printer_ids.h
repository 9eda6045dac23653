// Numbers of the "Add Printer Options" dialog (140) and its messages.
#pragma once

namespace add_printer {

enum Resource : int { kDialog = 140 };

enum Control : int {
  kAddressControl = 1052,
  kAddPrinterButton = 1082,
  kSubnetAddressControl = 1076,
  kSubnetMaskControl = 1077,
  kGetPrintersButton = 1015,
  kFindAnnouncedButton = 1090,
  kCancelButton = 2,
};

enum String : int {
  kIncompleteAddressText = 32774,
  kNotAPrinterText = 32775,
  kSubnetIncompleteText = 32791,
  kAlreadyListedText = 32792,
  kPrinterAddedText = 32793,
  kNotAMaskText = 32882,
  kSubnetTooLargeText = 32883,
  kSubnetRefusedText = 32884,
  kUnreadableAnswerText = 32890,
  kNoPrinterAnswersText = 32891,  // "%s": the address
  kNoBrowseText = 32972,          // "%s": why no browse could be made
  kAnnouncedListedText = 32973,   // added, of those without SNMP, already listed
  kNotAnAddressText = 33005,      // "%s": the address
  kSecurityRefusedText = 33006,   // "%s": the address, then the library's reason
  kNotAskedText = 33007,          // "%s": the address, then the library's reason
  kSearchCountText = 33008,       // "%d": found, already listed, silent
};

// The widest subnet searched: a /16.
inline constexpr int kShortestMaskPrefix = 16;

}  // namespace add_printer
