#include "job_plan.h"

namespace printer_sim {

JobPlan PlanJob(std::string_view data) {
  JobPlan plan;
  if (IsPjlJob(data)) {
    PlanPjlJob(data, plan);
  } else if (data.substr(0, 2) == "%!") {
    PlanPostScriptJob(data, plan);
  } else if (!data.empty()) {
    plan.PrintPage(kDocumentPage);
  }
  return plan;
}

}  // namespace printer_sim
