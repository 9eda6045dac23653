// What glyctl prints on standard output: rows under named columns, as an
// aligned table for people, or as CSV (RFC 4180) or JSON for scripts.
//
// The program's texts are single-byte; they are taken as Latin-1 and
// written as UTF-8, so that every output is valid text whatever bytes a
// printer reported in a font name. Control characters (C0, DEL and C1) are
// shown as '?' in every format (text/shown_text.h).
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

enum class OutputFormat { kTable, kCsv, kJson };

// "table", "csv" or "json".
std::optional<OutputFormat> ParseOutputFormat(std::string_view text);

struct OutputColumn {
  std::string heading;  // the table's and the CSV header's text
  std::string key;      // the JSON member name
};

struct OutputTable {
  std::vector<OutputColumn> columns;
  std::vector<std::vector<std::string>> rows;  // one cell per column
};

// The table, CSV (a header line, then one line per row, CRLF ends) or JSON
// (an array of objects, one per row, members by column key).
void WriteOutputTable(std::ostream& out, const OutputTable& table, OutputFormat format);

// A JSON object whose members are texts or tables (arrays of row objects,
// as WriteOutputTable writes them), in the order given.
struct JsonMember {
  std::string key;
  std::string text;
  const OutputTable* table = nullptr;  // when set, the member is this table
};
void WriteJsonObject(std::ostream& out, const std::vector<JsonMember>& members);

// `text`, single-byte Latin-1, as UTF-8.
std::string Latin1ToUtf8(std::string_view text);
