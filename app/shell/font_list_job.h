// The ready-made jobs that make a printer print its own font list: data
// files that come with the program, sent to the printer's LPR queue as they
// are.
#pragma once

#include <string>

#include "snmp/contract/snmp_records.h"

enum class FontListKind { PostScript, Pcl };

// "FontList.ps" for PostScript; for PCL "FontList1.pcl" when the printer's
// model asks for it (pclList 1), else "FontList.pcl". A name in the data
// folder (AppDataFilePath).
const char* FontListJobFileName(FontListKind kind, const PrinterRecord& printer);

// Shown when a Print Font List job could not be sent.
inline constexpr int kSocketFailureText = 32824;
// "Sending the font list job to %s ...": the status while the jobs are on
// their way, naming the checked printers Print Font List works on.
inline constexpr int kSendingFontListText = 33044;

// Why a job was not sent, for a result of SubmitLprJob other than 0: the
// string table's socket failure text and, in parentheses, what went wrong.
std::string JobNotSentText(int result);
