// What glyctl prints on standard output: rows under named columns, as an
// aligned table for people, or as CSV (RFC 4180) or JSON for scripts.
//
// The program's texts are single-byte; they are taken as Latin-1 and
// written as UTF-8, so that every output is valid text whatever bytes a
// printer reported in a font name. Control characters (C0, DEL and C1) are
// shown as '?' in every format (text/shown_text.h).
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

enum class OutputFormat { kTable, kCsv, kJson };

// "table", "csv" or "json".
std::optional<OutputFormat> ParseOutputFormat(std::string_view text);

// What a column's cells are in JSON. Cells are texts in every format; in
// JSON a number column's digits are a number and a yes/no column's cells
// are true and false; an empty cell of either is null.
enum class CellType { kText, kNumber, kYesNo };

struct OutputColumn {
  std::string heading;  // the table's and the CSV header's text
  std::string key;      // the JSON member name
  CellType type = CellType::kText;
};

struct OutputTable {
  std::vector<OutputColumn> columns;
  std::vector<std::vector<std::string>> rows;  // one cell per column
  std::string jsonKey = "rows";  // the member that holds the rows in JSON
};

// Bumped when a member of a JSON document changes its meaning or goes;
// new members leave it as it is.
constexpr int kJsonSchemaVersion = 1;

// The table, CSV (a header line, then one line per row, CRLF ends) or JSON
// (an object: schema_version, and the rows as objects, members by column
// key, under the table's jsonKey).
void WriteOutputTable(std::ostream& out, const OutputTable& table, OutputFormat format);

// Tables and CSV leave out their header line (--no-header); for the whole
// process, set while a command runs.
void SetOutputHeaderShown(bool shown);

using Json = nlohmann::ordered_json;
// The rows of `table` as a JSON array of objects.
Json JsonRows(const OutputTable& table);
// `text`, single-byte, as a JSON string: control characters as '?'.
Json JsonText(std::string_view text);
// `document` (an object) after its schema_version, indented by two.
void WriteJsonDocument(std::ostream& out, const Json& document);

// `text`, single-byte Latin-1, as UTF-8.
std::string Latin1ToUtf8(std::string_view text);
