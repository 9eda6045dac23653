#include "download/resource_name.h"

#include <cctype>

namespace {

bool IsFormNameCharacter(unsigned char c) { return std::isalnum(c) || c == '_' || c == '-' || c == '.'; }

std::string MacroIdProblem(std::string_view typed) {
  const std::string range = "a number from 0 to " + std::to_string(kMostPclMacroId);
  if (typed.empty()) return "Type the macro ID: " + range + ".";
  int id = 0;
  for (unsigned char c : typed) {
    if (!std::isdigit(c)) return "The macro ID is " + range + ", not \"" + std::string(typed) + "\".";
    id = id * 10 + (c - '0');
    if (id > kMostPclMacroId) return "The macro ID is " + range + ": " + std::string(typed) + " is too large.";
  }
  return {};
}

std::string FormNameProblem(std::string_view typed) {
  if (typed.empty()) return "Type the form's name.";
  if (typed.size() > kMostFormNameLength)
    return "A form name has at most " + std::to_string(kMostFormNameLength) + " characters.";
  bool fits = typed.front() != '.';
  for (unsigned char c : typed) fits = fits && IsFormNameCharacter(c);
  if (!fits) return "A form name holds letters, digits, \"_\", \"-\" and \".\" (not first) only.";
  return {};
}

}  // namespace

std::string ResourceNameProblem(ResourceNameKind kind, std::string_view typed) {
  return kind == ResourceNameKind::kMacroId ? MacroIdProblem(typed) : FormNameProblem(typed);
}
