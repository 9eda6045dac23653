// PJL jobs: the file-system commands that place fonts on a volume, the
// font-list test pages, and page data entered after the PJL header.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>

#include "job_plan.h"
#include "storage_volume.h"

namespace printer_sim {
namespace {

constexpr std::string_view kUel = "\x1b%-12345X";
constexpr std::string_view kPjlPrefix = "@PJL";
constexpr size_t kMostLineBytes = 4096;

// Commands a printer takes without anything to do here.
constexpr std::string_view kIgnoredCommands[] = {
    "COMMENT", "JOB",   "EOJ",    "SET",     "DEFAULT",    "INFO",  "INQUIRE", "DINQUIRE",
    "ECHO",    "RESET", "INITIALIZE", "RDYMSG", "OPMSG", "STMSG", "USTATUS", "USTATUSOFF",
    "EXECUTE", "ENTER"};

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The value of `KEY=value` or `KEY = "value"` among a command's options;
// quoted values keep their blanks.
std::optional<std::string> Option(std::string_view options, std::string_view key) {
  std::string upper = Upper(options);
  for (size_t at = upper.find(key); at != std::string::npos; at = upper.find(key, at + 1)) {
    bool startsWord = at == 0 || IsBlank(upper[at - 1]);
    size_t pos = at + key.size();
    while (pos < options.size() && IsBlank(options[pos])) ++pos;
    if (!startsWord || pos >= options.size() || options[pos] != '=') continue;
    ++pos;
    while (pos < options.size() && IsBlank(options[pos])) ++pos;
    if (pos < options.size() && options[pos] == '"') {
      size_t close = options.find('"', pos + 1);
      if (close == std::string_view::npos) return std::nullopt;
      return std::string(options.substr(pos + 1, close - pos - 1));
    }
    size_t end = pos;
    while (end < options.size() && !IsBlank(options[end])) ++end;
    return std::string(options.substr(pos, end - pos));
  }
  return std::nullopt;
}

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
      } else if (Upper(rest.substr(0, kPjlPrefix.size())) == kPjlPrefix) {
        Command();
      } else {
        PageData();
      }
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
    if (!line.empty() && !IsBlank(line.front())) {
      plan_.Refuse("unknown PJL command \"@PJL" + std::string(line) + "\"");
      return;
    }
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    size_t wordEnd = 0;
    while (wordEnd < line.size() && !IsBlank(line[wordEnd])) ++wordEnd;
    std::string word = Upper(line.substr(0, wordEnd));
    std::string_view options = line.substr(wordEnd);
    if (word.empty()) return;
    if (word == "FSMKDIR") return MakeDirectory(options);
    if (word == "FSDOWNLOAD") return Download(options);
    if (word == "FSDELETE") return Delete(options);
    if (word == "SET" || word == "EXECUTE") TestPage(Upper(options));
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
    std::optional<std::string> name = Option(options, "NAME");
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
    step.format = FontFormat::kPcl;
    if (!Target(options, step)) return;
    std::optional<std::string> sizeText = Option(options, "SIZE");
    uint64_t size = 0;
    if (!sizeText || sizeText->empty() ||
        std::from_chars(sizeText->data(), sizeText->data() + sizeText->size(), size).ptr !=
            sizeText->data() + sizeText->size()) {
      plan_.Refuse("FSDOWNLOAD without a byte count");
      return;
    }
    if (size > data_.size() - position_) {
      plan_.Refuse("FSDOWNLOAD byte count past the end of the job");
      return;
    }
    step.bytes.assign(data_.substr(position_, size));
    position_ += size;
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
      plan_.PrintPage(kDocumentPage);
    }
  }

  std::string_view data_;
  JobPlan& plan_;
  size_t position_ = 0;
};

}  // namespace

bool IsPjlJob(std::string_view data) {
  return data.substr(0, kUel.size()) == kUel || Upper(data.substr(0, kPjlPrefix.size())) == kPjlPrefix;
}

void PlanPjlJob(std::string_view data, JobPlan& plan) { PjlReader(data, plan).Run(); }

}  // namespace printer_sim
