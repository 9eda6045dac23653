#include "glyctl/output_table.h"

#include <algorithm>
#include <atomic>

#include "text/shown_text.h"

std::optional<OutputFormat> ParseOutputFormat(std::string_view text) {
  if (text == "table") return OutputFormat::kTable;
  if (text == "csv") return OutputFormat::kCsv;
  if (text == "json") return OutputFormat::kJson;
  return std::nullopt;
}

std::string Latin1ToUtf8(std::string_view text) {
  std::string utf8;
  utf8.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | (byte >> 6));
      utf8 += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return utf8;
}

namespace {

std::atomic<bool> headerShown{true};

std::string Cell(const std::vector<std::string>& row, size_t column) {
  return column < row.size() ? row[column] : std::string();
}

// Control bytes that a printer sent would move the cursor, ring the bell,
// end a line or start an escape sequence where the output is shown.
std::string Printable(std::string_view text) { return Latin1ToUtf8(ShownSingleByte(text)); }

void WriteTable(std::ostream& out, const OutputTable& table) {
  // One byte is one character of the single-byte texts, so byte lengths
  // are display widths.
  std::vector<size_t> widths;
  for (const OutputColumn& column : table.columns) widths.push_back(headerShown ? column.heading.size() : 0);
  for (const auto& row : table.rows)
    for (size_t c = 0; c < widths.size(); ++c) widths[c] = std::max(widths[c], Cell(row, c).size());
  const auto line = [&](const std::vector<std::string>& cells) {
    std::string text;
    for (size_t c = 0; c < widths.size(); ++c) {
      const std::string cell = Cell(cells, c);
      text += Printable(cell);
      if (c + 1 < widths.size()) text += std::string(widths[c] - cell.size() + 2, ' ');
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    out << text << '\n';
  };
  std::vector<std::string> headings;
  for (const OutputColumn& column : table.columns) headings.push_back(column.heading);
  if (headerShown) line(headings);
  for (const auto& row : table.rows) line(row);
}

std::string CsvField(std::string_view raw) {
  const std::string shown = ShownSingleByte(raw);
  const std::string_view text = shown;
  const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                     (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!quote) return Latin1ToUtf8(text);
  std::string field = "\"";
  for (const char c : text) {
    if (c == '"') field += '"';
    field += c;
  }
  field += '"';
  return Latin1ToUtf8(field);
}

void WriteCsv(std::ostream& out, const OutputTable& table) {
  const auto line = [&](const std::vector<std::string>& cells, size_t count) {
    for (size_t c = 0; c < count; ++c) {
      if (c > 0) out << ',';
      out << CsvField(Cell(cells, c));
    }
    out << "\r\n";
  };
  std::vector<std::string> headings;
  for (const OutputColumn& column : table.columns) headings.push_back(column.heading);
  if (headerShown) line(headings, headings.size());
  for (const auto& row : table.rows) line(row, headings.size());
}

// A JSON reader keeps \u001b as an ESC for whoever prints the value, so
// controls are replaced rather than escaped.
Json JsonCell(const std::string& cell, CellType type) {
  switch (type) {
    case CellType::kText: break;
    case CellType::kNumber:
      if (cell.empty()) return nullptr;
      if (cell.size() <= 19 && cell.find_first_not_of("0123456789") == std::string::npos) return std::stoull(cell);
      break;  // not a count after all: kept as its text
    case CellType::kYesNo:
      if (cell.empty()) return nullptr;
      if (cell == "yes" || cell == "no") return cell == "yes";
      break;
  }
  return JsonText(cell);
}

}  // namespace

Json JsonText(std::string_view text) { return Printable(text); }

Json JsonRows(const OutputTable& table) {
  Json rows = Json::array();
  for (const auto& cells : table.rows) {
    Json row = Json::object();
    for (size_t c = 0; c < table.columns.size(); ++c)
      row[table.columns[c].key] = JsonCell(Cell(cells, c), table.columns[c].type);
    rows.push_back(std::move(row));
  }
  return rows;
}

void WriteJsonDocument(std::ostream& out, const Json& document) {
  Json whole = {{"schema_version", kJsonSchemaVersion}};
  for (const auto& [key, value] : document.items()) whole[key] = value;
  out << whole.dump(2) << '\n';
}

void SetOutputHeaderShown(bool shown) { headerShown = shown; }

void WriteOutputTable(std::ostream& out, const OutputTable& table, OutputFormat format) {
  switch (format) {
    case OutputFormat::kTable: WriteTable(out, table); break;
    case OutputFormat::kCsv: WriteCsv(out, table); break;
    case OutputFormat::kJson: WriteJsonDocument(out, {{table.jsonKey, JsonRows(table)}}); break;
  }
}
