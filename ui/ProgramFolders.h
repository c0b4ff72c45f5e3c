#pragma once

#include <QString>

struct TDataLocation;
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
// What a file the user saves may never replace: the catalogue and the template site in use.
TProtectedPaths ProtectedPaths();

}  // namespace ProgramFolders
