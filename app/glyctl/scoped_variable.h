// An environment variable set for the length of a command and put back
// after: the SNMP library reads its settings (port, time-out, retries, the
// read community of printers not yet listed) from the environment at each
// call, and the command line's values reach it so.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedVariable() {
    if (previous_)
      setenv(name_, previous_->c_str(), 1);
    else
      unsetenv(name_);
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
  std::optional<std::string> previous_;
};
