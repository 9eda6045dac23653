#include "job_plan.h"

namespace printer_sim {

JobPlan PlanJob(std::string_view data) {
  JobPlan plan;
  if (IsPjlJob(data)) {
    PlanPjlJob(data, plan);
  } else if (data.substr(0, 2) == "%!") {
    // A universal exit ends the PostScript job and hands the rest of the
    // file back to PJL, as a printer's I/O does: one file can hold both.
    const size_t exit = data.find("\x1b%-12345X");
    PlanPostScriptJob(data.substr(0, exit), plan);
    if (exit != std::string_view::npos && !plan.refused()) PlanPjlJob(data.substr(exit), plan);
  } else if (!data.empty()) {
    plan.PrintPage(kDocumentPage);
  }
  return plan;
}

}  // namespace printer_sim
