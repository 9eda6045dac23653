// A print device that paints with QPainter on a paged paint device: a
// QPrinter (a printer through the system's print service, or a PDF file)
// or a QPdfWriter. Needs only Qt GUI, and a QGuiApplication for its fonts.
#pragma once

#include <QFont>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPoint>
#include <vector>

#include "fonts/print_device.h"

class PainterPrintDevice : public PrintDevice {
 public:
  // `device` is not owned and outlives this one.
  explicit PainterPrintDevice(QPagedPaintDevice& device);

  bool StartDoc(const std::string& documentName, const std::string& outputFile) override;
  bool StartPage() override;
  bool EndPage() override { return true; }
  bool EndDoc() override;
  void AbortDoc() override;

  int HorizontalResolution() override { return device_.width(); }
  int VerticalResolution() override { return device_.height(); }
  int DotsPerInchX() override { return device_.logicalDpiX(); }
  int DotsPerInchY() override { return device_.logicalDpiY(); }

  int CreateFont(const std::string& face, int points) override;
  int SelectFont(int font) override;
  TextExtent GetTextExtent(const std::string& text) override;
  int DrawText(const std::string& text, PrintRect& rect, unsigned flags) override;
  int SetBkMode(int mode) override;

  void MoveTo(int x, int y) override { position_ = QPoint(x, y); }
  void LineTo(int x, int y) override;
  void Rectangle(const PrintRect& rect) override;

  void SaveState() override;
  void RestoreState() override;

 protected:
  // Names the document and points it at `outputFile` (empty: the device's
  // own destination) before it starts.
  virtual void NameDocument(const std::string& documentName, const std::string& outputFile);

 private:
  struct State {
    int font;
    QPoint position;
    int backgroundMode;
  };

  QPagedPaintDevice& device_;
  QPainter painter_;
  std::vector<QFont> fonts_;
  int font_ = 0;
  QPoint position_;
  int backgroundMode_ = TRANSPARENT;
  std::vector<State> saved_;
  bool pageStarted_ = false;
};
