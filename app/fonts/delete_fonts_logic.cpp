#include "fonts/delete_fonts_logic.h"

#include "fonts/font_list_ids.h"
#include "fonts/font_list_logic.h"
#include "fonts/format_text.h"
#include "printers/printer_name.h"
#include "ui/message_boxes.h"
#include "ui/resource_module.h"
#include "ui/ui_thread.h"

using namespace delete_fonts;

DeleteFontsLogic::DeleteFontsLogic(DeleteFontsHost& host, MessageBoxes& boxes, UiThread& uiThread,
                                   Clock& clock, PrinterRecord& printer, std::vector<FontEntry> fonts)
    : host_(host), boxes_(boxes), uiThread_(uiThread), clock_(clock), printer_(printer),
      fonts_(std::move(fonts)) {}

DeleteFontsLogic::~DeleteFontsLogic() {
  if (!worker_.joinable()) return;
  // Only reached when the dialog is torn down without its Close rules:
  // stop at the next font and wait for the one in progress.
  int32_t state = run_.runState;
  while ((state == kDeleteRunning || state == kDeletePaused) &&
         !run_.runState.compare_exchange_weak(state, kDeleteStopRequested)) {
  }
  worker_.join();
}

void DeleteFontsLogic::Initialize() {
  printerText_ = PrinterDisplayName(printer_);
  statuses_.assign(fonts_.size(), DeleteStatus::NotDeleted);
  run_.runState = kDeleteRunning;
  run_.deletedCount = 0;
  run_.startRefusal = 0;
  worker_ = std::thread([this] { DeleteFontsWorker(printer_, fonts_, run_, clock_, *this); });
}

void DeleteFontsLogic::StatusChanged(int row, DeleteStatus status) {
  uiThread_.Post([this, alive = std::weak_ptr<const bool>(alive_), row, status] {
    if (alive.expired()) return;
    statuses_[row] = status;
    host_.StateChanged();
  });
}

void DeleteFontsLogic::RunEnded() {
  uiThread_.Post([this, alive = std::weak_ptr<const bool>(alive_)] {
    if (alive.expired()) return;
    if (worker_.joinable()) worker_.join();
    // A PJL deletion cut short by its deadline or request cap says so before the count.
    if (const int bound = PjlBoundText(run_.startRefusal); bound != 0) boxes_.Show(bound, MB_OK);
    const int count = static_cast<int>(fonts_.size());
    // A stop the user asked for is told as such: the printer refused nothing.
    if (StoppedByUser(run_, count))
      boxes_.ShowMessage(FormatText(LoadResourceString(kStoppedSummary), run_.deletedCount.load(), count), MB_OK);
    else
      boxes_.Show(DeleteSummaryText(run_.deletedCount, count), MB_OK);
    runOver_ = true;
    host_.StateChanged();
    if (pendingClose_ != 0) host_.Close(pendingClose_);
  });
}

void DeleteFontsLogic::CloseWhenOver(int result) {
  if (runOver_)
    host_.Close(result);
  else
    pendingClose_ = result;
}

void DeleteFontsLogic::OnCancel() {
  int32_t state = kDeleteRunning;
  if (run_.runState.compare_exchange_strong(state, kDeleteStopRequested)) return;
  if (state == kDeleteFinished) CloseWhenOver(IDCANCEL);
}

void DeleteFontsLogic::OnClose() {
  int32_t state = kDeleteRunning;
  if (!run_.runState.compare_exchange_strong(state, kDeletePaused)) {
    if (state == kDeleteFinished || state == kDeleteStopRequested) CloseWhenOver(IDOK);
    return;
  }
  const bool stop = boxes_.Show(kStopQuestion, MB_YESNO) == IDYES;
  state = kDeletePaused;
  run_.runState.compare_exchange_strong(state, stop ? kDeleteStopRequested : kDeleteRunning);
}
