#include "fleet/fleet_fonts_logic.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <map>
#include <set>

#include "download/classify_resource.h"
#include "fleet/fleet_fonts_ids.h"
#include "fonts/format_text.h"
#include "printers/printer_name.h"
#include "printers/printer_record.h"
#include "printers/regular_file.h"
#include "ui/resource_module.h"
#include "ui/ui_thread.h"

using namespace fleet_fonts;

namespace {

std::string Lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

// A font found on a printer, by its name and type.
using FontKey = std::pair<std::string, int32_t>;

std::string FontRowName(const FontKey& key) {
  return key.first + (key.second == kFontTypePcl ? " (PCL)" : key.second == kFontTypePostScript ? " (PostScript)" : "");
}

// How a printer holds one of the fonts it lists.
Holding FontHolding(const FontEntry& entry) {
  const bool lasting = (entry.location == kFontOnHardDisk || entry.location == kFontInFlash ||
                        entry.location == kFontInRom) && entry.persistence != kFontOnlyInRam;
  return lasting ? Holding::kHeld : Holding::kMemoryOnly;
}

}  // namespace

FleetFontsLogic::FleetFontsLogic(FleetFontsHost& host, UiThread& uiThread, ConverterOperations& converter,
                                 std::string jobFolder, std::vector<PrinterRecord> printers, int parallel)
    : host_(host),
      uiThread_(uiThread),
      converter_(converter),
      jobFolder_(std::move(jobFolder)),
      printers_(std::move(printers)),
      parallel_(parallel),
      self_(std::make_shared<FleetFontsLogic*>(this)) {
  for (const PrinterRecord& printer : printers_) columns_.push_back(PrinterDisplayName(printer));
}

FleetFontsLogic::~FleetFontsLogic() {
  self_.reset();
  stop_ = true;
  Join();
}

void FleetFontsLogic::Join() {
  if (reader_.joinable()) reader_.join();
}

void FleetFontsLogic::Start() { Check(); }

void FleetFontsLogic::Check() {
  stop_ = true;
  Join();
  stop_ = false;
  // A new reading: what an earlier one still has queued is left unread.
  self_ = std::make_shared<FleetFontsLogic*>(this);
  checks_.assign(printers_.size(), std::nullopt);
  arrived_ = 0;
  running_ = true;
  BuildRows();
  host_.StateChanged();
  const std::weak_ptr<FleetFontsLogic*> token = self_;
  reader_ = std::thread([this, token] {
    CheckFleet(
        printers_, prepared_, parallel_,
        [this, token](size_t printer, PrinterCheck check) {
          uiThread_.Post([token, printer, check = std::move(check)] {
            if (const std::shared_ptr<FleetFontsLogic*> logic = token.lock()) (*logic)->Arrived(printer, check);
          });
        },
        &stop_);
    uiThread_.Post([token] {
      if (const std::shared_ptr<FleetFontsLogic*> logic = token.lock()) {
        (*logic)->running_ = false;
        (*logic)->host_.StateChanged();
      }
    });
  });
}

void FleetFontsLogic::Arrived(size_t printer, PrinterCheck check) {
  checks_[printer] = std::move(check);
  ++arrived_;
  BuildRows();
  host_.StateChanged();
}

void FleetFontsLogic::BuildRows() {
  rows_.clear();
  if (setOpen()) {
    for (size_t r = 0; r < resources_.size(); ++r) {
      Row row{FileNameOf(resources_[r].path), {}};
      for (const std::optional<PrinterCheck>& check : checks_)
        row.cells.emplace_back(check ? HoldingText(check->cells.at(r).holding) : std::string_view());
      rows_.push_back(std::move(row));
    }
    return;
  }
  // Every font found, each printer's best copy of it.
  std::map<FontKey, std::vector<Holding>> found;
  for (size_t p = 0; p < checks_.size(); ++p) {
    if (!checks_[p]) continue;
    for (const FontEntry& entry : checks_[p]->fonts.fonts) {
      FontKey key{std::string(entry.name, strnlen(entry.name, sizeof entry.name)), entry.fontType};
      if (!filter_.empty() && Lowered(key.first).find(filter_) == std::string::npos) continue;
      std::vector<Holding>& holdings = found[key];
      holdings.resize(checks_.size(), Holding::kMissing);
      // Held beats memory only.
      if (holdings[p] == Holding::kMissing || FontHolding(entry) == Holding::kHeld) holdings[p] = FontHolding(entry);
    }
  }
  for (const auto& [key, holdings] : found) {
    Row row{FontRowName(key), {}};
    for (size_t p = 0; p < checks_.size(); ++p) {
      if (!checks_[p]) row.cells.emplace_back();
      else if (checks_[p]->fonts.readResult != kSnmpOk) row.cells.emplace_back(HoldingText(Holding::kUnknown));
      else row.cells.emplace_back(HoldingText(holdings[p]));
    }
    rows_.push_back(std::move(row));
  }
}

void FleetFontsLogic::OnOpenSet() {
  const std::string path = host_.ChooseSetFile();
  if (!path.empty()) OpenSet(path);
}

bool FleetFontsLogic::OpenSet(const std::string& path) {
  std::string error;
  std::optional<ResourceSet> set = ReadResourceSetFile(path, error);
  std::vector<SetResourceParts> prepared;
  if (set) {
    for (const SetResource& resource : set->resources)
      if (error.empty() && !IsReadableRegularFile(resource.path, error)) break;
  }
  if (set && error.empty()) {
    prepared = PrepareSetJobs(set->resources, converter_, jobFolder_);
    for (size_t r = 0; r < prepared.size() && error.empty(); ++r)
      if (!prepared[r].problem.empty()) error = set->resources[r].path + ": " + prepared[r].problem;
  }
  if (!error.empty() || !set || set->resources.empty()) {
    if (error.empty()) error = path + " names no resource";
    host_.ShowText(FormatText(LoadResourceString(kSetNotOpenedText), error.c_str()));
    return false;
  }
  stop_ = true;
  Join();
  resources_ = std::move(set->resources);
  prepared_ = std::move(prepared);
  selected_.clear();
  Check();
  return true;
}

void FleetFontsLogic::OnFilterChanged(const std::string& filter) {
  filter_ = Lowered(filter);
  BuildRows();
  host_.StateChanged();
}

void FleetFontsLogic::OnStop() { stop_ = true; }

void FleetFontsLogic::OnCellsSelected(std::vector<FleetCell> cells) {
  selected_ = std::move(cells);
  host_.StateChanged();
}

bool FleetFontsLogic::Lacking(const FleetCell& cell) const {
  if (!setOpen() || cell.row < 0 || cell.column < 0 || static_cast<size_t>(cell.row) >= resources_.size() ||
      static_cast<size_t>(cell.column) >= checks_.size())
    return false;
  const std::optional<PrinterCheck>& check = checks_[static_cast<size_t>(cell.column)];
  if (!check || !PrinterAnswered(*check)) return false;
  const Holding holding = check->cells.at(static_cast<size_t>(cell.row)).holding;
  return holding == Holding::kMissing || holding == Holding::kOtherVersion || holding == Holding::kMemoryOnly;
}

bool FleetFontsLogic::downloadEnabled() const {
  return !running_ && std::any_of(selected_.begin(), selected_.end(), [this](const FleetCell& c) { return Lacking(c); });
}

void FleetFontsLogic::OnDownload() {
  if (!downloadEnabled()) return;
  // Each resource to its printers; resources with the same printers and
  // storage go together.
  std::map<size_t, std::set<size_t>> printersOf;
  for (const FleetCell& cell : selected_)
    if (Lacking(cell)) printersOf[static_cast<size_t>(cell.row)].insert(static_cast<size_t>(cell.column));
  std::map<std::pair<std::vector<size_t>, int>, std::vector<std::string>> batches;
  for (const auto& [resource, printers] : printersOf)
    batches[{{printers.begin(), printers.end()}, resources_[resource].location}].push_back(resources_[resource].path);
  for (const auto& [key, paths] : batches)
    host_.Download(key.first, paths, static_cast<StorageLocation>(key.second));
  selected_.clear();
  Check();  // what the printers hold now
}

std::string FleetFontsLogic::CsvText() const {
  std::string text = CsvField(LoadResourceString(setOpen() ? kResourceHeading : kFontHeading));
  for (const std::string& column : columns_) text += "," + CsvField(column);
  text += "\r\n";
  for (const Row& row : rows_) {
    text += CsvField(row.name);
    for (const std::string& cell : row.cells) text += "," + CsvField(cell);
    text += "\r\n";
  }
  return text;
}

void FleetFontsLogic::OnSaveCsv() {
  const std::string path = host_.ChooseCsvFile();
  if (path.empty()) return;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << CsvText();
  file.close();
  if (!file) host_.ShowText(FormatText(LoadResourceString(kCsvNotWrittenText), path.c_str()));
}
