// The printers of one glyctl run, found the way the program finds them:
// one by its address, or those of a subnet, through the SNMP library, with
// their records built and their models matched by the same code.
//
// Lives on the thread that runs the command (its user-interface thread).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "glyctl/console_services.h"
#include "printers/model_profile.h"
#include "snmp/community_strings.h"
#include "snmp/discovery.h"

class Console;

struct ListedPrinter {
  std::unique_ptr<PrinterRecord> record;
  std::string listText;
};

// Whether each printer found is also asked for its languages and channels,
// which only commands that send jobs or show them need.
enum class AskAbilities { kNo, kYes };

class ConsolePrinters final : public PrinterListOwner {
 public:
  // Reads the model profiles and starts the library's printer reports.
  // Every printer found gets `communities` before anything else is asked.
  ConsolePrinters(Console& console, NewCommunityStrings communities, AskAbilities askAbilities);
  ~ConsolePrinters();
  ConsolePrinters(const ConsolePrinters&) = delete;
  ConsolePrinters& operator=(const ConsolePrinters&) = delete;

  // The printer at dotted `address`, listed on success. nullptr after the
  // library's message, or with `error` set when no message was shown.
  PrinterRecord* Add(const std::string& address, std::string& error);
  // Lists the printers of `subnet` ("a.b.c.d/bits"); false with `error` for
  // a subnet that is malformed or larger than the library searches.
  bool Discover(const std::string& subnet, std::string& error);
  // Lists the printers announced over DNS-SD that are not listed yet;
  // false, with why, when no browse could be made.
  bool DiscoverAnnounced(std::string& error);

  const std::vector<ListedPrinter>& printers() const { return printers_; }

  // PrinterListOwner: kept in the order found; the list text is kept too.
  int AddPrinter(std::unique_ptr<PrinterRecord> record, const std::string& listText) override;
  const ModelProfileTable& profiles() const override { return profiles_; }
  SnmpContext* snmpContext() override { return &context_; }
  int itemCount() const override { return static_cast<int>(printers_.size()); }
  void SelectItem(int) override {}
  UiThread& uiThread() override { return uiThread_; }
  // A command waits for the library where it stands, and prints its own
  // summary instead of a status line.
  void RunInBackground(std::function<void()> work) override { work(); }
  void ShowStatus(const std::string&) override {}
  std::vector<uint32_t> ListedAddresses() const override {
    std::vector<uint32_t> addresses;
    for (const ListedPrinter& printer : printers_) addresses.push_back(printer.record->address);
    return addresses;
  }

 private:
  Console& console_;
  ModelProfileTable profiles_;
  SnmpContext context_{};
  QueuedUiThread uiThread_;
  ConsoleBoxes boxes_;
  const NewCommunityStrings communities_;
  const AskAbilities askAbilities_;
  std::vector<ListedPrinter> printers_;
};

// A dotted IPv4 address, first octet most significant; nullopt otherwise.
std::optional<uint32_t> ParseAddress(const std::string& text);
// The storage options as words: "none", "disk", "flash", "disk+flash".
std::string StorageText(uint32_t storageOptions);
