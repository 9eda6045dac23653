#include "fonts/delete_fonts_worker.h"

#include "fonts/font_list_ids.h"
#include "printers/clock.h"

const char* DeleteStatusText(DeleteStatus status) {
  switch (status) {
    case DeleteStatus::NotDeleted: return "Not deleted";
    case DeleteStatus::Deleting: return "Deleting...";
    case DeleteStatus::Deleted: return "Deleted";
    case DeleteStatus::TimedOut: return "Time out.";
    case DeleteStatus::NotReached: return "Not reached";
  }
  return "";
}

int DeleteSummaryText(int deleted, int count) {
  if (deleted <= 0) return delete_fonts::kNoneDeleted;
  if (deleted < count) return delete_fonts::kSomeDeleted;
  return delete_fonts::kAllDeleted;
}

bool StoppedByUser(const DeleteRun& run, int count) {
  return run.runState == kDeleteStopRequested && run.deletedCount < count;
}

namespace {

// Polls until the font is reported gone; false after the last poll.
bool AwaitDeletion(DeleteContext& context, int32_t fontIndex, Clock& clock) {
  clock.SleepMs(kFirstPollDelayMs);
  for (int poll = 1;; ++poll) {
    uint32_t pending = 1;
    if (SnmpDeleteFontPoll(&context, fontIndex, &pending) == 0 && pending == 0) return true;
    if (poll == kMaxPolls) return false;
    clock.SleepMs(kPollIntervalMs);
  }
}

}  // namespace

void DeleteFontsWorker(PrinterRecord& printer, const std::vector<FontEntry>& fonts, DeleteRun& run,
                       Clock& clock, DeleteFontsEvents& events) {
  DeleteContext context{&printer, 0};
  // `last` is the row the run ended on; the rows after it were never reached.
  const auto end = [&](size_t last, bool finished) {
    for (size_t row = last + 1; row < fonts.size(); ++row)
      events.StatusChanged(static_cast<int>(row), DeleteStatus::NotReached);
    if (finished) run.runState = kDeleteFinished;
    SnmpDeleteFontEnd(&context);
    events.RunEnded();
  };
  for (size_t i = 0; i < fonts.size(); ++i) {
    const int row = static_cast<int>(i);
    events.StatusChanged(row, DeleteStatus::Deleting);
    if (const int32_t started = SnmpDeleteFontStart(&context, fonts[i].index); started != 0) {
      run.startRefusal = started;
      return end(i, true);
    }
    if (!AwaitDeletion(context, fonts[i].index, clock)) {
      events.StatusChanged(row, DeleteStatus::TimedOut);
      return end(i, true);
    }
    ++run.deletedCount;
    events.StatusChanged(row, DeleteStatus::Deleted);
    while (run.runState == kDeletePaused) clock.SleepMs(kPausedLookIntervalMs);
    if (run.runState == kDeleteStopRequested) return end(i, false);
  }
  end(fonts.size(), true);
}
