#include "glyctl/commands.h"

namespace {

const OptionRule kFormat{"format", OptionRule::kValue};
const OptionRule kTo{"to", OptionRule::kValue};
const OptionRule kConvert{"convert", OptionRule::kValue};
const OptionRule kPort{"port", OptionRule::kValue};

}  // namespace

const std::vector<CommandInfo>& GlyctlCommands() {
  static const std::vector<CommandInfo> commands = {
      {"discover", "SUBNET/BITS [--format table|csv|json]", "list the printers of a subnet",
       "Asks every address of the subnet (at most a /16) and lists the printers\n"
       "that answer: address, name, model, storage, system id, serial number\n"
       "and the free space of each disk and flash memory.\n",
       true, {kFormat}, RunDiscover},
      {"add", "ADDRESS [--format table|csv|json]", "show the printer at one address",
       "Asks the printer at ADDRESS who it is and what storage it has, as the\n"
       "program's Add Printer does, with its system id, serial number and the\n"
       "free space of each disk and flash memory.\n",
       true, {kFormat}, RunAdd},
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
       true, {{"view", OptionRule::kValue}, kFormat}, RunFonts},
      {"delete", "ADDRESS FONT... [--format table|csv|json]", "delete downloaded fonts from a printer",
       "Deletes the named fonts, one after another, and waits for the printer to\n"
       "finish each (at most about 91 seconds per font). Only downloaded fonts\n"
       "can be deleted: naming only permanent fonts deletes nothing (exit status\n"
       "4); naming some deletes the downloaded ones (exit status 1).\n"
       "Needs the write community, from --community-file.\n",
       true, {kFormat}, RunDelete},
      {"download",
       "[--to disk|flash] [--convert type1|pcl|both] [--parallel N] [--port lpr|raw|ipp] FILE... "
       "--printers ADDRESS... | --printers-file LIST",
       "download fonts and resources to printers",
       "Sends every FILE to every printer over LPR, as the Resource Manager\n"
       "does: PostScript fonts as PostScript jobs, PCL fonts as PJL jobs, and\n"
       "TrueType fonts converted to Type 1, to PCL TrueType or both (--convert,\n"
       "both by default). --to chooses the printer's hard disk (default) or its\n"
       "flash memory. --parallel N serves N printers side by side (default 1,\n"
       "one printer after another). Nothing is sent unless every FILE is a\n"
       "resource and every printer answers. --printers-file takes the printers\n"
       "of a list saved by the program's Save Printer List, each with the job\n"
       "port saved for it. --port sends every job to the printers' LPR queue\n"
       "(lpr, port 515, the default), their raw AppSocket port (raw, 9100) or\n"
       "IPP (ipp, 631). A printer that takes no data for 30 s fails its job\n"
       "with \"The printer stopped taking data.\" (exit status 12).\n",
       true,
       {kTo, kConvert, {"parallel", OptionRule::kValue}, kPort, {"printers", OptionRule::kList},
        {"printers-file", OptionRule::kValue}, kFormat},
       RunDownload},
      {"export", "[--to disk|flash] [--convert type1|pcl|both] FILE... --out JOB.prn",
       "write the download jobs into one print file",
       "Writes the jobs a download would send into JOB.prn, replacing it, to be\n"
       "copied to a printer later.\n",
       false, {kTo, kConvert, {"out", OptionRule::kValue}, kFormat}, RunExport},
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
  };
  return commands;
}
