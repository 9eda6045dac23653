// printf-style formatting of the program's texts into a string of any
// length, for templates that come from the resource library.
#pragma once

#include <cstdio>
#include <string>

template <typename... Args>
std::string FormatText(const std::string& format, Args... args) {
  const int size = std::snprintf(nullptr, 0, format.c_str(), args...);
  if (size <= 0) return {};
  std::string text(static_cast<size_t>(size) + 1, '\0');
  std::snprintf(text.data(), text.size(), format.c_str(), args...);
  text.resize(static_cast<size_t>(size));
  return text;
}
