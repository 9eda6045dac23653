// The exit statuses of glyctl, the same for every command. The manual page
// and `glyctl --help` list them; scripts test them.
#pragma once

enum GlyctlExit : int {
  kExitOk = 0,
  // The command ran, but not all of it succeeded: a font not deleted, a
  // resource not sent, a job the printer refused.
  kExitPartly = 1,
  kExitUsage = 2,           // unknown command or option, missing argument
  kExitNoPrinter = 3,       // no printer answers at an address
  kExitBadInput = 4,        // a file that is not a resource, a font the printer lacks
  kExitCommunityFile = 5,   // community file unreadable, malformed or readable by others
  kExitTimedOut = 6,        // a deletion that the printer never finished
  kExitCannotWrite = 7,     // an output file that cannot be written
  kExitSetup = 8,           // the installation is incomplete (resource library, data)
  kExitNoFileSystem = 9,    // the printer keeps its file system closed (switched off, PJL password)
  kExitNoFonts = 10,        // the printer answers but lists no fonts
  kExitListCut = 11,        // the font list reached the most rows read: it may lack fonts
  // A download sent everything, but a printer could not be asked whether it
  // holds what it was sent.
  kExitNotConfirmed = 12,
  kExitRefused = 13,    // a printer took a job, yet does not hold what it stores
  kExitNoStorage = 14,  // a printer lacks the storage asked for: nothing was sent to it
  kExitStoppedTakingData = 15,  // a printer took no data for 30 s; its job was given up
  kExitNeedsCredentials = 16,   // an IPP printer asks for a user name and password
  kExitJobStuck = 17,           // an IPP job stayed in one state for 5 minutes
};
