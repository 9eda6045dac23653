// A print device that keeps everything drawn on it, page by page, with
// simple text metrics: at `dpi` a font of P points is P * dpi / 72 units
// high and each character half as wide. Tests step in at page boundaries
// through onStartPage and onEndPage (given the page number, from 1).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "fonts/print_device.h"

class RecordingPrintDevice final : public PrintDevice {
 public:
  struct Text {
    std::string text;
    PrintRect rect;
    unsigned flags;
    int points;  // of the font it was drawn with
  };
  struct Line {
    int x1, y1, x2, y2;
  };
  struct Page {
    std::vector<Text> texts;
    std::vector<Line> lines;
    std::vector<PrintRect> rectangles;
  };

  RecordingPrintDevice(int width = 4800, int height = 6600, int dpi = 600)
      : width_(width), height_(height), dpi_(dpi) {}

  bool StartDoc(const std::string& name, const std::string& output) override {
    calls.push_back("StartDoc");
    documentName = name;
    outputFile = output;
    return !failStartDoc;
  }
  bool StartPage() override {
    calls.push_back("StartPage");
    pages.emplace_back();
    if (onStartPage) onStartPage(static_cast<int>(pages.size()));
    return static_cast<int>(pages.size()) != failStartPageAt;
  }
  bool EndPage() override {
    calls.push_back("EndPage");
    if (onEndPage) onEndPage(static_cast<int>(pages.size()));
    return true;
  }
  bool EndDoc() override {
    calls.push_back("EndDoc");
    return true;
  }
  void AbortDoc() override { calls.push_back("AbortDoc"); }

  int HorizontalResolution() override { return width_; }
  int VerticalResolution() override { return height_; }
  int DotsPerInchX() override { return dpi_; }
  int DotsPerInchY() override { return dpi_; }

  int CreateFont(const std::string& face, int points) override {
    faces.push_back(face);
    fontPoints_.push_back(points);
    return static_cast<int>(fontPoints_.size()) - 1;
  }
  int SelectFont(int font) override {
    const int previous = font_;
    font_ = font;
    return previous;
  }
  TextExtent GetTextExtent(const std::string& text) override {
    const int height = Points() * dpi_ / 72;
    return {static_cast<int>(text.size()) * height / 2, height};
  }
  int DrawText(const std::string& text, PrintRect& rect, unsigned flags) override {
    const TextExtent extent = GetTextExtent(text);
    if (flags & DT_CALCRECT) {
      rect.right = rect.left + extent.width;
      rect.bottom = rect.top + extent.height;
    } else if (!pages.empty()) {
      pages.back().texts.push_back({text, rect, flags, Points()});
    }
    return extent.height;
  }
  int SetBkMode(int mode) override {
    const int previous = backgroundMode;
    backgroundMode = mode;
    return previous;
  }
  void MoveTo(int x, int y) override {
    x_ = x;
    y_ = y;
  }
  void LineTo(int x, int y) override {
    if (!pages.empty()) pages.back().lines.push_back({x_, y_, x, y});
    MoveTo(x, y);
  }
  void Rectangle(const PrintRect& rect) override {
    if (!pages.empty()) pages.back().rectangles.push_back(rect);
  }
  void SaveState() override { ++saved; }
  void RestoreState() override { --saved; }

  // Texts of page `page` (from 1) drawn with a font of `points`.
  std::vector<Text> TextsInFont(int page, int points) const {
    std::vector<Text> found;
    for (const Text& text : pages[static_cast<size_t>(page - 1)].texts)
      if (text.points == points) found.push_back(text);
    return found;
  }

  std::vector<std::string> calls;
  std::vector<Page> pages;
  std::vector<std::string> faces;
  std::string documentName;
  std::string outputFile;
  int backgroundMode = OPAQUE;
  int saved = 0;
  bool failStartDoc = false;
  int failStartPageAt = 0;
  std::function<void(int page)> onStartPage;
  std::function<void(int page)> onEndPage;

 private:
  int Points() const { return font_ >= 0 && font_ < static_cast<int>(fontPoints_.size()) ? fontPoints_[static_cast<size_t>(font_)] : 10; }

  int width_;
  int height_;
  int dpi_;
  std::vector<int> fontPoints_;
  int font_ = -1;
  int x_ = 0;
  int y_ = 0;
};
