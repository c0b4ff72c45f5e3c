#pragma once

#include <string>
#include <vector>

#include "model/ProjectModel.h"

// A project made from a SQL Server script, with what was adapted on the way.
struct TSqlImportResult {
  TProjectModel project;  // ids are 0: the project is not stored yet
  std::string encoding;   // the encoding the file was read in
  int tableCount = 0;     // tables read (and not dropped again), imported or not
  int unreadableTableCount = 0;  // CREATE TABLE statements that could not be read
  int adaptedNames = 0;   // names whose first letter changed case
  // The report: the encoding and counts first, then one line per statement skipped and per table or
  // column adapted, skipped or approximated, naming the table and the column.
  std::vector<std::string> report;
};

// Turns the bytes of a T-SQL file into a project named projectName: a class per table (without schema),
// a member per column in column order, keys, references and descriptions as far as a project can hold
// them. The template site's CusUsers table is left out. Raises TSqlScriptError when the bytes are not
// a readable script (not text, an unterminated comment or string); a script without tables gives a
// project without classes.
TSqlImportResult ImportSqlScript(std::string bytes, const std::string& projectName);
