#include "fonts/qt/painter_print_device.h"

#include <QFontMetrics>

#include "ui/single_byte_text.h"

namespace {

QRect ToQRect(const PrintRect& rect) { return QRect(rect.left, rect.top, rect.Width(), rect.Height()); }

int QtTextFlags(unsigned flags) {
  int qt = Qt::AlignLeft;
  if (flags & DT_CENTER)
    qt = Qt::AlignHCenter;
  else if (flags & DT_RIGHT)
    qt = Qt::AlignRight;
  // As on the platform this was drawn for, only a single line is centred
  // vertically; other text starts at the top.
  if ((flags & DT_SINGLELINE) && (flags & DT_VCENTER))
    qt |= Qt::AlignVCenter | Qt::TextSingleLine;
  else if (flags & DT_SINGLELINE)
    qt |= Qt::AlignTop | Qt::TextSingleLine;
  else
    qt |= Qt::AlignTop;
  return qt;
}

}  // namespace

PainterPrintDevice::PainterPrintDevice(QPagedPaintDevice& device) : device_(device) {
  // Handle 0 is the font a device starts with.
  fonts_.push_back(QFont());
}

void PainterPrintDevice::NameDocument(const std::string&, const std::string&) {}

bool PainterPrintDevice::StartDoc(const std::string& documentName, const std::string& outputFile) {
  NameDocument(documentName, outputFile);
  pageStarted_ = false;
  if (!painter_.begin(&device_)) return false;
  // Hairlines: one device pixel on paper, one pixel in any PDF viewer.
  QPen pen(Qt::black);
  pen.setCosmetic(true);
  pen.setWidth(0);
  painter_.setPen(pen);
  painter_.setFont(fonts_[static_cast<size_t>(font_)]);
  painter_.setBackgroundMode(backgroundMode_ == TRANSPARENT ? Qt::TransparentMode : Qt::OpaqueMode);
  return true;
}

bool PainterPrintDevice::StartPage() {
  // The painter is on the first page from the start; later pages are new.
  if (pageStarted_ && !device_.newPage()) return false;
  pageStarted_ = true;
  return painter_.isActive();
}

bool PainterPrintDevice::EndDoc() { return painter_.end(); }

void PainterPrintDevice::AbortDoc() {
  if (painter_.isActive()) painter_.end();
}

int PainterPrintDevice::CreateFont(const std::string& face, int points) {
  fonts_.emplace_back(FromSingleByte(face), points);
  return static_cast<int>(fonts_.size()) - 1;
}

int PainterPrintDevice::SelectFont(int font) {
  const int previous = font_;
  if (font < 0 || font >= static_cast<int>(fonts_.size())) return previous;
  font_ = font;
  if (painter_.isActive()) painter_.setFont(fonts_[static_cast<size_t>(font)]);
  return previous;
}

TextExtent PainterPrintDevice::GetTextExtent(const std::string& text) {
  // Measured for the device itself, before or during the document.
  const QFontMetrics metrics(fonts_[static_cast<size_t>(font_)], &device_);
  return {metrics.horizontalAdvance(FromSingleByte(text)), metrics.height()};
}

int PainterPrintDevice::DrawText(const std::string& text, PrintRect& rect, unsigned flags) {
  const QString qtext = FromSingleByte(text);
  const int qtFlags = QtTextFlags(flags);
  if (flags & DT_CALCRECT) {
    const QFontMetrics metrics(fonts_[static_cast<size_t>(font_)], &device_);
    const QRect bounds = (flags & DT_SINGLELINE)
                             ? QRect(0, 0, metrics.horizontalAdvance(qtext), metrics.height())
                             : metrics.boundingRect(ToQRect(rect), qtFlags, qtext);
    rect.right = rect.left + bounds.width();
    rect.bottom = rect.top + bounds.height();
    return bounds.height();
  }
  if (!painter_.isActive()) return 0;
  painter_.save();
  painter_.setClipRect(ToQRect(rect));
  QRect drawn;
  painter_.drawText(ToQRect(rect), qtFlags, qtext, &drawn);
  painter_.restore();
  return drawn.height();
}

int PainterPrintDevice::SetBkMode(int mode) {
  const int previous = backgroundMode_;
  backgroundMode_ = mode;
  if (painter_.isActive())
    painter_.setBackgroundMode(mode == TRANSPARENT ? Qt::TransparentMode : Qt::OpaqueMode);
  return previous;
}

void PainterPrintDevice::LineTo(int x, int y) {
  const QPoint to(x, y);
  if (painter_.isActive()) painter_.drawLine(position_, to);
  position_ = to;
}

void PainterPrintDevice::Rectangle(const PrintRect& rect) {
  if (!painter_.isActive() || rect.Width() <= 0 || rect.Height() <= 0) return;
  painter_.save();
  painter_.setBrush(Qt::white);
  painter_.drawRect(QRect(rect.left, rect.top, rect.Width() - 1, rect.Height() - 1));
  painter_.restore();
}

void PainterPrintDevice::SaveState() {
  saved_.push_back({font_, position_, backgroundMode_});
  if (painter_.isActive()) painter_.save();
}

void PainterPrintDevice::RestoreState() {
  if (saved_.empty()) return;
  const State state = saved_.back();
  saved_.pop_back();
  font_ = state.font;
  position_ = state.position;
  backgroundMode_ = state.backgroundMode;
  if (painter_.isActive()) painter_.restore();
}
