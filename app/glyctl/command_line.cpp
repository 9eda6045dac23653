#include "glyctl/command_line.h"

#include <algorithm>

namespace {

bool IsOption(const std::string& word) { return word.size() > 2 && word.compare(0, 2, "--") == 0; }

}  // namespace

std::optional<std::string> CommandLine::Value(const std::string& name) const {
  const auto found = options.find(name);
  if (found == options.end() || found->second.empty()) return std::nullopt;
  return found->second.back();
}

std::vector<std::string> CommandLine::Values(const std::string& name) const {
  const auto found = options.find(name);
  return found == options.end() ? std::vector<std::string>{} : found->second;
}

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& words,
                                            const std::vector<OptionRule>& rules, std::string& error) {
  CommandLine line;
  bool optionsEnded = false;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (optionsEnded || !IsOption(word)) {
      if (word == "--" && !optionsEnded) {
        optionsEnded = true;
        continue;
      }
      if (!optionsEnded && word.size() > 1 && word[0] == '-') {
        error = "unknown option " + word;
        return std::nullopt;
      }
      line.positional.push_back(word);
      continue;
    }
    const size_t equals = word.find('=');
    const std::string name = word.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
    const auto rule = std::find_if(rules.begin(), rules.end(), [&](const OptionRule& s) { return s.name == name; });
    if (rule == rules.end()) {
      error = "unknown option --" + name;
      return std::nullopt;
    }
    std::vector<std::string>& values = line.options[name];
    if (rule->kind == OptionRule::kFlag) {
      if (equals != std::string::npos) {
        error = "--" + name + " takes no value";
        return std::nullopt;
      }
      values.emplace_back();
      continue;
    }
    if (equals != std::string::npos) {
      values.push_back(word.substr(equals + 1));
    } else if (rule->kind == OptionRule::kValue) {
      if (i + 1 >= words.size()) {
        error = "--" + name + " needs a value";
        return std::nullopt;
      }
      values.push_back(words[++i]);
    }
    if (rule->kind == OptionRule::kList) {
      while (i + 1 < words.size() && !IsOption(words[i + 1]) && words[i + 1] != "--") values.push_back(words[++i]);
    }
    if (values.empty() || (rule->kind == OptionRule::kValue && values.back().empty())) {
      error = "--" + name + " needs a value";
      return std::nullopt;
    }
  }
  return line;
}
