#pragma once

#include <QString>

struct TDataLocation;
struct TGenerationTarget;
struct TProtectedPaths;

// Where the window's files are, decided once at start-up by the window program. Without a location the
// window works as in the program folder: help/ beside the executable, bak/ beside the catalogue.
namespace ProgramFolders {

void UseDataLocation(const TDataLocation& location);
// The help page the program ships.
QString HelpPage();
// The folder that holds the catalogue and projects/ (and bak/, unless TemplateFolder says otherwise).
QString ProgramFolder();
// The template site copied into every generated site; empty: ProgramFolder()/bak.
QString TemplateFolder();
// The user's generation templates: templates/ in the data folder.
QString UserTemplates();
// The folder a project's site is generated into.
QString SiteFolder(const QString& projectName);
// The project with the folders of its site, its template site and the user's templates, as a run and an
// upgrade take it.
TGenerationTarget SiteTarget(int projectId, const QString& projectName);
// What a file the user saves may never replace: the catalogue and the template site in use.
TProtectedPaths ProtectedPaths();

}  // namespace ProgramFolders
