#include "printer.h"

#include <algorithm>

#include "font_header.h"

namespace printer_sim {
namespace {

constexpr size_t kMostLogLines = 1000;
constexpr size_t kMostPages = 1000;

constexpr const char* kPostScriptNames[] = {
    "Courier",        "Courier-Bold",          "Courier-Oblique", "Courier-BoldOblique",
    "Helvetica",      "Helvetica-Bold",        "Helvetica-Oblique", "Helvetica-BoldOblique",
    "Times-Roman",    "Times-Bold",            "Times-Italic",    "Times-BoldItalic",
    "Symbol",         "ZapfDingbats",          "Palatino-Roman",  "Bookman-Light"};
constexpr const char* kPclNames[] = {
    "Courier",      "CG Times",     "CG Times Bold", "CG Times Italic", "Univers",
    "Univers Bold", "Arial",        "Arial Bold",    "Times New",       "Letter Gothic",
    "Line Printer", "Symbol",       "Wingdings",     "Albertus",        "Antique Olive"};

template <size_t N>
std::string InternalName(const char* const (&names)[N], int i, const char* fallback) {
  if (static_cast<size_t>(i) < N) return names[i];
  return std::string(fallback) + std::to_string(i + 1);
}

const char* VolumeName(Volume volume) { return volume == Volume::kDisk ? "disk" : "flash"; }

}  // namespace

Printer::Printer(const PrinterConfig& config, LogSink sink)
    : config_(config), sink_(std::move(sink)) {
  // A printer's disk comes with a fonts folder for PostScript; its flash
  // memory also with the PCL fonts folder, which no job creates there.
  if (config_.storage == Storage::kDisk || config_.storage == Storage::kBoth) {
    disk_.emplace(config_.diskBytes);
    disk_->MakeDirectories("fonts");
    if (config_.diskFull) disk_->FillUp();
  }
  if (config_.storage == Storage::kFlash || config_.storage == Storage::kBoth) {
    flash_.emplace(config_.flashBytes);
    if (config_.flashFolders) {
      flash_->MakeDirectories("fonts");
      flash_->MakeDirectories("pcl/fonts");
    }
  }
  AddInternalFonts();
}

uint32_t Printer::UpTimeTicks() const {
  auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_);
  return static_cast<uint32_t>(elapsed.count() / 10);
}

void Printer::AddInternalFonts() {
  for (int i = 0; i < config_.postScriptFonts; ++i) {
    FontRecord record;
    record.font = {nextIndex_++, InternalName(kPostScriptNames, i, "Font-"), kNoPclFontId,
                   kLocationRom,  kTypePostScript, kPermanent, false};
    records_.push_back(std::move(record));
  }
  for (int i = 0; i < config_.pclFonts; ++i) {
    FontRecord record;
    record.font = {nextIndex_++, InternalName(kPclNames, i, "PCL Font "), nextPclId_++,
                   kLocationRom,  kTypePcl, kPermanent, false};
    records_.push_back(std::move(record));
  }
}

void Printer::Change(std::string& field, std::string value) {
  field = std::move(value);
  ++generation_;
}

void Printer::Log(const std::string& line) {
  if (log_.size() == kMostLogLines) log_.erase(log_.begin());
  log_.push_back(line);
  if (sink_) sink_(line);
}

const std::vector<Font>& Printer::Fonts() {
  if (fontsStale_) {
    fonts_.clear();
    for (const FontRecord& record : records_) fonts_.push_back(record.font);
    fontsStale_ = false;
  }
  return fonts_;
}

bool Printer::StartDeletion(int32_t index) {
  for (FontRecord& record : records_) {
    if (record.font.index != index || record.font.persistence != kDownloaded) continue;
    if (!record.font.deleting) {
      record.font.deleting = true;
      record.due = Clock::now() + std::chrono::milliseconds(config_.deletionMs);
      fontsStale_ = true;
      ++generation_;
      Log("deleting font " + std::to_string(index) + " \"" + record.font.name + "\"");
    }
    return true;
  }
  return false;
}

void Printer::FinishDueDeletions() {
  if (faults_.deletionsHang) return;
  const Clock::time_point now = Clock::now();
  auto done = [now](const FontRecord& record) { return record.font.deleting && record.due <= now; };
  for (FontRecord& record : records_) {
    if (!done(record)) continue;
    if (record.volume) FindVolume(*record.volume)->Remove(record.path);
    Log("deleted font " + std::to_string(record.font.index) + " \"" + record.font.name + "\"");
  }
  size_t before = records_.size();
  records_.erase(std::remove_if(records_.begin(), records_.end(), done), records_.end());
  if (records_.size() != before) {
    fontsStale_ = true;
    ++generation_;
  }
}

const StorageVolume* Printer::FindVolume(Volume volume) const {
  const std::optional<StorageVolume>& slot = volume == Volume::kDisk ? disk_ : flash_;
  return slot ? &*slot : nullptr;
}

StorageVolume* Printer::FindVolume(Volume volume) {
  std::optional<StorageVolume>& slot = volume == Volume::kDisk ? disk_ : flash_;
  return slot ? &*slot : nullptr;
}

size_t Printer::BeginJob(std::string queue) {
  Job job;
  job.queue = std::move(queue);
  jobs_.push_back(std::move(job));
  for (; jobs_.size() > std::max<size_t>(config_.jobsKept, 1); ++firstJob_) jobs_.pop_front();
  return firstJob_ + jobs_.size() - 1;
}

Job* Printer::FindJob(size_t job) {
  return job >= firstJob_ && job - firstJob_ < jobs_.size() ? &jobs_[job - firstJob_] : nullptr;
}

void Printer::AddJobFile(size_t job, JobFile file) {
  Job* kept = FindJob(job);
  if (!kept) return;
  file.size = file.bytes.size();
  if (file.size > config_.jobBytesKept) file.bytes.resize(static_cast<size_t>(config_.jobBytesKept));
  // A received file's buffer grew by doubling: keep only what it holds.
  file.bytes.shrink_to_fit();
  kept->files.push_back(std::move(file));
}

void Printer::EndJob(size_t job, bool aborted) {
  Job* kept = FindJob(job);
  if (kept) {
    kept->complete = !aborted;
    kept->aborted = aborted;
  }
  std::string line = std::string(aborted ? "aborted" : "received") + " job " + std::to_string(job);
  if (kept) line += " with " + std::to_string(kept->files.size()) + " file(s)";
  Log(line);
}

void Printer::RunDataFile(std::string_view data) {
  JobPlan plan = PlanJob(data);
  // A printer with a PIN on jobs drops every job that did not give it.
  if (config_.jobPin != 0 && !plan.refused() &&
      std::any_of(plan.steps.begin(), plan.steps.end(),
                  [this](const JobStep& step) { return step.jobPassword != config_.jobPin; })) {
    Log("job ignored: it did not give the job PIN");
    return;
  }
  if (config_.storeDelayMs > 0 && !plan.refused()) {
    // A busy printer takes the job now and gets to it later.
    pending_.push_back({Clock::now() + std::chrono::milliseconds(config_.storeDelayMs), std::move(plan)});
    return;
  }
  RunPlan(std::move(plan));
}

std::optional<Clock::time_point> Printer::NextPendingJob() const {
  if (pending_.empty()) return std::nullopt;
  return pending_.front().due;
}

void Printer::RunDueJobs() {
  const Clock::time_point now = Clock::now();
  while (!pending_.empty() && pending_.front().due <= now) {
    JobPlan plan = std::move(pending_.front().plan);
    pending_.pop_front();
    RunPlan(std::move(plan));
  }
}

void Printer::RunPlan(JobPlan plan) {
  // PJL file-system commands the printer's settings do not let through
  // are dropped without a word, as printers do.
  auto blocked = [this](const JobStep& step) {
    return step.pjlFileSystem && (!config_.fileSystemAccess || !TakesJobPassword(step.jobPassword));
  };
  const size_t before = plan.steps.size();
  plan.steps.erase(std::remove_if(plan.steps.begin(), plan.steps.end(), blocked), plan.steps.end());
  if (plan.steps.size() != before) Log("PJL file-system commands ignored: access off or no job password");
  std::string refusal = plan.refused() ? plan.refusal : CheckPlan(plan);
  if (!refusal.empty()) {
    Log("job refused: " + refusal);
    return;
  }
  for (const JobStep& step : plan.steps) Apply(step);
}

// The volume-dependent checks, run over the whole plan before any step is
// applied: every volume exists, every file lands in an existing folder and
// fits.
std::string Printer::CheckPlan(const JobPlan& plan) const {
  std::vector<std::pair<Volume, std::string>> madeDirectories;
  int64_t growth[2] = {0, 0};
  for (const JobStep& step : plan.steps) {
    if (step.kind == JobStep::kPrintPage) continue;
    const StorageVolume* volume = FindVolume(step.volume);
    if (!volume) return std::string("the printer has no ") + VolumeName(step.volume);
    if (step.kind == JobStep::kMakeDirectory) {
      // A printer whose FSMKDIR makes one level at a time does not make a
      // folder whose parent is missing.
      const std::string parent = StorageVolume::Parent(step.path);
      const bool parentThere = volume->HasDirectory(parent) ||
                               std::find(madeDirectories.begin(), madeDirectories.end(),
                                         std::make_pair(step.volume, parent)) != madeDirectories.end();
      if (MakesWholePath(step) || parentThere) madeDirectories.emplace_back(step.volume, step.path);
      continue;
    }
    if (step.kind != JobStep::kStoreFile) continue;
    std::string parent = StorageVolume::Parent(step.path);
    bool parentMade = std::any_of(madeDirectories.begin(), madeDirectories.end(), [&](const auto& made) {
      return made.first == step.volume &&
             (made.second == parent || made.second.rfind(parent + "/", 0) == 0);
    });
    if (!volume->HasDirectory(parent) && !parentMade) {
      return "no folder \"" + parent + "\" on the " + VolumeName(step.volume);
    }
    int64_t& grown = growth[step.volume == Volume::kDisk ? 0 : 1];
    grown += volume->Growth(step.path, step.bytes.size());
    if (static_cast<int64_t>(volume->used()) + grown > static_cast<int64_t>(volume->capacity())) {
      return std::string("the ") + VolumeName(step.volume) + " is full";
    }
  }
  return {};
}

void Printer::Apply(const JobStep& step) {
  switch (step.kind) {
    case JobStep::kPrintPage:
      if (pages_.size() == kMostPages) pages_.pop_front();
      pages_.push_back(step.page);
      Log("printed " + step.page);
      break;
    case JobStep::kMakeDirectory:
      if (MakesWholePath(step) || FindVolume(step.volume)->HasDirectory(StorageVolume::Parent(step.path))) {
        FindVolume(step.volume)->MakeDirectories(step.path);
      } else {
        Log("folder not made, its parent is missing: " + step.path);
      }
      break;
    case JobStep::kDeleteFile:
      if (FindVolume(step.volume)->Remove(step.path)) RemoveFontsAt(step.volume, step.path);
      ++generation_;
      break;
    case JobStep::kStoreFile:
      FindVolume(step.volume)->Write(step.path, step.bytes);
      Log(std::string("stored ") + VolumeName(step.volume) + ":" + step.path + " (" +
          std::to_string(step.bytes.size()) + " bytes)");
      RemoveFontsAt(step.volume, step.path);
      AddFontFor(step);
      ++generation_;
      break;
  }
}

void Printer::RemoveFontsAt(Volume volume, const std::string& path) {
  records_.erase(std::remove_if(records_.begin(), records_.end(),
                                [&](const FontRecord& record) {
                                  return record.volume == volume && record.path == path;
                                }),
                 records_.end());
  fontsStale_ = true;
}

namespace {

// A macro's file name is its ID: a decimal number from 0 to 32767.
std::optional<int32_t> MacroIdOf(std::string_view fileName) {
  if (fileName.empty() || fileName.size() > 5) return std::nullopt;
  int32_t id = 0;
  for (char c : fileName) {
    if (c < '0' || c > '9') return std::nullopt;
    id = id * 10 + (c - '0');
  }
  return id <= 32767 ? std::optional<int32_t>(id) : std::nullopt;
}

std::string FileNameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

}  // namespace

std::set<int32_t> Printer::StoredMacroIds() const {
  std::set<int32_t> ids;
  for (const StorageVolume* volume : {FindVolume(Volume::kDisk), FindVolume(Volume::kFlash)}) {
    if (!volume) continue;
    for (const StorageVolume::Entry& entry : volume->List(kPclMacroFolder))
      if (std::optional<int32_t> id = MacroIdOf(entry.name); id && !entry.directory) ids.insert(*id);
  }
  return ids;
}

std::set<std::string> Printer::StoredFormNames() const {
  std::set<std::string> names;
  for (const StorageVolume* volume : {FindVolume(Volume::kDisk), FindVolume(Volume::kFlash)}) {
    if (!volume) continue;
    for (const StorageVolume::Entry& entry : volume->List(kPostScriptFormFolder))
      if (!entry.directory) names.insert(entry.name);
  }
  return names;
}

void Printer::AddFontFor(const JobStep& step) {
  if (step.format == FontFormat::kPclMacro) {
    const std::optional<int32_t> id = MacroIdOf(FileNameOf(step.path));
    Log(id ? "PCL macro " + std::to_string(*id) + " stored on the " + VolumeName(step.volume)
           : "stored file is not named by a macro ID: no macro");
    return;
  }
  if (step.format == FontFormat::kPostScriptForm) {
    Log("PostScript form \"" + FileNameOf(step.path) + "\" stored on the " + VolumeName(step.volume));
    return;
  }
  FontRecord record;
  record.volume = step.volume;
  record.path = step.path;
  record.font.location = step.volume == Volume::kDisk ? kLocationDisk : kLocationFlash;
  record.font.persistence = kDownloaded;
  if (step.format == FontFormat::kPcl) {
    std::optional<PclFontHeader> header = ReadPclFontHeader(step.bytes);
    if (!header) {
      Log("stored file is not a PCL font: no font row");
      return;
    }
    record.font.type = kTypePcl;
    // A descriptor with a blank name is listed under its file name.
    record.font.name =
        header->name.empty() ? step.path.substr(step.path.rfind('/') + 1) : header->name;
    record.font.fontId = header->fontId ? *header->fontId : nextPclId_++;
  } else if (step.format == FontFormat::kPostScript) {
    std::optional<std::string> name = ReadPostScriptFontName(step.bytes);
    if (!name) {
      Log("stored file has no /FontName: no font row");
      return;
    }
    record.font.type = kTypePostScript;
    record.font.name = *name;
    record.font.fontId = kNoPclFontId;
  } else {
    return;
  }
  record.font.index = nextIndex_++;
  Log("font " + std::to_string(record.font.index) + " \"" + record.font.name + "\" added");
  records_.push_back(std::move(record));
}

}  // namespace printer_sim
