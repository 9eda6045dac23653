// glyctl's readers of what a user hands it: a community file's text, and a
// command line (the input split into words at NUL bytes). Neither may
// crash, and a community string or SNMPv3 setting it accepts fits its
// field. And its writer of what printers report: the input as a cell of
// every output format reaches the output without a control character.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "glyctl/command_line.h"
#include "glyctl/community_options.h"
#include "glyctl/output_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string error;
  SecurityOptions security;
  if (const auto strings = ParseCommunityText(text, "fuzz", error, security)) {
    for (const std::string* value : {&strings->read, &strings->write, &strings->trap})
      if (value->size() > 63) std::abort();
    // Every text the settings take ends within its field.
    if (const auto choice = security.Choice(error)) {
      const SnmpSecurity& v3 = choice->value;
      if (strnlen(v3.user, sizeof v3.user) == sizeof v3.user ||
          strnlen(v3.authPassphrase, sizeof v3.authPassphrase) == sizeof v3.authPassphrase ||
          strnlen(v3.privPassphrase, sizeof v3.privPassphrase) == sizeof v3.privPassphrase)
        std::abort();
    }
  }

  const OutputTable table{{{"Name", "name"}}, {{text}}};
  for (OutputFormat format : {OutputFormat::kTable, OutputFormat::kCsv, OutputFormat::kJson}) {
    std::ostringstream out;
    WriteOutputTable(out, table, format);
    const std::string written = out.str();
    for (size_t i = 0; i < written.size(); ++i) {
      const auto byte = static_cast<uint8_t>(written[i]);
      const bool lineEnd = byte == '\n' || (byte == '\r' && format == OutputFormat::kCsv);
      const bool c1 = byte == 0xC2 && i + 1 < written.size() && static_cast<uint8_t>(written[i + 1]) <= 0x9F;
      if ((byte < 0x20 && !lineEnd) || byte == 0x7F || c1) std::abort();
    }
  }

  std::vector<std::string> words;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\0') {
      words.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  const std::vector<OptionRule> rules = {{"flag", OptionRule::kFlag}, {"value", OptionRule::kValue},
                                         {"list", OptionRule::kList}};
  if (const auto line = ParseCommandLine(words, rules, error)) {
    for (const auto& [name, values] : line->options)
      if (name != "flag" && name != "value" && name != "list") std::abort();
  }
  return 0;
}
