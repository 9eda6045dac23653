// Sending an open job file to a printer's line printer daemon (RFC 1179), queue
// "lp": one connection per job, a control file that prints and then deletes
// one data file, and the job file as that data file.
//
// The exchange is paced by fixed waits (250 ms after the job command and
// after each subcommand, 10 ms after each 1024-byte block, 200 ms before the
// connection is shut down) that older printers rely on. Every wait goes
// through the Clock of the settings. The printer's one-byte acknowledgement
// is read after the job command, after each subcommand and after each file;
// a missing or non-zero one fails the job.
//
// Blocking: the call returns when the job is sent or has failed; the
// connection and every acknowledgement are waited for at most the time-outs
// of the settings, so a printer that never answers cannot hold it longer. Each call
// has its own connection and no shared state, so any thread may call it.
#pragma once

#include <cstdint>
#include <string>

#include "download/job_folder.h"
#include "printers/clock.h"

class LprSocket;

// The results of SubmitLprJob besides 0 and the Winsock error number of a
// failed socket step (WSAECONNREFUSED 10061, WSAETIMEDOUT 10060 also for a
// connection or an acknowledgement that does not come in time, ...).
#define LPR_RESULT_MAP(X)                                                              \
  X(LPR_ERR_JOB_FILE_UNREADABLE, -100, "The job file cannot be opened; nothing was sent.") \
  X(LPR_ERR_JOB_FILE_READ, -1, "The job file could not be read while its data was sent.") \
  X(LPR_ERR_QUEUE_REFUSED, -2, "The printer refused a job for queue lp.")               \
  X(LPR_ERR_CONTROL_FILE_REFUSED, -3, "The printer refused the control file.")          \
  X(LPR_ERR_DATA_FILE_REFUSED, -4, "The printer refused the data file.")                \
  X(LPR_ERR_NO_ACK, -5, "The printer closed the connection without acknowledging.")

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
inline constexpr uint32_t kLprAckTimeoutMs = 30000;
inline constexpr uint32_t kLprConnectTimeoutMs = 10000;
inline constexpr char kLprPortEnv[] = "GLY_LPR_PORT";

struct LprSettings {
  Clock* clock = &SystemClock();
  uint16_t port = kLprPort;
  // How long to wait for the connection, and for each acknowledgement byte.
  uint32_t connectTimeoutMs = kLprConnectTimeoutMs;
  uint32_t ackTimeoutMs = kLprAckTimeoutMs;
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
