#include "fonts/print_progress.h"

#include "fonts/format_text.h"
#include "ui/resource_module.h"

using namespace print_progress;

namespace {

// The text of control `id` in the dialog's template; empty without one.
std::string TemplateText(int id) {
  const GlyDialogTemplate* dialog = FindDialogTemplate(kDialog);
  if (!dialog) return {};
  for (size_t i = 0; i < dialog->controlCount; ++i)
    if (dialog->controls[i].id == id && dialog->controls[i].text) return dialog->controls[i].text;
  return {};
}

}  // namespace

PrintProgress::PrintProgress(const std::string& documentName, const std::string& printerName,
                             const std::string& location)
    : pageTemplate_(TemplateText(kPageText)) {
  const GlyDialogTemplate* dialog = FindDialogTemplate(kDialog);
  if (dialog && dialog->title) title_ = FormatText(dialog->title, documentName.c_str());
  printingText_ = FormatText(TemplateText(kPrintingText), documentName.c_str(), printerName.c_str(), location.c_str());
  percentText_ = TemplateText(kPercentText);
}

void PrintProgress::SetRange(int pages) {
  barRange_ = pages;
  barPosition_ = 0;
  Changed();
}

void PrintProgress::StartingPage(int page, int pages) {
  barPosition_ = page;
  percentText_ = FormatText("%d %%", pages > 0 ? 100 * page / pages : 0);
  Changed();
}

void PrintProgress::ShowPageText(int page, int pages, const std::string& timeLeft) {
  pageText_ = FormatText(pageTemplate_, page, pages, timeLeft.c_str());
  Changed();
}

void PrintProgress::Cancel() {
  cancelRequested_ = true;
  Changed();
}

std::string PrintTimeLeftText(unsigned pagesLeft, unsigned averagePageMs, int pages,
                              const std::string& previous) {
  const unsigned seconds = pagesLeft * averagePageMs / 1000u;
  if (seconds > 60) return FormatText("%d minute, %d second", static_cast<int>(seconds / 60), static_cast<int>(seconds % 60));
  if (pages <= 1) return previous;
  return seconds ? FormatText("%d second", static_cast<int>(seconds)) : std::string("??");
}
