// PostScript jobs: the font-list program, and font and form downloads
// through a `download_font` or `download_form` procedure that copies the
// job's own lines into a file on the disk ("%disk0%") or flash
// ("%cartridge0%") device up to an end marker: a font into the device's
// "fonts/" folder, a form into its "Resource/Form/" folder.
#include <optional>

#include "job_plan.h"
#include "storage_volume.h"

namespace printer_sim {
namespace {

constexpr std::string_view kFontListTitle = "%%Title: Printer font list";
// A procedure that stores what follows its call, and where.
struct StoreProcedure {
  std::string_view definition;
  std::string_view call;
  std::string_view deviceFolder;  // the procedure's FOLDER, after the device
  std::string_view volumeFolder;  // the same folder on the volume
  FontFormat format;
};
constexpr StoreProcedure kStoreProcedures[] = {
    {"/download_font", ")download_font", "fonts/", "fonts", FontFormat::kPostScript},
    {"/download_form", ")download_form", "Resource/Form/", kPostScriptFormFolder, FontFormat::kPostScriptForm},
};
// The procedure names the device by its unit 0 and the folder apart.
constexpr std::string_view kUnitDefinition = "/UNIT (";
constexpr std::string_view kFolderDefinition = "/FOLDER (";
constexpr std::string_view kMarker = "_FontDownload_";
constexpr std::string_view kEndMarker = "_FontDownload_EOF_";
// The procedure reads lines into a 6000-byte string.
constexpr size_t kLineBuffer = 6000;

bool HasStoreCall(std::string_view data) {
  for (const StoreProcedure& procedure : kStoreProcedures)
    if (data.find(procedure.call) != std::string_view::npos) return true;
  return false;
}

// The string of the last definition of `name` before `limit`.
std::optional<std::string_view> DefinitionBefore(std::string_view data, size_t limit, std::string_view name) {
  size_t at = data.rfind(name, limit);
  if (at == std::string_view::npos) return std::nullopt;
  size_t start = at + name.size();
  size_t close = data.find(')', start);
  if (close == std::string_view::npos || close > limit) return std::nullopt;
  return data.substr(start, close - start);
}

// The volume of the procedure's device, given that it stores into the
// procedure's own folder.
std::optional<Volume> DeviceBefore(std::string_view data, size_t limit, const StoreProcedure& procedure,
                                   JobPlan& plan) {
  std::optional<std::string_view> unit = DefinitionBefore(data, limit, kUnitDefinition);
  std::optional<std::string_view> folder = DefinitionBefore(data, limit, kFolderDefinition);
  if (!unit || !folder) {
    plan.Refuse("download_font without a device");
    return std::nullopt;
  }
  if (*folder != procedure.deviceFolder) {
    plan.Refuse("download_font to an unknown folder \"" + std::string(*folder) + "\"");
    return std::nullopt;
  }
  if (*unit == "%disk0%") return Volume::kDisk;
  if (*unit == "%cartridge0%") return Volume::kFlash;
  plan.Refuse("download_font to an unknown device \"" + std::string(*unit) + "\"");
  return std::nullopt;
}

class DownloadReader {
 public:
  DownloadReader(std::string_view data, JobPlan& plan) : data_(data), plan_(plan) {}

  void Run() {
    while (!plan_.refused()) {
      // The next call of either procedure.
      const StoreProcedure* procedure = nullptr;
      size_t call = std::string_view::npos;
      for (const StoreProcedure& candidate : kStoreProcedures) {
        const size_t at = data_.find(candidate.call, position_);
        if (at < call) {
          call = at;
          procedure = &candidate;
        }
      }
      if (procedure == nullptr) return;
      const size_t definition = data_.find(procedure->definition);
      if (definition == std::string_view::npos || definition > call) {
        plan_.Refuse(std::string(procedure->definition.substr(1)) + " is not defined");
        return;
      }
      Download(call, *procedure);
    }
  }

 private:
  void Download(size_t call, const StoreProcedure& procedure) {
    size_t lineStart = data_.rfind('\n', call);
    lineStart = lineStart == std::string_view::npos ? 0 : lineStart + 1;
    size_t open = data_.rfind('(', call);
    size_t lineEnd = data_.find('\n', call);
    if (open == std::string_view::npos || open < lineStart || lineEnd == std::string_view::npos) {
      plan_.Refuse("download_font call without a font name");
      return;
    }
    std::string_view name = data_.substr(open + 1, call - open - 1);
    std::optional<Volume> volume = DeviceBefore(data_, call, procedure, plan_);
    if (!volume) return;
    std::optional<std::string> file = NormalizeVolumePath(name);
    if (name.empty() || !file || file->find('/') != std::string::npos) {
      plan_.Refuse("download_font with an unusable font name \"" + std::string(name) + "\"");
      return;
    }
    position_ = lineEnd + 1;
    // A PostScript device makes the folders a file's name needs.
    JobStep folder;
    folder.kind = JobStep::kMakeDirectory;
    folder.volume = *volume;
    folder.path = std::string(procedure.volumeFolder);
    JobStep step;
    step.kind = JobStep::kStoreFile;
    step.volume = *volume;
    step.path = folder.path + "/" + *file;
    step.format = procedure.format;
    if (!CopyLines(step.bytes)) return;
    plan_.steps.push_back(std::move(folder));
    plan_.steps.push_back(std::move(step));
  }

  // The procedure's loop: each line without one trailing CR, followed by
  // LF; marker lines are skipped; the end marker ends the file.
  bool CopyLines(std::string& out) {
    while (position_ < data_.size()) {
      size_t end = data_.find('\n', position_);
      if (end == std::string_view::npos) break;  // readline fails at the end of the job
      std::string_view line = data_.substr(position_, end - position_);
      position_ = end + 1;
      if (line.size() > kLineBuffer) {
        plan_.Refuse("download_font line longer than the printer's buffer");
        return false;
      }
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (line.substr(0, kEndMarker.size()) == kEndMarker) return true;
      if (line.substr(0, kMarker.size()) == kMarker) continue;
      out.append(line);
      out.push_back('\n');
    }
    plan_.Refuse("download_font data without its end marker");
    return false;
  }

  std::string_view data_;
  JobPlan& plan_;
  size_t position_ = 0;
};

}  // namespace

bool IsPostScriptPrintJob(std::string_view data) {
  return data.substr(0, 1024).find(kFontListTitle) != std::string_view::npos ||
         HasStoreCall(data) || data.find("showpage") != std::string_view::npos;
}

void PlanPostScriptJob(std::string_view data, JobPlan& plan) {
  std::string_view head = data.substr(0, 1024);
  if (head.find(kFontListTitle) != std::string_view::npos) {
    plan.PrintPage(kPostScriptFontListPage);
  } else if (HasStoreCall(data)) {
    DownloadReader(data, plan).Run();
  } else {
    PrintDocument(data, plan);
  }
}

}  // namespace printer_sim
