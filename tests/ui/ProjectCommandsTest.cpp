// The nine commands of "项目操作(&P)", run through their menu actions with scripted
// prompts, checked against the catalogue and the window's views.
#include <QComboBox>
#include <QTest>

#include "catalogue/ClassDAO.h"
#include "catalogue/MemberDAO.h"
#include "model/NameRules.h"
#include "ui/MainForm.h"
#include "ui/Prompts.h"
#include "ui/support/UiTestSupport.h"

using namespace Ui;

class TProjectCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { FWorld = std::make_unique<TUiWorld>(); }
  void cleanup() { FWorld.reset(); }

  void everyCommandAnswersAnEmptyCatalogue_data();
  void everyCommandAnswersAnEmptyCatalogue();
  void newProject();
  void unsafeOrUnencodableProjectNamesAreRefused_data();
  void unsafeOrUnencodableProjectNamesAreRefused();
  void renameProject();
  void deleteProject();
  void deleteClassClearsTheGrid();
  void deleteMember();
  void editingAMemberThatIsGoneOpensNoDialog();
  void gridFollowsTheClassListWhenAProjectHasNoClasses();
  void storeErrorsEndTheCommandWithTheirOwnText();

 private:
  std::unique_ptr<TUiWorld> FWorld;
};

void TProjectCommandsTest::everyCommandAnswersAnEmptyCatalogue_data() {
  QTest::addColumn<QString>("action");
  QTest::addColumn<QString>("message");
  QTest::newRow("rename project") << "N1"
                                  << "当前未有任何项目被选中!";
  QTest::newRow("delete project") << "D1"
                                  << "未有任何项目被选中!";
  QTest::newRow("add class") << "A2"
                             << "当前未有任何项目被选中!";
  QTest::newRow("rename class") << "N2"
                                << "没有类被选中!";
  QTest::newRow("delete class") << "S1"
                                << "没有类被选中!";
  QTest::newRow("add member") << "M1"
                              << "请先选择类对象";
  QTest::newRow("edit member") << "N3"
                               << "请先选择一个成员";
  QTest::newRow("delete member") << "C1"
                                 << "请先选择一个成员";
}

void TProjectCommandsTest::everyCommandAnswersAnEmptyCatalogue() {
  QFETCH(QString, action);
  QFETCH(QString, message);
  TFormMain window;
  TDialogScript dialogs;
  Trigger(window, qPrintable(action));
  QCOMPARE(Prompts::ShownTexts(), QStringList({message}));
  QVERIFY(dialogs.Opened().isEmpty());
}

void TProjectCommandsTest::newProject() {
  TFormMain window;
  Prompts::QueueInputCancel();
  Trigger(window, "F2");
  QCOMPARE(Prompts::Shown().first().caption, QString("请输入工程名称"));
  QCOMPARE(Prompts::Shown().first().text, QString());
  QCOMPARE(Messages(), QStringList({"工程名称不能为空!"}));
  QVERIFY(Read::ProjectNames().isEmpty());

  Prompts::ClearShown();
  Prompts::QueueInput("Shop");
  Trigger(window, "F2");
  QCOMPARE(Messages(), QStringList({"工程名称添加成功！"}));
  QCOMPARE(ProjectItems(window), QStringList({"Shop"}));
  QCOMPARE(SelectedProject(window), QString("Shop"));

  Prompts::ClearShown();
  Prompts::QueueInput("Shop");
  Trigger(window, "F2");
  QCOMPARE(Messages(), QStringList({"该工程名称已经存在!"}));
  QCOMPARE(Read::ProjectNames(), QStringList({"Shop"}));

  // Chinese names, inner blanks and dots are fine for a folder.
  Prompts::QueueInput("网上 书店.v2");
  Trigger(window, "F2");
  QCOMPARE(Read::ProjectNames(), QStringList({"Shop", "网上 书店.v2"}));
  // The new project is not selected: the first one stays.
  QCOMPARE(SelectedProject(window), QString("Shop"));
}

void TProjectCommandsTest::unsafeOrUnencodableProjectNamesAreRefused_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("message");
  const QString unsafe = NameRules::kProjectNameMessage;
  for (const char* name : {"a\\b", "../up", "a/b", "c:", "x*", "why?", "say\"hi\"", "<tag>", "a|b"})
    QTest::newRow(name) << QString(name) << unsafe;
  QTest::newRow("tab") << "a\tb" << unsafe;
  QTest::newRow("newline") << "a\nb" << unsafe;
  QTest::newRow("dot") << "." << unsafe;
  QTest::newRow("dot dot") << ".." << unsafe;
  QTest::newRow("leading blank") << " Shop" << unsafe;
  QTest::newRow("trailing blank") << "Shop " << unsafe;
  QTest::newRow("trailing full-width blank") << "Shop\u3000" << unsafe;
  QTest::newRow("emoji") << "Shop\U0001F600" << QString(NameRules::kGbkMessage);
}

void TProjectCommandsTest::unsafeOrUnencodableProjectNamesAreRefused() {
  QFETCH(QString, name);
  QFETCH(QString, message);
  Seed::Project("Old");
  TFormMain window;

  Prompts::QueueInput(name);
  Trigger(window, "F2");
  QCOMPARE(Messages(), QStringList({message}));

  Prompts::ClearShown();
  Prompts::QueueInput(name);
  Trigger(window, "N1");
  QCOMPARE(Messages(), QStringList({message}));

  QCOMPARE(Read::ProjectNames(), QStringList({"Old"}));
  QCOMPARE(window.ProjectIndex(), -1);
}

void TProjectCommandsTest::renameProject() {
  Seed::Project("Shop");
  Seed::Project("Blog");
  TFormMain window;
  window.show();

  Prompts::QueueInputCancel();
  Trigger(window, "N1");
  QCOMPARE(Prompts::Shown().first().caption, QString("请输入项目名称"));
  QCOMPARE(Messages(), QStringList({"工程项目名称不能为空!"}));

  // Another project's name, in any case, is refused: the two sites would share a folder wherever names
  // compare without regard to case.
  PickProject(window, 1);
  for (const char* taken : {"Shop", "SHOP"}) {
    Prompts::ClearShown();
    Prompts::QueueInput(taken);
    Trigger(window, "N1");
    QCOMPARE(Messages(), QStringList({"该工程名称已经存在!"}));
    QCOMPARE(Read::ProjectNames(), QStringList({"Shop", "Blog"}));
  }
  // The project's own name in another case is no other project's.
  Prompts::ClearShown();
  Prompts::QueueInput("BLOG");
  Trigger(window, "N1");
  QCOMPARE(Messages(), QStringList({"工程名称修改成功！"}));
  QCOMPARE(Read::ProjectNames(), QStringList({"Shop", "BLOG"}));
  QCOMPARE(Find<QComboBox>(&window, "CB_Project")->currentIndex(), 1);
}

void TProjectCommandsTest::deleteProject() {
  const int shop = Seed::Project("Shop");
  const int book = Seed::Class(shop, "Book");
  Seed::Member(shop, book, "title", "字符串");
  const int blog = Seed::Project("Blog");
  const int post = Seed::Class(blog, "Post");
  Seed::Member(blog, post, "subject", "字符串");
  TFormMain window;
  window.show();

  Prompts::QueueConfirm(false);
  Trigger(window, "D1");
  QCOMPARE(Prompts::Shown().first().kind, QString("confirm"));
  QCOMPARE(Prompts::Shown().first().caption, QString("删除提示"));
  QCOMPARE(Prompts::Shown().first().text, QString("确认删除当前项目吗?"));
  QVERIFY(Messages().isEmpty());
  QCOMPARE(Read::ProjectNames(), QStringList({"Shop", "Blog"}));

  PickProject(window, 1);
  Prompts::QueueConfirm(true);
  Trigger(window, "D1");
  QCOMPARE(Messages(), QStringList({"删除成功!"}));
  QCOMPARE(ProjectItems(window), QStringList({"Shop"}));
  QCOMPARE(ClassItems(window), QStringList({"Book"}));
  QVERIFY(Read::ClassNames(blog).isEmpty());
  QCOMPARE(Read::MemberCount(post), 0);

  // The last project: selector, class list and grid all end up empty.
  Prompts::QueueConfirm(true);
  Trigger(window, "D1");
  QVERIFY(ProjectItems(window).isEmpty());
  QVERIFY(ClassItems(window).isEmpty());
  QCOMPARE(GridRowCount(window), 0);
  QCOMPARE(Read::MemberCount(book), 0);
  QCOMPARE(Prompts::PendingAnswers(), 0);
}

void TProjectCommandsTest::deleteClassClearsTheGrid() {
  const int shop = Seed::Project("Shop");
  const int book = Seed::Class(shop, "Book");
  const int author = Seed::Class(shop, "Author");
  Seed::Member(shop, book, "title", "字符串");
  Seed::Member(shop, author, "name", "字符串");
  TFormMain window;
  window.show();

  Prompts::QueueConfirm(false);
  Trigger(window, "S1");
  QCOMPARE(Prompts::Shown().first().caption, QString("提示"));
  QCOMPARE(Prompts::Shown().first().text, QString("确认删除此类对象！"));
  QCOMPARE(Read::ClassNames(shop), QStringList({"Book", "Author"}));
  QCOMPARE(GridRowCount(window), 1);

  Prompts::QueueConfirm(true);
  Trigger(window, "S1");
  QCOMPARE(Messages(), QStringList({"类对象删除成功!"}));
  QCOMPARE(Read::ClassNames(shop), QStringList({"Author"}));
  QCOMPARE(Read::MemberCount(book), 0);
  QCOMPARE(ClassItems(window), QStringList({"Author"}));
  QCOMPARE(SelectedClassRow(window), -1);
  QCOMPARE(GridRowCount(window), 0);

  // With no class selected, the class and member commands answer as with nothing there.
  Prompts::ClearShown();
  TDialogScript dialogs;
  for (const char* action : {"N2", "S1", "M1", "N3", "C1"}) Trigger(window, action);
  QCOMPARE(Messages(),
           QStringList({"没有类被选中!", "没有类被选中!", "请先选择类对象", "请先选择一个成员", "请先选择一个成员"}));
  QVERIFY(dialogs.Opened().isEmpty());
}

void TProjectCommandsTest::deleteMember() {
  const int shop = Seed::Project("Shop");
  const int book = Seed::Class(shop, "Book");
  Seed::Member(shop, book, "title", "字符串");
  Seed::Member(shop, book, "price", "浮点型");
  Seed::Member(shop, book, "isbn", "字符串");
  TFormMain window;
  window.show();

  Trigger(window, "C1");
  QCOMPARE(Messages(), QStringList({"请先选择一个成员"}));

  Prompts::ClearShown();
  ClickGridRow(window, 1);
  Prompts::QueueConfirm(false);
  Trigger(window, "C1");
  QCOMPARE(Prompts::Shown().first().caption, QString("删除提示"));
  QCOMPARE(Prompts::Shown().first().text, QString("确定删除当前成员属性?"));
  QCOMPARE(Read::MemberCount(book), 3);

  Prompts::QueueConfirm(true);
  Trigger(window, "C1");
  QCOMPARE(Messages(), QStringList({"成员属性删除成功"}));
  QVERIFY(!Read::MemberByName(book, "price"));
  QCOMPARE(GridNames(window), QStringList({"title", "isbn"}));
}

void TProjectCommandsTest::editingAMemberThatIsGoneOpensNoDialog() {
  const int shop = Seed::Project("Shop");
  const int book = Seed::Class(shop, "Book");
  const int title = Seed::Member(shop, book, "title", "字符串");
  TFormMain window;
  window.show();
  TDialogScript dialogs;

  // Another program (or another window) removed the member after the grid was filled.
  TMemberDAO().DeleteMember(title);
  ClickGridRow(window, 0);
  Trigger(window, "N3");
  QCOMPARE(Messages(), QStringList({"该成员已不存在!"}));
  QVERIFY(dialogs.Opened().isEmpty());
}

void TProjectCommandsTest::gridFollowsTheClassListWhenAProjectHasNoClasses() {
  const int shop = Seed::Project("Shop");
  const int book = Seed::Class(shop, "Book");
  Seed::Member(shop, book, "title", "字符串");
  Seed::Project("Empty");
  TFormMain window;
  window.show();
  QCOMPARE(GridRowCount(window), 1);

  // A rename makes reloads come back to the project without classes; the user then
  // looks at Shop again and adds a project. No rows of Shop's class may stay.
  PickProject(window, 1);
  Prompts::QueueInput("Leer");
  Trigger(window, "N1");
  PickProject(window, 0);
  QCOMPARE(GridRowCount(window), 1);
  Prompts::QueueInput("Blog");
  Trigger(window, "F2");
  QCOMPARE(SelectedProject(window), QString("Leer"));
  QVERIFY(ClassItems(window).isEmpty());
  QCOMPARE(GridRowCount(window), 0);
}

void TProjectCommandsTest::storeErrorsEndTheCommandWithTheirOwnText() {
  const int shop = Seed::Project("Shop");
  const int book = Seed::Class(shop, "Book");
  Seed::Member(shop, book, "title", "字符串");
  TFormMain window;
  window.show();

  Seed::FailInserts("t_project", "磁盘已满");
  Prompts::QueueInput("Blog");
  Trigger(window, "F2");
  QCOMPARE(Errors(), QStringList({"磁盘已满"}));
  QVERIFY(Messages().isEmpty());
  QCOMPARE(ProjectItems(window), QStringList({"Shop"}));

  Prompts::ClearShown();
  TDbHelper().ExecSql(
      "create trigger keep_classes before delete on t_class begin select raise(abort, '类被锁定'); end");
  Prompts::QueueConfirm(true);
  Trigger(window, "S1");
  QCOMPARE(Errors(), QStringList({"类被锁定"}));
  QVERIFY(Messages().isEmpty());
  QCOMPARE(ClassItems(window), QStringList({"Book"}));
  QCOMPARE(GridRowCount(window), 1);
  // The transaction left the class's members in place too.
  QCOMPARE(Read::MemberCount(book), 1);
}

QTEST_MAIN(TProjectCommandsTest)
#include "ProjectCommandsTest.moc"
