// The window of an installed program: the catalogue and the sites in the user's data
// folder, the template site and the help page in the install's share folder, and a
// status bar line that says where the catalogue and the sites are.
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>
#include <filesystem>

#include "catalogue/DataLocation.h"
#include "support/FileBytes.h"
#include "ui/MainForm.h"
#include "ui/Prompts.h"
#include "ui/support/UiTestSupport.h"

using namespace Ui;
namespace fs = std::filesystem;

class TDataLocationWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    FWorld = std::make_unique<TUiWorld>();
    // The share folder lies apart from the catalogue's folder, which holds no bak/.
    fs::create_directories(Share() + "/help");
    fs::copy(fs::path(CORVANTHEL_SOURCE_DIR) / "template" / "bak", Share() + "/bak", fs::copy_options::recursive);
    TDataLocation location;
    location.mode = TDataMode::Installed;
    location.dataFolder = Folder();
    location.catalogueFile = Folder() + "/projects.mdb";
    location.sitesFolder = Folder() + "/projects";
    location.templateFolder = Share() + "/bak";
    location.helpFolder = Share() + "/help";
    TFormMain::UseDataLocation(location);
  }
  void cleanup() {
    // The share folder lies beside the test's folder, which goes with the world: it must go too.
    std::error_code ignored;
    fs::remove_all(Share(), ignored);
    FWorld.reset();
  }

  void theStatusLineShowsTheCatalogueAndTheSitesFolder();
  void aRunCopiesTheInstalledTemplateAndOpensTheRealSite();
  void theHelpPageIsTheInstalledOne();

 private:
  std::string Folder() const { return FWorld->Catalogue().Folder(); }
  std::string Share() const { return Folder() + "-share"; }

  std::unique_ptr<TUiWorld> FWorld;
};

void TDataLocationWindowTest::theStatusLineShowsTheCatalogueAndTheSitesFolder() {
  TFormMain window;
  const QLineEdit* line = Find<QLineEdit>(&window, "StatusLocation");
  QVERIFY(line->isReadOnly());
  QCOMPARE(line->text(),
           QString::fromStdString("工程目录: " + Folder() + "/projects.mdb    生成的网站: " + Folder() + "/projects"));
}

void TDataLocationWindowTest::aRunCopiesTheInstalledTemplateAndOpensTheRealSite() {
  const int project = Seed::Project("Shop");
  const int book = Seed::Class(project, "Book", "图书");
  Seed::Member(project, book, "bookId", "整型", [](TMember& m) {
    m.SetMemberIsPri(1);
    m.SetMemberIsDisplay(1);
    m.SetMemberIsInteger(1);
  });
  TFormMain window;
  Trigger(window, "A1");
  QTRY_VERIFY_WITH_TIMEOUT(!window.GenerationRunning(), 20000);
  QCoreApplication::processEvents();

  const std::string site = Folder() + "/projects/Shop";
  QVERIFY(QFileInfo::exists(QString::fromStdString(site + "/App_Code/ENTITY/Book.cs")));
  for (const char* copied : {"Admin/Login.aspx", "App_Code/DAL/DBHelp.cs", "web.config"})
    QCOMPARE(ReadFileBytes(site + "/" + copied), ReadFileBytes(Share() + "/bak/" + copied));
  QVERIFY(!fs::exists(Folder() + "/bak"));
  QCOMPARE(Prompts::ShownTexts({"open"}), QStringList({QString::fromStdString(site)}));
  QCOMPARE(Prompts::ShownTexts({"error"}), QStringList());
}

void TDataLocationWindowTest::theHelpPageIsTheInstalledOne() {
  TFormMain window;
  QCOMPARE(TFormMain::HelpPage(), QString::fromStdString(Share() + "/help/index.html"));
  window.Image1Click();
  QCOMPARE(Prompts::ShownTexts({"open"}), QStringList({TFormMain::HelpPage()}));
}

QTEST_MAIN(TDataLocationWindowTest)
#include "DataLocationWindowTest.moc"
