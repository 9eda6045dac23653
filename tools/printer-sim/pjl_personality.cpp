#include "pjl_personality.h"

#include <regex>
#include <vector>

namespace printer_sim {
namespace {

constexpr std::string_view kEnd = "\r\n";

// Applies `change` to the parts of `line` outside double quotes.
template <typename Change>
std::string OutsideQuotes(const std::string& line, Change change) {
  std::string shaped;
  size_t at = 0;
  for (bool quoted = false; at <= line.size(); quoted = !quoted) {
    const size_t quote = line.find('"', at);
    const std::string part = line.substr(at, quote == std::string::npos ? std::string::npos : quote - at);
    shaped += quoted ? part : change(part);
    if (quote == std::string::npos) break;
    shaped += '"';
    at = quote + 1;
  }
  return shaped;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string ShapeLine(std::string line, const PjlPersonality& pjl) {
  static const std::regex kFileSize(" TYPE=FILE SIZE=([0-9]+)$");
  if (pjl.sizeBeforeType) line = std::regex_replace(line, kFileSize, " SIZE=$1 TYPE=FILE");
  if (pjl.lowerCase) {
    line = OutsideQuotes(line, [](const std::string& part) {
      // The command word, the keys and the TYPE= values.
      static const std::regex kKeyword("^@PJL [A-Z]+|[A-Z][A-Z0-9]*=((FILE|DIR)\\b)?");
      std::string shaped;
      size_t done = 0;
      for (std::sregex_iterator it(part.begin(), part.end(), kKeyword), end; it != end; ++it) {
        shaped += part.substr(done, static_cast<size_t>(it->position()) - done) + Lower(it->str());
        done = static_cast<size_t>(it->position() + it->length());
      }
      return shaped + part.substr(done);
    });
  }
  if (pjl.blanksAroundEquals) {
    line = OutsideQuotes(line, [](const std::string& part) {
      static const std::regex kAssignment("([A-Za-z])=");
      return std::regex_replace(part, kAssignment, "$1 = ");
    });
  }
  return line;
}

bool IsPjlLine(std::string_view line, std::string_view command) {
  return line.substr(0, 5) == "@PJL " && line.substr(5, command.size()) == command;
}

}  // namespace

std::string ShapePjlReply(std::string_view reply, const PjlPersonality& pjl) {
  if (reply.empty()) return {};
  // An upload's data, after its header line, is not text.
  std::string_view data;
  const bool upload = IsPjlLine(reply, "FSUPLOAD FORMAT:BINARY");
  if (upload) {
    const size_t end = reply.find(kEnd);
    data = reply.substr(end + kEnd.size());
    reply = reply.substr(0, end + kEnd.size());
  }
  std::vector<std::string> lines;
  for (size_t at = 0; at < reply.size();) {
    const size_t end = reply.find(kEnd, at);
    lines.emplace_back(reply.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at));
    if (end == std::string_view::npos) break;
    at = end + kEnd.size();
  }
  const bool echoed = !lines.empty() && IsPjlLine(lines.front(), "") && !IsPjlLine(lines.front(), "ECHO") &&
                      !IsPjlLine(lines.front(), "USTATUS") && !upload;
  if (pjl.noCommandEcho && echoed) {
    // What FSQUERY tells on that line stays: its TYPE= and SIZE=.
    const size_t options = lines.front().find(" TYPE=");
    if (options == std::string::npos) {
      lines.erase(lines.begin());
    } else {
      lines.front().erase(0, options + 1);
    }
  }
  std::string shaped = pjl.nulBeforePjl && !lines.empty() && IsPjlLine(lines.front(), "") ? std::string(2, '\0') : "";
  for (size_t i = 0; i < lines.size(); ++i) {
    // The echoed words are the client's own.
    shaped += IsPjlLine(lines[i], "ECHO") ? lines[i] : ShapeLine(lines[i], pjl);
    if (i + 1 < lines.size() || upload) shaped += pjl.lineEnd;
  }
  shaped += data;
  return shaped;
}

std::string UnsolicitedStatus(const PjlPersonality& pjl) {
  return ShapePjlReply(std::string("@PJL USTATUS DEVICE\r\nCODE=10001\r\nDISPLAY=\"Ready\"\r\nONLINE=TRUE\r\n\f"), pjl);
}

}  // namespace printer_sim
