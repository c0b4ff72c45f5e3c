// "从SQL脚本导入(&Q)...": a script file and a project name through the prompts, one report box, and the new
// project selected in the window.
#include <QTest>

#include "support/FileBytes.h"
#include "ui/MainForm.h"
#include "ui/Prompts.h"
#include "ui/support/UiTestSupport.h"

using namespace Ui;

class TSqlImportCommandTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { FWorld = std::make_unique<TUiWorld>(); }
  void cleanup() { FWorld.reset(); }

  void importsTheScriptAndSelectsTheNewProject();
  void cancelAndRefusalsStoreNothing();

 private:
  QString WriteScript(const std::string& bytes) {
    const std::string path = FWorld->Catalogue().Folder() + "/shop.sql";
    WriteFileBytes(path, bytes);
    return QString::fromStdString(path);
  }

  std::unique_ptr<TUiWorld> FWorld;
};

void TSqlImportCommandTest::importsTheScriptAndSelectsTheNewProject() {
  Seed::Project("Old");
  TFormMain window;
  Prompts::QueueOpenFileName(WriteScript(
      "CREATE TABLE [dbo].[category] ([id] [int] IDENTITY (1, 1) NOT NULL PRIMARY KEY, [name] varchar(20))\n"
      "CREATE TABLE Book (Id int IDENTITY PRIMARY KEY, title nvarchar(max), categoryId int REFERENCES category)\n"));
  Prompts::QueueInput("书店");
  Trigger(window, "ImportSql1");

  const QList<Prompts::TShown> shown = Prompts::Shown();
  QCOMPARE(shown.size(), 3);
  QCOMPARE(shown[0].kind, QString("openfile"));
  QCOMPARE(shown[1].caption, QString("请输入工程名称"));
  QCOMPARE(shown[1].text, QString("工程名称:"));
  QCOMPARE(shown[1].proposed, QString("shop"));  // the script's file name
  QCOMPARE(shown[2].kind, QString("box"));
  QCOMPARE(shown[2].caption, QString("从SQL脚本导入"));
  QCOMPARE(shown[2].text, QString("编码: UTF-8\n"
                                  "读到 2 个表，导入 2 个类、5 个成员\n"
                                  "改了首字母大小写的名称: 2 个\n"
                                  "表 Book 列 title: 类型 nvarchar(max) 导入为长度 8000 的字符串\n"
                                  "已导入为工程“书店”"));
  QCOMPARE(Read::ProjectNames(), QStringList({"Old", "书店"}));
  QCOMPARE(SelectedProject(window), QString("书店"));
  QCOMPARE(ClassItems(window), QStringList({"Category", "Book"}));
  QCOMPARE(GridNames(window), QStringList({"id", "name"}));
  QCOMPARE(Prompts::PendingAnswers(), 0);
}

void TSqlImportCommandTest::cancelAndRefusalsStoreNothing() {
  Seed::Project("Old");
  TFormMain window;
  const QString script = WriteScript("CREATE TABLE A (id int PRIMARY KEY)");

  // Cancel in the file dialog or in the name box ends the command; an empty name is refused.
  Trigger(window, "ImportSql1");
  QCOMPARE(Prompts::ShownTexts({"input", "message", "box"}), QStringList());
  Prompts::QueueOpenFileName(script);
  Prompts::QueueInputCancel();
  Trigger(window, "ImportSql1");
  QCOMPARE(Prompts::ShownTexts({"message", "box"}), QStringList());
  Prompts::QueueOpenFileName(script);
  Prompts::QueueInput("");
  Trigger(window, "ImportSql1");
  QCOMPARE(Messages(), QStringList({"工程名称不能为空!"}));

  // The new-project rules: a taken name, a name that cannot be a folder.
  Prompts::ClearShown();
  Prompts::QueueOpenFileName(script);
  Prompts::QueueInput("Old");
  Trigger(window, "ImportSql1");
  Prompts::QueueOpenFileName(script);
  Prompts::QueueInput("a/b");
  Trigger(window, "ImportSql1");
  QCOMPARE(Messages().size(), 2);
  QCOMPARE(Messages().first(), QString("该工程名称已经存在!"));

  // An unreadable script: the box says where; nothing is stored and the selection stays.
  Prompts::ClearShown();
  Prompts::QueueOpenFileName(WriteScript("CREATE TABLE A (id int) /* open"));
  Prompts::QueueInput("New");
  Trigger(window, "ImportSql1");
  const QStringList boxes = Prompts::ShownTexts({"box"});
  QCOMPARE(boxes.size(), 1);
  QVERIFY2(boxes[0].endsWith("shop.sql: 第 1 行第 25 列: 注释 /* 没有结束"), qPrintable(boxes[0]));
  QCOMPARE(Read::ProjectNames(), QStringList({"Old"}));
  QCOMPARE(SelectedProject(window), QString("Old"));
}

QTEST_MAIN(TSqlImportCommandTest)
#include "SqlImportCommandTest.moc"
