#include "fleet/fleet_check.h"

#include <algorithm>
#include <mutex>
#include <thread>

#include "snmp/contract/glysnmp.h"

namespace {

class PrinterFileSystem final : public StoredFileQuestions {
 public:
  explicit PrinterFileSystem(uint32_t address) : address_(address) {}
  int32_t QueryStoredFile(const std::string& printerPath, uint64_t& size) override {
    // A printer that could not be asked once is not kept waiting for each file.
    if (!answers_) return kSnmpFileUnknown;
    const int32_t result = SnmpQueryStoredFileSize(address_, printerPath.c_str(), &size);
    answers_ = result == kSnmpFileStored || result == kSnmpFileNotStored;
    return result;
  }

 private:
  uint32_t address_;
  bool answers_ = true;
};

}  // namespace

bool PrinterAnswered(const PrinterCheck& check) {
  switch (check.fonts.readResult) {
    case kSnmpOk:
    case kSnmpFontsNoFileSystemAccess:
    case kSnmpFontsFileSystemLocked:
    case kSnmpFontsPjlPasswordWrong: return true;
    default: return false;
  }
}

PrinterFonts ReadPrinterFonts(const PrinterRecord& printer) {
  PrinterRecord asked = printer;
  PrinterFonts read;
  FontList list{0, nullptr};
  read.readResult = SnmpGetFontTable(&asked, &list);
  if (read.readResult == kSnmpNoFontTable) {
    read.fromFileSystem = true;
    read.readResult = SnmpGetFontList(&asked, &list);
  }
  if (read.readResult == kSnmpOk && list.entries) read.fonts.assign(list.entries, list.entries + std::max(list.count, 0));
  SnmpFreeFontList(&list);
  return read;
}

PrinterCheck CheckPrinter(const PrinterRecord& printer, const std::vector<SetResourceParts>& resources) {
  PrinterCheck check;
  check.fonts = ReadPrinterFonts(printer);
  PrinterFileSystem files(printer.address);
  for (const SetResourceParts& resource : resources)
    check.cells.push_back(JudgeHolding(resource.parts, check.fonts, files));
  return check;
}

void RunSideBySide(size_t count, int parallel, const std::function<void(size_t item)>& work,
                   const std::atomic<bool>* stop) {
  std::atomic<size_t> next{0};
  const auto serve = [&] {
    for (size_t item = next++; item < count && !(stop && *stop); item = next++) work(item);
  };
  const size_t threads = std::min(count, static_cast<size_t>(std::clamp(parallel, 1, kMostParallelChecks)));
  std::vector<std::thread> pool;
  for (size_t t = 0; t < threads; ++t) pool.emplace_back(serve);
  for (std::thread& thread : pool) thread.join();
}

void CheckFleet(const std::vector<PrinterRecord>& printers, const std::vector<SetResourceParts>& resources,
                int parallel, const std::function<void(size_t printer, PrinterCheck check)>& arrived,
                const std::atomic<bool>* stop) {
  std::mutex reporting;
  RunSideBySide(
      printers.size(), parallel,
      [&](size_t index) {
        PrinterCheck check = CheckPrinter(printers[index], resources);
        const std::lock_guard guard(reporting);
        arrived(index, std::move(check));
      },
      stop);
}
