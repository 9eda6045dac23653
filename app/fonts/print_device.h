// What printed output is drawn on: a printer, a PDF file, or a recording in
// tests. Coordinates are device units with the origin at the top-left of
// the printable area; texts are single-byte strings.
//
// Thread rule: a device is used by one thread at a time, the one running
// the print job.
#pragma once

#include <string>

// DrawText flags, with the platform's values so that they combine the same
// way. Vertical centring applies to single lines only.
inline constexpr unsigned DT_LEFT = 0x0000;
inline constexpr unsigned DT_CENTER = 0x0001;
inline constexpr unsigned DT_RIGHT = 0x0002;
inline constexpr unsigned DT_VCENTER = 0x0004;
inline constexpr unsigned DT_SINGLELINE = 0x0020;
inline constexpr unsigned DT_CALCRECT = 0x0400;

// Background modes: whether text is drawn on a filled box or on what lies
// under it.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

struct PrintRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const PrintRect&) const = default;
};

struct TextExtent {
  int width = 0;
  int height = 0;
};

class PrintDevice {
 public:
  virtual ~PrintDevice() = default;

  // Document and pages; each returns false when the device refuses.
  // `outputFile` empty sends the document to the printer itself.
  virtual bool StartDoc(const std::string& documentName, const std::string& outputFile) = 0;
  virtual bool StartPage() = 0;
  virtual bool EndPage() = 0;
  virtual bool EndDoc() = 0;
  // Ends the document early; the printer drops what it got of it.
  virtual void AbortDoc() = 0;

  // The printable area in device units, and device units per inch.
  virtual int HorizontalResolution() = 0;
  virtual int VerticalResolution() = 0;
  virtual int DotsPerInchX() = 0;
  virtual int DotsPerInchY() = 0;

  // Fonts live as long as the device; a font is a small handle.
  virtual int CreateFont(const std::string& face, int points) = 0;
  // Makes `font` current and returns the one that was.
  virtual int SelectFont(int font) = 0;
  virtual TextExtent GetTextExtent(const std::string& text) = 0;
  // Draws `text` in `rect` with the current font and returns its height.
  // With DT_CALCRECT nothing is drawn: `rect` grows or shrinks to the
  // text's size, keeping its top-left corner.
  virtual int DrawText(const std::string& text, PrintRect& rect, unsigned flags) = 0;
  // Returns the previous mode.
  virtual int SetBkMode(int mode) = 0;

  // Lines with the current pen; LineTo leaves out its end point.
  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;
  // A rectangle outlined with the pen and filled with the brush (white),
  // right and bottom edges excluded.
  virtual void Rectangle(const PrintRect& rect) = 0;

  // Saves and restores the current font, pen position and background mode.
  virtual void SaveState() = 0;
  virtual void RestoreState() = 0;
};
