// What a print job asks of the printer, worked out before anything is
// changed: a job is applied whole or refused whole, so a malformed job
// leaves the printer as it was.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "printer_sim.h"

namespace printer_sim {

// How the printer reads a stored file: a font of either language, a PCL
// macro (its file name is its macro ID), a PostScript form (its file name
// is its resource name), or not at all.
enum class FontFormat { kNone, kPcl, kPostScript, kPclMacro, kPostScriptForm };

// The folders whose files the printer reads as macros and as forms.
inline constexpr char kPclMacroFolder[] = "pcl/macros";
inline constexpr char kPostScriptFormFolder[] = "Resource/Form";

// How a file stored by a PJL download at `path` (normalized) is read: in
// the PCL macros folder as a macro, elsewhere as a PCL font.
FontFormat PjlStoredFormat(const std::string& path);

struct JobStep {
  enum Kind { kMakeDirectory, kStoreFile, kDeleteFile, kPrintPage } kind = kPrintPage;
  Volume volume = Volume::kDisk;
  std::string path;          // normalized (see NormalizeVolumePath)
  std::string bytes;         // kStoreFile
  FontFormat format = FontFormat::kNone;  // how the printer reads a stored file
  std::string page;          // kPrintPage: what was printed
  bool pjlFileSystem = false;  // from a PJL file-system command
  uint32_t jobPassword = 0;    // given by the PJL job it came in (0: none)
};

struct JobPlan {
  std::vector<JobStep> steps;
  std::string refusal;  // why the job is refused; empty when it is not

  bool refused() const { return !refusal.empty(); }
  void Refuse(std::string reason) {
    if (refusal.empty()) refusal = std::move(reason);
  }
  void PrintPage(std::string page) {
    JobStep step;
    step.page = std::move(page);
    steps.push_back(std::move(step));
  }
};

inline constexpr char kPostScriptFontListPage[] = "PostScript font list";
inline constexpr char kPclFontListPage[] = "PCL font list";
inline constexpr char kDocumentPage[] = "document";

// Prints the pages of printer-language data: one per form feed of PCL
// (the bytes of binary data that escape sequences announce are skipped),
// one per "showpage" of PostScript, and a last page that holds marks but
// was not ejected; one at least.
void PrintDocument(std::string_view data, JobPlan& plan);

// The plan for one data file received over LPD.
JobPlan PlanJob(std::string_view data);
// The planners of the two job languages; PlanJob picks one.
bool IsPjlJob(std::string_view data);
void PlanPjlJob(std::string_view data, JobPlan& plan);
void PlanPostScriptJob(std::string_view data, JobPlan& plan);
// Whether a PostScript job prints or downloads fonts (as opposed to a job
// that only asks the printer something).
bool IsPostScriptPrintJob(std::string_view data);

}  // namespace printer_sim
