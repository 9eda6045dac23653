// The Delete Fonts dialog's logic: starts the DeleteFontsWorker, shows the
// state of each font, answers Close and Cancel, and shows the summary.
//
// Runs on the user-interface thread; the worker's reports reach it through
// UiThread. The dialog never ends while its worker runs: a close asked for
// in the meantime is carried out once the worker has ended and its summary
// has been shown, and the destructor waits for the worker as a last resort.
#pragma once

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "fonts/delete_fonts_worker.h"

class Clock;
class MessageBoxes;
class UiThread;

class DeleteFontsHost {
 public:
  virtual ~DeleteFontsHost() = default;
  virtual void StateChanged() = 0;
  // Ends the dialog with `result` (IDOK or IDCANCEL).
  virtual void Close(int result) = 0;
};

class DeleteFontsLogic final : private DeleteFontsEvents {
 public:
  // `printer` is not owned and outlives the logic; `fonts` holds at least one.
  DeleteFontsLogic(DeleteFontsHost& host, MessageBoxes& boxes, UiThread& uiThread, Clock& clock,
                   PrinterRecord& printer, std::vector<FontEntry> fonts);
  ~DeleteFontsLogic() override;
  DeleteFontsLogic(const DeleteFontsLogic&) = delete;
  DeleteFontsLogic& operator=(const DeleteFontsLogic&) = delete;

  // Lists the fonts and starts the worker.
  void Initialize();

  // "&Cancel"; Escape comes here too.
  void OnCancel();
  // "C&lose"; Enter and the close box come here too.
  void OnClose();

  const std::string& printerText() const { return printerText_; }
  const std::vector<FontEntry>& fonts() const { return fonts_; }
  const std::vector<DeleteStatus>& statuses() const { return statuses_; }
  int deletedCount() const { return run_.deletedCount; }
  int32_t runState() const { return run_.runState; }
  // True once the worker has ended and its summary has been shown.
  bool runOver() const { return runOver_; }

 private:
  void StatusChanged(int row, DeleteStatus status) override;
  void RunEnded() override;
  void CloseWhenOver(int result);

  DeleteFontsHost& host_;
  MessageBoxes& boxes_;
  UiThread& uiThread_;
  Clock& clock_;
  PrinterRecord& printer_;
  const std::vector<FontEntry> fonts_;
  std::string printerText_;
  std::vector<DeleteStatus> statuses_;

  DeleteRun run_;
  std::thread worker_;
  bool runOver_ = false;
  int pendingClose_ = 0;  // the result of a close asked for while the worker ran
  // Tells a report posted by the worker whether the logic still exists.
  std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);
};
