// A trace of what is said to printers: one line per request and per reply,
// written when GLY_TRACE names the protocol ("snmp,pjl,ipp,lpr", or "all"),
// to the file GLY_TRACE_FILE (appended) or else to standard error.
//
//   12:04:31.207 snmp 192.0.2.7:161 > GET v2c community=**** 1.3.6.1.2.1.1.1.0
//   12:04:31.211 snmp 192.0.2.7:161 < RESPONSE 1.3.6.1.2.1.1.1.0 = "Quill 4500"
//
// Callers mask their secrets; what a printer said is shown with its control
// bytes escaped and cut to a readable length. The settings are read at each
// line, so a program may switch the trace on for one command; each line is
// written whole in one call, so lines of threads and of the libraries that
// share the file do not mix.
#pragma once

#include <string>
#include <string_view>

enum class TraceProtocol { kSnmp, kPjl, kIpp, kLpr, kRaw };

bool Tracing(TraceProtocol protocol);

// `sent`: '>' for what goes to the printer, '<' for what comes back.
void TraceExchange(TraceProtocol protocol, std::string_view peer, char direction, std::string_view text);

// `bytes` as one printable line: control and non-ASCII bytes as \xNN, line
// ends as \n, cut after `most` bytes with the whole length told.
std::string TraceText(std::string_view bytes, size_t most = 200);

// The mask that stands for a secret in the trace.
inline constexpr char kTraceMask[] = "****";

// `text` with the value after each `key` ("PASSWORD=") up to the next
// space or line end replaced by the mask.
std::string MaskAfter(std::string_view text, std::string_view key);
