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
};

struct TSqlForeignKey {
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
  std::vector<TSqlForeignKey> foreignKeys;
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
  // One line per CREATE TABLE or ALTER TABLE that was skipped, with its line and column.
  std::vector<std::string> skipped;
};

// Reads the tables of a T-SQL script. Statements it has no use for (GO, USE, SET, indexes, views,
// procedures, data, drops, ...) pass without a word; a CREATE TABLE or ALTER TABLE it cannot read is
// skipped with a line in `skipped` that says where and why, and the rest of the script is still read.
// Raises TSqlScriptError only for text the tokenizer cannot split (an unterminated comment or string).
TSqlSchema ReadSqlScript(const std::string& utf8);
