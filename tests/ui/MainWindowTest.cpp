// The main window on its own: start-up, the project selector, the class list, the
// member grid, the menus, the banner and the start-up timer.
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "catalogue/ClassDAO.h"
#include "catalogue/DbHelper.h"
#include "catalogue/MemberDAO.h"
#include "catalogue/ProjectDAO.h"
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
  void windowLayoutAndMenus();
  void bannerAndStartupTimerOpenTheHelpPage();
  void unusableCatalogueIsReportedAndTheWindowStillOpens();
  void aBadMemberRowStopsTheGridAfterTheRowsBeforeIt();
  void deselectingTheClassEmptiesTheGrid();

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

void TMainWindowTest::windowLayoutAndMenus() {
  TFormMain window;
  window.show();
  QCOMPARE(window.windowTitle(), QString("corvanthelasp.net代码生成器2.1版"));
  QCOMPARE(window.centralWidget()->size(), QSize(770, 547));
  QCOMPARE(window.minimumSize(), window.maximumSize());
  QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));

  QCOMPARE(Find<QLabel>(&window, "Image1")->pixmap().size(), QSize(770, 89));
  QVERIFY(!Find<QComboBox>(&window, "CB_Project")->isEditable());

  const QList<QAction*> menus = window.menuBar()->actions();
  QCOMPARE(menus.size(), 2);
  QCOMPARE(menus[0]->text(), QString("项目操作(&P)"));
  QCOMPARE(menus[1]->text(), QString("代码管理(&A)"));
  QStringList projectItems;
  for (QAction* action : Find<QMenu>(&window, "F1")->actions())
    projectItems << action->objectName() + "=" + action->text();
  QCOMPARE(projectItems, QStringList({"F2=新建项目(&F)", "N1=修改项目名称(&X)", "D1=删除当前项目(&D)", "A2=添加类(&A)",
                                      "N2=修改类名(&B)", "S1=删除类(&S)", "M1=添加成员(&M)", "N3=修改成员属性(&E)",
                                      "C1=删除成员(&C)", "ExportProject=导出工程...", "ImportProject=导入工程..."}));
  QStringList codeItems;
  for (QAction* action : Find<QMenu>(&window, "P1")->actions())
    codeItems << action->objectName() + "=" + action->text();
  QCOMPARE(codeItems, QStringList({"sql1=生成建表sql语句", "S2=设置命名空间(&S)", "A1=自动生成代码(&A)"}));
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

  QTest::mouseClick(Find<QLabel>(&window, "Image1"), Qt::LeftButton, {}, QPoint(300, 40));
  QCOMPARE(Prompts::ShownTexts({"open"}), QStringList({TFormMain::HelpPage(), TFormMain::HelpPage()}));
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

void TMainWindowTest::deselectingTheClassEmptiesTheGrid() {
  const int shop = Seed::Project("Shop");
  const int book = Seed::Class(shop, "Book");
  Seed::Member(shop, book, "title", "字符串");
  TFormMain window;
  QCOMPARE(GridRowCount(window), 1);
  auto* list = Find<QListWidget>(&window, "LB_Object");
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                    list->visualItemRect(list->item(0)).center());
  QCOMPARE(window.SelectedClassId(), -1);
  QCOMPARE(GridRowCount(window), 0);
  ClickClass(window, 0);
  QCOMPARE(GridRowCount(window), 1);
}

QTEST_MAIN(TMainWindowTest)
#include "MainWindowTest.moc"
