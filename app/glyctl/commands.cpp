#include "glyctl/commands.h"

#include "glyctl/printer_target.h"

namespace {

const OptionRule kFormat{"format", OptionRule::kValue};
const OptionRule kTo{"to", OptionRule::kValue};
const OptionRule kConvert{"convert", OptionRule::kValue};
const OptionRule kMacroId{"macro-id", OptionRule::kValue};
const OptionRule kFormName{"form-name", OptionRule::kValue};
const OptionRule kPort{"port", OptionRule::kValue};
const std::vector<OptionRule> kFleetOptions = {
    {"to", OptionRule::kValue},        {"convert", OptionRule::kValue},       {"macro-id", OptionRule::kValue},
    {"form-name", OptionRule::kValue}, {"parallel", OptionRule::kValue},      {"printers", OptionRule::kList},
    {"printers-file", OptionRule::kValue}, {"format", OptionRule::kValue}};
const std::vector<OptionRule> kEnsureOptions = [] {
  std::vector<OptionRule> options = kFleetOptions;
  options.push_back({"port", OptionRule::kValue});
  return options;
}();

}  // namespace

const std::vector<CommandInfo>& GlyctlCommands() {
  static const std::vector<CommandInfo> commands = {
      {"discover", "[SUBNET/BITS] [--dns-sd] [--format table|csv|json]", "list the printers of a subnet",
       "Asks every address of the subnet (at most a /16) and lists the printers\n"
       "that answer: address, name, model, storage, system id, serial number,\n"
       "the free space of each disk and flash memory, languages and channels.\n"
       "--dns-sd adds the printers that announce themselves over DNS-SD (through\n"
       "the Avahi daemon, listening GLY_DNSSD_SECONDS, 3 by default), each asked\n"
       "over SNMP as well; one that does not answer is listed with what it\n"
       "announces. Without an Avahi daemon it fails at once (exit status 8).\n",
       true, {kFormat, {"dns-sd", OptionRule::kFlag}}, RunDiscover, false},
      {"add", "ADDRESS [--format table|csv|json]", "show the printer at one address",
       "Asks the printer at ADDRESS who it is and what storage it has, as the\n"
       "program's Add Printer does, with its system id, serial number and the\n"
       "free space of each disk and flash memory.\n",
       true, {kFormat}, RunAdd, false},
      {"fonts", "ADDRESS [--view N] [--format table|csv|json]", "list the fonts of a printer",
       "Lists the printer's fonts under view N (0 by default):\n"
       "  0 all fonts                          5 PostScript fonts only, permanent\n"
       "  1 all permanent fonts                6 PCL fonts only, permanent\n"
       "  2 all downloaded fonts               7 PostScript fonts only, downloaded\n"
       "  3 all PostScript fonts               8 PCL fonts only, downloaded\n"
       "  4 all PCL fonts\n"
       "As JSON, an object: the printer (address, name, system_id, model,\n"
       "serial_number, storage) and how its fonts were read (source), with the\n"
       "fonts as an array under \"fonts\".\n",
       true, {{"view", OptionRule::kValue}, kFormat}, RunFonts, false},
      {"delete", "ADDRESS FONT... [--format table|csv|json]", "delete downloaded fonts from a printer",
       "Deletes the named fonts, one after another, and waits for the printer to\n"
       "finish each (at most about 91 seconds per font). Only downloaded fonts\n"
       "can be deleted: naming only permanent fonts deletes nothing (exit status\n"
       "4); naming some deletes the downloaded ones (exit status 1).\n"
       "Needs the write community, from --community-file.\n",
       true, {kFormat}, RunDelete},
      {"download",
       "[--to disk|flash] [--convert type1|pcl|both] [--macro-id N] [--form-name NAME] [--parallel N] [--no-verify] "
       "[--port lpr|raw|ipp] [--lpr-pacing classic|none] FILE... --printers ADDRESS... | --printers-file LIST",
       "download fonts and resources to printers",
       "Sends every FILE to every printer over LPR, as the Resource Manager\n"
       "does: PostScript fonts as PostScript jobs, PCL fonts as PJL jobs, and\n"
       "TrueType fonts converted to Type 1, to PCL TrueType or both (--convert,\n"
       "both by default). A PCL macro (.pcl) is stored in the volume's\n"
       "\\pcl\\macros folder under the macro ID given with --macro-id (0 to\n"
       "32767), a PostScript form (.frm) as the /Form resource named with\n"
       "--form-name; each is needed when FILEs hold such a file, and holds for\n"
       "all of them. A print file (.prn) is sent as it is. --to chooses the\n"
       "printer's hard disk (default) or its flash memory; a printer without it\n"
       "is skipped (\"No hard disk\", \"No flash memory\", exit status 14).\n"
       "--parallel N serves N printers side by side (default 1, one printer\n"
       "after another). Nothing is sent unless every FILE is a resource and\n"
       "every printer answers. --printers-file takes the printers of a list\n"
       "saved by the program's Save Printer List, each with the job port and\n"
       "download check saved for it. --port sends every job to the printers'\n"
       "LPR queue (lpr, port 515, the default), their raw AppSocket port (raw,\n"
       "9100) or IPP (ipp, 631). A printer that takes no data for 30 s fails\n"
       "its job with \"The printer stopped taking data.\" (exit status 15).\n"
       "--lpr-pacing none sends LPR jobs as fast as TCP allows, for printers\n"
       "that need no pauses; classic (the default, or what a printer list\n"
       "saved) keeps the fixed waits older printers rely on, about 20 s for a\n"
       "2 MB job.\n"
       "After its files each printer is asked whether it holds them (its font\n"
       "table, else PJL FSQUERY): \"Downloaded\" when it does, \"Refused by the\n"
       "printer\" when it took a job but does not (exit status 13), \"Sent, not\n"
       "confirmed\" when it cannot be asked (exit status 12). --no-verify asks\n"
       "nothing: every file sent is \"Sent, not confirmed\" and counts as done.\n",
       true,
       {kTo, kConvert, kMacroId, kFormName, {"parallel", OptionRule::kValue}, {"no-verify", OptionRule::kFlag}, kPort,
        {"lpr-pacing", OptionRule::kValue},
        {"printers", OptionRule::kList, '\0', LooksLikePrinterTarget}, {"printers-file", OptionRule::kValue}, kFormat},
       RunDownload},
      {"export", "[--to disk|flash] [--convert type1|pcl|both] [--macro-id N] [--form-name NAME] FILE... --out JOB.prn",
       "write the download jobs into one print file",
       "Writes the jobs a download would send into JOB.prn, replacing it, to be\n"
       "copied to a printer later. --macro-id and --form-name as for download.\n",
       false, {kTo, kConvert, kMacroId, kFormName, {"out", OptionRule::kValue}, kFormat}, RunExport},
      {"print-font-list", "ADDRESS [--kind ps|pcl] [--port lpr|raw|ipp]", "make a printer print its own font list",
       "Sends the printer the ready-made job that makes it print its PostScript\n"
       "(default) or PCL font list, over LPR unless --port says otherwise (see\n"
       "download --help).\n",
       true, {{"kind", OptionRule::kValue}, kPort}, RunPrintFontList},
      {"report", "ADDRESS --pdf OUT.pdf [--view N]", "write the font list report of a printer as PDF",
       "Writes the printer's fonts under view N (0 by default, see fonts --help)\n"
       "as the Printer Font List's report, a ruled table on A4 pages, into\n"
       "OUT.pdf, replacing it. Needs no display.\n",
       true, {{"pdf", OptionRule::kValue}, {"view", OptionRule::kValue}}, RunReport},
      {"check",
       "SET | [--to disk|flash] [--convert type1|pcl|both] [--macro-id N] [--form-name NAME] FILE... "
       "--printers ADDRESS... | --printers-file LIST  [--parallel N] [--format table|csv|json]",
       "tell which printers hold which resources of a set",
       "Reads every printer's font list, --parallel N side by side (default 1),\n"
       "and tells for each printer and resource of the SET file (see glyctl(1)),\n"
       "or of the FILEs given with download's options: held (on disk, flash or\n"
       "in ROM, of the same size where the printer tells sizes), memory only\n"
       "(lost at power-off), other version (another size), missing, or unknown\n"
       "(the printer does not answer, its file system is closed, or it cannot\n"
       "be asked; the note says which). Exit status 0 when every printer holds\n"
       "everything, 1 when something is missing or different, 3 when a\n"
       "printer did not answer.\n",
       true, kFleetOptions, RunCheck},
      {"ensure",
       "SET | [--to disk|flash] [--convert type1|pcl|both] [--macro-id N] [--form-name NAME] FILE... "
       "--printers ADDRESS... | --printers-file LIST  [--parallel N] [--port lpr|raw|ipp] [--format table|csv|json]",
       "bring every printer of a set to hold all its resources",
       "Checks as check does, then downloads each resource that is missing, of\n"
       "another version or only in memory to exactly the printers that lack it,\n"
       "as download does (each printer confirms what it took), and prints the\n"
       "check again with what was sent to each (Download). A second run sends\n"
       "nothing. Exit status as for check, on the printers as they are after.\n",
       true, kEnsureOptions, RunEnsure},
  };
  return commands;
}
