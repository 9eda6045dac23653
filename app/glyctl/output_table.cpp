#include "glyctl/output_table.h"

#include <algorithm>

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
  for (const OutputColumn& column : table.columns) widths.push_back(column.heading.size());
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
  line(headings);
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
  line(headings, headings.size());
  for (const auto& row : table.rows) line(row, headings.size());
}

// A JSON reader keeps \u001b as an ESC for whoever prints the value, so
// controls are replaced rather than escaped.
std::string JsonString(std::string_view text) {
  std::string json = "\"";
  for (const char c : ShownSingleByte(text)) {
    if (c == '"' || c == '\\') json += '\\';
    json += c;
  }
  json += '"';
  return Latin1ToUtf8(json);
}

// The array without a line end after it; rows one level deeper than `indent`.
void WriteJsonArray(std::ostream& out, const OutputTable& table, const std::string& indent) {
  out << '[';
  for (size_t r = 0; r < table.rows.size(); ++r) {
    out << (r == 0 ? "\n" : ",\n") << indent << "  {";
    for (size_t c = 0; c < table.columns.size(); ++c) {
      if (c > 0) out << ", ";
      out << JsonString(table.columns[c].key) << ": " << JsonString(Cell(table.rows[r], c));
    }
    out << '}';
  }
  out << (table.rows.empty() ? "]" : "\n" + indent + "]");
}

void WriteJson(std::ostream& out, const OutputTable& table) {
  WriteJsonArray(out, table, "");
  out << '\n';
}

}  // namespace

void WriteJsonObject(std::ostream& out, const std::vector<JsonMember>& members) {
  out << '{';
  for (size_t m = 0; m < members.size(); ++m) {
    out << (m == 0 ? "\n  " : ",\n  ") << JsonString(members[m].key) << ": ";
    if (members[m].table != nullptr) {
      WriteJsonArray(out, *members[m].table, "  ");
    } else {
      out << JsonString(members[m].text);
    }
  }
  out << (members.empty() ? "}\n" : "\n}\n");
}

void WriteOutputTable(std::ostream& out, const OutputTable& table, OutputFormat format) {
  switch (format) {
    case OutputFormat::kTable: WriteTable(out, table); break;
    case OutputFormat::kCsv: WriteCsv(out, table); break;
    case OutputFormat::kJson: WriteJson(out, table); break;
  }
}
