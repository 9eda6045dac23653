// What the program's windows say, offscreen: every dialog fits the screens
// it is used on with no text cut, the Job Port dialog's real port numbers,
// and the help each window opens.
#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <cstdlib>
#include <set>

#include "font_test_support.h"
#include "fonts/font_list_dialog.h"
#include "fonts/font_list_ids.h"
#include "printers/app_directory.h"
#include "printers/clock.h"
#include "printers/printer_record.h"
#include "qt_test_environment.h"
#include "shell/job_port_choice.h"
#include "shell/job_port_dialog.h"
#include "ui/help_window.h"
#include "ui/resource_module.h"
#include "ui/template_dialog.h"
#include "ui/transparent_bitmap_static.h"

namespace {

// A screen the program must fit, and the scale it is used at. Qt lays
// dialogs out in logical pixels, so a dialog takes its size times the scale
// in the screen's pixels, and its texts need the same logical room at either
// scale.
struct Screen {
  QSize pixels;
  int scale;
};

// Room a window manager takes around a dialog (title bar, frame) and for its
// own panel, in the screen's logical pixels.
constexpr int kFrameAllowance = 40;
constexpr int kPanelAllowance = 48;

// Dialog numbers lie below this one in the resource library.
constexpr int kDialogIdEnd = 1000;

// What in `widget` shows a text that does not fit its place; empty when all fit.
std::vector<std::string> CutTexts(const QWidget& dialog) {
  std::vector<std::string> cut;
  for (const QLabel* label : dialog.findChildren<QLabel*>()) {
    if (label->text().isEmpty() || !label->pixmap().isNull()) continue;
    const bool fits = label->wordWrap() ? label->heightForWidth(label->width()) <= label->height()
                                        : label->sizeHint().width() <= label->width();
    if (!fits) cut.push_back(label->text().toStdString());
  }
  for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
    if (!button->text().isEmpty() && button->sizeHint().width() > button->width())
      cut.push_back(button->text().toStdString());
  }
  for (const QGroupBox* group : dialog.findChildren<QGroupBox*>()) {
    if (group->fontMetrics().horizontalAdvance(group->title()) + 16 > group->width())
      cut.push_back(group->title().toStdString());
  }
  return cut;
}

class DialogFitTest : public ::testing::TestWithParam<Screen> {};

TEST_P(DialogFitTest, EveryDialogFitsTheScreenWithNoTextCutAndNoPictureShrunk) {
  const Screen screen = GetParam();
  const QSize room(screen.pixels.width() / screen.scale, screen.pixels.height() / screen.scale - kPanelAllowance);
  int dialogs = 0;
  for (int id = 1; id < kDialogIdEnd; ++id) {
    if (!FindDialogTemplate(id)) continue;
    ++dialogs;
    TemplateDialog dialog(id);
    const QSize needed = dialog.size().expandedTo(dialog.minimumSizeHint()) + QSize(0, kFrameAllowance);
    EXPECT_LE(needed.width(), room.width()) << "dialog " << id;
    EXPECT_LE(needed.height(), room.height()) << "dialog " << id;
    for (const std::string& text : CutTexts(dialog)) ADD_FAILURE() << "dialog " << id << " cuts \"" << text << "\"";
    for (const TransparentBitmapStatic* picture : dialog.findChildren<TransparentBitmapStatic*>()) {
      const QSize room = picture->size();
      EXPECT_EQ(room.expandedTo(picture->NaturalSize()), room) << "dialog " << id << " shrinks picture "
                                                                 << picture->objectName().toStdString();
    }
  }
  EXPECT_GE(dialogs, 12);
}

INSTANTIATE_TEST_SUITE_P(Screens, DialogFitTest,
                         ::testing::Values(Screen{{1366, 768}, 1}, Screen{{2560, 1440}, 2}));

TEST(JobPortDialog, EachRadioNamesThePortItsJobsReallyGoTo) {
  PrinterRecord printer = MakePrinterRecord();
  CopyRecordText(printer.printerName, "LAB2");
  printer.address = 0x7F00000Au;
  const auto texts = [&] {
    JobPortDialog dialog(printer, nullptr);
    std::vector<QString> shown;
    for (int id : {job_port_dialog::kLprRadio, job_port_dialog::kRawRadio, job_port_dialog::kIppRadio})
      shown.push_back(dialog.ControlAs<QAbstractButton>(id)->text());
    EXPECT_EQ(dialog.windowTitle(), "Job Port - LAB2 127.0.0.10");
    return shown;
  };
  EXPECT_EQ(texts(), (std::vector<QString>{"&LPR queue (port 515)", "&Raw AppSocket port (9100)", "&IPP (port 631)"}));
  setenv("GLY_LPR_PORT", "5515", 1);
  setenv("GLY_RAW_PORT", "19100", 1);
  setenv("GLY_IPP_PORT", "1631", 1);
  EXPECT_EQ(texts(), (std::vector<QString>{"&LPR queue (port 5515)", "&Raw AppSocket port (19100)", "&IPP (port 1631)"}));
  for (const char* name : {"GLY_LPR_PORT", "GLY_RAW_PORT", "GLY_IPP_PORT"}) unsetenv(name);
}

// Help opens in the program's own window at the section of the window that
// asks, and one help window serves each window.
TEST(Help, EachWindowOpensItsOwnSectionInTheProgramsHelpWindow) {
  ASSERT_TRUE(InitAppDirectory());
  snmp_double::Reset();
  PrinterRecord printer = MakePrinter(0x0A000001u, "LAB2", "Model 40");
  AddPrinterWithFonts(printer, {});
  ScriptedBoxes boxes;
  FakeUiThread ui;
  FontListDialog fontList(boxes, ui, SystemClock(), {&printer});
  fontList.ControlAs<QPushButton>(font_list::kHelpButton)->click();
  auto* help = fontList.findChild<QDialog*>("helpWindow");
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(help->windowTitle(), "GLY Help");
  auto* browser = help->findChild<QTextBrowser*>();
  EXPECT_EQ(browser->source().fragment(), help_page::kFontList);
  for (const char* topic : {"Job ports", "Printer lists", "SNMPv3", "PJL passwords", "pause and stop",
                            "Export to file", "Fleet fonts", "DNS-SD", "glyctl check SET"})
    EXPECT_TRUE(browser->toPlainText().contains(topic)) << topic;

  // Every window's section is there: each scrolls the page to another place.
  std::set<int> places;
  for (const char* page : {help_page::kMainWindow, help_page::kFontList, help_page::kResourceManager}) {
    EXPECT_EQ(ShowHelp(AppDataFilePath(kHelpFileName), page, &fontList), help);
    places.insert(browser->verticalScrollBar()->value());
  }
  EXPECT_EQ(places.size(), 3u);
  EXPECT_EQ(fontList.findChildren<QDialog*>("helpWindow").size(), 1);
  snmp_double::Reset();
}

}  // namespace
