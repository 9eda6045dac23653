#include "appsocket_session.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "job_plan.h"
#include "pjl_personality.h"
#include "pjl_syntax.h"
#include "postscript_queries.h"

namespace printer_sim {
namespace {

constexpr char kEndOfPostScriptJob = '\x04';

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
// What may come before a job's data: blanks, and the ^D many clients
// send first to end whatever PostScript job came before.
bool IsFiller(char c) { return IsSpace(c) || c == kEndOfPostScriptJob; }

bool StartsLikePjl(const std::string& text) {
  const size_t n = std::min(text.size(), kPjlPrefix.size());
  return PjlUpper(std::string_view(text).substr(0, n)) == kPjlPrefix.substr(0, n);
}

}  // namespace

void AppSocketSession::Receive(const uint8_t* data, size_t size, std::string& reply) {
  size_t pos = 0;
  while (pos < size && !closed_) {
    if (mode_ == Mode::kPayload) {
      const size_t take = static_cast<size_t>(std::min<uint64_t>(payloadLeft_, size - pos));
      if (keepPayload_) payload_.append(reinterpret_cast<const char*>(data + pos), take);
      payloadLeft_ -= take;
      pos += take;
      if (payloadLeft_ == 0) {
        mode_ = Mode::kPjl;
        std::string answer;
        if (keepPayload_) pjl_.FinishPayload(std::move(payload_), answer);
        AnswerPjl(std::move(answer), reply);
        payload_.clear();
      }
      continue;
    }
    const char c = static_cast<char>(data[pos++]);
    if (mode_ == Mode::kPjl) {
      OnPjlByte(c, reply);
    } else {
      OnLanguageByte(c, reply);
    }
  }
}

// Between jobs and within a PJL header: UELs, blank lines and "@PJL"
// lines; anything else starts printer-language data.
void AppSocketSession::OnPjlByte(char c, std::string& reply) {
  if (skippingLine_) {
    skippingLine_ = c != '\n';
    return;
  }
  if (line_.empty() && IsFiller(c)) return;
  line_.push_back(c);
  if (kUel.substr(0, line_.size()) == line_) {
    if (line_.size() == kUel.size()) line_.clear();
    return;
  }
  if (StartsLikePjl(line_)) {
    if (c == '\n') {
      OnLine(reply);
    } else if (line_.size() > kMostPjlLineBytes) {
      printer_.Log("AppSocket: PJL line too long, skipped");
      line_.clear();
      skippingLine_ = true;
    }
    return;
  }
  mode_ = Mode::kLanguage;
  const std::string start = std::move(line_);
  line_.clear();
  for (char byte : start) OnLanguageByte(byte, reply);
}

void AppSocketSession::OnLine(std::string& reply) {
  std::string line = std::move(line_);
  line_.clear();
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  std::string answer;
  PjlChannel::Outcome outcome = pjl_.Command(line, answer);
  AnswerPjl(std::move(answer), reply);
  if (outcome.payload) {
    keepPayload_ = outcome.keepPayload;
    payloadLeft_ = *outcome.payload;
    if (payloadLeft_ > 0) {
      mode_ = Mode::kPayload;
    } else if (keepPayload_) {
      std::string stored;
      pjl_.FinishPayload({}, stored);
      AnswerPjl(std::move(stored), reply);
    }
  } else if (outcome.language) {
    language_ = *outcome.language;
    mode_ = Mode::kLanguage;
  }
}

void AppSocketSession::OnLanguageByte(char c, std::string& reply) {
  if (c == kEndOfPostScriptJob && IsPostScript()) return EndJob(reply);
  if (job_.size() < kMostRawJobBytes) {
    job_.push_back(c);
  } else if (!jobTooLarge_) {
    printer_.Log("AppSocket: job larger than " + std::to_string(kMostRawJobBytes) + " bytes, dropped");
    jobTooLarge_ = true;
  }
  // The bytes of the UEL are all different: a mismatch can only restart it.
  if (c == kUel[uelMatched_]) {
    if (++uelMatched_ == kUel.size()) {
      if (!jobTooLarge_) job_.resize(job_.size() - kUel.size());
      EndJob(reply);
    }
  } else {
    uelMatched_ = c == kUel[0] ? 1 : 0;
  }
}

std::string_view AppSocketSession::Program() const {
  const size_t start = static_cast<size_t>(std::find_if_not(job_.begin(), job_.end(), IsFiller) - job_.begin());
  return std::string_view(job_).substr(start);
}

bool AppSocketSession::IsPostScript() const {
  if (!language_.empty()) return language_ == "POSTSCRIPT";
  return Program().substr(0, 2) == "%!";
}

void AppSocketSession::EndJob(std::string& reply) {
  const std::string_view program = Program();
  std::string output;
  if (!jobTooLarge_ && !std::all_of(program.begin(), program.end(), IsSpace)) {
    if (!IsPostScript()) {
      if (pcl_.Run(program, printer_, output)) printer_.RunDataFile(program);
    } else if (IsPostScriptPrintJob(program)) {
      printer_.RunDataFile(program);
    } else {
      output = AnswerPostScriptQueries(program, printer_);
    }
  }
  if (!output.empty()) Answer(std::move(output), false, reply);
  job_.clear();
  jobTooLarge_ = false;
  uelMatched_ = 0;
  language_.clear();
  mode_ = Mode::kPjl;
}

void AppSocketSession::AnswerPjl(std::string answer, std::string& reply) {
  if (answer.empty()) return;
  const PjlPersonality& pjl = printer_.config().pjl;
  std::string shaped = (pjl.unsolicitedStatus ? UnsolicitedStatus(pjl) : std::string()) + ShapePjlReply(answer, pjl);
  Answer(std::move(shaped), answer.rfind("@PJL ECHO", 0) == 0, reply);
}

void AppSocketSession::Answer(std::string bytes, bool echo, std::string& reply) {
  if (printer_.config().pjl.echoFirst) {
    if (!echo) {
      heldForEcho_ += bytes;
      return;
    }
    bytes += std::exchange(heldForEcho_, {});
  }
  Emit(std::move(bytes), reply);
}

void AppSocketSession::Emit(std::string bytes, std::string& reply) {
  const PjlPersonality& pjl = printer_.config().pjl;
  uint32_t delayMs = pjl.answerDelayMs;
  if (pjl.lateAnswer != 0 && printer_.CountAnswer() == pjl.lateAnswer) delayMs = std::max(delayMs, pjl.lateAnswerMs);
  if (delayMs == 0 && timed_.empty()) {
    reply += bytes;
    return;
  }
  Clock::time_point due = Clock::now() + std::chrono::milliseconds(delayMs);
  if (!timed_.empty()) due = std::max(due, timed_.back().due);
  timed_.push_back({due, std::move(bytes)});
}

std::optional<Clock::time_point> AppSocketSession::NextReplyDue() const {
  if (timed_.empty()) return std::nullopt;
  return timed_.front().due;
}

void AppSocketSession::TakeDueReplies(Clock::time_point now, std::string& reply) {
  while (!timed_.empty() && timed_.front().due <= now) {
    reply += timed_.front().bytes;
    timed_.pop_front();
  }
}

void AppSocketSession::EndOfInput(std::string& reply) {
  if (mode_ == Mode::kLanguage) {
    EndJob(reply);
  } else if (mode_ == Mode::kPjl && !skippingLine_ && line_.size() >= kPjlPrefix.size() &&
             StartsLikePjl(line_)) {
    OnLine(reply);  // a last command without its line end
  } else if (mode_ == Mode::kPayload) {
    printer_.Log("AppSocket: download cut short, dropped");
  }
  closed_ = true;
}

}  // namespace printer_sim
