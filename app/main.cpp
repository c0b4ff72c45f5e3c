// The window program: opens the main window on the catalogue, in the program folder
// when it runs from one, otherwise in the user's data folder.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QIcon>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>
#include <cstdio>

#include "catalogue/DataLocation.h"
#include "catalogue/DbHelper.h"
#include "ui/DataBaseSql.h"
#include "ui/MainForm.h"
#include "ui/Prompts.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Corvanthel");
  QApplication::setApplicationVersion(CORVANTHEL_VERSION);
  QApplication::setDesktopFileName("org.corvanthel.Corvanthel");

  QCommandLineParser parser;
  parser.setApplicationDescription("Corvanthel: three-layer ASP.NET (C#) web site code generator.");
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption dirOption("dir", "The folder of projects.mdb, bak/ and projects/.", "FOLDER");
  const QCommandLineOption quitAfterOption(
      "quit-after", "Close the window MS milliseconds after start-up (checks that the program starts).", "MS");
  parser.addOption(dirOption);
  parser.addOption(quitAfterOption);
  parser.process(app);

  // Qt's own texts (the OK and Cancel buttons, the editing menu of text boxes) in Chinese.
  QTranslator qtTexts;
  if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), "qtbase", "_",
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtTexts);

  TDataLocation location;
  try {
    location = DataLocation::Resolve(DataLocation::FromEnvironment(parser.value(dirOption).toStdString()));
    DataLocation::PrepareDataFolder(location);
  } catch (const TDataLocationError& error) {
    Prompts::ShowError(QString::fromStdString(error.what()));
    return 2;
  }
  // The program works in its data folder, whatever folder it was started from; every
  // path it writes is absolute, so this only keeps relative paths from surprising anyone.
  QDir::setCurrent(QString::fromStdString(location.dataFolder));
  TDbHelper::SetCatalogueFile(location.catalogueFile);
  TFormMain::UseDataLocation(location);

  TFormMain formMain;
  // The program-wide script window stays hidden; the script command opens a fresh one.
  TDataBaseSqlForm dataBaseSqlForm(&formMain);
  QApplication::setWindowIcon(QIcon(":/images/icon.png"));
  formMain.show();
  if (parser.isSet(quitAfterOption)) {
    bool valid = false;
    const int milliseconds = parser.value(quitAfterOption).toInt(&valid);
    if (!valid || milliseconds < 0) {
      std::fputs("corvanthel: --quit-after needs a number of milliseconds\n", stderr);
      return 2;
    }
    QTimer::singleShot(milliseconds, &app, &QCoreApplication::quit);
  }
  return app.exec();
}
