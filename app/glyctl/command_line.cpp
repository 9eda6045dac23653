#include "glyctl/command_line.h"

#include <algorithm>

namespace {

bool IsLongOption(const std::string& word) { return word.size() > 2 && word.compare(0, 2, "--") == 0; }

// "-t", "-t5": a dash and a letter. "-1" and "-" are arguments.
bool IsShortOption(const std::string& word) {
  return word.size() > 1 && word[0] == '-' && word[1] != '-' && std::isalpha(static_cast<unsigned char>(word[1]));
}

bool IsOption(const std::string& word) { return IsLongOption(word) || IsShortOption(word) || word == "--"; }

std::string Shown(const OptionRule& rule) { return "--" + rule.name; }

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
    if (optionsEnded || (!IsLongOption(word) && !IsShortOption(word))) {
      if (word == "--" && !optionsEnded) {
        optionsEnded = true;
        continue;
      }
      if (!optionsEnded && word.size() > 1 && word[0] == '-' && word != "--") {
        error = "unknown option " + word;
        return std::nullopt;
      }
      line.positional.push_back(word);
      continue;
    }
    // The option's rule and the value written into the same word, if any.
    const OptionRule* rule = nullptr;
    std::optional<std::string> attached;
    if (IsLongOption(word)) {
      const size_t equals = word.find('=');
      const std::string name = word.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
      const auto found = std::find_if(rules.begin(), rules.end(), [&](const OptionRule& r) { return r.name == name; });
      if (found == rules.end()) {
        error = "unknown option --" + name;
        return std::nullopt;
      }
      rule = &*found;
      if (equals != std::string::npos) attached = word.substr(equals + 1);
    } else {
      const auto found =
          std::find_if(rules.begin(), rules.end(), [&](const OptionRule& r) { return r.shortName == word[1]; });
      if (found == rules.end()) {
        error = "unknown option " + word.substr(0, 2);
        return std::nullopt;
      }
      rule = &*found;
      if (word.size() > 2) attached = word.substr(2);
    }

    std::vector<std::string>& values = line.options[rule->name];
    switch (rule->kind) {
      case OptionRule::kFlag:
        if (attached) {
          error = Shown(*rule) + " takes no value";
          return std::nullopt;
        }
        values.emplace_back();
        break;
      case OptionRule::kValue:
        if (!attached && (i + 1 >= words.size() || IsOption(words[i + 1]))) {
          error = Shown(*rule) + " needs a value";
          return std::nullopt;
        }
        values.push_back(attached ? *attached : words[++i]);
        if (values.back().empty()) {
          error = Shown(*rule) + " needs a value";
          return std::nullopt;
        }
        break;
      case OptionRule::kList: {
        const size_t before = values.size();
        if (attached && !attached->empty()) values.push_back(*attached);
        while (i + 1 < words.size() && !IsOption(words[i + 1]) && (!rule->takes || rule->takes(words[i + 1])))
          values.push_back(words[++i]);
        if (values.size() == before) {
          error = Shown(*rule) + " needs one or more values";
          if (i + 1 < words.size() && !IsOption(words[i + 1])) error += ", and " + words[i + 1] + " is none";
          return std::nullopt;
        }
        break;
      }
    }
  }
  return line;
}
