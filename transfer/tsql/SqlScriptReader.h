#pragma once

#include <string>
#include <vector>

#include "transfer/tsql/SqlTokenizer.h"

// What the T-SQL import reads from a script, before it becomes a project: the tables with their
// columns and keys, the descriptions and the alias types. Names are as written, without schema.

struct TSqlColumn {
  std::string name;
  int line = 0;
  int column = 0;
  std::string typeName;  // the type's last name part as written: varchar, INT, an alias type's name
  std::string length;    // the first type argument: digits, "max" (any case), or empty when none
  bool nullWritten = false;
  bool notNull = false;
  bool identity = false;
  bool computed = false;  // name AS expression
  bool sequence = false;  // DEFAULT NEXT VALUE FOR: numbered by the database, as IDENTITY is
  // Clauses read but not kept, each said once in the report: "GENERATED ALWAYS AS ROW START 未导入".
  std::vector<std::string> notes;
};

struct TSqlForeignKey {
  std::string name;  // the constraint's name; empty when the script gives none
  std::vector<std::string> columns;
  std::string table;                    // the referenced table
  std::vector<std::string> keyColumns;  // empty: the referenced table's primary key
};

struct TSqlTable {
  std::string name;
  int line = 0;
  int column = 0;
  std::vector<TSqlColumn> columns;
  std::vector<std::vector<std::string>> primaryKeys;  // every PRIMARY KEY met, inline or as a constraint
  std::vector<std::string> primaryKeyNames;           // the constraint name of each; empty when unnamed
  std::vector<TSqlForeignKey> foreignKeys;
  std::vector<std::string> notes;  // table clauses read but not kept, as for columns
};

// An MS_Description extended property: of the table when column is empty, else of the column.
struct TSqlDescription {
  std::string table;
  std::string column;
  std::string text;
};

// sp_addtype or CREATE TYPE ... FROM: a name for a system type.
struct TSqlAliasType {
  std::string name;
  std::string typeName;
  std::string length;
  bool nullWritten = false;
  bool notNull = false;
};

struct TSqlSchema {
  std::vector<TSqlTable> tables;
  std::vector<TSqlDescription> descriptions;
  std::vector<TSqlAliasType> aliasTypes;
  // One line per statement that was skipped or that removed a table, with its line and column, in script
  // order.
  std::vector<std::string> skipped;
  // The CREATE TABLE statements that could not be read, by table name.
  std::vector<std::string> unreadableTables;
};

// Reads the tables of a T-SQL script, applying in script order what changes them: CREATE TABLE, ALTER TABLE
// ... ADD / ALTER COLUMN / DROP COLUMN / DROP CONSTRAINT, sp_rename, DROP TABLE, and the description
// procedures. The tables are those that exist when the script has run. Statements it has no use for (GO,
// USE, SET, indexes, views, procedures, data, ...) pass without a word. What the script does only under a
// condition (IF, ELSE, CATCH) or in dynamic SQL is not done: a change of a table read so far, or a
// dynamic statement on tables, is skipped with a line in `skipped`; a CREATE TABLE under IF is read, as a
// fresh database would run it. A CREATE TABLE or ALTER TABLE it cannot read is skipped with a line that
// says where and why, and the rest of the script is still read. Raises TSqlScriptError only for text the
// tokenizer cannot split (an unterminated comment or string).
TSqlSchema ReadSqlScript(const std::string& utf8);
