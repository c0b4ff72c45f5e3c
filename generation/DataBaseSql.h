#pragma once

#include <string>

#include "model/ClassIndex.h"
#include "model/ProjectModel.h"

// Builds the SQL Server (Transact-SQL) script that creates a project's database:
// the fixed user table CusUsers with its administrator row, one table per class
// with one column per member, and after every table the foreign keys that
// class-typed members imply. The text is UTF-8 with CR LF line ends.
class TDataBaseSql {
 public:
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
  // The CREATE TABLE statement the script writes for a class with a key member, from "CREATE TABLE" to its
  // ") ON [PRIMARY]" line with its line end: no drop before it, no GO and no foreign keys after it.
  static std::string CreateTableText(const TClassModel& entry, const TClassIndex& classes);
};
