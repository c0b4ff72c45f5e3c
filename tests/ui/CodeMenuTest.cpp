// The second menu: the table script, the namespace, and a generation run with the
// window's progress log and outcome messages.
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <cctype>
#include <filesystem>
#include <functional>

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
  void editedFilesAreAskedAboutAndEachAnswerIsKept();
  void theAdviceToDeleteTheSiteOnlyWhereItHasNoSoundRecord();
  void exportTemplatesOnceAndTheRunAndStatusLineUseThem();

 private:
  std::string Folder() const { return FWorld->Catalogue().Folder(); }
  // A project whose classes each have one key and one display member.
  int GeneratableProject(const std::string& name) {
    const int project = Seed::Project(name);
    AddClass(project, "Book");
    return project;
  }
  // A class with an integer key that is its display member, and a title.
  static int AddClass(int project, const std::string& name) {
    const int book = Seed::Class(project, name, "图书");
    std::string key = name + "Id";
    key[0] = static_cast<char>(std::tolower(key[0]));
    Seed::Member(project, book, key, "整型", [](TMember& m) {
      m.SetMemberIsPri(1);
      m.SetMemberIsDisplay(1);
      m.SetMemberIsInteger(1);
      m.SetMemberIsMust(1);
    });
    Seed::Member(project, book, "title", "字符串", [](TMember& m) { m.SetMemberLength(50); });
    return book;
  }
  // Lets the run's queued reports reach the window until the run has ended.
  static void WaitForRun(TFormMain& window) {
    QTRY_VERIFY_WITH_TIMEOUT(!window.GenerationRunning(), 20000);
    QCoreApplication::processEvents();
  }
  // The files of the site the run made, its record and the .new files left out.
  int SiteFileCount() const {
    int count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(Folder() + "/projects/Shop"))
      count += entry.is_regular_file() && entry.path().filename() != "corvanthel-manifest.sha256" &&
                       entry.path().extension() != ".new"
                   ? 1
                   : 0;
    return count;
  }
  QString SiteFolder() const {
    return QDir::toNativeSeparators(QDir::cleanPath(QString::fromStdString(Folder()) + "/projects/Shop"));
  }
  // The done box's first two lines.
  QString DoneText(int created, int changed, int unchanged, int kept) const {
    return QString("所有代码生成完毕!\n新建%1个、更新%2个、未变%3个、保留%4个文件，网站目录: %5")
        .arg(created)
        .arg(changed)
        .arg(unchanged)
        .arg(kept)
        .arg(SiteFolder());
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
  const int project = Seed::Project("Shop");
  const int book = AddClass(project, "Book");
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
  // No site yet: nothing to delete, so no advice to; the box counts the files and names the folder.
  const QList<Prompts::TShown> shown = Prompts::Shown();
  QCOMPARE(shown.size(), 2);
  QCOMPARE(shown[0].kind, QString("box"));
  const int files = SiteFileCount();
  QVERIFY(files > 3);
  QCOMPARE(shown[0].text, DoneText(files, 0, 0, 0));
  QCOMPARE(shown[0].caption, QString("任务提示"));
  QCOMPARE(shown[1].kind, QString("open"));
  QCOMPARE(QDir::cleanPath(shown[1].text), QDir::cleanPath(site));

  // Again with one file out of date, one edited by hand and answered 保留: the counts add up to the site.
  // The template's folders are not copied over a site that has them, so only the generated files and the
  // three single template files are counted: a new member changes Book's entity and data-access files
  // (its business-logic file knows only the key).
  Seed::Member(project, book, "author", "字符串", [](TMember& m) { m.SetMemberLength(20); });
  WriteFileBytes(Folder() + "/projects/Shop/web.config", "<!-- mine -->\r\n");
  Prompts::ClearShown();
  Prompts::QueueChoice(1);
  // With CORVANTHEL_SCREENSHOTS=<folder>, the question and the done box are saved there as the user sees them.
  Prompts::SetSnapshotFolder(qEnvironmentVariable("CORVANTHEL_SCREENSHOTS"));
  Trigger(window, "A1");
  WaitForRun(window);
  Prompts::SetSnapshotFolder({});
  const QStringList boxes = Prompts::ShownTexts({"box"});
  QCOMPARE(boxes.size(), 1);
  // Unchanged: three files and the site's first database version (App_Data/upgrades/000.json).
  QVERIFY2(boxes[0].startsWith(DoneText(0, 2, 4, 1) + "\n\n"), qPrintable(boxes[0]));
}

void TCodeMenuTest::checkFailuresShowTheClassAndWriteNothing() {
  const int project = GeneratableProject("Shop");
  const int loan = Seed::Class(project, "Loan", "借阅");
  Seed::Member(project, loan, "loanId", "整型", [](TMember& m) { m.SetMemberIsPri(1); });
  Seed::Member(project, loan, "other", "整型", [](TMember& m) { m.SetMemberIsPri(1); });
  TFormMain window;
  Trigger(window, "A1");
  WaitForRun(window);
  QCOMPARE(Messages(), QStringList({"Loan表主键设置错误，每个类只能设置一个主键!"}));
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
  // Kept as the option says: nobody is asked.
  QVERIFY(Prompts::ShownTexts({"choice"}).isEmpty());
  QCOMPARE(Prompts::ShownTexts({"box"}),
           QStringList({DoneText(0, 0, 6, 1) +  // five files and the first database version
                        "\n\n"
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

// With the site's record sound, a run that would replace hand edits asks first; each answer is held to.
void TCodeMenuTest::editedFilesAreAskedAboutAndEachAnswerIsKept() {
  const int project = GeneratableProject("Shop");
  TFormMain window;
  Trigger(window, "A1");
  WaitForRun(window);
  const std::string site = Folder() + "/projects/Shop/";
  const std::string dal = site + "App_Code/DAL/dalBook.cs";
  const std::string entity = site + "App_Code/ENTITY/Book.cs";
  const std::string record = site + "App_Data/corvanthel-manifest.sha256";
  const std::string generatedDal = ReadFileBytes(dal);
  const std::string generatedEntity = ReadFileBytes(entity);
  const std::string recorded = ReadFileBytes(record);
  const QString question = "以下文件在上次生成后被手工修改，本次生成将覆盖它们:\n"
                           "projects/Shop/App_Code/ENTITY/Book.cs\n"
                           "projects/Shop/App_Code/DAL/dalBook.cs";

  // 取消 (also what closing the box answers): nothing at all is written, the record included.
  WriteFileBytes(entity, "// my entity\r\n");
  WriteFileBytes(dal, "// mine\r\n");
  Prompts::ClearShown();
  Prompts::QueueChoice(2);
  Trigger(window, "A1");
  WaitForRun(window);
  const QList<Prompts::TShown> shown = Prompts::Shown();
  QCOMPARE(shown.size(), 1);
  QCOMPARE(shown[0].kind, QString("choice"));
  QCOMPARE(shown[0].text, question);
  QCOMPARE(shown[0].buttons, QStringList({"覆盖", "保留（新内容写入.new）", "取消"}));
  QCOMPARE(ReadFileBytes(dal), std::string("// mine\r\n"));
  QCOMPARE(ReadFileBytes(entity), std::string("// my entity\r\n"));
  QVERIFY(!fs::exists(dal + ".new"));
  QCOMPARE(ReadFileBytes(record), recorded);
  QVERIFY(Log(window).isEmpty());

  // 保留: this run only, as the option does; the option itself stays off.
  Prompts::ClearShown();
  Prompts::QueueChoice(1);
  Trigger(window, "A1");
  WaitForRun(window);
  QCOMPARE(Prompts::ShownTexts({"choice"}), QStringList({question}));
  QCOMPARE(ReadFileBytes(dal), std::string("// mine\r\n"));
  QCOMPARE(ReadFileBytes(dal + ".new"), generatedDal);
  QCOMPARE(ReadFileBytes(entity + ".new"), generatedEntity);
  QVERIFY(!Find<QAction>(&window, "KeepEdits1")->isChecked());
  QVERIFY(Prompts::ShownTexts({"box"}).value(0).endsWith("projects/Shop/App_Code/DAL/dalBook.cs"));

  // 覆盖: the generated text replaces the edits; the .new files of before stay as they are.
  fs::remove(entity + ".new");
  Prompts::ClearShown();
  Prompts::QueueChoice(0);
  Trigger(window, "A1");
  WaitForRun(window);
  QCOMPARE(Prompts::ShownTexts({"choice"}), QStringList({question}));
  QCOMPARE(ReadFileBytes(dal), generatedDal);
  QCOMPARE(ReadFileBytes(entity), generatedEntity);
  QVERIFY(!fs::exists(entity + ".new"));
  QCOMPARE(Prompts::ShownTexts({"box"}).size(), 1);

  // Nothing edited: nobody is asked. Eleven edited files: ten listed, then how many there are.
  Prompts::ClearShown();
  Trigger(window, "A1");
  WaitForRun(window);
  QVERIFY(Prompts::ShownTexts({"choice"}).isEmpty());
  for (const char* name : {"Author", "Loan", "Reader"}) AddClass(project, name);
  Trigger(window, "A1");
  WaitForRun(window);
  std::vector<std::string> edited;
  for (const char* layer : {"ENTITY/", "BLL/bll", "DAL/dal"})
    for (const char* name : {"Author", "Book", "Loan", "Reader"})
      edited.push_back(site + "App_Code/" + layer + name + ".cs");
  edited.resize(11);
  for (const std::string& file : edited) WriteFileBytes(file, "x");
  Prompts::ClearShown();
  Prompts::QueueChoice(2);
  Prompts::SetSnapshotFolder(qEnvironmentVariable("CORVANTHEL_SCREENSHOTS"));
  Trigger(window, "A1");
  WaitForRun(window);
  Prompts::SetSnapshotFolder({});
  const QStringList lines = Prompts::ShownTexts({"choice"}).value(0).split('\n');
  QCOMPARE(lines.size(), 12);
  QCOMPARE(lines.last(), QString("等11个文件"));
  for (const std::string& file : edited) QCOMPARE(ReadFileBytes(file), std::string("x"));

}

// The advice holds only for a site whose files the program cannot tell from hand edits.
void TCodeMenuTest::theAdviceToDeleteTheSiteOnlyWhereItHasNoSoundRecord() {
  const QString advice = "如果以前生成了该项目，最好先删除原来的目录!";
  GeneratableProject("Shop");
  TFormMain window;
  const std::string record = Folder() + "/projects/Shop/App_Data/corvanthel-manifest.sha256";
  const struct {
    const char* site;
    std::function<void()> prepare;
    bool advised;
  } cases[] = {
      {"no site yet", [] {}, false},
      {"a site with its record", [] {}, false},
      {"a site whose record is gone", [&] { fs::remove(record); }, true},
      {"a damaged record", [&] { WriteFileBytes(record, "# corvanthel site manifest 1\nnonsense\n"); }, true},
      {"the record of another project",
       [&] { WriteFileBytes(record, "# corvanthel site manifest 1\n# project: Blog\n"); }, true},
      {"a site folder with nothing in it", [&] { fs::remove_all(Folder() + "/projects/Shop"); fs::create_directories(Folder() + "/projects/Shop"); }, true},
  };
  for (const auto& c : cases) {
    c.prepare();
    Prompts::ClearShown();
    Trigger(window, "A1");
    WaitForRun(window);
    QVERIFY2(Messages().contains(advice) == c.advised, c.site);
    QVERIFY2(Prompts::ShownTexts({"box"}).size() == 1, c.site);
    QVERIFY2(Prompts::Shown().first().text == (c.advised ? advice : Prompts::ShownTexts({"box"}).first()), c.site);
  }
}

QTEST_MAIN(TCodeMenuTest)
#include "CodeMenuTest.moc"

// "导出模板..." writes the built-in set into the data folder's templates/ once, never over the user's files;
// the status line counts what the folder replaces and a run uses the user's template.
void TCodeMenuTest::exportTemplatesOnceAndTheRunAndStatusLineUseThem() {
  GeneratableProject("Shop");
  TFormMain window;
  const QLabel* status = window.findChild<QLabel*>("StatusTemplates");
  QVERIFY(status != nullptr);
  QCOMPARE(status->text(), QString::fromStdString("模板: 内置"));

  // An export that fails (a file where the folder goes) shows its error and no success.
  WriteFileBytes(Folder() + "/templates", "not a folder");
  Prompts::ClearShown();
  Trigger(window, "ExportTemplates1");
  QCOMPARE(Prompts::ShownTexts({"error"}).size(), 1);
  QCOMPARE(Prompts::ShownTexts({"message"}), QStringList());
  QCOMPARE(status->text(), QString::fromStdString("模板: 内置"));
  fs::remove(Folder() + "/templates");

  Prompts::ClearShown();
  Trigger(window, "ExportTemplates1");
  const std::string folder = Folder() + "/templates";
  QVERIFY(Prompts::ShownTexts().join("").startsWith("已导出"));
  QVERIFY(status->text().startsWith(QString::fromStdString("模板: " + folder + " (替换 ")));
  Trigger(window, "ExportTemplates1");
  QVERIFY(Prompts::ShownTexts().last().startsWith("模板文件夹中已有以下文件"));

  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().filename() != "Entity.cs.mustache") fs::remove_all(entry.path());
  WriteFileBytes(folder + "/Entity.cs.mustache", "// {{className}} by my template\n");
  window.TemplatesChanged();
  QCOMPARE(status->text(), QString::fromStdString("模板: " + folder + " (替换 1 个)"));
  Trigger(window, "A1");
  WaitForRun(window);
  QCOMPARE(ReadFileBytes(Folder() + "/projects/Shop/App_Code/ENTITY/Book.cs"), std::string("// Book by my template\r\n"));
}
