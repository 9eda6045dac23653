// The print progress dialog's logic (dialog 135): what the dialog shows
// while a job prints, and its Cancel.
//
// Everything runs on the user-interface thread, the one running the job.
#pragma once

#include <functional>
#include <string>

namespace print_progress {

inline constexpr int kDialog = 135;
inline constexpr int kAnimation = 1036;  // plays animation 135
inline constexpr int kPageText = 1032;
inline constexpr int kPrintingText = 1033;
inline constexpr int kPercentText = 1034;
inline constexpr int kProgressBar = 1035;
inline constexpr int kCancelButton = 2;

// Texts of print jobs.
inline constexpr int kOnPortText = 32870;        // where the output goes: a printer's port
inline constexpr int kToFileText = 32871;        // where the output goes: a file
inline constexpr int kJobNotStarted = 32872;     // the printer refused the document
inline constexpr int kReportDoesNotFit = 32873;  // not one row of a report fits on a page
inline constexpr int kPrintFileCaption = 32874;  // the print file prompt
inline constexpr int kPrintFileFilter = 32875;
inline constexpr int kPrintFileName = 32876;

}  // namespace print_progress

class PrintProgress {
 public:
  // Texts are formatted from the dialog template's own texts: the title
  // with the document name, text 1033 with the document name, the printer
  // and where the output goes. A new dialog starts with no Cancel pressed.
  PrintProgress(const std::string& documentName, const std::string& printerName,
                const std::string& location);

  // Called after every change, so the window can show it at once.
  void SetChanged(std::function<void()> changed) { changed_ = std::move(changed); }

  // The page loop's reports.
  void SetRange(int pages);
  // Page `page` of `pages` is starting: the bar and the percentage of the
  // pages started.
  void StartingPage(int page, int pages);
  // The page text, with the time left before the end.
  void ShowPageText(int page, int pages, const std::string& timeLeft);

  // The Cancel button: the job ends after the page in progress.
  void Cancel();
  bool cancelRequested() const { return cancelRequested_; }

  const std::string& title() const { return title_; }
  const std::string& printingText() const { return printingText_; }
  const std::string& pageText() const { return pageText_; }
  const std::string& percentText() const { return percentText_; }
  int barRange() const { return barRange_; }
  int barPosition() const { return barPosition_; }

 private:
  void Changed() {
    if (changed_) changed_();
  }

  std::function<void()> changed_;
  std::string pageTemplate_;
  std::string title_;
  std::string printingText_;
  std::string pageText_;
  std::string percentText_;
  int barRange_ = 0;
  int barPosition_ = 0;
  bool cancelRequested_ = false;
};

// The time left before the end, as the page text shows it: `pagesLeft`
// pages (the one starting included) at `averagePageMs` each. Empty
// `previous` stays as it was for a job of one page.
std::string PrintTimeLeftText(unsigned pagesLeft, unsigned averagePageMs, int pages,
                              const std::string& previous);
