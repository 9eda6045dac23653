// Sending an open job file to a printer's line printer daemon (RFC 1179), queue
// "lp": one connection per job, a control file that prints and then deletes
// one data file, and the job file as that data file.
//
// By default the exchange is paced by fixed waits (250 ms after the job
// command and after each subcommand, 10 ms after each 1024-byte block,
// 200 ms before the connection is shut down) that older printers rely on;
// without pacing it sends as fast as TCP allows. Every wait goes through the
// Clock of the settings. The printer's one-byte acknowledgement
// is read after the job command, after each subcommand and after each file;
// a missing or non-zero one fails the job.
//
// Blocking: the call returns when the job is sent or has failed; the
// connection is waited for at most its time-out, and every send and every
// acknowledgement at most the no-progress limit of the settings (measured
// on their Clock), so a printer that never answers or stops reading cannot
// hold it longer. Each call
// has its own connection and no shared state, so any thread may call it.
#pragma once

#include <cstdint>
#include <string>

#include "download/job_folder.h"
#include "printers/clock.h"
#include "printers/printer_settings.h"

class LprSocket;

// The results of a job sent to a printer, by any of its job ports, besides
// 0 and the Winsock error number of a failed socket step
// (WSAECONNREFUSED 10061, WSAETIMEDOUT 10060 also for a connection that is
// not made in time, ...). The texts of the last three are strings
// 32900-32902 of the string table too.
#define LPR_RESULT_MAP(X)                                                              \
  X(LPR_ERR_JOB_FILE_UNREADABLE, -100, "The job file cannot be opened; nothing was sent.") \
  X(LPR_ERR_JOB_FILE_READ, -1, "The job file could not be read while its data was sent.") \
  X(LPR_ERR_QUEUE_REFUSED, -2, "The printer refused a job for queue lp.")               \
  X(LPR_ERR_CONTROL_FILE_REFUSED, -3, "The printer refused the control file.")          \
  X(LPR_ERR_DATA_FILE_REFUSED, -4, "The printer refused the data file.")                \
  X(LPR_ERR_NO_ACK, -5, "The printer closed the connection without acknowledging.")         \
  X(JOB_ERR_STOPPED_TAKING_DATA, -6, "The printer stopped taking data.")                  \
  X(JOB_ERR_IPP_REFUSED, -7, "The printer refused the print job.")                        \
  X(JOB_ERR_IPP_ABORTED, -8, "The printer aborted the print job.")                        \
  X(JOB_ERR_IPP_CREDENTIALS, -9, "The printer asks for a user name and password.")          \
  X(JOB_ERR_IPP_UNREADABLE, -10, "The printer's IPP answer could not be read.")            \
  X(JOB_ERR_IPP_JOB_STUCK, -11, "The print job stayed in one state for 5 minutes; it is no longer followed.")

enum LprResult : int {
  LPR_OK = 0,
#define LPR_RESULT_CONSTANT(name, code, message) name = (code),
  LPR_RESULT_MAP(LPR_RESULT_CONSTANT)
#undef LPR_RESULT_CONSTANT
};

// The constant's name ("LPR_ERR_NO_ACK") and message of a result above;
// nullptr for any other value.
const char* LprResultName(int result);
const char* LprResultMessage(int result);

inline constexpr uint16_t kLprPort = 515;
// How long a job may go without progress (a byte taken by the socket, a
// reply of the printer) before it fails with JOB_ERR_STOPPED_TAKING_DATA.
inline constexpr uint32_t kNoProgressLimitMs = 30000;
inline constexpr uint32_t kLprConnectTimeoutMs = 10000;
inline constexpr char kLprPortEnv[] = "GLY_LPR_PORT";

struct LprSettings {
  Clock* clock = &SystemClock();
  uint16_t port = kLprPort;
  // How long to wait for the connection; how long a send or an
  // acknowledgement may wait without progress, on the clock.
  uint32_t connectTimeoutMs = kLprConnectTimeoutMs;
  uint32_t noProgressMs = kNoProgressLimitMs;
  LprPacing pacing = LprPacing::Classic;
};

// The system clock, the default time-out and port 515, or the port that
// GLY_LPR_PORT names (a decimal number from 1 to 65535; anything else is
// ignored).
LprSettings DefaultLprSettings();

// Sends the open `jobFile` (a regular file, read from its start through its
// descriptor, never reopened by its path) to the printer at
// `printerAddress` (dotted decimal) as job `jobNumber` of host and user
// `hostName` (the program passes "GLY"); its path only names it to the
// printer (LprSourceName). Returns 0, an LprResult, or the Winsock error
// number of the step that failed. The socket is closed when it returns;
// what was sent stays sent.
int SubmitLprJob(const char* printerAddress, const JobFile& jobFile, const char* hostName, int jobNumber,
                 const LprSettings& settings = DefaultLprSettings());
// The same exchange over a socket supplied by the caller, which must not be
// connected yet.
int SubmitLprJobOn(LprSocket& socket, const char* printerAddress, const JobFile& jobFile, const char* hostName,
                   int jobNumber, const LprSettings& settings);

// Three digits of n mod 1000, zero-padded: 7 gives "007", 1234 "234".
std::string MakeJobNumber(int n);

// The part of the job file path from its last separator on, shown with a
// backslash as the printer has always seen it ("\tmpPrintFile.tmp"); the
// whole path when it has no separator; at most 31 characters.
std::string LprSourceName(const char* jobFilePath);
