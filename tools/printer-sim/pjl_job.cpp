// PJL jobs: the file-system commands that place fonts on a volume, the
// font-list test pages, and page data entered after the PJL header.
#include <algorithm>
#include <cctype>
#include <optional>

#include "job_plan.h"
#include "pjl_syntax.h"
#include "storage_volume.h"

namespace printer_sim {
namespace {

constexpr size_t kMostLineBytes = 4096;

// Commands a printer takes without anything to do here.
constexpr std::string_view kIgnoredCommands[] = {
    "COMMENT", "JOB",   "EOJ",    "SET",     "DEFAULT",    "INFO",  "INQUIRE", "DINQUIRE",
    "ECHO",    "RESET", "INITIALIZE", "RDYMSG", "OPMSG", "STMSG", "USTATUS", "USTATUSOFF",
    "EXECUTE", "ENTER"};

// "0:\pcl\fonts\Name": volume 0 is the hard disk, 1 the flash memory.
bool ParsePrinterPath(const std::string& name, JobStep& step, JobPlan& plan) {
  if (name.size() < 2 || name[1] != ':' || (name[0] != '0' && name[0] != '1')) {
    plan.Refuse("no such volume in \"" + name + "\"");
    return false;
  }
  step.volume = name[0] == '0' ? Volume::kDisk : Volume::kFlash;
  std::string_view rest = std::string_view(name).substr(2);
  if (!rest.empty() && (rest.front() == '\\' || rest.front() == '/')) rest.remove_prefix(1);
  std::optional<std::string> path = NormalizeVolumePath(rest);
  if (!path) {
    plan.Refuse("path outside the volume: \"" + name + "\"");
    return false;
  }
  step.path = *path;
  return true;
}

class PjlReader {
 public:
  PjlReader(std::string_view data, JobPlan& plan) : data_(data), plan_(plan) {}

  void Run() {
    while (position_ < data_.size() && !plan_.refused()) {
      std::string_view rest = data_.substr(position_);
      if (rest.substr(0, kUel.size()) == kUel) {
        position_ += kUel.size();
      } else if (PjlUpper(rest.substr(0, kPjlPrefix.size())) == kPjlPrefix) {
        Command();
      } else {
        PageData();
      }
      // Every step belongs to the job it came in, with that job's password.
      for (; stamped_ < plan_.steps.size(); ++stamped_) plan_.steps[stamped_].jobPassword = jobPassword_;
    }
  }

 private:
  void Command() {
    size_t end = data_.find('\n', position_);
    if (end == std::string_view::npos) end = data_.size();
    if (end - position_ > kMostLineBytes) {
      plan_.Refuse("PJL line too long");
      return;
    }
    std::string_view line = data_.substr(position_, end - position_);
    position_ = std::min(end + 1, data_.size());
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line.remove_prefix(kPjlPrefix.size());
    if (!line.empty() && !IsPjlBlank(line.front())) {
      plan_.Refuse("unknown PJL command \"@PJL" + std::string(line) + "\"");
      return;
    }
    while (!line.empty() && IsPjlBlank(line.front())) line.remove_prefix(1);
    size_t wordEnd = 0;
    while (wordEnd < line.size() && !IsPjlBlank(line[wordEnd])) ++wordEnd;
    std::string word = PjlUpper(line.substr(0, wordEnd));
    std::string_view options = line.substr(wordEnd);
    if (word.empty()) return;
    if (word == "FSMKDIR") return MakeDirectory(options);
    if (word == "FSDOWNLOAD") return Download(options);
    if (word == "FSDELETE") return Delete(options);
    if (word == "SET" || word == "EXECUTE") TestPage(PjlUpper(options));
    if (word == "JOB") jobPassword_ = static_cast<uint32_t>(PjlNumber(PjlOption(options, "PASSWORD")).value_or(0));
    if (word == "EOJ") jobPassword_ = 0;
    if (std::find(std::begin(kIgnoredCommands), std::end(kIgnoredCommands), word) ==
        std::end(kIgnoredCommands)) {
      plan_.Refuse("unknown PJL command \"" + word + "\"");
    }
  }

  void TestPage(const std::string& options) {
    if (options.find("PCLTYPELIST") != std::string::npos) plan_.PrintPage(kPclFontListPage);
    if (options.find("PSTYPEFACELIST") != std::string::npos) plan_.PrintPage(kPostScriptFontListPage);
  }

  bool Target(std::string_view options, JobStep& step) {
    step.pjlFileSystem = true;
    std::optional<std::string> name = PjlOption(options, "NAME");
    if (!name) {
      plan_.Refuse("PJL file command without NAME");
      return false;
    }
    return ParsePrinterPath(*name, step, plan_);
  }

  void MakeDirectory(std::string_view options) {
    JobStep step;
    step.kind = JobStep::kMakeDirectory;
    if (Target(options, step)) plan_.steps.push_back(std::move(step));
  }

  void Delete(std::string_view options) {
    JobStep step;
    step.kind = JobStep::kDeleteFile;
    if (Target(options, step)) plan_.steps.push_back(std::move(step));
  }

  void Download(std::string_view options) {
    JobStep step;
    step.kind = JobStep::kStoreFile;
    if (!Target(options, step)) return;
    step.format = PjlStoredFormat(step.path);
    std::optional<uint64_t> size = PjlNumber(PjlOption(options, "SIZE"));
    if (!size) {
      plan_.Refuse("FSDOWNLOAD without a byte count");
      return;
    }
    if (*size > data_.size() - position_) {
      plan_.Refuse("FSDOWNLOAD byte count past the end of the job");
      return;
    }
    step.bytes.assign(data_.substr(position_, *size));
    position_ += *size;
    plan_.steps.push_back(std::move(step));
  }

  // Printer-language data up to the next Universal Exit Language.
  void PageData() {
    size_t end = data_.find(kUel, position_);
    if (end == std::string_view::npos) end = data_.size();
    std::string_view page = data_.substr(position_, end - position_);
    position_ = end;
    if (std::all_of(page.begin(), page.end(),
                    [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; })) {
      return;
    }
    if (page.substr(0, 2) == "%!") {
      PlanPostScriptJob(page, plan_);
    } else {
      PrintDocument(page, plan_);
    }
  }

  std::string_view data_;
  JobPlan& plan_;
  size_t position_ = 0;
  uint32_t jobPassword_ = 0;
  size_t stamped_ = 0;  // steps before this one carry their job's password
};

}  // namespace

bool IsPjlJob(std::string_view data) {
  return data.substr(0, kUel.size()) == kUel || PjlUpper(data.substr(0, kPjlPrefix.size())) == kPjlPrefix;
}

void PlanPjlJob(std::string_view data, JobPlan& plan) { PjlReader(data, plan).Run(); }

}  // namespace printer_sim
