// One AppSocket connection (raw TCP, port 9100 on printers): a stream of
// jobs, each PJL commands and printer-language data, separated by the
// Universal Exit Language (ESC%-12345X). Answers go back on the same
// connection:
//   - PJL commands are answered as soon as their line is complete (see
//     pjl_channel.h for the commands and reply formats);
//   - printer-language data runs when its job ends (a UEL, a ^D after
//     PostScript, or the end of input): PostScript ("%!", or after
//     "@PJL ENTER LANGUAGE=POSTSCRIPT") that prints or downloads fonts goes
//     to the job interpreter LPD jobs use, any other PostScript to the
//     query interpreter (postscript_queries.h); anything else is PCL, whose
//     status readback commands are answered (pcl_readback.h) and whose
//     text prints.
// Every buffer is bounded: PJL lines, one job's language data, and the
// data of a download by the space free on its volume.
//
// PJL replies take the shapes and the timing of the printer's
// PjlPersonality (pjl_personality.h): held until the next ECHO has been
// answered, preceded by unasked USTATUS reports, and sent late (each
// answer, or one of them) — answers keep their order.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "connection_session.h"
#include "pcl_readback.h"
#include "pjl_channel.h"
#include "printer.h"

namespace printer_sim {

inline constexpr size_t kMostPjlLineBytes = 4096;
inline constexpr size_t kMostRawJobBytes = 16 * 1024 * 1024;

class AppSocketSession : public ConnectionSession {
 public:
  explicit AppSocketSession(Printer& printer) : printer_(printer), pjl_(printer) {}

  void Receive(const uint8_t* data, size_t size, std::string& reply) override;
  // Runs the job the client left open, then closes.
  void EndOfInput(std::string& reply) override;
  bool closing() const override { return closed_; }
  std::optional<Clock::time_point> NextReplyDue() const override;
  void TakeDueReplies(Clock::time_point now, std::string& reply) override;

 private:
  enum class Mode { kPjl, kLanguage, kPayload };

  void OnPjlByte(char c, std::string& reply);
  void OnLanguageByte(char c, std::string& reply);
  void OnLine(std::string& reply);
  void EndJob(std::string& reply);
  // The job's data from its first byte that is not filler.
  std::string_view Program() const;
  bool IsPostScript() const;
  // A PJL command's reply, shaped and timed as the personality says.
  void AnswerPjl(std::string answer, std::string& reply);
  // Any answer: held behind the next ECHO's on a printer that answers
  // the ECHO first, else sent.
  void Answer(std::string bytes, bool echo, std::string& reply);
  // Bytes to send, now or when the personality's delay has passed.
  void Emit(std::string bytes, std::string& reply);

  Printer& printer_;
  PjlChannel pjl_;
  PclReadback pcl_;
  Mode mode_ = Mode::kPjl;
  std::string line_;
  bool skippingLine_ = false;  // the rest of a line too long to take
  std::string job_;
  bool jobTooLarge_ = false;
  size_t uelMatched_ = 0;      // bytes of a UEL seen at the end of job_
  std::string language_;       // from ENTER LANGUAGE; empty: told by the data
  uint64_t payloadLeft_ = 0;
  bool keepPayload_ = false;
  std::string payload_;
  bool closed_ = false;
  std::string heldForEcho_;  // replies of a printer that answers the ECHO first
  struct TimedReply {
    Clock::time_point due;
    std::string bytes;
  };
  std::deque<TimedReply> timed_;
};

}  // namespace printer_sim
