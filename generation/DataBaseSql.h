#pragma once

#include <string>

#include "generation/TemplateSet.h"
#include "model/ClassIndex.h"
#include "model/ProjectModel.h"

// Builds the SQL Server (Transact-SQL) script that creates a project's database:
// the fixed user table CusUsers with its administrator row, one table per class
// with one column per member, and after every table the foreign keys that
// class-typed members imply. The text is UTF-8 with CR LF line ends, rendered from the templates
// sql/Script.sql (the whole script) and sql/ClassScript.sql (one class's share), both made of
// sql/Table.sql and sql/ForeignKeys.sql.
class TDataBaseSql {
 public:
  explicit TDataBaseSql(const TTemplateSet& templates = TTemplateSet::BuiltIn()) : FTemplates(templates) {}

  // The whole script for the project in memory; reads nothing from the catalogue. A project with an
  // unsafe name, length or text (see IsUnsafe) raises TProjectProblemError naming it, before any text
  // is built: names become table and column names between brackets and quotes.
  //
  // A class without a key member gets no table, and a class-typed member whose
  // type names no class of the project with a key member gets no column and no
  // foreign key; a Transact-SQL comment line stands in their place and says why,
  // so the script never holds a guessed or broken statement.
  std::string BuildScript(const TProjectModel& project);
  // The script of the catalogue's project, read in one snapshot. Catalogue errors, a
  // missing project among them, are raised, not caught.
  std::string BuildScript(int projectId);
  // One class's share of the whole script: its table (or the comment standing in for
  // it) followed by the foreign keys of its own class-typed members. classes is the
  // index of the class's project. Reads nothing from the catalogue.
  static std::string ClassScript(const TClassModel& entry, const TClassIndex& classes);
  static std::string ClassScript(const TClassView& entry, const TTemplateSet& templates);

 private:
  const TTemplateSet& FTemplates;
};
