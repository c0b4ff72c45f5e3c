// One version everywhere: the one the window's title shows. The build's version (CMake's project()),
// what both programs print for --version, the Debian package, its changelog, the AppStream metainfo and
// the manual pages all carry it.
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include "ui/MainForm.h"
#include "ui/support/UiTestSupport.h"

namespace {

QString Build(const QString& path) {
  return QString(CORVANTHEL_BIN_DIR) + "/../" + path;
}

QString ReadText(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return "<cannot read " + path + ">";
  return QString::fromUtf8(file.readAll());
}

QString Printed(const QString& program, const QStringList& arguments) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  process.setProcessEnvironment(environment);
  process.start(program, arguments);
  if (!process.waitForFinished(30000)) return "<" + program + " did not finish>";
  return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// The first capture of the pattern in the text; the text itself when it does not match, so that the
// comparison shows what was there.
QString Captured(const QString& text, const QString& pattern) {
  const QRegularExpressionMatch match = QRegularExpression(pattern).match(text);
  return match.hasMatch() ? match.captured(1) : text.left(200);
}

}  // namespace

class TVersionTest : public QObject {
  Q_OBJECT

 private slots:
  void everythingCarriesTheTitlesVersion();
};

void TVersionTest::everythingCarriesTheTitlesVersion() {
  TUiWorld world;
  TFormMain window;
  const QString version = Captured(window.windowTitle(), "代码生成器([0-9.]+)版$");
  QCOMPARE(version, QString("2.1"));

  QCOMPARE(QString(CORVANTHEL_VERSION), version);
  QCOMPARE(Printed(QString(CORVANTHEL_BIN_DIR) + "/corvanthel-cli", {"--version"}), "corvanthel-cli " + version);
  QCOMPARE(Printed(QString(CORVANTHEL_BIN_DIR) + "/corvanthel", {"--version"}), "Corvanthel " + version);
  const QString cpack = ReadText(Build("CPackConfig.cmake"));
  QCOMPARE(Captured(cpack, "set\\(CPACK_PACKAGE_VERSION \"([^\"]*)\"\\)"), version);
  // A Debian version of its own would win over the package version.
  QVERIFY(!cpack.contains("CPACK_DEBIAN_PACKAGE_VERSION"));
  QCOMPARE(Captured(ReadText(Build("packaging/changelog")), "^corvanthel \\(([^)]*)\\)"), version);
  QCOMPARE(
      Captured(ReadText(Build("packaging/org.corvanthel.Corvanthel.metainfo.xml")), "<release version=\"([^\"]*)\""),
      version);
  for (const QString page : {"corvanthel.1", "corvanthel-cli.1"})
    QCOMPARE(Captured(ReadText(Build("man/" + page)), "\n\\.TH [^\n]* \"corvanthel ([^\"]*)\""), version);
}

QTEST_MAIN(TVersionTest)
#include "VersionTest.moc"
