// The second menu: the table script, the namespace, and a generation run with the
// window's progress log and outcome messages.
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTest>
#include <filesystem>

#include "catalogue/DbHelper.h"
#include "catalogue/ProjectDAO.h"
#include "generation/DataBaseSql.h"
#include "model/NameRules.h"
#include "support/FileBytes.h"
#include "ui/MainForm.h"
#include "ui/Prompts.h"
#include "ui/support/UiTestSupport.h"

using namespace Ui;
namespace fs = std::filesystem;

class TCodeMenuTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    FWorld = std::make_unique<TUiWorld>();
    // The program folder of the window is the catalogue's: give it the template site.
    fs::copy(fs::path(CORVANTHEL_SOURCE_DIR) / "template" / "bak", Folder() + "/bak", fs::copy_options::recursive);
  }
  void cleanup() { FWorld.reset(); }

  void commandsWithoutAProjectAnswerTheirOwnMessages();
  void sqlCommandShowsTheProjectsScript();
  void namespaceKeepsItsValueOnCancelAndOnEmptyText();
  void aRunFillsTheLogThenReportsDoneAndOpensTheSite();
  void checkFailuresShowTheClassAndWriteNothing();
  void unsafeNamesShowTheErrorBoxAndWriteNothing();
  void aFailedRunShowsTheErrorAndKeepsTheLog();
  void aSecondRunWaitsForTheFirstAndTheSelectionCannotRedirectIt();
  void closingTheWindowDuringARunLetsTheRunFinishQuietly();
  void keepEditsIsRememberedAcrossRestarts();
  void aRunThatKeepsEditsListsThemInTheDoneBox();
  void thePagesSwitchAddsThePagesToTheRun();

 private:
  std::string Folder() const { return FWorld->Catalogue().Folder(); }
  // A project whose classes each have one key and one display member.
  int GeneratableProject(const std::string& name) {
    const int project = Seed::Project(name);
    const int book = Seed::Class(project, "Book", "图书");
    Seed::Member(project, book, "bookId", "整型", [](TMember& m) {
      m.SetMemberIsPri(1);
      m.SetMemberIsDisplay(1);
      m.SetMemberIsInteger(1);
      m.SetMemberIsMust(1);
    });
    Seed::Member(project, book, "title", "字符串", [](TMember& m) { m.SetMemberLength(50); });
    return project;
  }
  // Lets the run's queued reports reach the window until the run has ended.
  static void WaitForRun(TFormMain& window) {
    QTRY_VERIFY_WITH_TIMEOUT(!window.GenerationRunning(), 20000);
    QCoreApplication::processEvents();
  }
  static QStringList Log(TFormMain& window) {
    const QString text = Find<QPlainTextEdit>(&window, "Memo_State")->toPlainText();
    return text.isEmpty() ? QStringList() : text.split('\n');
  }

  std::unique_ptr<TUiWorld> FWorld;
};

void TCodeMenuTest::commandsWithoutAProjectAnswerTheirOwnMessages() {
  TFormMain window;
  TDialogScript dialogs;
  Trigger(window, "sql1");
  Trigger(window, "A1");
  QCOMPARE(Messages(), QStringList({"当前未有任何项目被选中!", "没有一个工程被选中！"}));
  QVERIFY(dialogs.Opened().isEmpty());
  QVERIFY(!window.GenerationRunning());
}

void TCodeMenuTest::sqlCommandShowsTheProjectsScript() {
  Seed::Project("Other");
  const int shop = GeneratableProject("Shop");
  TFormMain window;
  PickProject(window, 1);
  TDialogScript dialogs;
  QString shown;
  dialogs.Expect([&](QDialog& dialog) {
    QCOMPARE(dialog.windowTitle(), QString("数据库建表sql语句"));
    shown = Find<QPlainTextEdit>(&dialog, "Memo_Sql")->toPlainText();
  });
  Trigger(window, "sql1");
  QCOMPARE(dialogs.Pending(), 0);
  QCOMPARE(shown.replace("\n", "\r\n").toStdString(), TDataBaseSql().BuildScript(shop));
  QVERIFY(shown.contains("[bookId] [int] IDENTITY"));
}

void TCodeMenuTest::namespaceKeepsItsValueOnCancelAndOnEmptyText() {
  TFormMain window;
  Prompts::QueueInputCancel();
  Trigger(window, "S2");
  QCOMPARE(window.Namespace(), QString("corvanthel"));
  const QList<Prompts::TShown> shown = Prompts::Shown();
  QCOMPARE(shown.size(), 1);
  QCOMPARE(shown[0].caption, QString("命名空间输入框"));
  QCOMPARE(shown[0].text, QString("请输入一个命名空间名如:           "));

  Prompts::QueueInput("");
  Trigger(window, "S2");
  QCOMPARE(window.Namespace(), QString("corvanthel"));
  QCOMPARE(Messages(), QStringList({"命名空间名输入不能为空!"}));

  Prompts::QueueInput("MySite.Web");
  Trigger(window, "S2");
  QCOMPARE(window.Namespace(), QString("MySite.Web"));
}

void TCodeMenuTest::aRunFillsTheLogThenReportsDoneAndOpensTheSite() {
  GeneratableProject("Shop");
  TFormMain window;
  Find<QPlainTextEdit>(&window, "Memo_State")->setPlainText("left from before");
  Trigger(window, "A1");
  WaitForRun(window);

  const QStringList expected = {"projects/Shop/App_Code/ENTITY/Book.cs生成完毕!",
                                "projects/Shop/App_Code/BLL/bllBook.cs生成完毕!",
                                "projects/Shop/App_Code/DAL/dalBook.cs生成完毕!",
                                "正在移动资源文件。。。",
                                "移动projects/Shop/Admin文件夹完毕！",
                                "移动projects/Shop/App_Data文件夹完毕！",
                                "移动projects/ShopBin文件夹完毕!",
                                "移动projects/Shop/App_Code/ENTITY文件夹完毕！",
                                "移动projects/Shop/App_Code/BLL文件夹完毕！",
                                "移动projects/Shop/App_Code/DAL文件夹完毕！",
                                "移动projects/Shop/RegUsers.aspx完毕!",
                                "移动projects/Shop/RegUsers.aspx.cs完毕!",
                                "移动projects/Shop/web.config完毕",
                                "移动资源文件完毕!"};
  QCOMPARE(Log(window), expected);
  const QString site = QString::fromStdString(Folder()) + "/projects/Shop";
  QVERIFY(QFileInfo::exists(site + "/App_Code/DAL/dalBook.cs"));
  const QList<Prompts::TShown> shown = Prompts::Shown();
  QCOMPARE(shown.size(), 3);
  QCOMPARE(shown[0].text, QString("如果以前生成了该项目，最好先删除原来的目录!"));
  QCOMPARE(shown[1].kind, QString("box"));
  QCOMPARE(shown[1].text, QString("所有代码生成完毕!"));
  QCOMPARE(shown[1].caption, QString("任务提示"));
  QCOMPARE(shown[2].kind, QString("open"));
  QCOMPARE(QDir::cleanPath(shown[2].text), QDir::cleanPath(site));
}

void TCodeMenuTest::checkFailuresShowTheClassAndWriteNothing() {
  const int project = GeneratableProject("Shop");
  const int loan = Seed::Class(project, "Loan", "借阅");
  Seed::Member(project, loan, "loanId", "整型", [](TMember& m) { m.SetMemberIsPri(1); });
  Seed::Member(project, loan, "other", "整型", [](TMember& m) { m.SetMemberIsPri(1); });
  TFormMain window;
  Trigger(window, "A1");
  WaitForRun(window);
  QCOMPARE(Messages(),
           QStringList({"如果以前生成了该项目，最好先删除原来的目录!", "Loan表主键设置错误，每个类只能设置一个主键!"}));
  QCOMPARE(window.ErrorClassId(), loan);
  QVERIFY(Log(window).isEmpty());

  Prompts::ClearShown();
  TDbHelper().ExecSql("update t_member set memberIsPri=0 where memberName='other'");
  Trigger(window, "A1");
  WaitForRun(window);
  QCOMPARE(Messages().last(), QString("Loan表显示成员设置错误，每个类有且只能设置一个显示成员!"));

  Prompts::ClearShown();
  TDbHelper().ExecSql("update t_member set memberIsDisplay=1 where memberName='loanId'");
  Seed::Member(project, loan, "author", "Author");
  Trigger(window, "A1");
  WaitForRun(window);
  QCOMPARE(Messages().last(), QString("Loan表的成员author的类型Author不存在或没有唯一主键!"));
  QVERIFY(Log(window).isEmpty());
  QVERIFY(!fs::exists(Folder() + "/projects"));
  QVERIFY(Prompts::ShownTexts({"box", "open"}).isEmpty());
}

// Names from a catalogue written elsewhere: the run refuses them in the error box before it writes, and
// ahead of any key or display problem.
void TCodeMenuTest::unsafeNamesShowTheErrorBoxAndWriteNothing() {
  const int project = GeneratableProject("Shop");
  const int loan = Seed::Class(project, "Loan", "借阅");  // no key: a later check than the names'
  TDbHelper().ExecSql("update t_class set className='../../../../bak/App_Code/DAL/DBHelp' where classId=" +
                      std::to_string(loan));
  TFormMain window;
  Trigger(window, "A1");
  WaitForRun(window);
  QCOMPARE(Errors(),
           QStringList({QString("类../../../../bak/App_Code/DAL/DBHelp：") + NameRules::kClassNameCharsMessage}));
  QCOMPARE(window.ErrorClassId(), 0);

  Prompts::ClearShown();
  TDbHelper().ExecSql("update t_class set className='Loan' where classId=" + std::to_string(loan));
  TDbHelper().ExecSql("update t_project set projectName='../../ESC'");
  window.LoadProjects();
  Trigger(window, "A1");
  WaitForRun(window);
  QCOMPARE(Errors(), QStringList({QString("工程../../ESC：") + NameRules::kProjectNameMessage}));
  QVERIFY(Log(window).isEmpty());
  QVERIFY(!fs::exists(Folder() + "/projects"));
  QVERIFY(!fs::exists(fs::path(Folder()).parent_path() / "ESC"));
  QVERIFY(Prompts::ShownTexts({"box", "open"}).isEmpty());
}

void TCodeMenuTest::aFailedRunShowsTheErrorAndKeepsTheLog() {
  GeneratableProject("Shop");
  fs::remove_all(Folder() + "/bak/Admin");
  TFormMain window;
  Trigger(window, "A1");
  WaitForRun(window);
  QCOMPARE(Log(window).size(), 4);
  QCOMPARE(Log(window).last(), QString("正在移动资源文件。。。"));
  QCOMPARE(Errors().size(), 1);
  QVERIFY2(Errors()[0].startsWith("代码生成失败:"), qPrintable(Errors()[0]));
  QVERIFY(Prompts::ShownTexts({"box", "open"}).isEmpty());
}

void TCodeMenuTest::aSecondRunWaitsForTheFirstAndTheSelectionCannotRedirectIt() {
  GeneratableProject("Shop");
  GeneratableProject("Blog");
  TFormMain window;
  Trigger(window, "A1");
  // The run cannot end before the window has taken its outcome, so it is still going.
  QVERIFY(window.GenerationRunning());
  PickProject(window, 1);
  Trigger(window, "A1");
  QCOMPARE(Messages().last(), QString("代码正在生成中，请稍候!"));
  WaitForRun(window);

  QVERIFY(fs::exists(Folder() + "/projects/Shop/App_Code/ENTITY/Book.cs"));
  QVERIFY(!fs::exists(Folder() + "/projects/Blog"));
  QCOMPARE(QDir::cleanPath(Prompts::ShownTexts({"open"}).last()),
           QDir::cleanPath(QString::fromStdString(Folder()) + "/projects/Shop"));
  // Once it has ended, the next run starts.
  Trigger(window, "A1");
  WaitForRun(window);
  QVERIFY(fs::exists(Folder() + "/projects/Blog/web.config"));
}

void TCodeMenuTest::closingTheWindowDuringARunLetsTheRunFinishQuietly() {
  GeneratableProject("Shop");
  {
    TFormMain window;
    Trigger(window, "A1");
    QVERIFY(window.GenerationRunning());
  }  // the run still has its outcome to report to a window that is gone
  QVERIFY(fs::exists(Folder() + "/projects/Shop/web.config"));
  QVERIFY(Prompts::ShownTexts({"box", "open", "error"}).isEmpty());
}

// "保留手工修改" and "生成管理页面" are each remembered on their own: setting one leaves the other.
void TCodeMenuTest::keepEditsIsRememberedAcrossRestarts() {
  for (const char* name : {"KeepEdits1", "Pages1"}) {
    const char* other = std::string(name) == "KeepEdits1" ? "Pages1" : "KeepEdits1";
    {
      TFormMain window;
      QAction* item = Find<QAction>(&window, name);
      QVERIFY(item->isCheckable());
      QVERIFY(!item->isChecked());
      Trigger(window, name);
      QVERIFY(item->isChecked());
    }
    {
      TFormMain window;
      QVERIFY(Find<QAction>(&window, name)->isChecked());
      QVERIFY(!Find<QAction>(&window, other)->isChecked());
      Trigger(window, name);
    }
    TFormMain window;
    QVERIFY(!Find<QAction>(&window, name)->isChecked());
  }
}

void TCodeMenuTest::aRunThatKeepsEditsListsThemInTheDoneBox() {
  GeneratableProject("Shop");
  TFormMain window;
  Trigger(window, "A1");
  WaitForRun(window);
  const std::string dal = Folder() + "/projects/Shop/App_Code/DAL/dalBook.cs";
  WriteFileBytes(dal, "// mine\r\n");

  Trigger(window, "KeepEdits1");
  Prompts::ClearShown();
  Trigger(window, "A1");
  WaitForRun(window);
  QCOMPARE(ReadFileBytes(dal), std::string("// mine\r\n"));
  QVERIFY(fs::exists(dal + ".new"));
  QVERIFY(Log(window).contains(
      "projects/Shop/App_Code/DAL/dalBook.cs在上次生成后被手工修改，保留原文件，新内容写入dalBook.cs.new"));
  QCOMPARE(Prompts::ShownTexts({"box"}),
           QStringList({"所有代码生成完毕!\n\n"
                        "以下文件在上次生成后被手工修改，已保留原样，新内容写在同一文件夹的同名.new文件中:\n"
                        "projects/Shop/App_Code/DAL/dalBook.cs"}));
}

void TCodeMenuTest::thePagesSwitchAddsThePagesToTheRun() {
  GeneratableProject("Shop");
  TFormMain window;
  Trigger(window, "Pages1");
  Trigger(window, "A1");
  WaitForRun(window);
  const std::string list = Folder() + "/projects/Shop/Admin/BookList.aspx";
  QVERIFY(fs::exists(list));
  QVERIFY(Log(window).contains("projects/Shop/Admin/BookList.aspx生成完毕!"));
  QVERIFY(ReadFileBytes(Folder() + "/projects/Shop/Admin/Default.aspx").find("BookList.aspx") != std::string::npos);
  Trigger(window, "Pages1");
}

QTEST_MAIN(TCodeMenuTest)
#include "CodeMenuTest.moc"
