// The window program: opens the main window on the catalogue beside the program.
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

#include "catalogue/DbHelper.h"
#include "ui/DataBaseSql.h"
#include "ui/MainForm.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Corvanthel");
  QApplication::setApplicationVersion(CORVANTHEL_VERSION);

  // Qt's own texts (the OK and Cancel buttons, the editing menu of text boxes) in Chinese.
  QTranslator qtTexts;
  if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), "qtbase", "_",
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtTexts);

  // The program works in its own folder: the catalogue, the template site and the
  // generated sites all live beside it, whatever folder it was started from.
  QDir::setCurrent(QCoreApplication::applicationDirPath());
  TDbHelper::SetCatalogueFile(QDir::current().absoluteFilePath("projects.mdb").toStdString());

  TFormMain formMain;
  // The program-wide script window stays hidden; the script command opens a fresh one.
  TDataBaseSqlForm dataBaseSqlForm(&formMain);
  QApplication::setWindowIcon(QIcon(":/images/icon.png"));
  formMain.show();
  return app.exec();
}
