// The SNMP agent of one printer: one request datagram in, one response
// out. Requests that cannot be decoded, or that carry a community the
// printer does not know, are dropped without an answer, as agents do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "printer.h"
#include "printer_mib.h"

namespace printer_sim {

// Responses are kept to what one unfragmented datagram carries; GETBULK
// answers are cut to fit.
inline constexpr size_t kMostResponseBytes = 1472;
inline constexpr int32_t kMostRepetitions = 1000;

std::optional<std::string> AnswerSnmpRequest(Printer& printer, PrinterMib& mib,
                                             const uint8_t* data, size_t size);

}  // namespace printer_sim
