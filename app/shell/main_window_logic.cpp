#include "shell/main_window_logic.h"

#include <algorithm>
#include <cctype>

#include "shell/app_directory.h"
#include "shell/main_window_ids.h"
#include "snmp/discovery.h"
#include "ui/message_boxes.h"
#include "ui/resource_module.h"

using namespace main_window;

namespace {

// Where the right button opens the "Printer" menu: over the description
// panel, in client pixels, bounds included.
constexpr int kMenuLeft = 64, kMenuRight = 220, kMenuTop = 240, kMenuBottom = 400;
// The menu opens this far below the pressed point.
constexpr int kMenuDrop = 20;

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

MainWindowLogic::~MainWindowLogic() { StopPrinterReports(this); }

void MainWindowLogic::Initialize(const char* profileFileName) {
  LoadModelProfiles(profiles_, profileFileName);
  StartPrinterReports(this);
  // The library may report printers from here on; the result tells nothing
  // the window could act on.
  SnmpInitContext(&snmpContext_, OnPrinterFound, this, 0);
}

void MainWindowLogic::OnCommand(int id) {
  switch (id) {
    case kAddPrinterButton: host_.OpenAddPrinter(); break;
    case kFontListButton: OpenFontList(); break;
    case kPrintFontListButton: PrintFontList(); break;
    case kManageResourcesButton: OpenResourceManager(); break;
    case kAboutButton: host_.ShowAbout(); break;
    case kHelpButton: host_.OpenHelp(AppFilePath(kHelpFileName)); break;
    case kCloseButton: host_.Close(); break;
    case kChangeCommunityString:
      if (selectedIndex_ != -1) host_.OpenCommunityStrings(*printers_.at(selectedIndex_));
      break;
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
  // The buttons follow the checks only when the selection changes too.
}

void MainWindowLogic::OnRightButtonDown(int x, int y) {
  if (x < kMenuLeft || x > kMenuRight || y < kMenuTop || y > kMenuBottom) return;
  if (int command = host_.TrackPrinterMenu(x, y + kMenuDrop)) OnCommand(command);
}

void MainWindowLogic::OnPrinterSelectionChanged() {
  UpdateCommandButtons();
  printEnabled_ = selectedRow_ != -1;
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
    case kPrintFontListButton: return printEnabled_;
    case kHardDiskLabel: return hardDiskEnabled_;
    case kFlashLabel: return flashEnabled_;
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
  if (!record->optionsKnown) SnmpGetPrinterOptions(record.get());

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

void MainWindowLogic::SelectItem(int row) {
  selectedRow_ = row >= 0 && row < itemCount() ? row : -1;
  host_.StateChanged();
}

void MainWindowLogic::BuildCheckedPrinters() {
  checkedCopies_.clear();
  checkedPointers_.clear();
  for (int i = 0; i < itemCount() && i < printers_.count(); ++i) {
    if (!items_[static_cast<size_t>(i)].checked) continue;
    checkedCopies_.push_back(std::make_unique<PrinterRecord>(*printers_.at(i)));
    checkedPointers_.push_back(checkedCopies_.back().get());
  }
}

void MainWindowLogic::OpenFontList() {
  host_.SetWaitCursor(true);
  BuildCheckedPrinters();
  if (checkedCopies_.empty())
    boxes_.Show(kSelectPrinterText);
  else
    host_.OpenFontList(checkedPointers_.data(), checkedCount());
  host_.SetWaitCursor(false);
}

void MainWindowLogic::OpenResourceManager() {
  BuildCheckedPrinters();
  if (checkedCopies_.empty()) {
    boxes_.Show(kSelectPrinterText);
    return;
  }
  ResourceManagerTargets targets{checkedPointers_.data(), checkedCount(), printers_.printers(),
                                 printers_.count(), {}};
  for (int i = 0; i < printers_.count() && i < itemCount(); ++i)
    if (items_[static_cast<size_t>(i)].checked) targets.checkedIndexes.push_back(i);
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
  // The button is enabled only with a selection, but a menu can outlive it.
  if (selectedRow_ < 0 || selectedRow_ >= printers_.count()) return;
  host_.SetWaitCursor(true);
  const PrinterRecord& printer = *printers_.at(selectedRow_);
  const char* jobFile = kind == FontListKind::PostScript ? "FontList.ps"
                        : printer.pclList == 1           ? "FontList1.pcl"
                                                         : "FontList.pcl";
  // A missing job file or an unreachable printer ends the command silently.
  submitLpr_(FormatAddress(printer.address).c_str(), AppFilePath(jobFile).c_str(), "GLY", 0);
  host_.SetWaitCursor(false);
}
