// The state of one virtual printer and what changes it: its font table,
// its volumes, the jobs it received and the pages it printed. Not thread
// safe: the Simulator serialises every access.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "job_plan.h"
#include "printer_sim.h"
#include "snmp_ber.h"
#include "storage_volume.h"

namespace printer_sim {

using Clock = std::chrono::steady_clock;

class Printer {
 public:
  using LogSink = std::function<void(const std::string& line)>;

  Printer(const PrinterConfig& config, LogSink sink);

  const PrinterConfig& config() const { return config_; }
  Faults& faults() { return faults_; }
  uint32_t UpTimeTicks() const;  // hundredths of a second since start

  // --- font table
  const std::vector<Font>& Fonts();
  // Starts deleting a downloaded font; false when the index names none.
  bool StartDeletion(int32_t index);
  // Finishes the deletions whose time has come (unless they hang).
  void FinishDueDeletions();

  // --- identity set over SNMP
  void SetName(std::string name) { Change(config_.name, std::move(name)); }
  void SetContact(std::string contact) { Change(config_.contact, std::move(contact)); }
  void SetLocation(std::string location) { Change(config_.location, std::move(location)); }

  // --- storage
  const StorageVolume* FindVolume(Volume volume) const;
  StorageVolume* FindVolume(Volume volume);

  // --- jobs, by their number (1, 2, ...); only the last jobsKept are
  // kept, and of each file only its first jobBytesKept bytes
  size_t BeginJob(std::string queue);
  void AddJobFile(size_t job, JobFile file);
  void EndJob(size_t job, bool aborted);
  // Applies a received data file as the printer would; a refused job is
  // logged and changes nothing. A busy printer (storeDelayMs) applies it
  // later, in RunDueJobs.
  void RunDataFile(std::string_view data);
  // When the next job taken but not yet applied is due, if any.
  std::optional<Clock::time_point> NextPendingJob() const;
  void RunDueJobs();
  // Whether a job that gave this PJL password (0: none) may use the file
  // system: it must give the file system's password, and the PIN of a
  // printer that runs no job without it.
  bool TakesJobPassword(uint32_t jobPassword) const {
    return (config_.pjlPassword == 0 || jobPassword == config_.pjlPassword) &&
           (config_.jobPin == 0 || jobPassword == config_.jobPin);
  }
  // Applies one step that the caller checked, as RunDataFile does for
  // each step of a plan (the AppSocket channel's file-system commands).
  void Apply(const JobStep& step);
  // The IDs of the PCL macros defined in the printer's memory.
  std::set<int32_t>& pclMacros() { return pclMacros_; }
  // The IDs of the PCL macros stored in the macros folder of its volumes,
  // and the names of the PostScript forms stored in their form folder.
  std::set<int32_t> StoredMacroIds() const;
  std::set<std::string> StoredFormNames() const;
  const std::deque<Job>& jobs() const { return jobs_; }
  const std::deque<std::string>& pages() const { return pages_; }
  const std::vector<std::string>& log() const { return log_; }

  // Grows whenever anything the MIB shows changes, so a cached view of it
  // knows when to rebuild.
  uint64_t generation() const { return generation_; }

  void Log(const std::string& line);
  // Numbers the answers given on the AppSocket channel (1, 2, ...), so that
  // one of them can be made late.
  uint64_t CountAnswer() { return ++answers_; }

 private:
  struct FontRecord {
    Font font;
    std::optional<Volume> volume;  // where a downloaded font's file lives
    std::string path;
    Clock::time_point due;         // when a started deletion finishes
  };

  struct PendingJob {
    Clock::time_point due;
    JobPlan plan;
  };

  void RunPlan(JobPlan plan);
  // A PostScript device makes every folder of a path; PJL's FSMKDIR does
  // too unless the printer makes one level at a time.
  bool MakesWholePath(const JobStep& step) const { return !step.pjlFileSystem || config_.mkdirParents; }
  void Change(std::string& field, std::string value);
  void AddInternalFonts();
  std::string CheckPlan(const JobPlan& plan) const;
  void AddFontFor(const JobStep& step);
  void RemoveFontsAt(Volume volume, const std::string& path);
  Job* FindJob(size_t job);

  PrinterConfig config_;
  LogSink sink_;
  Faults faults_;
  Clock::time_point start_ = Clock::now();
  std::optional<StorageVolume> disk_;
  std::optional<StorageVolume> flash_;
  std::vector<FontRecord> records_;
  std::vector<Font> fonts_;
  bool fontsStale_ = true;
  int32_t nextIndex_ = 1;
  int32_t nextPclId_ = 0;
  std::set<int32_t> pclMacros_;
  std::deque<PendingJob> pending_;
  std::deque<Job> jobs_;
  size_t firstJob_ = 1;  // the number of jobs_.front()
  std::deque<std::string> pages_;
  std::vector<std::string> log_;
  uint64_t generation_ = 0;
  uint64_t answers_ = 0;
};

}  // namespace printer_sim
