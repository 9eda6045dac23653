// A picture control that paints its bitmap with magenta (255, 0, 255) as
// the transparent colour, so drawings sit on whatever lies behind them,
// centred and shrunk to fit the control when it is smaller. Without a
// bitmap it paints as an ordinary label.
#pragma once

#include <QImage>
#include <QLabel>

class TransparentBitmapStatic : public QLabel {
  Q_OBJECT
 public:
  explicit TransparentBitmapStatic(QWidget* parent = nullptr);

  void SetBitmap(const QImage& bitmap);
  bool HasBitmap() const { return !shown_.isNull(); }
  // The room the bitmap takes unshrunk, in the dialog's pixels.
  QSize NaturalSize() const { return shown_.deviceIndependentSize().toSize(); }

  // `bitmap` with every magenta pixel made fully transparent.
  static QImage KeyOutMagenta(const QImage& bitmap);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage shown_;
};
