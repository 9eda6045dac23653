// print-font-list: the ready-made job that makes a printer print its own
// font list, sent as the main window's Print Font List sends it.
#include "download/lpr.h"
#include "glyctl/command_support.h"
#include "glyctl/exit_codes.h"
#include "printers/app_directory.h"
#include "shell/font_list_job.h"
#include "shell/main_window_logic.h"
#include "ui/resource_module.h"

int RunPrintFontList(CommandRun& run) {
  if (run.line.positional.size() != 1) {
    run.console.Message("print-font-list takes one ADDRESS");
    return kExitUsage;
  }
  const std::string kindText = run.line.Value("kind").value_or("ps");
  if (kindText != "ps" && kindText != "pcl") {
    run.console.Message("--kind is ps or pcl, not " + kindText);
    return kExitUsage;
  }
  const std::optional<std::optional<JobPort>> port = JobPortOf(run);
  if (!port) return kExitUsage;
  ConsolePrinters printers(run.console, run.communities, AskAbilities::kYes);
  int failure = kExitOk;
  const std::vector<PrinterRecord*> found = LookUpPrinters(run, printers, run.line.positional, failure);
  if (found.empty()) return failure;
  const FontListKind kind = kindText == "ps" ? FontListKind::PostScript : FontListKind::Pcl;
  const std::unique_ptr<JobFile> job = OpenShippedJobFile(AppDataFilePath(FontListJobFileName(kind, *found.front())));
  const JobPort jobPort = port->value_or(RunPrinterSettings().Get(found.front()->address).port);
  const int result =
      job ? run.environment.submit(FormatAddress(found.front()->address).c_str(), jobPort, *job, "GLY", 0).code
          : LPR_ERR_JOB_FILE_UNREADABLE;
  if (result == 0) return kExitOk;
  run.console.Message(JobNotSentText(result));
  if (result == JOB_ERR_STOPPED_TAKING_DATA) return kExitStoppedTakingData;
  return result == LPR_ERR_JOB_FILE_UNREADABLE ? kExitSetup : kExitPartly;
}
