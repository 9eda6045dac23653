#include "lpd_session.h"

#include <charconv>

namespace printer_sim {
namespace {

constexpr size_t kMostLineBytes = 1024;

enum Command : char { kPrintWaiting = 1, kReceiveJob = 2, kShortState = 3, kLongState = 4, kRemoveJobs = 5 };
enum Subcommand : char { kAbortJob = 1, kControlFile = 2, kDataFile = 3 };

// "count SP name": the size and name of a file subcommand.
bool ParseFileHeader(const std::string& text, uint64_t& count, std::string& name) {
  size_t blank = text.find(' ');
  if (blank == 0 || blank == std::string::npos || blank + 1 == text.size()) return false;
  auto [end, error] = std::from_chars(text.data(), text.data() + blank, count);
  if (error != std::errc() || end != text.data() + blank) return false;
  name = text.substr(blank + 1);
  return true;
}

}  // namespace

void LpdSession::Receive(const uint8_t* data, size_t size, std::string& reply) {
  size_t pos = 0;
  while (pos < size && state_ != State::kClosed) {
    if (state_ == State::kFile) {
      if (fileRemaining_ > 1) {
        size_t take = static_cast<size_t>(std::min<uint64_t>(fileRemaining_ - 1, size - pos));
        file_.bytes.append(reinterpret_cast<const char*>(data + pos), take);
        fileRemaining_ -= take;
        pos += take;
        continue;
      }
      // The byte after a file is the client's zero byte.
      if (data[pos++] != 0) {
        Refuse(reply);
        return;
      }
      OnFileComplete(reply);
      continue;
    }
    char c = static_cast<char>(data[pos++]);
    if (c == '\n') {
      std::string line;
      line.swap(line_);
      OnLine(line, reply);
    } else if (line_.size() == kMostLineBytes) {
      Refuse(reply);
    } else {
      line_.push_back(c);
    }
  }
}

void LpdSession::EndOfInput(std::string&) {
  if (job_) printer_.EndJob(*job_, state_ == State::kFile);
  job_.reset();
  Close();
}

void LpdSession::Close() {
  state_ = State::kClosed;
  line_.clear();
  file_ = JobFile{};
}

void LpdSession::Refuse(std::string& reply) {
  reply.push_back('\1');
  if (job_) printer_.EndJob(*job_, true);
  job_.reset();
  Close();
}

void LpdSession::Acknowledge(LpdStep step, std::string& reply) {
  const Faults& faults = printer_.faults();
  if (faults.lpdFailure != LpdFailure::kNone && faults.lpdFailureStep == step) {
    printer_.Log("LPD fault at step " + std::to_string(static_cast<int>(step)));
    if (faults.lpdFailure == LpdFailure::kNegativeAck) {
      Refuse(reply);
    } else {
      if (job_) printer_.EndJob(*job_, true);
      job_.reset();
      Close();
    }
    return;
  }
  reply.push_back('\0');
}

void LpdSession::OnLine(const std::string& line, std::string& reply) {
  if (state_ == State::kCommand) {
    OnCommand(line, reply);
  } else {
    OnSubcommand(line, reply);
  }
}

void LpdSession::OnCommand(const std::string& line, std::string& reply) {
  if (line.empty()) return Close();
  std::string operands = line.substr(1);
  std::string queue = operands.substr(0, operands.find_first_of(" \t"));
  switch (line[0]) {
    case kReceiveJob:
      if (queue != kQueueName) {
        printer_.Log("LPD: refused job for unknown queue \"" + queue + "\"");
        return Refuse(reply);
      }
      job_ = printer_.BeginJob(queue);
      state_ = State::kSubcommand;
      Acknowledge(LpdStep::kJobCommand, reply);
      return;
    case kShortState:
    case kLongState:
      reply += queue == kQueueName ? "lp is ready\nno entries\n" : "unknown printer " + queue + "\n";
      return Close();
    case kPrintWaiting:
    case kRemoveJobs:
    default:
      // Nothing waits in the queue: there is nothing to start or remove.
      return Close();
  }
}

void LpdSession::OnSubcommand(const std::string& line, std::string& reply) {
  if (line.empty()) return Refuse(reply);
  if (line[0] == kAbortJob) {
    printer_.EndJob(*job_, true);
    job_ = printer_.BeginJob(kQueueName);
    return;
  }
  uint64_t count = 0;
  std::string name;
  bool control = line[0] == kControlFile;
  if ((!control && line[0] != kDataFile) || !ParseFileHeader(line.substr(1), count, name)) {
    printer_.Log("LPD: malformed subcommand");
    return Refuse(reply);
  }
  if (count > (control ? kMostControlFileBytes : kMostDataFileBytes)) {
    printer_.Log("LPD: file of " + std::to_string(count) + " bytes is too large");
    return Refuse(reply);
  }
  file_ = JobFile{control, name, {}};
  file_.bytes.reserve(static_cast<size_t>(std::min<uint64_t>(count, 1 << 20)));
  fileRemaining_ = count + 1;
  Acknowledge(control ? LpdStep::kControlCommand : LpdStep::kDataCommand, reply);
  if (state_ != State::kClosed) state_ = State::kFile;
}

void LpdSession::OnFileComplete(std::string& reply) {
  state_ = State::kSubcommand;
  bool control = file_.control;
  Acknowledge(control ? LpdStep::kControlFile : LpdStep::kDataFile, reply);
  if (state_ == State::kClosed) return;
  if (!control) printer_.RunDataFile(file_.bytes);
  printer_.AddJobFile(*job_, std::move(file_));
  file_ = JobFile{};
}

}  // namespace printer_sim
