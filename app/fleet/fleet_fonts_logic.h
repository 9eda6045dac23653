// The Fleet Fonts window's logic: a matrix of resources (the rows) by
// printers (the columns), each cell telling whether the printer holds the
// resource, filled as each printer's font list arrives. The rows are the
// resources of a set once one is opened, else every font found on any of
// the printers, narrowed by a filter text. Missing cells of a set can be
// selected and sent to exactly their printers.
//
// User-interface thread only; the printers are read on a thread of the
// logic's own, whose results come back through the UiThread.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "fleet/fleet_check.h"
#include "fleet/resource_set.h"

class ConverterOperations;
class UiThread;

class FleetFontsHost {
 public:
  virtual ~FleetFontsHost() = default;
  // Rows, cells, progress or enabled buttons changed: show them again.
  virtual void StateChanged() = 0;
  // The set file to open, or the CSV file to write; empty when cancelled.
  virtual std::string ChooseSetFile() = 0;
  virtual std::string ChooseCsvFile() = 0;
  virtual void ShowText(const std::string& text) = 0;
  // Downloads `paths` to `printers` (indexes into the window's printers),
  // stored at `location`, through the Resource Manager.
  virtual void Download(const std::vector<size_t>& printers, const std::vector<std::string>& paths,
                        StorageLocation location) = 0;
};

struct FleetCell {
  int row = 0;
  int column = 0;
  bool operator==(const FleetCell&) const = default;
};

class FleetFontsLogic {
 public:
  struct Row {
    std::string name;
    std::vector<std::string> cells;  // one per printer; empty until its list arrived
  };

  FleetFontsLogic(FleetFontsHost& host, UiThread& uiThread, ConverterOperations& converter, std::string jobFolder,
                  std::vector<PrinterRecord> printers, int parallel = 8);
  // Stops the reading and waits for it.
  ~FleetFontsLogic();
  FleetFontsLogic(const FleetFontsLogic&) = delete;
  FleetFontsLogic& operator=(const FleetFontsLogic&) = delete;

  // Reads every printer's fonts; the rows are every font found.
  void Start();
  // Events of the window.
  void OnOpenSet();
  void OnFilterChanged(const std::string& filter);
  void OnStop();
  void OnCellsSelected(std::vector<FleetCell> cells);
  void OnDownload();
  void OnSaveCsv();
  // Opens the set at `path` and checks the printers for it; false after a
  // message when it cannot be read.
  bool OpenSet(const std::string& path);

  // State for the window to show.
  const std::vector<std::string>& columns() const { return columns_; }
  const std::vector<Row>& rows() const { return rows_; }
  bool setOpen() const { return !resources_.empty(); }
  bool running() const { return running_; }
  int arrived() const { return arrived_; }
  int total() const { return static_cast<int>(printers_.size()); }
  bool downloadEnabled() const;
  // The matrix as CSV: a header line, then one line per row.
  std::string CsvText() const;

 private:
  void Check();
  void Join();
  void Arrived(size_t printer, PrinterCheck check);
  void BuildRows();
  bool Lacking(const FleetCell& cell) const;

  FleetFontsHost& host_;
  UiThread& uiThread_;
  ConverterOperations& converter_;
  const std::string jobFolder_;
  const std::vector<PrinterRecord> printers_;
  const int parallel_;
  std::vector<std::string> columns_;

  std::vector<SetResource> resources_;
  std::vector<SetResourceParts> prepared_;
  std::vector<std::optional<PrinterCheck>> checks_;
  std::string filter_;
  std::vector<Row> rows_;
  std::vector<size_t> rowResources_;  // the resource of each row in a set
  std::vector<FleetCell> selected_;

  std::thread reader_;
  std::atomic<bool> stop_{false};
  bool running_ = false;
  int arrived_ = 0;
  // Reset when the logic goes, so that results still queued find it gone.
  std::shared_ptr<FleetFontsLogic*> self_;
};
