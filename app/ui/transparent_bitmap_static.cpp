#include "ui/transparent_bitmap_static.h"

#include <QPainter>

namespace {
constexpr QRgb kKeyColour = qRgb(255, 0, 255);
}

TransparentBitmapStatic::TransparentBitmapStatic(QWidget* parent) : QLabel(parent) {}

void TransparentBitmapStatic::SetBitmap(const QImage& bitmap) {
  shown_ = bitmap.isNull() ? QImage() : KeyOutMagenta(bitmap);
  update();
}

QImage TransparentBitmapStatic::KeyOutMagenta(const QImage& bitmap) {
  // Where the key colour is, the image gives way and the background shows.
  QImage keyed = bitmap.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < keyed.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
    for (int x = 0; x < keyed.width(); ++x)
      if ((line[x] & 0x00FFFFFFu) == (kKeyColour & 0x00FFFFFFu)) line[x] = qRgba(0, 0, 0, 0);
  }
  return keyed;
}

void TransparentBitmapStatic::paintEvent(QPaintEvent* event) {
  if (shown_.isNull()) {
    QLabel::paintEvent(event);
    return;
  }
  QPainter painter(this);
  // Centred at its size in points, or shrunk to fit a smaller control, and
  // smoothly scaled to the screen's pixels so that its text stays whole
  // and sharp.
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  QSizeF size = shown_.deviceIndependentSize();
  if (size.width() > width() || size.height() > height()) size.scale(QSizeF(this->size()), Qt::KeepAspectRatio);
  const QPointF corner((width() - size.width()) / 2, (height() - size.height()) / 2);
  painter.drawImage(QRectF(corner, size), shown_);
}
