// The font deletion worker: deletes a printer's fonts one after another
// through the SNMP library, polling each until it is gone or timed out,
// and honouring pause and stop requests between fonts.
//
// It shares a DeleteRun with its dialog; both sides read and write the
// state word, and only the worker writes the counter.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "snmp/contract/glysnmp.h"

class Clock;

enum DeleteRunState : int32_t {
  kDeleteRunning = 0,
  kDeletePaused = 1,  // the stop question is on screen
  kDeleteStopRequested = 2,
  kDeleteFinished = 3,
};

struct DeleteRun {
  std::atomic<int32_t> runState{kDeleteRunning};
  std::atomic<int32_t> deletedCount{0};
  // What SnmpDeleteFontStart answered when it refused a font, else 0.
  std::atomic<int32_t> startRefusal{0};
};

// A font that a run ended before reaching is NotReached, whatever ended it.
enum class DeleteStatus { NotDeleted, Deleting, Deleted, TimedOut, NotReached };
const char* DeleteStatusText(DeleteStatus status);

// The waits of a run, in milliseconds.
inline constexpr uint32_t kFirstPollDelayMs = 1000;
inline constexpr uint32_t kPollIntervalMs = 150;
inline constexpr int kMaxPolls = 600;
inline constexpr uint32_t kPausedLookIntervalMs = 200;

// What the worker reports, on its own thread.
class DeleteFontsEvents {
 public:
  virtual ~DeleteFontsEvents() = default;
  virtual void StatusChanged(int row, DeleteStatus status) = 0;
  // The run is over and the library's run ended; the last report.
  virtual void RunEnded() = 0;
};

void DeleteFontsWorker(PrinterRecord& printer, const std::vector<FontEntry>& fonts, DeleteRun& run,
                       Clock& clock, DeleteFontsEvents& events);

// The summary's string number for `deleted` of `count` fonts.
int DeleteSummaryText(int deleted, int count);
// True when the user stopped `run` before it came to the last of its
// `count` fonts: its summary is then kStoppedSummary, not the printer's.
bool StoppedByUser(const DeleteRun& run, int count);
