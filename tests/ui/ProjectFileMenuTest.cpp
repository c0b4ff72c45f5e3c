// The project menu's export and import of project files, run through their menu actions with scripted
// file dialogs and checked against the files, the catalogue and the window's views.
#include <QDir>
#include <QTest>
#include <cerrno>
#include <functional>
#include <optional>

#include "support/FileBytes.h"
#include "support/WriteFaults.h"
#include "transfer/json/ProjectTransfer.h"
#include "ui/MainForm.h"
#include "ui/Prompts.h"
#include "ui/support/UiTestSupport.h"

using namespace Ui;

class TProjectFileMenuTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { FWorld = std::make_unique<TUiWorld>(); }
  void cleanup() { FWorld.reset(); }

  void exportWritesTheSelectedProject();
  void importStoresAndSelectsTheProject();
  void aFileWithProblemsShowsThemAllInOneBoxAndStoresNothing();
  void aProjectThatOnlyCannotBeGeneratedYetIsStoredAndItsProblemsShown();
  void aTakenNameOffersAnotherNameReplaceOrCancel();
  void aFailedExportShowsItsErrorAndNoSuccess();

 private:
  QString Path(const QString& name) const { return QString::fromStdString(FWorld->Catalogue().Folder()) + "/" + name; }
  std::unique_ptr<TUiWorld> FWorld;
};

void TProjectFileMenuTest::exportWritesTheSelectedProject() {
  {
    TFormMain empty;
    Trigger(empty, "ExportProject");
    QCOMPARE(Messages(), QStringList({"当前未有任何项目被选中!"}));
  }
  Seed::Project("First");
  const int shop = Seed::Project("Shop");
  const int book = Seed::Class(shop, "Book", "图书");
  Seed::Member(shop, book, "id", "整型", [](TMember& m) { m.SetMemberIsPri(1); });
  TFormMain window;
  PickProject(window, 1);
  Prompts::ClearShown();

  Trigger(window, "ExportProject");  // cancelled: nothing written
  QCOMPARE(Prompts::Shown().size(), 1);
  QCOMPARE(Prompts::Shown()[0].kind, QString("save"));
  QVERIFY(Prompts::Shown()[0].text.endsWith("/Shop.json"));

  Prompts::ClearShown();
  Prompts::QueueSaveFileName(Path("shop.json"));
  Trigger(window, "ExportProject");
  QCOMPARE(Messages(), QStringList({"工程导出成功！"}));
  QCOMPARE(ReadFileBytes(Path("shop.json").toStdString()), TProjectTransfer().ExportProject(shop));

  Prompts::ClearShown();
  Prompts::QueueSaveFileName(Path("no-such-folder/shop.json"));
  Trigger(window, "ExportProject");
  QCOMPARE(Errors().size(), 1);
  QVERIFY(Errors()[0].contains("shop.json"));
}

void TProjectFileMenuTest::importStoresAndSelectsTheProject() {
  const int shop = Seed::Project("Shop");
  const int book = Seed::Class(shop, "Book", "图书");
  Seed::Member(shop, book, "id", "整型", [](TMember& m) {
    m.SetMemberIsPri(1);
    m.SetMemberIsDisplay(1);
  });
  std::string text = TProjectTransfer().ExportProject(shop);
  text.replace(text.find("\"Shop\""), 6, "\"Copy\"");
  WriteFileBytes(Path("copy.json").toStdString(), text);
  Seed::Project("Other");

  TFormMain window;
  Trigger(window, "ImportProject");  // cancelled
  QCOMPARE(Prompts::Shown().size(), 1);
  QCOMPARE(Prompts::Shown()[0].kind, QString("openfile"));
  QCOMPARE(Read::ProjectNames(), QStringList({"Shop", "Other"}));

  Prompts::ClearShown();
  Prompts::QueueOpenFileName(Path("copy.json"));
  Trigger(window, "ImportProject");
  QCOMPARE(Messages(), QStringList({"工程导入成功！"}));
  QCOMPARE(Read::ProjectNames(), QStringList({"Shop", "Other", "Copy"}));
  QCOMPARE(SelectedProject(window), QString("Copy"));
  QCOMPARE(ClassItems(window), QStringList({"Book"}));
}

void TProjectFileMenuTest::aFileWithProblemsShowsThemAllInOneBoxAndStoresNothing() {
  const int shop = Seed::Project("Shop");
  const int book = Seed::Class(shop, "Book", "图书");
  Seed::Member(shop, book, "id", "整型", [](TMember& m) { m.SetMemberIsPri(1); });
  std::string text = TProjectTransfer().ExportProject(shop);
  text.replace(text.find("\"memberLength\": 0"), 17, "\"memberLength\": \"0\"");
  text.replace(text.find("\"queryFlag\": 0"), 14, "\"queryFlag\": null");
  WriteFileBytes(Path("bad.json").toStdString(), text);  // and the name Shop is taken

  TFormMain window;
  Prompts::QueueOpenFileName(Path("bad.json"));
  Trigger(window, "ImportProject");
  const QStringList boxes = Prompts::ShownTexts({"box"});
  QCOMPARE(boxes.size(), 1);
  QCOMPARE(boxes[0], QString("工程文件有以下问题，未导入任何内容：\n"
                             "第13行：类“Book”的成员“id”的字段“memberLength”应为整数\n"
                             "第19行：类“Book”的成员“id”的字段“queryFlag”应为整数\n"
                             "工程“Shop”已存在"));
  QCOMPARE(Messages(), QStringList());
  QCOMPARE(Read::ProjectNames(), QStringList({"Shop"}));
  QCOMPARE(Read::ClassNames(shop), QStringList({"Book"}));

  Prompts::ClearShown();
  Prompts::QueueOpenFileName(Path("missing.json"));
  Trigger(window, "ImportProject");
  QCOMPARE(Errors().size(), 1);
  QVERIFY(Errors()[0].contains("missing.json"));
  QCOMPARE(Read::ProjectNames(), QStringList({"Shop"}));
}

void TProjectFileMenuTest::aProjectThatOnlyCannotBeGeneratedYetIsStoredAndItsProblemsShown() {
  const int shop = Seed::Project("Shop");
  const int log = Seed::Class(shop, "Log", "日志");
  Seed::Member(shop, log, "at", "日期型");  // no key, no display member
  std::string text = TProjectTransfer().ExportProject(shop);
  text.replace(text.find("\"Shop\""), 6, "\"Copy\"");
  WriteFileBytes(Path("copy.json").toStdString(), text);

  TFormMain window;
  Prompts::QueueOpenFileName(Path("copy.json"));
  Trigger(window, "ImportProject");
  QCOMPARE(Prompts::ShownTexts({"box"}),
           QStringList({"工程导入成功！生成代码前请先改正以下问题：\n"
                        "第7行：Log表主键设置错误，每个类只能设置一个主键!\n"
                        "第7行：Log表显示成员设置错误，每个类有且只能设置一个显示成员!"}));
  QCOMPARE(Read::ProjectNames(), QStringList({"Shop", "Copy"}));
  QCOMPARE(SelectedProject(window), QString("Copy"));
  QCOMPARE(ClassItems(window), QStringList({"Log"}));
}

// A sound file whose project name is taken: under another name (checked as a new project's), replace (after
// a confirmation), or cancel; every way out that is not taken leaves the catalogue as it was.
void TProjectFileMenuTest::aTakenNameOffersAnotherNameReplaceOrCancel() {
  const int shop = Seed::Project("Shop");
  const int book = Seed::Class(shop, "Book", "图书");
  Seed::Member(shop, book, "id", "整型", [](TMember& m) {
    m.SetMemberIsPri(1);
    m.SetMemberIsDisplay(1);
  });
  WriteFileBytes(Path("shop.json").toStdString(), TProjectTransfer().ExportProject(shop));
  Seed::Class(shop, "Loan", "借阅");  // the catalogue's project now differs from the file's
  TFormMain window;
  const auto import = [&](const std::function<void()>& answers) {
    Prompts::ClearShown();
    Prompts::QueueOpenFileName(Path("shop.json"));
    answers();
    Trigger(window, "ImportProject");
    QCOMPARE(Prompts::PendingAnswers(), 0);
  };

  import([] { Prompts::QueueChoice(2); });
  QCOMPARE(Prompts::Shown()[1].kind, QString("choice"));
  QCOMPARE(Prompts::Shown()[1].text, QString("工程“Shop”已存在，请选择导入方式:"));
  QCOMPARE(Prompts::Shown()[1].buttons, QStringList({"以其他名称导入", "替换原工程", "取消"}));
  QCOMPARE(Prompts::Shown().size(), 2);
  // Another name: cancelled, taken, or not a folder name stores nothing.
  import([] {
    Prompts::QueueChoice(0);
    Prompts::QueueInputCancel();
  });
  QCOMPARE(Prompts::Shown().last().proposed, QString("Shop"));
  import([] {
    Prompts::QueueChoice(0);
    Prompts::QueueInput("Shop");
  });
  QCOMPARE(Messages(), QStringList({"该工程名称已经存在!"}));
  import([] {
    Prompts::QueueChoice(0);
    Prompts::QueueInput("a/b");
  });
  QCOMPARE(Messages().size(), 1);
  // Replace, refused at the confirmation.
  import([] {
    Prompts::QueueChoice(1);
    Prompts::QueueConfirm(false);
  });
  QCOMPARE(Read::ProjectNames(), QStringList({"Shop"}));
  QCOMPARE(Read::ClassNames(shop), QStringList({"Book", "Loan"}));
  QVERIFY(Messages().isEmpty());

  import([] {
    Prompts::QueueChoice(0);
    Prompts::QueueInput("Shop2");
  });
  QCOMPARE(Messages(), QStringList({"工程导入成功！"}));
  QCOMPARE(Read::ProjectNames(), QStringList({"Shop", "Shop2"}));
  QCOMPARE(SelectedProject(window), QString("Shop2"));
  QCOMPARE(ClassItems(window), QStringList({"Book"}));

  import([] {
    Prompts::QueueChoice(1);
    Prompts::QueueConfirm(true);
  });
  QCOMPARE(Prompts::ShownTexts({"confirm"}),
           QStringList({"确定要用文件中的类和成员替换工程“Shop”的全部类和成员吗?"}));
  QCOMPARE(Messages(), QStringList({"工程导入成功！"}));
  QCOMPARE(Read::ProjectNames(), QStringList({"Shop", "Shop2"}));
  QCOMPARE(Read::ClassNames(shop), QStringList({"Book"}));
  QCOMPARE(SelectedProject(window), QString("Shop"));
}

namespace {

// A disk that takes no byte while the guard lives.
ssize_t FullDisk(int, const void*, std::size_t) {
  errno = ENOSPC;
  return -1;
}

}  // namespace

// A failed export shows its error and nothing else: no success box follows it, and a file it was to
// replace keeps its bytes.
void TProjectFileMenuTest::aFailedExportShowsItsErrorAndNoSuccess() {
  Seed::Project("Shop");
  TFormMain window;
  PickProject(window, 0);
  WriteFileBytes(Path("old.json").toStdString(), "old");
  QDir().mkpath(Path("folder.json"));
  const QString catalogue = QString::fromStdString(FWorld->Catalogue().File());
  const std::string catalogueBytes = ReadFileBytes(catalogue.toStdString());
  for (const QString& target : {Path("missing/shop.json"), Path("folder.json"), catalogue, Path("old.json")}) {
    Prompts::ClearShown();
    Prompts::QueueSaveFileName(target);
    std::optional<TWriteCallsReplaced> full;
    if (target.endsWith("old.json")) full.emplace(&FullDisk, TFileWriteCalls::Current().close);
    Trigger(window, "ExportProject");
    full.reset();
    QCOMPARE(Errors().size(), 1);
    QVERIFY2(Errors()[0].contains(QDir::toNativeSeparators(target)), qPrintable(Errors()[0]));
    QCOMPARE(Messages(), QStringList());
  }
  QCOMPARE(ReadFileBytes(Path("old.json").toStdString()), std::string("old"));
  QCOMPARE(ReadFileBytes(catalogue.toStdString()), catalogueBytes);

  // The export's own failure comes while the file is written: it is said as it is, not as a failed save.
  const int shop = window.SelectedProjectId();
  const int book = Seed::Class(shop, "Book", "图书");
  Seed::Member(shop, book, "title", "字符串", [](TMember& m) { m.SetMemberComment("\xE4\xB9\xFF"); });
  Prompts::ClearShown();
  Prompts::QueueSaveFileName(Path("old.json"));
  Trigger(window, "ExportProject");
  QCOMPARE(Errors().size(), 1);
  QVERIFY2(Errors()[0].contains("无法导出") && !Errors()[0].contains("无法保存文件"), qPrintable(Errors()[0]));
  QCOMPARE(Messages(), QStringList());
  QCOMPARE(ReadFileBytes(Path("old.json").toStdString()), std::string("old"));
}

QTEST_MAIN(TProjectFileMenuTest)
#include "ProjectFileMenuTest.moc"
