// What the program does with its printer records: a new record's defaults,
// the fixed text fields and the address text. The record's layout is shared
// with the SNMP access library (snmp/contract/snmp_records.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "snmp/contract/snmp_records.h"

// Community strings a new record starts with.
inline constexpr char kDefaultReadCommunity[] = "vorpal";
inline constexpr char kDefaultWriteCommunity[] = "quillet";
inline constexpr char kDefaultTrapCommunity[] = "PLMB_vane";

// A zero-filled record with the default community strings, no model
// (pclList 0) and fontNameIndex 1, as a record looks before any model
// profile or printer answer has been applied.
PrinterRecord MakePrinterRecord();

// Copies `text` into a fixed text field, cut to fit and NUL-terminated.
void CopyRecordText(char* field, size_t fieldSize, const char* text);
template <size_t N>
void CopyRecordText(char (&field)[N], const char* text) {
  CopyRecordText(field, N, text);
}

// "a.b.c.d" of a 32-bit address, most significant octet first.
std::string FormatAddress(uint32_t address);

// A dialog's title followed by the printer it is about, named as
// PrinterDisplayName does: "<title> - LAB2 (Model 40) 10.1.2.3".
std::string PrinterDialogTitle(const std::string& title, const PrinterRecord& printer);
