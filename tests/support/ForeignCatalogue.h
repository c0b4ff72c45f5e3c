#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

// Runs SQL on the file through a connection of its own, as another SQLite tool would.
inline void ForeignSql(const std::string& file, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  char* error = nullptr;
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
  EXPECT_EQ(rc, SQLITE_OK) << (error != nullptr ? error : "");
  sqlite3_free(error);
  sqlite3_close(db);
}

// The three tables as another tool makes them: without AUTOINCREMENT, collations or indexes, with the class
// name column declared as given.
inline std::string ForeignSchema(const std::string& classNameColumn = "className TEXT") {
  return "CREATE TABLE t_project (projectId INTEGER PRIMARY KEY, projectName TEXT);"
         "CREATE TABLE t_class (classId INTEGER PRIMARY KEY, projectId INTEGER, " +
         classNameColumn +
         ", friendName TEXT);"
         "CREATE TABLE t_member (memberId INTEGER PRIMARY KEY, projectId INTEGER, classId INTEGER, memberName TEXT,"
         " memberType TEXT, memberLength INTEGER, memberIsPri INTEGER, memberComment TEXT, memberIsMust INTEGER,"
         " memberIsInteger INTEGER, memberIsFloat INTEGER, queryFlag INTEGER, memberIsDisplay INTEGER,"
         " memberQueryDisplay INTEGER);";
}
