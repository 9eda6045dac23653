// One LPD connection (RFC 1179) of a printer, as a state machine over the
// bytes received: queue "lp" takes jobs (control and data files, each
// acknowledged by one zero byte), the queue-state commands get a short
// answer, anything else ends the connection. Received files are kept with
// the printer's jobs, and each data file is run by the printer as soon as
// it is complete, before its acknowledgement goes out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "connection_session.h"
#include "printer.h"

namespace printer_sim {

inline constexpr char kQueueName[] = "lp";
inline constexpr size_t kMostControlFileBytes = 64 * 1024;
inline constexpr uint64_t kMostDataFileBytes = 256ull * 1024 * 1024;

class LpdSession : public ConnectionSession {
 public:
  explicit LpdSession(Printer& printer) : printer_(printer) {}

  void Receive(const uint8_t* data, size_t size, std::string& reply) override;
  // An unfinished job is aborted; nothing more is sent.
  void EndOfInput(std::string& reply) override;
  bool closing() const override { return state_ == State::kClosed; }

 private:
  enum class State { kCommand, kSubcommand, kFile, kClosed };

  void OnLine(const std::string& line, std::string& reply);
  void OnCommand(const std::string& line, std::string& reply);
  void OnSubcommand(const std::string& line, std::string& reply);
  void OnFileComplete(std::string& reply);
  // Acknowledges a step, or fails it as the printer's faults say.
  void Acknowledge(LpdStep step, std::string& reply);
  void Refuse(std::string& reply);
  void Close();

  Printer& printer_;
  State state_ = State::kCommand;
  std::string line_;
  std::optional<size_t> job_;
  JobFile file_;
  uint64_t fileRemaining_ = 0;  // file bytes still to come, then its NUL
};

}  // namespace printer_sim
