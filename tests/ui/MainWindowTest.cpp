// The main window on its own: start-up, the project selector, the class list, the
// member grid, the menus, the banner and the start-up timer.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "catalogue/ClassDAO.h"
#include "catalogue/DbHelper.h"
#include "catalogue/MemberDAO.h"
#include "catalogue/ProjectDAO.h"
#include "ui/BannerImage.h"
#include "ui/MainForm.h"
#include "ui/Prompts.h"
#include "ui/support/UiTestSupport.h"

using namespace Ui;

class TMainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { FWorld = std::make_unique<TUiWorld>(); }
  void cleanup() { FWorld.reset(); }

  void startsWithAnEmptyCatalogueCreatedOnTheSpot();
  void startsOnTheFirstProjectAndItsFirstClass();
  void gridShowsEveryColumnAndFlagsAsYesOrNo();
  void classClickShowsThatClassesMembers();
  void projectPickReloadsClassesAndClearsTheGrid();
  void projectIndexFollowsRenameNotPickOrAdd();
  void doubleClicksOpenTheRightCommand();
  void groupBoxesFillTheWindowBelowTheBanner();
  void bannerAndStartupTimerOpenTheHelpPage();
  void unusableCatalogueIsReportedAndTheWindowStillOpens();
  void aBadMemberRowStopsTheGridAfterTheRowsBeforeIt();
  void theBannerIsAButtonTheKeyboardReaches();
  void explicitOpensTellThePathWhenTheDesktopCannotOpenIt();
  void pressesBesideTheClassesKeepTheSelectedClass();
  void aClickOnTheSelectedClassRebuildsTheGrid();
  void activationComesBackAfterADialogAndItsLastBox();
  void activationComesBackAfterARealBox();

 private:
  std::unique_ptr<TUiWorld> FWorld;
};

void TMainWindowTest::startsWithAnEmptyCatalogueCreatedOnTheSpot() {
  QVERIFY(!QFileInfo::exists(QString::fromStdString(FWorld->Catalogue().File())));
  TFormMain window;
  QVERIFY(QFileInfo::exists(QString::fromStdString(FWorld->Catalogue().File())));
  QVERIFY(ProjectItems(window).isEmpty());
  QCOMPARE(Find<QComboBox>(&window, "CB_Project")->currentIndex(), -1);
  QVERIFY(ClassItems(window).isEmpty());
  QCOMPARE(GridRowCount(window), 0);
  QCOMPARE(window.ProjectIndex(), -1);
  QCOMPARE(window.Namespace(), QString("corvanthel"));
  QVERIFY(Prompts::Shown().isEmpty());
}

void TMainWindowTest::startsOnTheFirstProjectAndItsFirstClass() {
  const int shop = Seed::Project("Shop");
  const int book = Seed::Class(shop, "Book");
  Seed::Class(shop, "Author");
  // Member order is the order they were added, not by name or key.
  Seed::Member(shop, book, "b", "字符串");
  Seed::Member(shop, book, "a", "字符串");
  Seed::Member(shop, book, "bookId", "整型", [](TMember& m) { m.SetMemberIsPri(1); });
  Seed::Project("Blog");

  TFormMain window;
  QCOMPARE(ProjectItems(window), QStringList({"Shop", "Blog"}));
  QCOMPARE(SelectedProject(window), QString("Shop"));
  QCOMPARE(window.SelectedProjectId(), shop);
  QCOMPARE(ClassItems(window), QStringList({"Book", "Author"}));
  QCOMPARE(SelectedClassRow(window), 0);
  QCOMPARE(window.SelectedClassId(), book);
  QCOMPARE(GridNames(window), QStringList({"b", "a", "bookId"}));
}

void TMainWindowTest::gridShowsEveryColumnAndFlagsAsYesOrNo() {
  const int shop = Seed::Project("Shop");
  const int book = Seed::Class(shop, "Book");
  Seed::Class(shop, "Author");
  const int plain = Seed::Member(shop, book, "title", "字符串", [](TMember& m) {
    m.SetMemberLength(40);
    m.SetMemberComment("书名");
  });
  Seed::Member(shop, book, "bookId", "整型", [](TMember& m) {
    m.SetMemberIsPri(1);
    m.SetMemberIsMust(1);
    m.SetQueryFlag(1);
    m.SetMemberIsDisplay(1);
    m.SetMemberQueryDisplay(0);
  });
  // Only the value 1 reads as "是".
  Seed::Member(shop, book, "odd", "日期型", [](TMember& m) {
    m.SetMemberIsPri(2);
    m.SetMemberIsMust(-1);
    m.SetMemberQueryDisplay(7);
  });
  Seed::Member(shop, book, "author", "Author", [](TMember& m) { m.SetMemberIsMust(1); });

  TFormMain window;
  QCOMPARE(GridRow(window, 0),
           QStringList({QString::number(plain), "title", "字符串", "40", "否", "否", "否", "否", "是", "书名"}));
  QCOMPARE(GridRow(window, 1).mid(1), QStringList({"bookId", "整型", "0", "是", "是", "是", "是", "否", ""}));
  QCOMPARE(GridRow(window, 2).mid(1), QStringList({"odd", "日期型", "0", "否", "否", "否", "否", "否", ""}));
  QCOMPARE(GridRow(window, 3).mid(1, 3), QStringList({"author", "Author", "0"}));
}

void TMainWindowTest::classClickShowsThatClassesMembers() {
  const int shop = Seed::Project("Shop");
  const int book = Seed::Class(shop, "Book");
  const int author = Seed::Class(shop, "Author");
  Seed::Class(shop, "Empty");
  Seed::Member(shop, book, "title", "字符串");
  Seed::Member(shop, author, "name", "字符串");
  Seed::Member(shop, author, "born", "日期型");

  TFormMain window;
  window.show();
  ClickClass(window, 1);
  QCOMPARE(window.SelectedClassId(), author);
  QCOMPARE(GridNames(window), QStringList({"name", "born"}));
  ClickClass(window, 2);
  QCOMPARE(GridRowCount(window), 0);
  ClickClass(window, 0);
  QCOMPARE(GridNames(window), QStringList({"title"}));
}

void TMainWindowTest::projectPickReloadsClassesAndClearsTheGrid() {
  const int shop = Seed::Project("Shop");
  const int book = Seed::Class(shop, "Book");
  Seed::Member(shop, book, "title", "字符串");
  Seed::Project("Empty");
  const int blog = Seed::Project("Blog");
  const int post = Seed::Class(blog, "Post");
  Seed::Class(blog, "Tag");
  Seed::Member(blog, post, "subject", "字符串");

  TFormMain window;
  window.show();
  PickProject(window, 1);
  QVERIFY(ClassItems(window).isEmpty());
  QCOMPARE(GridRowCount(window), 0);
  PickProject(window, 2);
  QCOMPARE(ClassItems(window), QStringList({"Post", "Tag"}));
  QCOMPARE(SelectedClassRow(window), 0);
  QCOMPARE(GridNames(window), QStringList({"subject"}));
  // The user's own picks never move the position that reloads come back to.
  QCOMPARE(window.ProjectIndex(), -1);
}

void TMainWindowTest::projectIndexFollowsRenameNotPickOrAdd() {
  Seed::Project("One");
  Seed::Project("Two");
  const int three = Seed::Project("Three");
  Seed::Class(three, "Gamma");
  TFormMain window;
  window.show();

  PickProject(window, 2);
  Prompts::QueueInput("Drei");
  Trigger(window, "N1");
  QCOMPARE(Messages().last(), QString("工程名称修改成功！"));
  QCOMPARE(ProjectItems(window), QStringList({"One", "Two", "Drei"}));
  QCOMPARE(SelectedProject(window), QString("Drei"));
  QCOMPARE(window.ProjectIndex(), 2);
  QCOMPARE(ClassItems(window), QStringList({"Gamma"}));

  PickProject(window, 0);
  Prompts::QueueInput("Four");
  Trigger(window, "F2");
  QCOMPARE(ProjectItems(window), QStringList({"One", "Two", "Drei", "Four"}));
  QCOMPARE(SelectedProject(window), QString("Drei"));
  QCOMPARE(ClassItems(window), QStringList({"Gamma"}));

  Prompts::QueueConfirm(true);
  Trigger(window, "D1");
  QCOMPARE(window.ProjectIndex(), -1);
  QCOMPARE(SelectedProject(window), QString("One"));
}

void TMainWindowTest::doubleClicksOpenTheRightCommand() {
  const int shop = Seed::Project("Shop");
  const int book = Seed::Class(shop, "Book");
  Seed::Member(shop, book, "title", "字符串");
  Seed::Member(shop, book, "price", "浮点型", [](TMember& m) { m.SetMemberIsMust(1); });
  TFormMain window;
  window.show();
  TDialogScript dialogs;

  dialogs.Expect([](QDialog& dialog) { QCOMPARE(Text(dialog, "Edt_ClassName"), QString("Book")); });
  DoubleClickClass(window, 0);

  dialogs.Expect([](QDialog& dialog) { QCOMPARE(Text(dialog, "Edt_MemberName"), QString("price")); });
  DoubleClickGridRow(window, 1);

  // A double click below the rows deselects them and adds a member instead.
  dialogs.Expect([](QDialog& dialog) { QCOMPARE(Text(dialog, "Edt_MemberName"), QString()); });
  ClickGridRow(window, 0);
  DoubleClickGridBlank(window);

  QCOMPARE(dialogs.Opened(), QStringList({"UpdateClassForm", "UpdateMemberForm", "AddMemberForm"}));
  QCOMPARE(dialogs.Pending(), 0);
  QVERIFY(Messages().isEmpty());
}

void TMainWindowTest::groupBoxesFillTheWindowBelowTheBanner() {
  TFormMain window;
  window.show();
  QCOMPARE(window.centralWidget()->size(), QSize(770, 547));
  QCOMPARE(window.minimumSize(), window.maximumSize());
  QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
  QCOMPARE(Find<TBannerImage>(&window, "Image1")->geometry(), QRect(0, 0, 770, 89));
  QCOMPARE(Find<TBannerImage>(&window, "Image1")->pixmap().size(), QSize(770, 89));
  QVERIFY(!Find<QComboBox>(&window, "CB_Project")->isEditable());

  auto* outer = Find<QGroupBox>(&window, "GroupBox1");
  QCOMPARE(outer->geometry(), QRect(0, 89, 770, 458));
  // Below the caption: the class list and the grid end on one line, the progress
  // group starts under it and ends inside the outer frame.
  const QRect inside = outer->contentsRect();
  auto* grid = Find<QTableWidget>(&window, "LV_Member");
  auto* list = Find<QListWidget>(&window, "LB_Object");
  QCOMPARE(grid->height(), 289);
  QCOMPARE(grid->x(), 165);
  QCOMPARE(list->size(), QSize(153, 241));
  QVERIFY(grid->y() >= inside.top());
  QCOMPARE(list->geometry().bottom(), grid->geometry().bottom());
  auto* progress = Find<QGroupBox>(&window, "GroupBox2");
  QVERIFY(progress->y() > grid->geometry().bottom());
  QVERIFY(progress->geometry().bottom() <= inside.bottom());
  // As high as the room left allows, up to 152.
  QCOMPARE(progress->height(), std::min(152, inside.bottom() - grid->geometry().bottom() - 1));
  QVERIFY(progress->height() >= 140);
}

void TMainWindowTest::bannerAndStartupTimerOpenTheHelpPage() {
  QVERIFY(QFileInfo::exists(CORVANTHEL_BIN_DIR "/help/index.html"));
  TFormMain window;
  window.show();
  QVERIFY(TFormMain::HelpPage().endsWith("/help/index.html"));

  auto* timer = Find<QTimer>(&window, "Timer1");
  QVERIFY(timer->isActive());
  QCOMPARE(timer->interval(), 5000);
  QVERIFY(QMetaObject::invokeMethod(&window, "Timer1Timer"));
  QVERIFY(!timer->isActive());
  QCOMPARE(Prompts::ShownTexts({"open"}), QStringList({TFormMain::HelpPage()}));

  QTest::mouseClick(Find<TBannerImage>(&window, "Image1"), Qt::LeftButton, {}, QPoint(300, 40));
  QCOMPARE(Prompts::ShownTexts({"open"}), QStringList({TFormMain::HelpPage(), TFormMain::HelpPage()}));
  QVERIFY(Messages().isEmpty());
}

void TMainWindowTest::theBannerIsAButtonTheKeyboardReaches() {
  TFormMain window;
  window.show();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  auto* banner = Find<TBannerImage>(&window, "Image1");
  // Tab goes through the controls of the window and comes to the banner last.
  QStringList order;
  QWidget* widget = Find<QComboBox>(&window, "CB_Project");
  for (int step = 0; step < 5; ++step) {
    order << widget->objectName();
    widget = widget->nextInFocusChain();
    while (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isVisible()) widget = widget->nextInFocusChain();
  }
  QCOMPARE(order, QStringList({"CB_Project", "LB_Object", "LV_Member", "Memo_State", "Image1"}));
  QCOMPARE(QApplication::focusWidget(), Find<QComboBox>(&window, "CB_Project"));

  banner->setFocus(Qt::TabFocusReason);
  QTest::keyClick(banner, Qt::Key_Space);
  QTest::keyClick(banner, Qt::Key_Return);
  QCOMPARE(Prompts::ShownTexts({"open"}), QStringList({TFormMain::HelpPage(), TFormMain::HelpPage()}));

  QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(banner);
  QCOMPARE(reader->role(), QAccessible::Button);
  QCOMPARE(reader->text(QAccessible::Name), QString("打开帮助页面"));
  reader->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  QTRY_COMPARE(Prompts::ShownTexts({"open"}).size(), 3);
}

void TMainWindowTest::explicitOpensTellThePathWhenTheDesktopCannotOpenIt() {
  TFormMain window;
  window.show();
  Prompts::SetOpenFails(true);
  const QString help = QDir::toNativeSeparators(TFormMain::HelpPage());

  // The start-up timer was not asked for: it stays silent.
  QVERIFY(QMetaObject::invokeMethod(&window, "Timer1Timer"));
  QCOMPARE(Prompts::ShownTexts({"open"}).size(), 1);
  QVERIFY(Messages().isEmpty());

  QTest::mouseClick(Find<TBannerImage>(&window, "Image1"), Qt::LeftButton, {}, QPoint(300, 40));
  QCOMPARE(Messages(), QStringList({"无法自动打开帮助页面，请手工打开:\n" + help}));

  Prompts::ClearShown();
  const QString site = TFormMain::ProgramFolder() + "/projects/Shop";
  window.WMGenerateDone(site);
  QCOMPARE(Prompts::ShownTexts(),
           QStringList({"所有代码生成完毕!", site,
                        "无法自动打开生成的网站目录，请手工打开:\n" + QDir::toNativeSeparators(site)}));

  // With a desktop that opens things, nothing more is said.
  Prompts::SetOpenFails(false);
  Prompts::ClearShown();
  window.WMGenerateDone(site);
  QCOMPARE(Prompts::ShownTexts(), QStringList({"所有代码生成完毕!", site}));
}

void TMainWindowTest::unusableCatalogueIsReportedAndTheWindowStillOpens() {
  std::ofstream(FWorld->Catalogue().File()) << "this is not a catalogue";
  TFormMain window;
  window.show();
  QCOMPARE(Errors().size(), 1);
  QVERIFY2(Errors().first().contains("projects.mdb"), qPrintable(Errors().first()));
  QVERIFY(ProjectItems(window).isEmpty());
  QVERIFY(window.isVisible());
}

void TMainWindowTest::aBadMemberRowStopsTheGridAfterTheRowsBeforeIt() {
  const int shop = Seed::Project("Shop");
  const int book = Seed::Class(shop, "Book");
  Seed::Member(shop, book, "title", "字符串");
  Seed::Member(shop, book, "broken", "字符串");
  // Only another tool could store this; the grid must not keep a half-made row.
  TDbHelper().ExecSql("update t_member set memberLength='abc' where memberName='broken'");
  TFormMain window;
  QCOMPARE(Errors().size(), 1);
  QVERIFY2(Errors().first().contains("abc"), qPrintable(Errors().first()));
  QCOMPARE(GridNames(window), QStringList({"title"}));
  ClickGridRow(window, 0);
  QCOMPARE(window.SelectedClassId(), book);
  TDialogScript dialogs;
  dialogs.Expect([](QDialog& dialog) { QCOMPARE(Text(dialog, "Edt_MemberName"), QString("title")); });
  DoubleClickGridRow(window, 0);
  QCOMPARE(dialogs.Pending(), 0);
}

void TMainWindowTest::pressesBesideTheClassesKeepTheSelectedClass() {
  const int shop = Seed::Project("Shop");
  const int book = Seed::Class(shop, "Book");
  const int author = Seed::Class(shop, "Author");
  Seed::Member(shop, book, "title", "字符串");
  Seed::Member(shop, author, "name", "字符串");
  Seed::Member(shop, author, "born", "日期型");
  TFormMain window;
  window.show();
  ClickClass(window, 1);
  auto* list = Find<QListWidget>(&window, "LB_Object");
  const QPoint blank(20, list->viewport()->height() - 5);
  QVERIFY(list->itemAt(blank) == nullptr);

  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, blank);
  QCOMPARE(window.SelectedClassId(), author);
  QCOMPARE(GridNames(window), QStringList({"name", "born"}));
  // Neither Ctrl nor Shift takes the class away.
  for (const Qt::KeyboardModifier modifier : {Qt::ControlModifier, Qt::ShiftModifier}) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifier, list->visualItemRect(list->item(1)).center());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifier, blank);
    QCOMPARE(window.SelectedClassId(), author);
    QCOMPARE(GridNames(window), QStringList({"name", "born"}));
  }
  QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier);
  QCOMPARE(window.SelectedClassId(), author);

  // A double click beside the classes opens the dialog of the selected class.
  TDialogScript dialogs;
  dialogs.Expect([](QDialog& dialog) { QCOMPARE(Text(dialog, "Edt_ClassName"), QString("Author")); });
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, blank);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, blank);
  QCOMPARE(dialogs.Pending(), 0);
  QVERIFY(Messages().isEmpty());

  // The keyboard moves the selection and the grid follows.
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Up);
  QCOMPARE(window.SelectedClassId(), book);
  QCOMPARE(GridNames(window), QStringList({"title"}));
}

void TMainWindowTest::aClickOnTheSelectedClassRebuildsTheGrid() {
  const int shop = Seed::Project("Shop");
  const int book = Seed::Class(shop, "Book");
  Seed::Member(shop, book, "title", "字符串");
  const int gone = Seed::Member(shop, book, "price", "浮点型", [](TMember& m) { m.SetMemberIsMust(1); });
  TFormMain window;
  window.show();
  // Another program removed a member behind the window's back.
  TMemberDAO().DeleteMember(gone);
  ClickGridRow(window, 1);
  Trigger(window, "N3");
  QCOMPARE(Messages(), QStringList({"该成员已不存在!"}));
  QCOMPARE(GridNames(window), QStringList({"title", "price"}));

  ClickClass(window, 0);
  QCOMPARE(window.SelectedClassId(), book);
  QCOMPARE(GridNames(window), QStringList({"title"}));
}

void TMainWindowTest::activationComesBackAfterADialogAndItsLastBox() {
  const int shop = Seed::Project("Shop");
  Seed::Class(shop, "Book");
  TFormMain window;
  window.show();
  window.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  // Stands for wherever the window manager puts the focus when the box and the
  // dialog that owned it close.
  QWidget elsewhere;
  elsewhere.setWindowTitle("elsewhere");
  elsewhere.show();

  TDialogScript dialogs;
  dialogs.Expect([&](QDialog& dialog) {
    SetText(dialog, "Edt_ClassName", "Novel");
    SetText(dialog, "Edt_FriendName", "小说");
    ClickOk(dialog);
    QVERIFY(!dialog.isVisible());
    elsewhere.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
  });
  Trigger(window, "A2");
  QCOMPARE(Messages(), QStringList({"类名称添加成功！"}));
  QTRY_COMPARE(QApplication::activeWindow(), &window);
  QVERIFY(window.isAncestorOf(QApplication::focusWidget()));

  // The same after a dialog closed without saving.
  dialogs.Expect([&](QDialog&) {
    elsewhere.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
  });
  Trigger(window, "N2");
  QTRY_COMPARE(QApplication::activeWindow(), &window);
  QCOMPARE(dialogs.Pending(), 0);
}

void TMainWindowTest::activationComesBackAfterARealBox() {
  TFormMain window;
  window.show();
  window.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  QWidget elsewhere;
  elsewhere.show();
  // The box is really shown; while it is up, another window takes the activation.
  Prompts::SetScripted(false);
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    poll.stop();
    elsewhere.activateWindow();
    QTRY_VERIFY(elsewhere.isActiveWindow());
    box->accept();
  });
  poll.start(10);
  Prompts::ShowMessage("类名称添加成功！");
  Prompts::SetScripted(true);
  QTRY_COMPARE(QApplication::activeWindow(), &window);
}

QTEST_MAIN(TMainWindowTest)
#include "MainWindowTest.moc"
