#include <gtest/gtest.h>
#include <sqlite3.h>

#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

#include "catalogue/DbHelper.h"
#include "catalogue/ProjectDAO.h"
#include "support/CatalogueSeed.h"
#include "support/FileBytes.h"
#include "support/ForeignCatalogue.h"
#include "support/TempCatalogue.h"

TEST(DbHelper, MissingCatalogueIsCreatedWithTheThreeTablesAndIndexes) {
  TTempCatalogue catalogue;
  TDbHelper db;
  EXPECT_EQ(db.GetScalarInt("select count(*) from t_project"), 0);
  EXPECT_EQ(db.GetScalarInt("select count(*) from t_class"), 0);
  EXPECT_EQ(db.GetScalarInt("select count(*) from t_member"), 0);
  EXPECT_EQ(db.GetScalarInt("select count(*) from sqlite_master where type='index' and name like 'ix_%'"), 2);
  // Nothing is left of the temporary file the catalogue was built in.
  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(catalogue.Folder()))
    if (entry.path().filename().string().find(".new-") != std::string::npos) ++entries;
  EXPECT_EQ(entries, 0);
}

TEST(DbHelper, ScalarsDistinguishNoRowFromZero) {
  TTempCatalogue catalogue;
  TDbHelper db;
  EXPECT_EQ(db.GetScalarInt("select count(*) from t_class where projectId=99"), 0);
  EXPECT_EQ(db.GetScalarInt("select classId from t_class where projectId=99"), -1);
  EXPECT_EQ(db.GetScalarString("select className from t_class where classId=99"), "");
  db.ExecSql("insert into t_class(projectId,className,friendName) values (1,'Book','图书')");
  EXPECT_EQ(db.GetScalarString("select friendName from t_class where projectId=1"), "图书");
  EXPECT_EQ(db.GetScalarInt("select classId from t_class where projectId=1"), 1);
}

TEST(DbHelper, QueryWalksRowsAndReadsColumnsByNameInAnyCase) {
  TTempCatalogue catalogue;
  TDbHelper db;
  db.ExecSql("insert into t_project(projectName) values ('A')");
  db.ExecSql("insert into t_project(projectName) values ('B')");
  std::unique_ptr<TDbQuery> query = db.OpenQuery("select projectId,projectName from t_project");
  std::vector<std::string> seen;
  for (query->First(); !query->Eof(); query->Next())
    seen.push_back(query->FieldByName("PROJECTNAME").AsString() + query->FieldByName("projectId").AsString());
  EXPECT_EQ(seen, (std::vector<std::string>{"A1", "B2"}));
  query->First();
  EXPECT_THROW(query->FieldByName("noSuchColumn"), TDbError);
  std::unique_ptr<TDbQuery> empty = db.OpenQuery("select * from t_member");
  empty->First();
  EXPECT_TRUE(empty->Eof());
  EXPECT_THROW(empty->FieldByName("memberId"), TDbError);
}

TEST(DbHelper, EngineErrorsCarryTheEngineMessage) {
  TTempCatalogue catalogue;
  EXPECT_NE(ErrorOf<TDbError>([] { TDbHelper().ExecSql("select * from t_nothing"); }).find("no such table: t_nothing"),
            std::string::npos);
  EXPECT_THROW(TDbHelper().OpenQuery("selec nonsense"), TDbError);
}

TEST(DbHelper, FailedBatchRollsBackEverythingAndReportsTheError) {
  TTempCatalogue catalogue;
  TDbHelper db;
  db.ExecSql("insert into t_project(projectName) values ('Keep')");
  EXPECT_THROW(db.ExecBatch({"delete from t_project", "insert into t_nothing values (1)"}), TDbError);
  EXPECT_EQ(db.GetScalarInt("select count(*) from t_project"), 1);
  // The connection is usable afterwards: no transaction was left open.
  db.ExecBatch({});
  db.ExecBatch({"insert into t_project(projectName) values ('B')", "insert into t_project(projectName) values ('C')"});
  EXPECT_EQ(db.GetScalarInt("select count(*) from t_project"), 3);
}

TEST(DbHelper, QuotesAreDoubledSoNoValueCanBreakAStatement) {
  TTempCatalogue catalogue;
  EXPECT_EQ(TDbHelper::Quote("Shop"), "'Shop'");
  EXPECT_EQ(TDbHelper::Quote("O'Brien"), "'O''Brien'");
  EXPECT_EQ(TDbHelper::Quote(""), "''");
  TProjectDAO projects;
  projects.AddProject("O'Brien");
  projects.AddProject("x'); delete from t_project; --");
  EXPECT_EQ(projects.CountProjectsByName("O'Brien"), 1);
  const TNameIdList list = projects.ListProjects();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].name, "O'Brien");
  EXPECT_EQ(list[1].name, "x'); delete from t_project; --");

  // A NUL byte would cut the statement short where it stands.
  const std::string nul("N\0'x", 4);
  EXPECT_EQ(TDbHelper::Quote(nul), "'N'||char(0)||'''x'");
  projects.AddProject(nul);
  EXPECT_EQ(projects.CountProjectsByName(nul), 1);
  EXPECT_EQ(projects.ListProjects().back().name, nul);
}

TEST(DbHelper, AccessFileIsRefusedWithItsOwnMessageAndLeftUntouched) {
  TTempCatalogue catalogue;
  std::string jet(2048, '\0');
  jet.replace(4, 15, "Standard Jet DB");
  WriteFileBytes(catalogue.File(), jet);
  const std::string message = ErrorOf<TDbError>([] { TDbHelper().GetScalarInt("select count(*) from t_project"); });
  EXPECT_NE(message.find("Access"), std::string::npos) << message;
  EXPECT_NE(message.find(catalogue.File()), std::string::npos) << message;
  EXPECT_EQ(ReadFileBytes(catalogue.File()), jet);

  std::string ace(2048, '\0');
  ace.replace(4, 15, "Standard ACE DB");
  WriteFileBytes(catalogue.File(), ace);
  EXPECT_NE(ErrorOf<TDbError>([] { TProjectDAO().ListProjects(); }).find("Access"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(catalogue.File()), ace);
}

TEST(DbHelper, ForeignFilesAreRefusedNamingTheFileAndLeftUntouched) {
  TTempCatalogue catalogue;
  WriteFileBytes(catalogue.File(), "just some text\n");
  std::string message = ErrorOf<TDbError>([] { TProjectDAO().ListProjects(); });
  EXPECT_NE(message.find(catalogue.File()), std::string::npos) << message;
  EXPECT_NE(message.find("不是SQLite数据库文件"), std::string::npos) << message;
  EXPECT_EQ(ReadFileBytes(catalogue.File()), "just some text\n");

  // A SQLite file of some other program: tables missing.
  std::filesystem::remove(catalogue.File());
  ForeignSql(catalogue.File(), "create table notes(x)");
  const std::string before = ReadFileBytes(catalogue.File());
  message = ErrorOf<TDbError>([] { TProjectDAO().ListProjects(); });
  EXPECT_NE(message.find("缺少表t_project"), std::string::npos) << message;
  EXPECT_EQ(ReadFileBytes(catalogue.File()), before);
  EXPECT_FALSE(std::filesystem::exists(catalogue.File() + "-wal"));

  // The right tables with a column missing.
  std::filesystem::remove(catalogue.File());
  ForeignSql(catalogue.File(),
             "create table t_project(projectId integer primary key, projectName text);"
             "create table t_class(classId integer primary key, projectId, className, friendName);"
             "create table t_member(memberId integer primary key, projectId, classId, memberName)");
  message = ErrorOf<TDbError>([] { TProjectDAO().ListProjects(); });
  EXPECT_NE(message.find("t_member缺少列memberType"), std::string::npos) << message;
}

TEST(DbHelper, AFailedOpenIsRetriedOnceTheFileIsFixed) {
  TTempCatalogue catalogue;
  WriteFileBytes(catalogue.File(), "garbage");
  EXPECT_THROW(TProjectDAO().ListProjects(), TDbError);
  std::filesystem::remove(catalogue.File());
  EXPECT_TRUE(TProjectDAO().ListProjects().empty());
}

TEST(DbHelper, CatalogueMadeByAnotherToolWorksAndGetsItsIndexes) {
  TTempCatalogue catalogue;
  ForeignSql(catalogue.File(),
             "create table t_project(projectId integer primary key autoincrement, projectName text);"
             "create table t_class(classId integer primary key autoincrement, projectId integer, className text,"
             " friendName text);"
             "create table t_member(memberId integer primary key autoincrement, projectId integer, classId integer,"
             " memberName text, memberType text, memberLength integer, memberIsPri integer, memberComment text,"
             " memberIsMust integer, memberIsInteger integer, memberIsFloat integer, queryFlag integer,"
             " memberIsDisplay integer, memberQueryDisplay integer);"
             "insert into t_project(projectName) values ('Old')");
  TProjectDAO projects;
  ASSERT_EQ(projects.ListProjects().size(), 1u);
  EXPECT_EQ(projects.ListProjects()[0].name, "Old");
  EXPECT_EQ(TDbHelper().GetScalarInt("select count(*) from sqlite_master where type='index' and name like 'ix_%'"), 2);
}

TEST(DbHelper, EachThreadHasItsOwnConnectionAndASnapshotHoldsWhileAnotherThreadWrites) {
  TTempCatalogue catalogue;
  TProjectDAO().AddProject("First");
  sqlite3* mainConnection = TDbHelper().GetConnection();
  EXPECT_EQ(TDbHelper().GetConnection(), mainConnection);  // kept between operations

  sqlite3* workerConnection = nullptr;
  int countInSnapshot = -1, countAfter = -1;
  std::mutex mutex;
  std::condition_variable changed;
  bool snapshotTaken = false, written = false;
  std::thread worker([&] {
    workerConnection = TDbHelper().GetConnection();
    {
      TDbReadTransaction snapshot;
      {
        std::lock_guard<std::mutex> lock(mutex);
        snapshotTaken = true;
      }
      changed.notify_all();
      std::unique_lock<std::mutex> lock(mutex);
      changed.wait(lock, [&] { return written; });
      countInSnapshot = TDbHelper().GetScalarInt("select count(*) from t_project");
    }
    countAfter = TDbHelper().GetScalarInt("select count(*) from t_project");
  });
  {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return snapshotTaken; });
  }
  TProjectDAO().AddProject("Second");  // the window writes while the worker reads
  {
    std::lock_guard<std::mutex> lock(mutex);
    written = true;
  }
  changed.notify_all();
  worker.join();
  EXPECT_NE(workerConnection, mainConnection);
  EXPECT_EQ(countInSnapshot, 1);
  EXPECT_EQ(countAfter, 2);
}

TEST(DbHelper, StatementObserverSeesEachStatementAsSent) {
  TTempCatalogue catalogue;
  std::vector<std::string> sent;
  TDbHelper::SetStatementObserver([&](const std::string& sql) { sent.push_back(sql); });
  TDbHelper().ExecBatch({"delete from t_project where projectId=1", "delete from t_class where projectId=1"});
  TDbHelper::SetStatementObserver(nullptr);
  EXPECT_EQ(sent, (std::vector<std::string>{"delete from t_project where projectId=1",
                                            "delete from t_class where projectId=1"}));
}

TEST(DbField, ConvertsTextAndNullsToIntegers) {
  EXPECT_EQ(TDbField("n", "42", false).AsInteger(), 42);
  EXPECT_EQ(TDbField("n", "-7", false).AsInteger(), -7);
  EXPECT_EQ(TDbField("n", "", true).AsInteger(), 0);
  EXPECT_EQ(TDbField("n", "", true).AsString(), "");
  EXPECT_THROW(TDbField("n", "abc", false).AsInteger(), TDbError);
  EXPECT_THROW(TDbField("n", "12x", false).AsInteger(), TDbError);
}

// The streamed rows the project model is read from must give every value exactly as the
// result sets of the stores do, errors included.
TEST(DbHelper, StreamedRowsReadValuesAsResultSetsDo) {
  TTempCatalogue catalogue;
  TDbHelper db;
  const std::vector<std::string> lengths = {"12",  "' 12 '", "'+5'", "NULL",     "3000000000", "'abc'",
                                            "4.5", "''",     "-7",   "'  -3  '", "x'00'"};
  for (const std::string& length : lengths)
    db.ExecSql("insert into t_member(memberName,memberLength,memberComment) values ('m'," + length + ",NULL)");

  // What the result set says: the value or "error", and the comment text.
  std::vector<std::string> expected;
  std::unique_ptr<TDbQuery> query = db.OpenQuery("select * from t_member");
  for (query->First(); !query->Eof(); query->Next()) {
    const std::string value = ErrorOf<TDbError>([&] { query->FieldByName("memberLength").AsInteger(); }).empty()
                                  ? std::to_string(query->FieldByName("memberLength").AsInteger())
                                  : "error";
    expected.push_back(value + "|" + query->FieldByName("memberComment").AsString());
  }

  std::vector<std::string> seen;
  std::vector<std::string> sent;
  TDbHelper::SetStatementObserver([&](const std::string& sql) { sent.push_back(sql); });
  db.ForEachRow("select * from t_member", [&](const TDbRow& row) {
    const int length = row.ColumnIndex("MEMBERLENGTH");
    const std::string value =
        ErrorOf<TDbError>([&] { row.Integer(length); }).empty() ? std::to_string(row.Integer(length)) : "error";
    seen.push_back(value + "|" + row.Text(row.ColumnIndex("memberComment")));
    EXPECT_THROW(row.ColumnIndex("noSuchColumn"), TDbError);
  });
  TDbHelper::SetStatementObserver(nullptr);
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(expected.size(), lengths.size());
  EXPECT_EQ(sent, std::vector<std::string>{"select * from t_member"});
  EXPECT_THROW(db.ForEachRow("select nothing from nowhere", [](const TDbRow&) {}), TDbError);
}

TEST(DbHelper, KeyAndTextPassHandsOnEveryRowAndStopsAtAnException) {
  TTempCatalogue catalogue;
  TDbHelper db;
  db.ExecSql(
      "insert into t_class(projectId,className) values (1,'A'),(1,NULL),(1,x'42'),(2,'C'),(1,'D'||char(0)||'E')");
  std::vector<std::string> seen;
  db.ForEachKeyAndText("classId", "className", "t_class where projectId=1",
                       [&](long long key, const std::string_view* text) {
                         seen.push_back(std::to_string(key) + ":" + (text != nullptr ? std::string(*text) : "-"));
                       });
  EXPECT_EQ(seen, (std::vector<std::string>{"1:A", "2:-", "3:-", std::string("5:D\0E", 5)}));

  // The visitor's exception comes out as it was thrown; the engine keeps no trace of the pass's function.
  int calls = 0;
  const auto stopAtTheSecond = [&](long long, const std::string_view*) {
    if (++calls == 2) throw std::logic_error("stop");
  };
  EXPECT_THROW(db.ForEachKeyAndText("classId", "className", "t_class", stopAtTheSecond), std::logic_error);
  EXPECT_EQ(calls, 2);
  EXPECT_THROW(db.GetScalarInt("select corvanthel_key_text(1,'x')"), TDbError);
  EXPECT_THROW(db.ForEachKeyAndText("classId", "noSuchColumn", "t_class", stopAtTheSecond), TDbError);
}
