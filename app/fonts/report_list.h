// What a list report prints: a list of rows under column headings, read the
// way a report-view list control gives them (row count, each heading's
// on-screen width, format word and text, each cell's text).
#pragma once

#include <string>
#include <vector>

// Alignment bits of a heading's format word.
inline constexpr unsigned LVCFMT_LEFT = 0x0000;
inline constexpr unsigned LVCFMT_RIGHT = 0x0001;
inline constexpr unsigned LVCFMT_CENTER = 0x0002;

struct ReportColumn {
  int width = 0;  // on-screen pixels
  unsigned format = LVCFMT_LEFT;
  std::string heading;
};

class ReportList {
 public:
  virtual ~ReportList() = default;
  virtual int ItemCount() const = 0;
  virtual int ColumnCount() const = 0;
  // False when the heading of `column` cannot be read.
  virtual bool Column(int column, ReportColumn& out) const = 0;
  virtual std::string CellText(int row, int column) const = 0;
};

// A list held in memory, for printing without a list control.
class TableReportList final : public ReportList {
 public:
  TableReportList(std::vector<ReportColumn> columns, std::vector<std::vector<std::string>> rows)
      : columns_(std::move(columns)), rows_(std::move(rows)) {}

  int ItemCount() const override { return static_cast<int>(rows_.size()); }
  int ColumnCount() const override { return static_cast<int>(columns_.size()); }
  bool Column(int column, ReportColumn& out) const override;
  std::string CellText(int row, int column) const override;

 private:
  std::vector<ReportColumn> columns_;
  std::vector<std::vector<std::string>> rows_;
};
