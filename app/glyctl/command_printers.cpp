// discover and add: printers found through the SNMP library, listed with
// what the program's main window knows of them.
#include "glyctl/command_support.h"
#include "glyctl/exit_codes.h"
#include "glyctl/printer_details.h"
#include "printers/printer_abilities.h"

namespace {

// The list's text as the main window shows it, without its padding.
std::string ListedAs(const ListedPrinter& printer) {
  std::string text = printer.listText;
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// What the listing shows of a printer beyond its record, read from it.
struct ReadPrinter {
  const ListedPrinter* listed;
  SnmpPrinterDetails details;
  PrinterAbilities abilities;
};

// Asks each printer for its details, with a bar, as each is one more
// exchange with a printer that may be slow to answer.
std::vector<ReadPrinter> ReadPrinters(Console& console, const std::vector<const ListedPrinter*>& printers) {
  std::vector<ReadPrinter> read;
  console.StartProgress(static_cast<int>(printers.size()), "Reading");
  for (const ListedPrinter* printer : printers) {
    read.push_back({printer, ReadPrinterDetails(*printer->record), RunPrinterAbilities().Get(printer->record->address)});
    console.Advance();
  }
  console.EndProgress();
  return read;
}

// In JSON, each printer as the other commands show it, with its list text.
void WritePrinters(Console& console, const std::vector<const ListedPrinter*>& listed, OutputFormat format) {
  const std::vector<ReadPrinter> printers = ReadPrinters(console, listed);
  std::ostream& out = console.out();
  if (format == OutputFormat::kJson) {
    Json rows = Json::array();
    for (const ReadPrinter& printer : printers) {
      Json row = PrinterJson(*printer.listed->record, printer.details);
      row["listed_as"] = JsonText(ListedAs(*printer.listed));
      row["languages"] = JsonText(LanguagesText(printer.abilities.languages));
      row["channels"] = JsonText(ChannelsText(printer.abilities.channels));
      rows.push_back(std::move(row));
    }
    WriteJsonDocument(out, {{"printers", rows}});
    return;
  }
  OutputTable table;
  table.columns = {{"Address", "address"},   {"Name", "name"},
                   {"Model", "model"},       {"Storage", "storage"},
                   {"Listed as", "list_text"}, {"System ID", "system_id"},
                   {"Serial number", "serial_number"}, {"Storage space", "storage_space"},
                   {"Languages", "languages"}, {"Channels", "channels"}};
  for (const ReadPrinter& printer : printers) {
    const PrinterRecord& record = *printer.listed->record;
    table.rows.push_back({FormatAddress(record.address), record.printerName, record.modelName,
                          StorageText(record.storageOptions), ListedAs(*printer.listed), printer.details.systemId,
                          printer.details.serialNumber, StorageSpaceText(printer.details),
                          LanguagesText(printer.abilities.languages), ChannelsText(printer.abilities.channels)});
  }
  WriteOutputTable(out, table, format);
}

}  // namespace

int RunDiscover(CommandRun& run) {
  const bool announced = run.line.Has("dns-sd");
  if (run.line.positional.size() > 1 || (run.line.positional.empty() && !announced)) {
    run.console.Message("discover takes one SUBNET/BITS, --dns-sd, or both");
    return kExitUsage;
  }
  const std::optional<OutputFormat> format = OutputFormatOf(run);
  if (!format) return kExitUsage;
  ConsolePrinters printers(run.console, run.communities, AskAbilities::kYes);
  std::string error;
  if (!run.line.positional.empty() && !printers.Discover(run.line.positional[0], error)) {
    run.console.Message(error);
    return kExitUsage;
  }
  if (announced && !printers.DiscoverAnnounced(error)) {
    run.console.Message(error);
    return kExitSetup;
  }
  std::vector<const ListedPrinter*> found;
  for (const ListedPrinter& printer : printers.printers()) found.push_back(&printer);
  WritePrinters(run.console, found, *format);
  return kExitOk;
}

int RunAdd(CommandRun& run) {
  if (run.line.positional.size() != 1) {
    run.console.Message("add takes one ADDRESS");
    return kExitUsage;
  }
  const std::optional<OutputFormat> format = OutputFormatOf(run);
  if (!format) return kExitUsage;
  ConsolePrinters printers(run.console, run.communities, AskAbilities::kYes);
  int failure = kExitOk;
  if (LookUpPrinters(run, printers, run.line.positional, failure).empty()) return failure;
  WritePrinters(run.console, {&printers.printers().front()}, *format);
  return kExitOk;
}
