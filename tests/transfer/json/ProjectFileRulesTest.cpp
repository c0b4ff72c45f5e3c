// Reading project files where a careless reader slips: quotes inside texts, the ends of the integer range,
// every reserved word of Transact-SQL, and which problems keep a project out of the catalogue.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "model/NameRules.h"
#include "model/ProjectChecker.h"
#include "support/CatalogueSeed.h"
#include "transfer/json/ModelJson.h"

namespace {

TMember KeyMember(const std::string& name) {
  TMember id = NewMember(0, 0, name, "整型");
  id.SetMemberIsPri(1);
  id.SetMemberIsMust(1);
  id.SetMemberIsInteger(1);
  id.SetMemberIsDisplay(1);
  return id;
}

std::string Joined(const std::vector<std::string>& problems) {
  std::string text;
  for (const std::string& problem : problems) text += problem + "\n";
  return text;
}

// The file of one class Book whose one member has the given value for queryFlag.
std::string WithQueryFlag(const std::string& value) {
  TProjectModel project;
  project.projectName = "Shop";
  project.classes.resize(1);
  project.classes[0].className = "Book";
  project.classes[0].members.push_back(KeyMember("id"));
  std::string text = TModelJson().Export(project);
  const std::string flag = "\"queryFlag\": 0";
  text.replace(text.find(flag), flag.size(), "\"queryFlag\": " + value);
  return text;
}

// The reserved keywords of Transact-SQL as SQL Server's documentation lists them.
// clang-format off
const char* const kReservedWords[] = {
    "ADD", "ALL", "ALTER", "AND", "ANY", "AS", "ASC", "AUTHORIZATION", "BACKUP", "BEGIN", "BETWEEN", "BREAK",
    "BROWSE", "BULK", "BY", "CASCADE", "CASE", "CHECK", "CHECKPOINT", "CLOSE", "CLUSTERED", "COALESCE", "COLLATE",
    "COLUMN", "COMMIT", "COMPUTE", "CONSTRAINT", "CONTAINS", "CONTAINSTABLE", "CONTINUE", "CONVERT", "CREATE",
    "CROSS", "CURRENT", "CURRENT_DATE", "CURRENT_TIME", "CURRENT_TIMESTAMP", "CURRENT_USER", "CURSOR", "DATABASE",
    "DBCC", "DEALLOCATE", "DECLARE", "DEFAULT", "DELETE", "DENY", "DESC", "DISK", "DISTINCT", "DISTRIBUTED",
    "DOUBLE", "DROP", "DUMP", "ELSE", "END", "ERRLVL", "ESCAPE", "EXCEPT", "EXEC", "EXECUTE", "EXISTS", "EXIT",
    "EXTERNAL", "FETCH", "FILE", "FILLFACTOR", "FOR", "FOREIGN", "FREETEXT", "FREETEXTTABLE", "FROM", "FULL",
    "FUNCTION", "GOTO", "GRANT", "GROUP", "HAVING", "HOLDLOCK", "IDENTITY", "IDENTITY_INSERT", "IDENTITYCOL", "IF",
    "IN", "INDEX", "INNER", "INSERT", "INTERSECT", "INTO", "IS", "JOIN", "KEY", "KILL", "LEFT", "LIKE", "LINENO",
    "LOAD", "MERGE", "NATIONAL", "NOCHECK", "NONCLUSTERED", "NOT", "NULL", "NULLIF", "OF", "OFF", "OFFSETS", "ON",
    "OPEN", "OPENDATASOURCE", "OPENQUERY", "OPENROWSET", "OPENXML", "OPTION", "OR", "ORDER", "OUTER", "OVER",
    "PERCENT", "PIVOT", "PLAN", "PRECISION", "PRIMARY", "PRINT", "PROC", "PROCEDURE", "PUBLIC", "RAISERROR", "READ",
    "READTEXT", "RECONFIGURE", "REFERENCES", "REPLICATION", "RESTORE", "RESTRICT", "RETURN", "REVERT", "REVOKE",
    "RIGHT", "ROLLBACK", "ROWCOUNT", "ROWGUIDCOL", "RULE", "SAVE", "SCHEMA", "SECURITYAUDIT", "SELECT",
    "SEMANTICKEYPHRASETABLE", "SEMANTICSIMILARITYDETAILSTABLE", "SEMANTICSIMILARITYTABLE", "SESSION_USER", "SET",
    "SETUSER", "SHUTDOWN", "SOME", "STATISTICS", "SYSTEM_USER", "TABLE", "TABLESAMPLE", "TEXTSIZE", "THEN", "TO",
    "TOP", "TRAN", "TRANSACTION", "TRIGGER", "TRUNCATE", "TRY_CONVERT", "TSEQUAL", "UNION", "UNIQUE", "UNPIVOT",
    "UPDATE", "UPDATETEXT", "USE", "USER", "VALUES", "VARYING", "VIEW", "WAITFOR", "WHEN", "WHERE", "WHILE", "WITH",
    "WRITETEXT"};
// clang-format on

}  // namespace

TEST(ProjectFileRules, QuotesAndBackslashesInsideTextsKeepEveryProblemOnItsLine) {
  TProjectModel project;
  project.projectName = "Shop";
  project.classes.resize(2);
  project.classes[0].className = "Book";
  project.classes[0].friendName = "图书 \"精选";  // one quote: a scanner that misses the escape swaps keys and values
  TMember id = KeyMember("id");
  id.SetMemberIsDisplay(0);
  id.SetMemberComment("a\\\"b\\");  // an escaped quote, then a backslash right before the closing quote
  project.classes[0].members.push_back(id);
  project.classes[0].members.push_back(NewMember(0, 0, "title", "字符串"));  // length 0
  project.classes[1] = project.classes[0];
  project.classes[1].className = "Copy";
  project.classes[1].members[1].SetMemberLength(50);
  const std::string text = TModelJson().Export(project);
  const TModelJsonResult read = TModelJson().Import(text);
  EXPECT_EQ(Joined(read.problems),
            "第7行：Book表显示成员设置错误，每个类有且只能设置一个显示成员!\n"
            "第24行：类Book的成员title：字符串类型的长度必须在1到8000之间!\n"
            "第39行：Copy表显示成员设置错误，每个类有且只能设置一个显示成员!\n");
  EXPECT_EQ(read.project.classes[0].friendName, "图书 \"精选");
  EXPECT_EQ(read.project.classes[0].members[0].GetMemberComment(), "a\\\"b\\");
}

TEST(ProjectFileRules, TheEndsOfTheIntegerRangeAreIntegersAndOnePastIsNot) {
  for (const std::string& value : {std::to_string(INT_MAX), std::to_string(INT_MIN)})
    EXPECT_EQ(Joined(TModelJson().Import(WithQueryFlag(value)).problems), "") << value;
  EXPECT_EQ(TModelJson().Import(WithQueryFlag(std::to_string(INT_MAX))).project.classes[0].members[0].GetQueryFlag(),
            INT_MAX);
  for (const std::string& value : {std::to_string(INT_MAX + 1LL), std::to_string(INT_MIN - 1LL)})
    EXPECT_EQ(Joined(TModelJson().Import(WithQueryFlag(value)).problems),
              "第19行：类“Book”的成员“id”的字段“queryFlag”应为整数\n")
        << value;
}

TEST(ProjectFileRules, RefusesEveryReservedWordOfTransactSqlAsAClassOrMemberName) {
  TProjectModel project;
  project.projectName = "Words";
  for (const char* word : kReservedWords) {
    TClassModel entry;
    entry.className = word;
    entry.members.push_back(KeyMember("id"));
    TMember member = NewMember(0, 0, std::string(1, static_cast<char>(word[0] + 32)) + (word + 1), "整型");
    member.SetMemberIsMust(1);
    member.SetMemberIsInteger(1);
    entry.members.push_back(member);
    project.classes.push_back(entry);
  }
  const TModelJsonResult read = TModelJson().Import(TModelJson().Export(project));
  const std::string problems = Joined(read.problems);
  for (const char* word : kReservedWords) {
    const std::string member = std::string(1, static_cast<char>(word[0] + 32)) + (word + 1);
    EXPECT_NE(problems.find("类" + std::string(word) + "：" + NameRules::kSqlKeywordMessage), std::string::npos)
        << word;
    EXPECT_NE(problems.find("类" + std::string(word) + "的成员" + member + "：" + NameRules::kSqlKeywordMessage),
              std::string::npos)
        << member;
  }
  // Names are refused: none of this may reach the catalogue.
  EXPECT_LT(read.runProblems.size(), read.problems.size());
}

TEST(ProjectFileRules, OnlyTheProblemsOfAGenerationRunMayReachTheCatalogue) {
  TProjectModel project;
  project.projectName = "Shop";
  project.classes.resize(3);
  project.classes[0].className = "Log";  // no key, no display member
  project.classes[0].members.push_back(NewMember(0, 0, "at", "日期型"));
  project.classes[1].className = "Book";
  project.classes[1].members.push_back(KeyMember("id"));
  project.classes[1].members.push_back(NewMember(0, 0, "shelf", "Shelf"));  // no such class
  project.classes[2].className = "Tag";
  project.classes[2].members.push_back(KeyMember("id"));
  const TModelJsonResult runOnly = TModelJson().Import(TModelJson().Export(project));
  EXPECT_EQ(Joined(runOnly.problems),
            "第7行：Log表主键设置错误，每个类只能设置一个主键!\n"
            "第7行：Log表显示成员设置错误，每个类有且只能设置一个显示成员!\n"
            "第43行：Book表的成员shelf的类型Shelf不存在或没有唯一主键!\n");
  EXPECT_EQ(runOnly.runProblems, runOnly.problems);

  project.classes[2].members.push_back(NewMember(0, 0, "name", "字符串"));  // length 0: never stored
  const TModelJsonResult refused = TModelJson().Import(TModelJson().Export(project));
  EXPECT_EQ(refused.problems.size(), 4u);
  EXPECT_EQ(refused.runProblems, runOnly.problems);
}
