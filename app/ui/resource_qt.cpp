#include "ui/resource_qt.h"

#include <QAction>
#include <QMenuBar>

#include "ui/resource_module.h"
#include "ui/single_byte_text.h"

namespace {

QImage Decode(const GlyImageData* data) {
  QImage image;
  if (data) image.loadFromData(data->png, static_cast<int>(data->size), "PNG");
  return image;
}

// An item's text may name its shortcut after a tab ("&Open...\tCtrl+O"),
// as menu templates do; the action then answers to it too.
QAction* MenuAction(const GlyMenuItem& item, QObject* parent) {
  const QString text = FromSingleByte(item.text);
  const qsizetype tab = text.indexOf('\t');
  auto* action = new QAction(text.left(tab), parent);
  if (tab >= 0) action->setShortcut(QKeySequence(text.mid(tab + 1)));
  action->setData(item.command);
  return action;
}

// Adds the items after `*next` that lie deeper than `depth` to `menu`,
// recursing into submenus, and leaves `*next` at the first item that does
// not belong to it.
void AddItems(QMenu& menu, const GlyMenuTemplate& tpl, size_t* next, int depth) {
  while (*next < tpl.itemCount && tpl.items[*next].depth > depth) {
    const GlyMenuItem& item = tpl.items[(*next)++];
    if (!item.text) {
      menu.addSeparator();
    } else if (item.command == 0) {
      QMenu* sub = menu.addMenu(FromSingleByte(item.text));
      AddItems(*sub, tpl, next, item.depth);
    } else {
      menu.addAction(MenuAction(item, &menu));
    }
  }
}

}  // namespace

QString ResourceText(int stringId) { return FromSingleByte(LoadResourceString(stringId)); }

QImage LoadBitmapImage(int bitmapId) {
  // The sharp drawing, where there is one, serves every screen: painted at
  // the bitmap's own size in points it keeps its detail at any pixel ratio.
  QImage sharp = Decode(FindSharpBitmap(bitmapId));
  if (sharp.isNull()) return Decode(FindBitmap(bitmapId));
  sharp.setDevicePixelRatio(GLY_SHARP_BITMAP_SCALE);
  return sharp;
}

QIcon LoadResourceIcon(int iconId) {
  const QImage image = Decode(FindIcon(iconId));
  return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

std::unique_ptr<QMenu> LoadPopupMenu(int menuId, int submenuIndex) {
  const GlyMenuTemplate* tpl = FindMenuTemplate(menuId);
  if (!tpl) return nullptr;
  QMenu bar;
  size_t next = 0;
  AddItems(bar, *tpl, &next, -1);
  int index = 0;
  for (QAction* action : bar.actions()) {
    if (!action->menu()) continue;
    if (index++ != submenuIndex) continue;
    // Taken out of the throw-away menu bar before that is destroyed.
    QMenu* popup = action->menu();
    popup->setParent(nullptr, popup->windowFlags());
    return std::unique_ptr<QMenu>(popup);
  }
  return nullptr;
}

QMenuBar* LoadMenuBar(int menuId, QWidget* parent) {
  const GlyMenuTemplate* tpl = FindMenuTemplate(menuId);
  if (!tpl) return nullptr;
  auto* bar = new QMenuBar(parent);
  size_t next = 0;
  while (next < tpl->itemCount) {
    const GlyMenuItem& item = tpl->items[next++];
    if (!item.text || item.command != 0) continue;  // a menu bar holds menus only
    QMenu* menu = bar->addMenu(FromSingleByte(item.text));
    AddItems(*menu, *tpl, &next, item.depth);
  }
  return bar;
}

int TrackMenu(QMenu& menu, const QPoint& globalPos) {
  const QAction* chosen = menu.exec(globalPos);
  return chosen ? chosen->data().toInt() : 0;
}

AnimationFrames LoadAnimation(int animationId) {
  AnimationFrames result;
  const GlyAnimationData* data = FindAnimation(animationId);
  if (!data || data->frameCount <= 0) return result;
  const QImage strip = Decode(data->strip);
  if (strip.isNull()) return result;
  const int width = strip.width() / data->frameCount;
  for (int i = 0; i < data->frameCount; ++i)
    result.frames.push_back(strip.copy(i * width, 0, width, strip.height()));
  result.frameMilliseconds = data->frameMilliseconds;
  return result;
}
