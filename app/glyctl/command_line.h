// The words after a command: options, their values and the positional
// arguments, checked against what the command accepts.
//
// "--name value", "--name=value", "-n value" and "-nvalue" are the same.
// Each option says how many values it takes: none (a flag), one, or a list
// that takes the following words while they are not options and, when the
// option says what its values look like, while they look so. "--" ends the
// options; a lone "-" is a positional argument.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

struct OptionRule {
  std::string name;  // without the dashes
  enum Kind { kFlag, kValue, kList } kind = kFlag;
  char shortName = '\0';  // '\0': none
  // For a list: whether a word is one of its values; every word when null.
  bool (*takes)(const std::string& word) = nullptr;
};

struct CommandLine {
  std::vector<std::string> positional;
  // Every value of each option given, in order; a flag has one empty value
  // per use.
  std::map<std::string, std::vector<std::string>> options;

  bool Has(const std::string& name) const { return options.count(name) != 0; }
  // The last value given, or nullopt.
  std::optional<std::string> Value(const std::string& name) const;
  std::vector<std::string> Values(const std::string& name) const;
};

// Parses `words`; on a word that is no option of `rules`, or an option that
// lacks its value, returns nullopt with the reason in `error`.
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& words,
                                            const std::vector<OptionRule>& rules, std::string& error);
