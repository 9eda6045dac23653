// The Resource Manager through its real dialogs, offscreen, downloading with
// the converter library and the LPR client to virtual printers on loopback
// addresses of their own.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <map>

#include "download/converter_operations.h"
#include "download/job_questions_dialog.h"
#include "download/lpr.h"
#include "download/resource_manager_dialog.h"
#include "download/resource_manager_ids.h"
#include "fake_clock.h"
#include "job_test_support.h"
#include "printer_sim.h"
#include "qt_test_environment.h"
#include "resource_manager_support.h"
#include "snmp_double.h"
#include "temp_dir.h"
#include "ui/check_list_box.h"
#include "ui/qt_ui_thread.h"

namespace {

using namespace resource_manager;
using printer_sim::Simulator;
using Texts = std::vector<std::string>;

const std::string kType1Pfb = "/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb";
const std::string kTrueType = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";

// Printers A and B take every job; C refuses connections; D answers the
// job command with a negative acknowledgement.
const char* const kAddresses[] = {"127.0.14.1", "127.0.14.2", "127.0.14.3", "127.0.14.4"};

class ResourceManagerDialogTest : public ::testing::Test {
 protected:
  ResourceManagerDialogTest() {
    std::filesystem::create_directory(appDir);
    std::filesystem::permissions(appDir, std::filesystem::perms::owner_all);
    snmp_double::Reset();
    for (const char* address : kAddresses) {
      printer_sim::PrinterConfig config;
      config.address = address;
      config.postScriptFonts = 0;
      config.pclFonts = 0;
      std::string error;
      EXPECT_TRUE(simulator.AddPrinter(config, &error)) << error;
    }
    printer_sim::Faults refused;
    refused.lpdRefused = true;
    simulator.SetFaults(2, refused);
    printer_sim::Faults nak;
    nak.lpdFailure = printer_sim::LpdFailure::kNegativeAck;
    simulator.SetFaults(3, nak);
    simulator.Start();
    for (size_t i = 0; i < 4; ++i) {
      records.push_back(MakeTestPrinter(0x7F000E01u + static_cast<uint32_t>(i), kStorageBoth,
                                        ("P" + std::to_string(i)).c_str()));
      ports[kAddresses[i]] = simulator.LpdPort(i);
      // The SNMP double stands in for the printers' answers afterwards,
      // with what each holds.
      snmp_double::Device device;
      device.info.address = records.back().address;
      device.fontTable = false;
      device.storedFileResult = kSnmpFileNotStored;
      device.storedContent = [this, i](const std::string& path) {
        const printer_sim::Volume volume =
            path.starts_with("1:") ? printer_sim::Volume::kFlash : printer_sim::Volume::kDisk;
        return simulator.ReadFile(i, volume, path.substr(3));
      };
      snmp_double::AddDevice(device);
    }
    lpr.clock = &clock;
    // The PCL font: the TrueType font made a PCL soft font.
    EXPECT_EQ(ConverterLibrary().ConvertTrueTypeToPclTrueType(kTrueType.c_str(), pclFont.c_str()), 0);
  }

  std::unique_ptr<ResourceManagerDialog> Open(std::vector<int> targetIndexes) {
    std::vector<PrinterRecord*> all, targets;
    for (auto& record : records) all.push_back(&record);
    for (int i : targetIndexes) targets.push_back(&records[static_cast<size_t>(i)]);
    JobSubmitter submit = [this](const char* address, JobPort, const JobFile& jobFile, const char* host, int number) {
      LprSettings settings = lpr;
      settings.port = ports.at(address);
      return SubmitLprJob(address, jobFile, host, number, settings);
    };
    return std::make_unique<ResourceManagerDialog>(
        ResourceManagerServices{boxes, questions, ui, ConverterLibrary(), clock, submit, appDir}, targets, all);
  }

  static void Download(ResourceManagerDialog& dialog) {
    dialog.ControlAs<QPushButton>(kDownloadButton)->click();
    EXPECT_FALSE(dialog.Control(kDownloadButton)->isEnabled());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.logic().downloading(); }, 60000));
  }

  // The cells of the status column, or after a download those of the
  // column of printer `printer`.
  static Texts StatusCells(ResourceManagerDialog& dialog, int printer = 0) {
    Texts cells;
    auto* list = dialog.ControlAs<QTreeWidget>(kResourceList);
    for (int i = 0; i < list->topLevelItemCount(); ++i)
      cells.push_back(list->topLevelItem(i)->text(3 + printer).toStdString());
    return cells;
  }

  // "name type location" of the fonts printer `index` holds, sorted.
  Texts FontsOf(size_t index) {
    Texts fonts;
    for (const auto& font : simulator.Fonts(index))
      fonts.push_back(font.name + " " + std::to_string(font.type) + " " + std::to_string(font.location));
    std::sort(fonts.begin(), fonts.end());
    return fonts;
  }
  // Waits until the printer has taken `jobs` complete jobs.
  void AwaitJobs(size_t index, size_t jobs) {
    EXPECT_TRUE(QTest::qWaitFor([&] {
      size_t complete = 0;
      for (const auto& job : simulator.Jobs(index)) complete += job.complete;
      return complete >= jobs;
    }, 10000)) << "printer " << index;
  }

  TempDir scratch;
  std::string appDir = scratch.file("app");
  std::string pclFont = scratch.file("Liberation.sfp");
  Simulator simulator;
  std::vector<PrinterRecord> records;
  std::map<std::string, uint16_t> ports;
  FakeClock clock;
  LprSettings lpr = DefaultLprSettings();
  QtUiThread ui;
  ScriptedBoxes boxes;
  ScriptedQuestions questions;
};

TEST_F(ResourceManagerDialogTest, OpensFromItsTemplateInItsStartingState) {
  auto dialog = Open({0, 1});
  EXPECT_EQ(dialog->windowTitle(), "Resource Manager");
  auto* printers = dialog->ControlAs<QListWidget>(kSelectedPrinters);
  ASSERT_EQ(printers->count(), 2);
  EXPECT_EQ(printers->item(0)->text(), "P0 (Model 40) 127.0.14.1");
  EXPECT_EQ(printers->currentRow(), 0);
  EXPECT_TRUE(dialog->ControlAs<QAbstractButton>(kHardDiskRadio)->isChecked());
  EXPECT_TRUE(dialog->Control(kFlashMemoryRadio)->isEnabled());
  for (int id : {kRemoveButton, kStopButton}) EXPECT_FALSE(dialog->Control(id)->isEnabled()) << id;
  auto* list = dialog->ControlAs<QTreeWidget>(kResourceList);
  ASSERT_EQ(list->columnCount(), 4);
  EXPECT_EQ(list->headerItem()->text(3), "Persistance");
  EXPECT_NE(dialog->findChild<QWidget*>("32500"), nullptr);
}

TEST_F(ResourceManagerDialogTest, DownloadReachesBothPrintersFontTables) {
  auto dialog = Open({0, 1});
  dialog->show();
  dialog->logic().AddFiles({kType1Pfb, pclFont, kTrueType});
  questions.answers = {{false, false, true, true}};  // Both, Apply to All
  Download(*dialog);
  // Liberation Sans holds more than any PCL symbol set: it goes unbound.
  EXPECT_EQ(StatusCells(*dialog),
            (Texts{"Downloaded", "Downloaded", "Downloaded (unbound: select symbol set 18N)"}));
  AwaitJobs(0, 4);
  AwaitJobs(1, 4);
  // The PCL font and the PCL half of the TrueType font carry one name.
  const Texts fonts{"LiberationSans 3 2", "LiberationSans 6 2", "NimbusSans-Regular 6 2"};
  EXPECT_EQ(FontsOf(0), fonts);
  EXPECT_EQ(FontsOf(1), fonts);
  EXPECT_EQ(questions.conversionQuestions, 1);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_TRUE(dialog->Control(kDownloadButton)->isEnabled());
}

TEST_F(ResourceManagerDialogTest, RefusedAndNegativelyAcknowledgedJobsShowInTheirRows) {
  auto dialog = Open({0, 2});
  dialog->show();
  dialog->logic().AddFiles({kType1Pfb, pclFont});
  Download(*dialog);
  const std::string failure = std::string(kSocketFailureStatusText) + " (connection refused)";
  EXPECT_EQ(StatusCells(*dialog, 1), (Texts{failure, failure}));
  AwaitJobs(0, 2);
  EXPECT_EQ(FontsOf(0).size(), 2u);

  // Edit Printer List: C out, D in.
  WhenModalOpens([](QWidget* modal) {
    auto* edit = qobject_cast<TemplateDialog*>(modal);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->windowTitle(), "Edit Printer List");
    auto* list = edit->ControlAs<CheckListBox>(kPrinterCheckList);
    ASSERT_EQ(list->count(), 4);
    EXPECT_EQ(list->item(2)->text(), "P2 (Model 40) 127.0.14.3");
    EXPECT_TRUE(list->IsChecked(0) && list->IsChecked(2) && !list->IsChecked(1) && !list->IsChecked(3));
    list->SetChecked(2, false);
    list->SetChecked(3, true);
    edit->ControlAs<QPushButton>(1)->click();
  });
  dialog->ControlAs<QPushButton>(kEditPrinterListButton)->click();
  ASSERT_EQ(dialog->ControlAs<QListWidget>(kSelectedPrinters)->count(), 2);
  EXPECT_EQ(dialog->ControlAs<QListWidget>(kSelectedPrinters)->item(1)->text(), "P3 (Model 40) 127.0.14.4");

  Download(*dialog);
  const std::string refused = SocketFailureStatusText(LPR_ERR_QUEUE_REFUSED);
  EXPECT_EQ(StatusCells(*dialog, 1), (Texts{refused, refused}));
  EXPECT_TRUE(FontsOf(2).empty());
  EXPECT_TRUE(FontsOf(3).empty());
}

// Three printers, each with its own outcome in its own column: P0 has
// flash memory only, P1 only a hard disk, and P2 refuses every job. The
// conversion is asked once for all three, and P1 is named before the
// download starts.
TEST_F(ResourceManagerDialogTest, EachOfThreePrintersShowsItsOwnOutcome) {
  records[0].storageOptions = kStorageFlash;
  records[1].storageOptions = kStorageHardDisk;
  auto dialog = Open({0, 1, 2});
  dialog->show();
  dialog->ControlAs<QAbstractButton>(kFlashMemoryRadio)->click();
  dialog->logic().AddFiles({kType1Pfb, kTrueType});
  questions.answers = {kToPcl};
  Download(*dialog);
  EXPECT_EQ(questions.askedFiles, Texts{"LiberationSans-Regular.ttf"});
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_EQ(boxes.texts[0].find("These printers have no flash memory: P1."), 0u) << boxes.texts[0];
  auto* list = dialog->ControlAs<QTreeWidget>(kResourceList);
  ASSERT_EQ(list->columnCount(), 6);
  EXPECT_EQ(list->headerItem()->text(3), "P0");
  const std::string refused = std::string(kSocketFailureStatusText) + " (connection refused)";
  AwaitJobs(0, 2);
  EXPECT_EQ(StatusCells(*dialog, 0), (Texts{"Downloaded", "Downloaded (unbound: select symbol set 18N)"}));
  EXPECT_EQ(StatusCells(*dialog, 1), (Texts{"No flash memory", "No flash memory"}));
  EXPECT_EQ(StatusCells(*dialog, 2), (Texts{refused, refused}));
  EXPECT_EQ(dialog->findChild<QWidget*>("32500")->findChildren<QLabel*>().at(0)->text(),
            "3 printers: 1 done, 1 failed, 1 skipped: no flash memory");

  // Stopped within the first printer: what was not sent says so, in its
  // printer's column and in every column of the printers not served.
  records[0].storageOptions = records[1].storageOptions = kStorageBoth;
  dialog = Open({0, 1, 2});
  dialog->show();
  dialog->logic().AddFiles({kType1Pfb, kTrueType});
  questions.answers = {kToPcl};
  boxes.answers = {IDOK};
  dialog->ControlAs<QPushButton>(kDownloadButton)->click();
  dialog->ControlAs<QPushButton>(kStopButton)->click();  // within the first resource
  EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog->logic().downloading(); }, 60000));
  EXPECT_EQ(StatusCells(*dialog, 0)[1], kNotSentStoppedText);
  EXPECT_EQ(StatusCells(*dialog, 1), (Texts{kNotSentStoppedText, kNotSentStoppedText}));
  EXPECT_EQ(StatusCells(*dialog, 2), (Texts{kNotSentStoppedText, kNotSentStoppedText}));
  EXPECT_EQ(dialog->logic().StatusParts().front(), "3 printers: 3 not sent (stopped)");
}

// Answers every file dialog with `path` and every message box with OK,
// whichever opens next, until stopped.
class ModalAnswerer {
 public:
  explicit ModalAnswerer(std::string path) : path_(std::move(path)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (auto* files = qobject_cast<QFileDialog*>(modal)) {
        // Typed as a user would; the dialog's own checks would wait for its
        // folder to be read.
        if (auto* name = files->findChild<QLineEdit*>("fileNameEdit")) name->setText(QString::fromStdString(path_));
        static_cast<QDialog*>(files)->done(QDialog::Accepted);
      } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        texts.push_back(box->text().toStdString());
        box->accept();
      }
    });
    timer_.start(20);
  }
  Texts texts;

 private:
  std::string path_;
  QTimer timer_;
};

TEST_F(ResourceManagerDialogTest, ExportedFileSentWithRlprHasTheDownloadsEffect) {
  auto dialog = Open({0});
  dialog->show();
  dialog->logic().AddFiles({kType1Pfb, pclFont, kTrueType});
  questions.answers = {{false, false, true, true}};
  const std::string exported = scratch.file("fonts.prn");
  {
    ModalAnswerer answerer(exported);
    dialog->ControlAs<QPushButton>(kExportButton)->click();
    ASSERT_EQ(answerer.texts.size(), 1u);
    EXPECT_EQ(answerer.texts[0].find("4 jobs written to " + exported), 0u) << answerer.texts[0];
  }
  EXPECT_EQ(StatusCells(*dialog), (Texts{"Exported", "Exported", "Exported (unbound: select symbol set 18N)"}));
  Download(*dialog);
  // The download left the export file alone.
  ASSERT_TRUE(std::filesystem::exists(exported));

  const std::string command = "rlpr --no-bind --timeout=10 -H 127.0.14.2 --port=" + std::to_string(ports["127.0.14.2"]) +
                              " -P lp " + exported + " >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  AwaitJobs(1, 1);
  AwaitJobs(0, 4);
  EXPECT_EQ(FontsOf(1).size(), 3u);
  EXPECT_EQ(FontsOf(1), FontsOf(0));
}

TEST_F(ResourceManagerDialogTest, ConversionQuestionOpensWithBothAndReadsTheChoiceBack) {
  QWidget owner;
  JobQuestionsDialogs dialogs(&owner);
  WhenModalOpens([](QWidget* modal) {
    auto* dialog = qobject_cast<TemplateDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Font Conversion Options - a.ttf");
    EXPECT_TRUE(dialog->ControlAs<QAbstractButton>(kBothRadio)->isChecked());
    dialog->ControlAs<QAbstractButton>(kToPclTrueTypeRadio)->click();
    EXPECT_FALSE(dialog->ControlAs<QAbstractButton>(kBothRadio)->isChecked());
    dialog->ControlAs<QAbstractButton>(kApplyToAllCheck)->click();
    dialog->ControlAs<QPushButton>(1)->click();
  });
  const std::optional<ConversionOptions> options = dialogs.AskConversionOptions("a.ttf");
  ASSERT_TRUE(options);
  EXPECT_TRUE(options->toPclTrueType && options->applyToAll && !options->both && !options->toType1);

  WhenModalOpens([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
  EXPECT_FALSE(dialogs.AskConversionOptions("a.ttf"));
}

TEST_F(ResourceManagerDialogTest, MacroIdQuestionStaysOpenUntilTheIdCanBeUsed) {
  QWidget owner;
  JobQuestionsDialogs dialogs(&owner);
  QString problem;
  WhenModalOpens([&problem](QWidget* modal) {
    auto* dialog = qobject_cast<TemplateDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Form / Macro Name - m.pcl");
    auto* edit = dialog->ControlAs<QLineEdit>(kFormMacroNameEdit);
    edit->setText("logo");
    // The problem is told in a box; the question stays for another try.
    WhenModalOpens([&problem](QWidget* box) {
      problem = qobject_cast<QMessageBox*>(box)->text();
      qobject_cast<QDialog*>(box)->accept();
    });
    dialog->ControlAs<QPushButton>(1)->click();
    EXPECT_TRUE(dialog->isVisible());
    edit->setText(" 42 ");
    dialog->ControlAs<QPushButton>(1)->click();
  });
  EXPECT_EQ(dialogs.AskFormMacroName(ResourceNameKind::kMacroId, "m.pcl"), std::optional<std::string>("42"));
  EXPECT_EQ(problem, "The macro ID is a number from 0 to 32767, not \"logo\".");

  WhenModalOpens([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
  EXPECT_EQ(dialogs.AskFormMacroName(ResourceNameKind::kFormName, "f.frm"), std::nullopt);
}

}  // namespace
