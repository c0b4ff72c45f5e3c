#pragma once

#include <string>
#include <vector>

// What importing a SQL Server script file into the catalogue came to. The command line prints it and
// exits with exitCode; the window shows it in one box.
struct TSqlFileImportOutcome {
  int exitCode = 2;                 // 0 stored, 1 nothing to import or refused, 2 unreadable or failed
  std::vector<std::string> report;  // the import's report; empty when the file could not be read
  std::string message;              // the last word: where the project went, or why nothing was stored
  int projectId = -1;               // the stored project; -1 when nothing was stored
};

// Reads the script file, turns it into a project named projectName and stores it: as a new project, or,
// with replace, over the first project of that name. Nothing is stored when the file cannot be read,
// holds no table to import, or names a project that exists and replace is not set. Catalogue errors
// come back as exit code 2 with the engine's message.
TSqlFileImportOutcome ImportSqlFile(const std::string& path, const std::string& projectName, bool replace);

// The last word of an import that stored a project: "已导入为工程“NAME”", or "已替换工程“NAME”" when it
// replaced the classes and members of a project of that name. Every import says it so.
std::string StoredProjectMessage(const std::string& projectName, bool replaced);
