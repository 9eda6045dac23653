// Reading the lines of the program's own text files (printer lists,
// resource sets), whichever line ends an editor gave them.
#pragma once

#include <string_view>

// Takes the next line off the front of `text`: up to its LF, without the
// LF and without a CR before it.
inline std::string_view TakeLine(std::string_view& text) {
  const size_t end = text.find('\n');
  std::string_view line = text.substr(0, end);
  text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}
