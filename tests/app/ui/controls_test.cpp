// The shared controls: IP address fields, the check list, the popup menu
// button and the template dialog's binding of control ids.
#include <QClipboard>
#include <QStatusBar>
#include <QTreeWidget>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "qt_test_environment.h"
#include "ui/animation_static.h"
#include "ui/check_list_box.h"
#include "ui/ip_address_edit.h"
#include "ui/popup_menu_button.h"
#include "ui/resource_qt.h"
#include "ui/template_dialog.h"
#include "ui/transparent_bitmap_static.h"

namespace {

TEST(IpAddressEdit, BlankOnlyWhenEveryFieldIsEmpty) {
  IpAddressEdit edit;
  EXPECT_TRUE(edit.Value().IsBlank());
  QTest::keyClicks(edit.Field(0), "10");
  EXPECT_FALSE(edit.Value().IsBlank());
  EXPECT_EQ(edit.Value().Address(), 0x0A000000u);
  edit.SetAddress(0xC0000205u);
  EXPECT_EQ(edit.Field(3)->text(), "5");
  edit.Clear();
  EXPECT_TRUE(edit.Value().IsBlank());
}

// Typed into a shown control between two other stops of the tab order, as
// in a dialog: the first field has the focus.
struct TypedAddress : ::testing::Test {
  void SetUp() override {
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(before);
    layout->addWidget(edit);
    layout->addWidget(after);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    edit->setFocus(Qt::ActiveWindowFocusReason);
  }
  // Each key goes where the focus is at that moment, as typing does.
  static void Type(const char* keys) {
    for (const char* key = keys; *key; ++key) QTest::keyClick(QApplication::focusWidget(), *key);
  }
  std::string Typed(const char* keys) {
    edit->Clear();
    edit->setFocus(Qt::OtherFocusReason);
    Type(keys);
    QStringList fields;
    for (int i = 0; i < 4; ++i) fields << edit->Field(i)->text();
    return fields.join('.').toStdString();
  }
  QWidget window;
  QLineEdit* before = new QLineEdit;
  IpAddressEdit* edit = new IpAddressEdit;
  QLineEdit* after = new QLineEdit;
};

TEST_F(TypedAddress, DotsAndThreeDigitsMoveOnOnceAndFieldsTakeOnly0To255) {
  EXPECT_EQ(Typed("127.0.0.10"), "127.0.0.10");
  EXPECT_EQ(Typed("255.255.255.0"), "255.255.255.0");
  EXPECT_EQ(Typed("10.1.2.3"), "10.1.2.3");
  EXPECT_EQ(Typed("1922551"), "192.255.1.");
  EXPECT_EQ(Typed("256"), "25...");
  EXPECT_EQ(Typed("192.."), "192...");
  EXPECT_EQ(Typed("1..2"), "1..2.");
}

TEST_F(TypedAddress, FocusSelectsTheFieldSoThatTypingReplacesIt) {
  edit->SetAddress(0x7F000001u);
  before->setFocus(Qt::OtherFocusReason);
  edit->setFocus(Qt::ActiveWindowFocusReason);
  Type("10");
  EXPECT_EQ(edit->Value().Address(), 0x0A000001u);
}

TEST_F(TypedAddress, PasteFillsAllFourFieldsAndTabLeavesTheControl) {
  QApplication::clipboard()->setText(" 192.168.10.250\n");
  QTest::keyClick(edit->Field(0), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(edit->Value().Address(), 0xC0A80AFAu);
  QApplication::clipboard()->setText("1.2.3");
  QTest::keyClick(edit->Field(3), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(edit->Value().Address(), 0xC0A80AFAu);

  edit->Field(2)->setFocus(Qt::MouseFocusReason);
  QTest::keyClick(edit->Field(2), Qt::Key_Tab);
  EXPECT_TRUE(after->hasFocus());
  edit->Field(2)->setFocus(Qt::MouseFocusReason);
  QTest::keyClick(edit->Field(2), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_TRUE(before->hasFocus());
  QTest::keyClick(before, Qt::Key_Tab);
  EXPECT_TRUE(edit->Field(0)->hasFocus());
  EXPECT_EQ(edit->Field(0)->selectedText(), "192");
}

TEST(CheckListBox, ClickOnTheBoxChecksBeforeTheSelectionMoves) {
  CheckListBox list;
  list.resize(300, 200);
  list.InsertItem(0, "first", false);
  list.InsertItem(1, "second", false);
  list.show();
  bool checkedWhenSelected = false;
  QObject::connect(&list, &CheckListBox::selectionChanged,
                   [&] { checkedWhenSelected = list.IsChecked(list.SelectedRow()); });
  const QRect row = list.visualItemRect(list.item(1));
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(row.left() + 4, row.center().y()));
  EXPECT_EQ(list.SelectedRow(), 1);
  EXPECT_TRUE(checkedWhenSelected);
  // A click on the text selects without touching the check.
  const QRect first = list.visualItemRect(list.item(0));
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(first.right() - 10, first.center().y()));
  EXPECT_EQ(list.SelectedRow(), 0);
  EXPECT_FALSE(list.IsChecked(0));
}

TEST(PopupMenuButton, GivesBackTheChosenCommandOrZero) {
  PopupMenuButton button("Print", 132);
  button.show();
  WhenModalOpens([](QWidget* menu) {
    auto* popup = qobject_cast<QMenu*>(menu);
    ASSERT_NE(popup, nullptr);
    popup->setActiveAction(popup->actions()[1]);
    QTest::keyClick(popup, Qt::Key_Return);
  });
  EXPECT_EQ(button.PopUp(), 32772);
  WhenModalOpens([](QWidget* menu) { menu->close(); });
  EXPECT_EQ(button.PopUp(), 0);
}

TEST(TemplateDialog, ClickOnAControlIdReachesItsHandlerAndThenTheStateIsShown) {
  struct Probe : TemplateDialog {
    Probe() : TemplateDialog(140) {}
    void ShowState() override { ++shown; }
    int shown = 0;
  } dialog;
  ASSERT_TRUE(dialog.isBuilt());
  EXPECT_EQ(dialog.windowTitle(), "Add Printer Options");
  int clicks = 0;
  dialog.Bind(1082, Notification::Clicked, [&] { ++clicks; });
  dialog.ControlAs<QPushButton>(1082)->click();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(dialog.shown, 1);
  // Unbound controls do nothing; an unknown template builds nothing.
  EXPECT_FALSE(dialog.Dispatch(1015, Notification::Clicked));
  EXPECT_FALSE(TemplateDialog(4242).isBuilt());
}

// The Printer Font List grows with its window: the list takes the room,
// the buttons keep to the right edge and the status bar to the bottom;
// its columns widen to what they hold.
TEST(TemplateDialog, ListsGrowWithTheWindowAndColumnsFitTheirContents) {
  TemplateDialog dialog(130);
  auto* bar = new QStatusBar(&dialog);
  bar->setFixedHeight(25);
  auto* table = dialog.ControlAs<QTreeWidget>(1009);
  const QRect list = table->geometry(), close = dialog.Control(2)->geometry();
  dialog.show();
  EXPECT_EQ(dialog.minimumSize(), QSize(790, 445));
  dialog.resize(990, 645);
  EXPECT_EQ(table->geometry(), list.adjusted(0, 0, 200, 200));
  EXPECT_EQ(dialog.Control(2)->geometry(), close.translated(200, 200));
  EXPECT_EQ(dialog.MovedBy(2), QPoint(200, 200));
  EXPECT_EQ(bar->geometry(), QRect(0, 620, 990, 25));
  // Dialogs without a list keep their size.
  EXPECT_EQ(TemplateDialog(140).maximumSize(), QSize(380, 300));

  table->setHeaderLabels({"Font Name", "Resource Type"});
  table->setColumnWidth(0, 60);
  table->setColumnWidth(1, 300);
  const QString name = "NimbusRoman-BoldItalic-Condensed";
  table->addTopLevelItem(new QTreeWidgetItem(QStringList{name, "PCL"}));
  EXPECT_GE(table->columnWidth(0), table->fontMetrics().horizontalAdvance(name));
  EXPECT_EQ(table->columnWidth(1), 300);  // never narrower than its owner made it
}

// The logo is drawn sharp at any pixel ratio and shrunk, whole, into a
// control smaller than itself.
TEST(TransparentBitmapStatic, LogoIsSharpAndFitsASmallerControlWhole) {
  const QImage logo = LoadBitmapImage(134);
  EXPECT_EQ(logo.devicePixelRatio(), 3.0);
  EXPECT_EQ(logo.deviceIndependentSize(), QSizeF(142, 100));
  auto paint = [&](QSize control, qreal ratio) {
    TransparentBitmapStatic picture;
    picture.SetBitmap(logo);
    picture.resize(control);
    QImage painted(142, 100, QImage::Format_ARGB32);
    painted.setDevicePixelRatio(ratio);
    painted.fill(Qt::transparent);
    picture.render(&painted);
    return painted;
  };
  // Half the size on a 2x screen covers the same pixels as the whole logo
  // at 1x: all of it is there, caption included, not a cut-out middle.
  const QImage whole = paint({142, 100}, 1), shrunk = paint({71, 50}, 2);
  int differing = 0;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 142; ++x) differing += std::abs(qAlpha(whole.pixel(x, y)) - qAlpha(shrunk.pixel(x, y))) > 128;
  EXPECT_LT(differing, 142 * 100 / 50);
}

TEST(AnimationStatic, LoopsThroughTheFramesOfItsAnimation) {
  AnimationStatic animation(135);
  ASSERT_GT(animation.frameCount(), 1);
  EXPECT_FALSE(animation.pixmap().isNull());
  animation.Play();
  EXPECT_TRUE(animation.IsPlaying());
  // Each frame comes from the timer; two steps prove it moves on.
  EXPECT_TRUE(QTest::qWaitFor([&] { return animation.currentFrame() >= 2; }, 5000));
  animation.Stop();
  EXPECT_FALSE(animation.IsPlaying());
  EXPECT_EQ(AnimationStatic(4242).frameCount(), 0);
}

}  // namespace
