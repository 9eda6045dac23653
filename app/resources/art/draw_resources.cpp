// Draws the program's pictures (logo, printer picture, icon, animation) as
// PNG files at build time, so the artwork is source code like the rest.
//
// Usage: draw_resources OUTPUT_DIR
//        draw_resources --theme-icons OUTPUT_DIR   (the icon for the desktop)
// Bitmaps are drawn anti-aliased on transparency and then flattened: fully
// transparent pixels become magenta (the key colour the program paints as
// transparent) and the rest is blended over the dialog background.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <cstring>

#include "animation_layout.h"
#include "resource_library.h"

namespace {

const QColor kAccent(0x25, 0x63, 0xeb);
const QColor kAccentDark(0x1e, 0x3a, 0x8a);
const QColor kInk(0x1f, 0x29, 0x37);
const QColor kSlate(0x47, 0x55, 0x69);
const QColor kSlateLight(0x94, 0xa3, 0xb8);
const QColor kPaper(0xff, 0xff, 0xff);
const QColor kDialogBackground(0xef, 0xef, 0xef);
const QColor kMagenta(0xff, 0x00, 0xff);

QImage Canvas(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

// A bitmap is drawn once at its own size and once at kSharpScale times its
// pixels, for screens that show more than one pixel per point.
constexpr int kSharpScale = GLY_SHARP_BITMAP_SCALE;

// Pixels the drawing left (almost) untouched become the key colour; the
// others are blended over the dialog background so edges stay smooth.
QImage FlattenOnMagenta(const QImage& drawn) {
  QImage flat(drawn.size(), QImage::Format_RGB32);
  const QImage source = drawn.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < source.height(); ++y) {
    for (int x = 0; x < source.width(); ++x) {
      const QColor c = source.pixelColor(x, y);
      if (c.alpha() < 48) {
        flat.setPixelColor(x, y, kMagenta);
        continue;
      }
      const double a = c.alphaF();
      flat.setPixelColor(x, y,
                         QColor::fromRgbF(c.redF() * a + kDialogBackground.redF() * (1 - a),
                                          c.greenF() * a + kDialogBackground.greenF() * (1 - a),
                                          c.blueF() * a + kDialogBackground.blueF() * (1 - a)));
    }
  }
  return flat;
}

// A rounded tile with a serif "A": the program's mark.
void DrawMark(QPainter& p, const QRectF& tile) {
  QLinearGradient fill(tile.topLeft(), tile.bottomRight());
  fill.setColorAt(0, kAccent);
  fill.setColorAt(1, kAccentDark);
  p.setPen(Qt::NoPen);
  p.setBrush(fill);
  p.drawRoundedRect(tile, tile.width() * 0.22, tile.width() * 0.22);

  QFont serif("DejaVu Serif");
  serif.setPixelSize(int(tile.height() * 0.62));
  serif.setBold(true);
  p.setFont(serif);
  p.setPen(kPaper);
  p.drawText(tile.adjusted(0, -tile.height() * 0.04, 0, 0), Qt::AlignCenter, "A");

  // A short baseline rule under the letter, like a type specimen.
  p.setPen(QPen(QColor(255, 255, 255, 170), qMax(1.0, tile.height() * 0.035)));
  const double y = tile.top() + tile.height() * 0.80;
  p.drawLine(QPointF(tile.left() + tile.width() * 0.26, y),
             QPointF(tile.right() - tile.width() * 0.26, y));
}

QImage DrawLogo(int scale = 1) {
  QImage image = Canvas(142 * scale, 100 * scale);
  QPainter p(&image);
  p.scale(scale, scale);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  DrawMark(p, QRectF(45, 2, 52, 52));

  QFont title("DejaVu Sans");
  title.setPixelSize(22);
  title.setBold(true);
  title.setLetterSpacing(QFont::AbsoluteSpacing, 3);
  p.setFont(title);
  p.setPen(kInk);
  p.drawText(QRectF(0, 56, 142, 26), Qt::AlignCenter, "GLY");

  QFont subtitle("DejaVu Sans");
  subtitle.setPixelSize(11);
  p.setFont(subtitle);
  p.setPen(kSlate);
  p.drawText(QRectF(0, 81, 142, 17), Qt::AlignCenter, "Printer Font Manager");
  return FlattenOnMagenta(image);
}

void DrawPrinter(QPainter& p, const QRectF& box, double pageOut) {
  const double w = box.width(), h = box.height();
  auto at = [&](double fx, double fy, double fw, double fh) {
    return QRectF(box.left() + fx * w, box.top() + fy * h, fw * w, fh * h);
  };
  // Paper waiting at the back.
  p.setPen(QPen(kSlateLight, 1));
  p.setBrush(kPaper);
  p.drawRect(at(0.26, 0.06, 0.48, 0.30));

  // Body.
  QLinearGradient body(at(0, 0.28, 1, 0.46).topLeft(), at(0, 0.28, 1, 0.46).bottomLeft());
  body.setColorAt(0, QColor(0x64, 0x74, 0x8b));
  body.setColorAt(1, QColor(0x33, 0x41, 0x55));
  p.setPen(Qt::NoPen);
  p.setBrush(body);
  p.drawRoundedRect(at(0.06, 0.28, 0.88, 0.44), w * 0.08, w * 0.08);

  // Control strip and status light.
  p.setBrush(QColor(0x1e, 0x29, 0x3b));
  p.drawRoundedRect(at(0.14, 0.36, 0.40, 0.07), 2, 2);
  p.setBrush(QColor(0x22, 0xc5, 0x5e));
  p.drawEllipse(at(0.74, 0.36, 0.07, 0.07));

  // Output slot and the page coming out of it.
  p.setBrush(QColor(0x0f, 0x17, 0x2a));
  p.drawRoundedRect(at(0.18, 0.58, 0.64, 0.06), 2, 2);
  const QRectF page = at(0.24, 0.61, 0.52, 0.33 * pageOut);
  p.setPen(QPen(kSlateLight, 1));
  p.setBrush(kPaper);
  p.drawRect(page);
  p.setPen(QPen(kAccent, qMax(1.0, h * 0.022)));
  for (int line = 0; line < 3; ++line) {
    const double y = page.top() + page.height() * (0.30 + 0.22 * line);
    if (y < page.bottom() - 2)
      p.drawLine(QPointF(page.left() + page.width() * 0.14, y),
                 QPointF(page.right() - page.width() * (line == 2 ? 0.40 : 0.14), y));
  }
}

QImage DrawPrinterPicture(int scale = 1) {
  QImage image = Canvas(104 * scale, 104 * scale);
  QPainter p(&image);
  p.scale(scale, scale);
  p.setRenderHint(QPainter::Antialiasing);
  DrawPrinter(p, QRectF(4, 6, 96, 96), 1.0);
  return FlattenOnMagenta(image);
}

// The program's icon, `size` pixels square; the resource library holds it
// at 64, the desktop's icon theme at several sizes.
QImage DrawIcon(int size = 64) {
  QImage image = Canvas(size, size);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  const double margin = size / 32.0;
  DrawMark(p, QRectF(margin, margin, size - 2 * margin, size - 2 * margin));
  return image;
}

// A page travels from a document on the left into the printer on the
// right, along a low arc; the strip loops seamlessly.
QImage DrawAnimation() {
  const int fw = GLY_ANIMATION_135_WIDTH, fh = GLY_ANIMATION_135_HEIGHT;
  QImage strip = Canvas(fw * GLY_ANIMATION_135_FRAMES, fh);
  QPainter p(&strip);
  p.setRenderHint(QPainter::Antialiasing);
  for (int f = 0; f < GLY_ANIMATION_135_FRAMES; ++f) {
    p.save();
    p.translate(f * fw, 0);
    // The stack of documents.
    p.setPen(QPen(kSlateLight, 1));
    p.setBrush(kPaper);
    p.drawRect(QRectF(10, 14, 30, 38));
    p.drawRect(QRectF(14, 10, 30, 38));
    p.setPen(QPen(kSlate, 2));
    for (int line = 0; line < 4; ++line)
      p.drawLine(QPointF(19, 20 + 7 * line), QPointF(39 - (line == 3 ? 8 : 0), 20 + 7 * line));

    DrawPrinter(p, QRectF(fw - 62, 2, 60, 60), 0.5 + 0.5 * f / (GLY_ANIMATION_135_FRAMES - 1));

    // The travelling page.
    const double t = double(f) / GLY_ANIMATION_135_FRAMES;
    const double x = 46 + t * (fw - 62 - 46 - 6);
    const double y = 30 - 22 * 4 * t * (1 - t);
    p.setPen(QPen(kAccent, 1));
    p.setBrush(QColor(0xdb, 0xea, 0xfe));
    p.drawRect(QRectF(x, y, 14, 18));
    p.restore();
  }
  return strip;
}

bool Save(const QImage& image, const QDir& dir, const char* name) {
  const QString path = dir.filePath(name);
  if (image.save(path, "PNG")) return true;
  std::fprintf(stderr, "draw_resources: cannot write %s\n", qPrintable(path));
  return false;
}

}  // namespace

// The icon theme's layout: SIZExSIZE/apps/gly.png for every size a desktop
// commonly asks for.
bool SaveThemeIcons(const QDir& out) {
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    const QString folder = QString("%1x%1/apps").arg(size);
    if (!out.mkpath(folder) || !Save(DrawIcon(size), QDir(out.filePath(folder)), "gly.png")) return false;
  }
  return true;
}

int main(int argc, char** argv) {
  const bool themeIcons = argc == 3 && std::strcmp(argv[1], "--theme-icons") == 0;
  if (argc != 2 && !themeIcons) {
    std::fprintf(stderr, "usage: draw_resources OUTPUT_DIR\n"
                         "       draw_resources --theme-icons OUTPUT_DIR\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QDir out(QString::fromLocal8Bit(argv[argc - 1]));
  if (themeIcons) return SaveThemeIcons(out) ? 0 : 1;
  const bool ok = Save(DrawLogo(), out, "bitmap_134.png") &&
                  Save(DrawPrinterPicture(), out, "bitmap_143.png") &&
                  Save(DrawLogo(kSharpScale), out, "sharp_bitmap_134.png") &&
                  Save(DrawPrinterPicture(kSharpScale), out, "sharp_bitmap_143.png") &&
                  Save(DrawIcon(), out, "icon_128.png") &&
                  Save(DrawAnimation(), out, "animation_135.png");
  return ok ? 0 : 1;
}
