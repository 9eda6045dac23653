// The pieces of PJL command syntax that both PJL readers share: the
// Universal Exit Language, case folding and command options.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace printer_sim {

inline constexpr std::string_view kUel = "\x1b%-12345X";
inline constexpr std::string_view kPjlPrefix = "@PJL";

std::string PjlUpper(std::string_view text);
inline bool IsPjlBlank(char c) { return c == ' ' || c == '\t'; }

// The value of `KEY=value` or `KEY = "value"` among a command's options
// (`key` in capitals); quoted values keep their blanks.
std::optional<std::string> PjlOption(std::string_view options, std::string_view key);
// An option's value as a whole decimal number.
std::optional<uint64_t> PjlNumber(const std::optional<std::string>& text);

}  // namespace printer_sim
