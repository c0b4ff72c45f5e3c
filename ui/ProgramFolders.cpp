#include "ui/ProgramFolders.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <optional>

#include "catalogue/DataLocation.h"
#include "catalogue/DbHelper.h"
#include "site/FileOperate.h"
#include "site/GenerationTarget.h"

namespace {

std::optional<TDataLocation>& DataLocationInUse() {
  static std::optional<TDataLocation> location;
  return location;
}

}  // namespace

void ProgramFolders::UseDataLocation(const TDataLocation& location) {
  DataLocationInUse() = location;
}

QString ProgramFolders::HelpPage() {
  const std::optional<TDataLocation>& location = DataLocationInUse();
  if (location) return QString::fromStdString(location->helpFolder) + "/index.html";
  return QCoreApplication::applicationDirPath() + "/help/index.html";
}

QString ProgramFolders::ProgramFolder() {
  return QFileInfo(QString::fromStdString(TDbHelper::CatalogueFile())).absolutePath();
}

QString ProgramFolders::TemplateFolder() {
  const std::optional<TDataLocation>& location = DataLocationInUse();
  return location ? QString::fromStdString(location->templateFolder) : QString();
}

QString ProgramFolders::UserTemplates() {
  const std::optional<TDataLocation>& location = DataLocationInUse();
  return location ? QString::fromStdString(location->userTemplates) : ProgramFolder() + "/templates";
}

QString ProgramFolders::SiteFolder(const QString& projectName) {
  return ProgramFolder() + "/projects/" + projectName;
}

TGenerationTarget ProgramFolders::SiteTarget(int projectId, const QString& projectName) {
  TGenerationTarget target{projectId, projectName.toStdString(), ProgramFolder().toStdString(),
                           TemplateFolder().toStdString()};
  target.userTemplates = UserTemplates().toStdString();
  return target;
}

TProtectedPaths ProgramFolders::ProtectedPaths() {
  QString templateFolder = TemplateFolder();
  if (templateFolder.isEmpty()) templateFolder = ProgramFolder() + "/bak";
  return TProtectedPaths::Of(TDbHelper::CatalogueFile(), templateFolder.toStdString());
}
