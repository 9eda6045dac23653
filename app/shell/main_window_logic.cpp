#include "shell/main_window_logic.h"

#include <algorithm>
#include <cctype>

#include "fonts/format_text.h"
#include "download/lpr.h"
#include "printers/app_directory.h"
#include "printers/printer_name.h"
#include "shell/main_window_ids.h"
#include "printers/printer_list_file.h"
#include "printers/printer_settings.h"
#include "ui/message_boxes.h"
#include "ui/resource_module.h"
#include "ui/ui_thread.h"

using namespace main_window;

namespace {

// "ipp port 631": the port a job was sent to.
std::string JobPortText(JobPort port) {
  const JobPortSettings settings = DefaultJobPortSettings();
  const uint16_t number = port == JobPort::Lpr   ? settings.lprPort
                          : port == JobPort::Raw ? settings.rawPort
                                                 : settings.ippPort;
  return std::string(JobPortName(port)) + " port " + std::to_string(number);
}

// The list box's order: text compared byte by byte without case.
bool LessWithoutCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

MainWindowLogic::MainWindowLogic(MainWindowHost& host, MessageBoxes& boxes, UiThread& uiThread,
                                 LprSubmitter submitLpr)
    : host_(host), boxes_(boxes), uiThread_(uiThread), submitLpr_(std::move(submitLpr)) {}

MainWindowLogic::~MainWindowLogic() {
  StopPrinterReports(*this);
  alive_.reset();  // font list jobs not yet begun are left
  if (fontListJob_.joinable()) fontListJob_.join();
}

void MainWindowLogic::Initialize(const char* profileFileName) {
  LoadModelProfiles(profiles_, profileFileName);
  StartPrinterReports(*this);
}

void MainWindowLogic::OnCommand(int id) {
  switch (id) {
    case kAddPrinterButton: host_.OpenAddPrinter(false); break;
    case kFindOnSubnet: host_.OpenAddPrinter(true); break;
    case kRemovePrinterButton: RemovePrinters(); break;
    case kPsFontList: PrintPrinterFontList(FontListKind::PostScript); break;
    case kPclFontList: PrintPrinterFontList(FontListKind::Pcl); break;
    case kFontListButton: OpenFontList(); break;
    case kPrintFontListButton: PrintFontList(); break;
    case kManageResourcesButton: OpenResourceManager(); break;
    case kAboutButton: host_.ShowAbout(); break;
    case kHelpButton: host_.OpenHelp(AppDataFilePath(kHelpFileName)); break;
    case kCloseButton: Quit(); break;
    case kChangeCommunityString:
      if (selectedIndex_ != -1) host_.OpenCommunityStrings(*printers_.at(selectedIndex_));
      break;
    case kJobPort:
      if (selectedIndex_ != -1) host_.OpenJobPort(*printers_.at(selectedIndex_));
      break;
    case kSavePrinterList: SavePrinterList(); break;
    case kOpenPrinterList: OpenPrinterList(); break;
    case kFindAnnouncedPrinters: FindAnnouncedPrinters(); break;
    default: break;
  }
}

void MainWindowLogic::OnListSelectionChanged(int row) {
  selectedRow_ = row >= 0 && row < itemCount() ? row : -1;
  OnPrinterSelectionChanged();
}

void MainWindowLogic::OnListCheckChanged(int row, bool checked) {
  if (row < 0 || row >= itemCount()) return;
  items_[static_cast<size_t>(row)].checked = checked;
  ++itemsRevision_;
  // Checking the selected row, or unchecking with Space, moves no
  // selection: the buttons follow the checks themselves.
  UpdateCommandButtons();
  host_.StateChanged();
}

void MainWindowLogic::OnContextMenu(int x, int y) {
  if (int command = host_.TrackPrinterMenu(x, y)) OnCommand(command);
}

void MainWindowLogic::CancelWaiting() {
  if (!waiting()) return;
  finder_->Cancel();
  host_.ShowWaiting(false);
  statusText_ = LoadResourceString(kStoppedAskingText);
  host_.StateChanged();
}

void MainWindowLogic::OnPrinterSelectionChanged() {
  UpdateCommandButtons();
  printEnabled_ = selectedRow_ != -1;  // IsEnabled also waits for a job being sent
  if (printEnabled_ && selectedRow_ < printers_.count()) ShowPrinterDescription(selectedRow_);
  host_.StateChanged();
}

void MainWindowLogic::ShowPrinterDescription(int index) {
  selectedIndex_ = index;
  switch (printers_.at(index)->storageOptions) {
    case kStorageNone: hardDiskEnabled_ = false, flashEnabled_ = false; break;
    case kStorageHardDisk: hardDiskEnabled_ = true, flashEnabled_ = false; break;
    case kStorageFlash: hardDiskEnabled_ = false, flashEnabled_ = true; break;
    case kStorageBoth: hardDiskEnabled_ = true, flashEnabled_ = true; break;
    default: break;  // an unknown value leaves the labels as they are
  }
  UpdateCommandButtons();
  addressText_ = LoadResourceString(kAddressLabelText) + FormatAddress(printers_.at(index)->address);
}

void MainWindowLogic::UpdateCommandButtons() { commandsEnabled_ = AnyChecked(); }

bool MainWindowLogic::AnyChecked() const {
  const int count = std::min(printers_.count(), itemCount());
  for (int i = 0; i < count; ++i)
    if (items_[static_cast<size_t>(i)].checked) return true;
  return false;
}

bool MainWindowLogic::IsEnabled(int controlId) const {
  switch (controlId) {
    case kFontListButton:
    case kManageResourcesButton: return commandsEnabled_;
    case kPrintFontListButton:
    case kPsFontList:
    case kPclFontList: return (printEnabled_ || AnyChecked()) && !sendingFontList();
    case kHardDiskLabel: return hardDiskEnabled_;
    case kFlashLabel: return flashEnabled_;
    case kRemovePrinterButton: return selectedRow_ != -1 || AnyChecked();
    case kChangeCommunityString:
    case kJobPort: return selectedIndex_ != -1;
    case kOpenPrinterList:
    case kFindAnnouncedPrinters: return !waiting();
    default: return true;
  }
}

int MainWindowLogic::SortedPosition(const std::string& text) const {
  // After any equal texts, so items of the same text keep their arrival order.
  const auto place = std::upper_bound(items_.begin(), items_.end(), text,
                                      [](const std::string& t, const Item& item) {
                                        return LessWithoutCase(t, item.text);
                                      });
  return static_cast<int>(place - items_.begin());
}

int MainWindowLogic::AddPrinter(std::unique_ptr<PrinterRecord> record, const std::string& listText) {
  // A printer removed earlier in this run comes back with the community
  // strings the user gave it.
  if (const auto removed = removedPrinters_.find(record->address); removed != removedPrinters_.end()) {
    CopyRecordText(record->readCommunity, removed->second.readCommunity);
    CopyRecordText(record->writeCommunity, removed->second.writeCommunity);
    CopyRecordText(record->trapCommunity, removed->second.trapCommunity);
    removedPrinters_.erase(removed);
  }
  AskPrinterWhatItHas(*record);

  const int position = SortedPosition(listText);
  items_.insert(items_.begin() + position, Item{listText, false});
  ++itemsRevision_;
  const int width = host_.ListTextWidth(listText) + host_.ListAverageCharWidth();
  horizontalExtent_ = std::max(horizontalExtent_, width);
  printers_.InsertPrinter(position, std::move(record));

  // Items at and after the new one moved down a place; the selection and
  // the printer shown in the description panel move with them, so a later
  // Change Community String still reaches the printer the panel shows.
  if (selectedRow_ >= position) ++selectedRow_;
  if (selectedIndex_ >= position) ++selectedIndex_;
  host_.StateChanged();
  return position;
}

void MainWindowLogic::RemovePrinters() {
  std::vector<int> rows;
  for (int i = 0; i < itemCount(); ++i)
    if (items_[static_cast<size_t>(i)].checked) rows.push_back(i);
  if (rows.empty() && selectedRow_ != -1) rows.push_back(selectedRow_);
  if (rows.empty()) return;

  std::string removed;
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
    items_.erase(items_.begin() + *row);
    std::unique_ptr<PrinterRecord> record = printers_.RemovePrinter(*row);
    if (!record) continue;
    removed.insert(0, FormatAddress(record->address) + (removed.empty() ? "" : ", "));
    removedPrinters_[record->address] = *record;
    // The library would otherwise call it listed and never report it again.
    if (!Lists(record->address)) SnmpForgetPrinter(&snmpContext_, record->address);
  }
  ++itemsRevision_;
  // The description panel shows nothing until a printer is selected again;
  // the next printer is, so that Delete can be pressed again.
  selectedIndex_ = -1;
  addressText_.clear();
  hardDiskEnabled_ = flashEnabled_ = false;
  statusText_ = FormatText(LoadResourceString(kRemovedText), removed.c_str());
  OnListSelectionChanged(std::min(rows.front(), itemCount() - 1));
}

bool MainWindowLogic::Lists(uint32_t address) const {
  for (int i = 0; i < printers_.count(); ++i)
    if (printers_.at(i)->address == address) return true;
  return false;
}

std::vector<uint32_t> MainWindowLogic::ListedAddresses() const {
  std::vector<uint32_t> addresses;
  for (int i = 0; i < printers_.count(); ++i) addresses.push_back(printers_.at(i)->address);
  return addresses;
}

void MainWindowLogic::ShowStatus(const std::string& text) {
  statusText_ = text;
  host_.StateChanged();
}

void MainWindowLogic::Quit() {
  const int count = printers_.count();
  if (count > 0) {
    const std::string question = count == 1 ? LoadResourceString(kQuitOneQuestionText)
                                            : FormatText(LoadResourceString(kQuitQuestionText), count);
    switch (boxes_.ShowMessage(question, MB_SAVEQUITCANCEL | MB_ICONQUESTION)) {
      case IDYES:
        if (!SavePrinterList()) return;
        break;
      case IDNO: break;
      default: return;
    }
  }
  host_.Close();
}

void MainWindowLogic::SelectItem(int row) {
  // The panel shows the selected printer whoever selected it, so that the
  // highlighted row, the panel and every command agree on one printer.
  OnListSelectionChanged(row);
}

void MainWindowLogic::BuildCheckedPrinters() {
  // Every listed printer is copied, so that the Resource Manager's list
  // indexes and records stay as they were when it opened, whatever printers
  // the library reports meanwhile.
  copies_.clear();
  checkedPointers_.clear();
  checkedIndexes_.clear();
  for (int i = 0; i < itemCount() && i < printers_.count(); ++i) {
    copies_.push_back(std::make_unique<PrinterRecord>(*printers_.at(i)));
    if (!items_[static_cast<size_t>(i)].checked) continue;
    checkedPointers_.push_back(copies_.back().get());
    checkedIndexes_.push_back(i);
  }
}

void MainWindowLogic::OpenFontList() {
  host_.SetWaitCursor(true);
  BuildCheckedPrinters();
  if (checkedPointers_.empty())
    boxes_.Show(kSelectPrinterText);
  else
    host_.OpenFontList(checkedPointers_.data(), checkedCount());
  host_.SetWaitCursor(false);
}

void MainWindowLogic::OpenResourceManager() {
  BuildCheckedPrinters();
  if (checkedPointers_.empty()) {
    boxes_.Show(kSelectPrinterText);
    return;
  }
  ResourceManagerTargets targets{checkedPointers_, {}, checkedIndexes_};
  for (const auto& copy : copies_) targets.allPrinters.push_back(copy.get());
  host_.OpenResourceManager(targets);
}

void MainWindowLogic::PrintFontList() {
  switch (host_.PopUpFontListMenu()) {
    case kPsFontList: PrintPrinterFontList(FontListKind::PostScript); break;
    case kPclFontList: PrintPrinterFontList(FontListKind::Pcl); break;
    default: break;  // dismissed
  }
}

void MainWindowLogic::PrintPrinterFontList(FontListKind kind) {
  if (sendingFontList()) return;
  std::vector<const PrinterRecord*> printers;
  for (int i = 0; i < itemCount() && i < printers_.count(); ++i)
    if (items_[static_cast<size_t>(i)].checked) printers.push_back(printers_.at(i));
  const bool highlighted = printers.empty();
  if (highlighted) {
    // A menu can outlive the selection that enabled it.
    if (selectedRow_ < 0 || selectedIndex_ < 0 || selectedIndex_ >= printers_.count()) return;
    printers.push_back(printers_.at(selectedIndex_));  // the one the panel shows
  }
  // What each job needs is copied, for the thread that sends them.
  struct Target {
    std::string address, name, jobPath;
    JobPort port;
  };
  std::vector<Target> targets;
  std::string names;
  for (const PrinterRecord* printer : printers) {
    targets.push_back({FormatAddress(printer->address), PrinterDisplayName(*printer),
                       AppDataFilePath(FontListJobFileName(kind, *printer)), RunPrinterSettings().Get(printer->address).port});
    names += (names.empty() ? "" : ", ") + targets.back().name;
  }
  host_.SetWaitCursor(true);
  // A job waits on its printer for seconds when it is slow or away: the jobs
  // are sent on a thread of their own, and their results come back together
  // through the user-interface thread's queue.
  fontListJob_ = std::thread([submit = submitLpr_, targets = std::move(targets), &uiThread = uiThread_,
                              alive = std::weak_ptr<const bool>(alive_), this] {
    std::vector<FontListResult> results;
    for (const Target& target : targets) {
      if (alive.expired()) return;
      const std::unique_ptr<JobFile> job = OpenShippedJobFile(target.jobPath);
      results.push_back({target.name, target.port,
                         job ? submit(target.address.c_str(), target.port, *job, "GLY", 0)
                             : JobOutcome(LPR_ERR_JOB_FILE_UNREADABLE)});
    }
    uiThread.Post([alive, results = std::move(results), this] {
      if (alive.lock()) FontListsSent(results);
    });
  });
  statusText_ = FormatText(LoadResourceString(highlighted ? kSendingToHighlightedText : kSendingFontListText), names.c_str());
  host_.StateChanged();
}

void MainWindowLogic::FontListsSent(const std::vector<FontListResult>& results) {
  fontListJob_.join();  // it has nothing left to do but end
  host_.SetWaitCursor(false);
  std::string sent;
  std::vector<std::string> failures;
  for (const FontListResult& result : results) {
    if (result.outcome.sent()) {
      sent += (sent.empty() ? "" : ", ") + result.printerName;
      continue;
    }
    // A missing job file or a printer that cannot be reached or refused the
    // job: the user would otherwise wait for a list that never comes. The
    // text names the port tried and the port's own reason.
    failures.push_back(FormatText(LoadResourceString(kFontListFailedText), result.printerName.c_str(),
                                  JobPortText(result.port).c_str(), JobFailureStatus(result.outcome).c_str()));
  }
  statusText_ = failures.empty() ? FormatText(LoadResourceString(kFontListSentText), sent.c_str()) : failures.back();
  host_.StateChanged();
  for (const std::string& failure : failures) boxes_.ShowMessage(failure, MB_OK | MB_ICONEXCLAMATION);
}

bool MainWindowLogic::SavePrinterList() {
  const std::string path = host_.ChoosePrinterListFile(true);
  if (path.empty()) return false;
  std::vector<const PrinterRecord*> records;
  for (int i = 0; i < printers_.count(); ++i) records.push_back(printers_.at(i));
  std::string error;
  if (!WritePrinterListFile(path, records, error, &RunPrinterSettings())) {
    boxes_.Show(kCannotWriteText, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  statusText_ = FormatText(LoadResourceString(kPrinterListSavedText), path.c_str());
  host_.StateChanged();
  return true;
}

void MainWindowLogic::OpenPrinterList() {
  if (waiting()) return;
  const std::string path = host_.ChoosePrinterListFile(false);
  if (path.empty()) return;
  std::string error;
  const std::optional<std::vector<SavedPrinter>> saved = ReadPrinterListFile(path, error);
  if (!saved) {
    statusText_ = error;
    host_.StateChanged();
    return;
  }
  // Each printer is asked afresh, as Add Printer does, so that the library
  // knows it and its record comes from its own answer.
  std::vector<uint32_t> addresses;
  for (const SavedPrinter& printer : *saved) {
    KeepSavedSettings(printer, RunPrinterSettings());
    addresses.push_back(printer.address);
  }
  const std::string status = FormatText(LoadResourceString(kAskingListedPrintersText), static_cast<int>(addresses.size()),
                                        path.c_str());
  Wait(NewFinder().AddPrintersAt(std::move(addresses)), status);
}

void MainWindowLogic::FindAnnouncedPrinters() {
  if (waiting()) return;
  Wait(NewFinder().FindAnnouncedPrinters(), LoadResourceString(kLookingForAnnouncedText));
}

AddPrinterLogic& MainWindowLogic::NewFinder() {
  finder_ = std::make_unique<AddPrinterLogic>(*this, boxes_, [this](AddPrinterLogic::Outcome) {
    host_.ShowWaiting(false);
    host_.StateChanged();
  });
  return *finder_;
}

void MainWindowLogic::Wait(AddPrinterLogic::Outcome started, const std::string& status) {
  // Any other outcome has come through the finder's end already.
  if (started != AddPrinterLogic::Outcome::Busy) return;
  statusText_ = status;
  host_.ShowWaiting(true);
  host_.StateChanged();
}
