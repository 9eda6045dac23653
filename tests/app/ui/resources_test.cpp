// The resource library as the dialogs read it.
#include <QAction>
#include <set>

#include "download/lpr.h"
#include "qt_test_environment.h"
#include "ui/resource_qt.h"
#include "ui/transparent_bitmap_static.h"

namespace {

TEST(Resources, EveryDialogTemplateIsThereWithUniqueControlIds) {
  for (int id : {100, 102, 140, 145}) {
    const GlyDialogTemplate* tpl = FindDialogTemplate(id);
    ASSERT_NE(tpl, nullptr) << id;
    std::set<int> ids;
    for (size_t i = 0; i < tpl->controlCount; ++i) {
      const GlyControlTemplate& control = tpl->controls[i];
      if (control.id != GLY_ID_STATIC) {
        EXPECT_TRUE(ids.insert(control.id).second) << id << "/" << control.id;
      }
      // Every control lies inside its dialog.
      EXPECT_LE(control.x + control.width, tpl->width) << id << "/" << control.id;
      EXPECT_LE(control.y + control.height, tpl->height) << id << "/" << control.id;
    }
  }
  EXPECT_EQ(FindDialogTemplate(101), nullptr);
}

TEST(Resources, StringTableHoldsTheQuotedTexts) {
  EXPECT_EQ(ResourceText(104), "Resource not found");
  EXPECT_EQ(ResourceText(32815), "IP Address: ");
  EXPECT_EQ(ResourceText(32775), "This is not a valid Printer IP Address");
  EXPECT_EQ(ResourceText(32840), "Ther e is an error in Inputs.");
  EXPECT_EQ(ResourceText(32842), "Can't write into the file.");
  EXPECT_EQ(ResourceText(32881), "Please select the font(s) to delete.");
  EXPECT_EQ(ResourceText(1), "");
  // The job ports' own texts for IPP failures.
  for (const auto& [id, result] : {std::pair{32900, JOB_ERR_IPP_CREDENTIALS}, std::pair{32901, JOB_ERR_IPP_UNREADABLE},
                                   std::pair{32902, JOB_ERR_IPP_JOB_STUCK}})
    EXPECT_EQ(ResourceText(id), LprResultMessage(result)) << id;
}

TEST(Resources, MenusCarryTheirCommands) {
  std::unique_ptr<QMenu> print = LoadPopupMenu(132, 0);
  ASSERT_NE(print, nullptr);
  ASSERT_EQ(print->actions().size(), 2);
  EXPECT_EQ(print->actions()[0]->text(), "PCL Font List");
  EXPECT_EQ(print->actions()[0]->data().toInt(), 32771);
  EXPECT_EQ(print->actions()[1]->data().toInt(), 32772);

  std::unique_ptr<QMenu> printer = LoadPopupMenu(133, 0);
  ASSERT_NE(printer, nullptr);
  EXPECT_EQ(printer->actions()[0]->data().toInt(), 32775);
  EXPECT_EQ(printer->actions()[1]->data().toInt(), 32778);  // Job Port...
  ASSERT_EQ(printer->actions().size(), 7);  // the printer list's commands and Remove, after separators
  EXPECT_EQ(printer->actions()[3]->text(), "Save Printer List...");
  EXPECT_EQ(printer->actions()[4]->data().toInt(), 32777);
  EXPECT_EQ(printer->actions()[6]->data().toInt(), 1032);
  EXPECT_EQ(LoadPopupMenu(133, 1), nullptr);

  // A tab in an item's text leads to its shortcut.
  QWidget owner;
  QMenuBar* bar = LoadMenuBar(150, &owner);
  ASSERT_NE(bar, nullptr);
  const QAction* add = bar->actions()[0]->menu()->actions()[0];
  EXPECT_EQ(add->text(), "&Add Printer...");
  EXPECT_EQ(add->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
  EXPECT_EQ(add->data().toInt(), 1024);
}

TEST(Resources, BitmapsAreKeyedOnMagentaAndTheRestIsDrawn) {
  for (int id : {134, 143}) {
    const QImage bitmap = LoadBitmapImage(id);
    ASSERT_FALSE(bitmap.isNull()) << id;
    // The corners are background: magenta, transparent once keyed.
    EXPECT_EQ(bitmap.pixel(0, 0) & 0xFFFFFFu, 0xFF00FFu) << id;
    const QImage keyed = TransparentBitmapStatic::KeyOutMagenta(bitmap);
    EXPECT_EQ(qAlpha(keyed.pixel(0, 0)), 0) << id;
    EXPECT_EQ(qAlpha(keyed.pixel(bitmap.width() / 2, bitmap.height() / 2)), 255) << id;
  }
  EXPECT_FALSE(LoadResourceIcon(128).isNull());
}

TEST(Resources, AnimationIsAStripOfEqualFrames) {
  const AnimationFrames animation = LoadAnimation(135);
  ASSERT_GT(animation.frames.size(), 1u);
  EXPECT_GT(animation.frameMilliseconds, 0);
  for (const QImage& frame : animation.frames) EXPECT_EQ(frame.size(), animation.frames[0].size());
  // Consecutive frames differ: it moves.
  EXPECT_NE(animation.frames[0], animation.frames[1]);
}

}  // namespace
