// Resources of the resource library in Qt's terms: texts as QString,
// pictures as QImage and QIcon, menus as QMenu.
#pragma once

#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QString>
#include <memory>
#include <vector>

QString ResourceText(int stringId);
// A null image when there is no such bitmap. Magenta pixels are kept as
// they are; TransparentBitmapStatic treats them as transparent. Its device
// pixel ratio tells how many pixels it holds per point of its size.
QImage LoadBitmapImage(int bitmapId);
QIcon LoadResourceIcon(int iconId);
// The submenu at position `submenuIndex` of menu `menuId`, each action
// carrying its command number as data; nullptr when there is none.
std::unique_ptr<QMenu> LoadPopupMenu(int menuId, int submenuIndex);
// Menu `menuId` as a menu bar of `parent`: its top-level submenus side by
// side, each action carrying its command number as data; nullptr when there
// is no such menu.
QMenuBar* LoadMenuBar(int menuId, QWidget* parent);
// Shows `menu` at `globalPos` and returns the chosen command, or 0 when the
// menu was dismissed.
int TrackMenu(QMenu& menu, const QPoint& globalPos);

struct AnimationFrames {
  std::vector<QImage> frames;
  int frameMilliseconds = 0;
};
AnimationFrames LoadAnimation(int animationId);
