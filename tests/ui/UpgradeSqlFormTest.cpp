// "生成升级sql语句(&U)" in the code menu and its window: every outcome of the upgrade, and "记录为新版本(&R)",
// which records the version as `upgrade-sql --record` does.
#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <map>

#include "catalogue/DbHelper.h"
#include "generation/AutoCode.h"
#include "generation/DatabaseUpgrade.h"
#include "generation/UpgradeSql.h"
#include "site/SiteWriter.h"
#include "support/FileBytes.h"
#include "support/RecordingObserver.h"
#include "text/GbkText.h"
#include "ui/MainForm.h"
#include "ui/ProgramFolders.h"
#include "ui/Prompts.h"
#include "ui/support/UiTestSupport.h"

using namespace Ui;
namespace fs = std::filesystem;

class TUpgradeSqlFormTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    FWorld = std::make_unique<TUiWorld>();
    fs::copy(fs::path(CORVANTHEL_SOURCE_DIR) / "template" / "bak", Folder() + "/bak", fs::copy_options::recursive);
    FProject = Seed::Project("Shop");
    const int book = Seed::Class(FProject, "Book", "图书");
    Seed::Member(FProject, book, "bookId", "整型", [](TMember& m) {
      m.SetMemberIsPri(1);
      m.SetMemberIsDisplay(1);
      m.SetMemberIsInteger(1);
      m.SetMemberIsMust(1);
    });
    Seed::Member(FProject, book, "title", "字符串", [](TMember& m) { m.SetMemberLength(50); });
  }
  void cleanup() { FWorld.reset(); }

  void problemsAreToldAndNothingIsWritten();
  void nothingToUpgradeOpensNoWindow();
  void theScriptIsShownAndRecordedAsTheNextVersion();
  void recordingFindsWhatAnotherProgramDidMeanwhile();

 private:
  std::string Folder() const { return FWorld->Catalogue().Folder(); }
  std::string Versions() const { return Folder() + "/projects/Shop/App_Data/upgrades"; }
  TGenerationTarget Target() const { return ProgramFolders::SiteTarget(FProject, "Shop"); }
  void Generate() {
    TRecordingObserver recorder;
    TAutoCode run(Target(), "corvanthel", recorder, {});
    run.Execute();
    QCOMPARE(recorder.outcomes, std::vector<std::string>{"done"});
  }
  // Every file of the site's folder with its bytes: what a command wrote, or did not.
  std::map<std::string, std::string> SiteFiles() const {
    std::map<std::string, std::string> files;
    const fs::path site = Folder() + "/projects/Shop";
    if (fs::exists(site))
      for (const auto& entry : fs::recursive_directory_iterator(site))
        if (entry.is_regular_file())
          files[fs::relative(entry.path(), site).generic_string()] = ReadFileBytes(entry.path().string());
    return files;
  }
  static void AddMember(const std::string& name) {
    TDbHelper().ExecSql(
        "insert into t_member (projectId, classId, memberName, memberType, memberLength, memberIsPri, memberComment, "
        "memberIsMust, memberIsInteger, memberIsFloat, queryFlag, memberIsDisplay, memberQueryDisplay) select "
        "projectId, classId, '" +
        name + "', '整型', 0, 0, '', 0, 0, 0, 0, 0, 1 from t_member where memberName='bookId'");
  }
  // Runs the menu command on the window's project; the window, when it opens, is handed to `inWindow`.
  QStringList Upgrade(TFormMain& window, const std::function<void(QDialog&)>& inWindow = {}) {
    Prompts::ClearShown();
    TDialogScript dialogs;
    if (inWindow) dialogs.Expect(inWindow);
    Trigger(window, "UpgradeSql1");
    if (dialogs.Pending() != 0) QTest::qFail("the upgrade window did not open", __FILE__, __LINE__);
    if (!inWindow && !dialogs.Opened().isEmpty()) QTest::qFail("the upgrade window opened", __FILE__, __LINE__);
    return Told();
  }
  // The messages and error boxes shown since the command started (the help page the window opens once after
  // start-up is none of them).
  static QStringList Told() { return Prompts::ShownTexts({"message", "error"}); }

  std::unique_ptr<TUiWorld> FWorld;
  int FProject = 0;
};

void TUpgradeSqlFormTest::problemsAreToldAndNothingIsWritten() {
  TFormMain window;
  // No site folder.
  QStringList shown = Upgrade(window);
  QCOMPARE(shown.size(), 1);
  QVERIFY2(shown[0].startsWith("没有找到网站文件夹“projects/Shop”"), qPrintable(shown[0]));
  QVERIFY(!fs::exists(Folder() + "/projects"));

  // No baseline: a site generated before versions were kept.
  Generate();
  const std::string baseline = ReadFileBytes(Versions() + "/000.json");
  fs::remove_all(Versions());
  fs::remove(Folder() + "/projects/Shop/App_Data/corvanthel-manifest.sha256");
  auto before = SiteFiles();
  shown = Upgrade(window);
  QCOMPARE(shown.size(), 1);
  QVERIFY2(shown[0].contains(DatabaseUpgradeTexts::kNoBaseline), qPrintable(shown[0]));
  QCOMPARE(SiteFiles(), before);

  // A damaged version.
  fs::remove_all(Folder() + "/projects");
  Generate();
  WriteFileBytes(Versions() + "/000.json", baseline + " ");
  AddMember("stock");
  before = SiteFiles();
  shown = Upgrade(window);
  QCOMPARE(shown.size(), 1);
  QVERIFY2(shown[0].contains("App_Data/upgrades/000.json") && shown[0].contains("已损坏"), qPrintable(shown[0]));
  QCOMPARE(SiteFiles(), before);

  // A project the table script refuses, told in the words of the table script's check.
  WriteFileBytes(Versions() + "/000.json", baseline);
  TDbHelper().ExecSql("update t_member set memberName='stock]x' where memberName='stock'");
  before = SiteFiles();
  shown = Upgrade(window);
  QCOMPARE(shown.size(), 1);
  QVERIFY2(shown[0].contains("stock]x"), qPrintable(shown[0]));
  QCOMPARE(Prompts::ShownTexts({"message"}), shown);
  QCOMPARE(SiteFiles(), before);
}

void TUpgradeSqlFormTest::nothingToUpgradeOpensNoWindow() {
  Generate();
  TFormMain window;
  QCOMPARE(Upgrade(window), QStringList{UpgradeTexts::kNothingToDo});
}

void TUpgradeSqlFormTest::theScriptIsShownAndRecordedAsTheNextVersion() {
  Generate();
  AddMember("stock");
  TDatabaseUpgradeRequest request;
  request.target = Target();
  const std::string script = RunDatabaseUpgrade(request).script;
  QVERIFY(script.find("ADD [stock]") != std::string::npos);
  const auto before = SiteFiles();

  TFormMain window;
  const QStringList shown = Upgrade(window, [&](QDialog& form) {
    QCOMPARE(form.windowTitle(), QString("数据库升级sql语句"));
    QCOMPARE(Find<QPlainTextEdit>(&form, "Memo_Sql")->toPlainText().replace("\n", "\r\n").toStdString(), script);
    // Ctrl+A and "保存为文件(&S)..." as in the table script's window; the file is proposed under its own name.
    auto* memo = Find<QPlainTextEdit>(&form, "Memo_Sql");
    QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(memo->textCursor().selectedText().size(), memo->toPlainText().size());
    const QString saved = QString::fromStdString(Folder() + "/saved.sql");
    Prompts::QueueSaveFileName(saved);
    Find<QAction>(&form, "SaveToFile1")->trigger();
    QVERIFY(Prompts::Shown().last().text.endsWith("/Shop-upgrade.sql"));
    QCOMPARE(ReadFileBytes(saved.toStdString()), GbkText::FromUtf8(script));
    Prompts::ClearShown();
    auto* record = Find<QPushButton>(&form, "BT_Record");
    QCOMPARE(record->text(), QString("记录为新版本(&R)"));
    QVERIFY(record->isEnabled());
    QTest::mouseClick(record, Qt::LeftButton);
    QVERIFY(!record->isEnabled());
    QCOMPARE(Find<QLabel>(&form, "LB_Version")->text(), QString("已记录版本 001：projects/Shop/App_Data/upgrades"));
  });
  QCOMPARE(shown, QStringList{"已记录版本 001：projects/Shop/App_Data/upgrades"});

  // Exactly the two files of the version, on the site's record.
  auto after = SiteFiles();
  QCOMPARE(after.at("App_Data/upgrades/001.sql"), script);
  QVERIFY(after.at("App_Data/upgrades/001.json").find("\"stock\"") != std::string::npos);
  for (const char* added : {"App_Data/upgrades/001.sql", "App_Data/upgrades/001.json"}) after.erase(added);
  QVERIFY(after.at("App_Data/corvanthel-manifest.sha256") != before.at("App_Data/corvanthel-manifest.sha256"));
  after.erase("App_Data/corvanthel-manifest.sha256");
  auto unchanged = before;
  unchanged.erase("App_Data/corvanthel-manifest.sha256");
  QCOMPARE(after, unchanged);
  const TSiteVersions versions = TSiteWriter(Target(), {true, false, false}).ReadVersions();
  QCOMPARE(versions.damage, std::string());
  QCOMPARE(versions.versions.size(), std::size_t(2));

  // The next upgrade starts from there.
  QCOMPARE(Upgrade(window), QStringList{UpgradeTexts::kNothingToDo});
}

void TUpgradeSqlFormTest::recordingFindsWhatAnotherProgramDidMeanwhile() {
  Generate();
  AddMember("stock");
  TFormMain window;
  TDatabaseUpgradeRequest record;
  record.target = Target();
  record.record = true;

  // A version damaged after the window opened: told, nothing written, the button stays for another try.
  const std::string baseline = ReadFileBytes(Versions() + "/000.json");
  Upgrade(window, [&](QDialog& form) {
    WriteFileBytes(Versions() + "/000.json", "{}");
    const auto before = SiteFiles();
    QTest::mouseClick(Find<QPushButton>(&form, "BT_Record"), Qt::LeftButton);
    QCOMPARE(SiteFiles(), before);
    QVERIFY(Find<QPushButton>(&form, "BT_Record")->isEnabled());
    QVERIFY2(Told().value(0).contains("已损坏"), qPrintable(Told().value(0)));
  });
  WriteFileBytes(Versions() + "/000.json", baseline);

  // The project changed by another program: what is recorded is shown, and the user is told.
  Upgrade(window, [&](QDialog& form) {
    AddMember("weight");
    QTest::mouseClick(Find<QPushButton>(&form, "BT_Record"), Qt::LeftButton);
    const QString memo = Find<QPlainTextEdit>(&form, "Memo_Sql")->toPlainText().replace("\n", "\r\n");
    QCOMPARE(memo.toStdString(), ReadFileBytes(Versions() + "/001.sql"));
    QVERIFY(memo.contains("ADD [weight]"));
    const QStringList lines = Told().value(0).split('\n');
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], QString("已记录版本 001：projects/Shop/App_Data/upgrades"));
  });

  // The same version recorded by the command line meanwhile: nothing left to record.
  AddMember("height");
  Upgrade(window, [&](QDialog& form) {
    QCOMPARE(RunDatabaseUpgrade(record).recordedVersion, 2);
    QTest::mouseClick(Find<QPushButton>(&form, "BT_Record"), Qt::LeftButton);
    QVERIFY(!Find<QPushButton>(&form, "BT_Record")->isEnabled());
    QCOMPARE(Find<QLabel>(&form, "LB_Version")->text(), QString(UpgradeTexts::kNothingToDo));
    QVERIFY(!fs::exists(Versions() + "/003.sql"));
  });
}

QTEST_MAIN(TUpgradeSqlFormTest)
#include "UpgradeSqlFormTest.moc"
