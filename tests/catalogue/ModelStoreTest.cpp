#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <functional>
#include <thread>

#include "catalogue/ClassDAO.h"
#include "catalogue/DbHelper.h"
#include "catalogue/MemberDAO.h"
#include "catalogue/ModelStore.h"
#include "catalogue/ProjectDAO.h"
#include "catalogue/StatementLog.h"
#include "generation/DataBaseSql.h"
#include "support/CatalogueSeed.h"
#include "support/ForeignCatalogue.h"
#include "support/ShopProject.h"
#include "support/TempCatalogue.h"

namespace {

std::vector<std::string> MemberNames(const TClassModel& entry) {
  std::vector<std::string> names;
  for (const TMember& member : entry.members) names.push_back(member.GetMemberName());
  return names;
}

}  // namespace

TEST(ModelStore, LoadsAProjectInCatalogueOrderWithAFixedNumberOfStatements) {
  TTempCatalogue catalogue;
  const TShopProject shop = MakeShopProject();
  TStatementLog log;
  const TProjectModel project = TModelStore().LoadProject(shop.projectId);
  EXPECT_EQ(log.Statements().size(), 3u);

  EXPECT_EQ(project.projectName, "Shop");
  ASSERT_EQ(project.classes.size(), shop.classes.size());
  for (std::size_t i = 0; i < shop.classes.size(); ++i) {
    const TClassModel& entry = project.classes[i];
    EXPECT_EQ(entry.className, shop.classes[i].name);
    EXPECT_EQ(entry.friendName, TClassDAO().GetFriendNameById(entry.classId));
    // The same members, in the order the member store hands them to the window.
    std::vector<std::string> expected;
    auto query = TMemberDAO().OpenMembersOfClass(entry.classId);
    for (query->First(); !query->Eof(); query->Next()) expected.push_back(query->FieldByName("memberName").AsString());
    EXPECT_EQ(MemberNames(entry), expected) << entry.className;
    const std::unique_ptr<TMember> key = TMemberDAO().GetKeyMemberOfClass(entry.classId);
    ASSERT_NE(entry.KeyMember(), nullptr);
    EXPECT_EQ(entry.KeyMember()->GetMemberName(), key->GetMemberName());
  }
  EXPECT_EQ(project.FindClass("category"), &project.classes[0]);
  EXPECT_EQ(project.FindClass("Categor"), nullptr);
}

TEST(ModelStore, LoadsOneClassWithTheClassesItReferencesAndOnlyTheirMembers) {
  TTempCatalogue catalogue;
  const TShopProject shop = MakeShopProject();
  // Book refers to Category and PublishHouse; the reference in other case still counts.
  TDbHelper().ExecSql("update t_member set memberType='CATEGORY' where memberName='categoryId'");
  const TProjectModel whole = TModelStore().LoadProject(shop.projectId);
  // A class that differs from the one asked for only in case is read too: the checks need it.
  TClassDAO().AddClass(shop.projectId, "BOOK", "");
  TStatementLog log;
  const TProjectModel book = TModelStore().LoadClassOf(shop.projectId, "Book");
  EXPECT_EQ(log.Statements().size(), 6u);
  EXPECT_EQ(book.projectName, "Shop");
  // Only the classes it needs, in catalogue order, with the members of the class and those it refers to.
  std::vector<std::string> names;
  for (const TClassModel& entry : book.classes) names.push_back(entry.className);
  EXPECT_EQ(names, (std::vector<std::string>{"Category", "PublishHouse", "Book", "BOOK"}));
  for (const TClassModel& entry : book.classes) {
    const TClassModel* same = whole.FindClass(entry.className);
    if (entry.className == "BOOK") continue;
    EXPECT_EQ(entry.friendName, same->friendName);
    EXPECT_EQ(MemberNames(entry), MemberNames(*same)) << entry.className;
  }

  // A class without references needs two statements fewer; a name of no class, no members at all.
  TStatementLog tagLog;
  EXPECT_EQ(TModelStore().LoadClassOf(shop.projectId, "tag").classes.back().members.size(), 1u);
  EXPECT_EQ(tagLog.Statements().size(), 4u);
  const TProjectModel none = TModelStore().LoadClassOf(shop.projectId, "book");
  for (const TClassModel& entry : none.classes) EXPECT_TRUE(entry.members.empty());
}

TEST(ModelStore, FindsAClassByNameAsTheCatalogueItselfComparesNames) {
  // A catalogue made by another tool may store anything as a class name; with a numeric column, numbers
  // too. Whatever it holds, one class is read with exactly the classes SQL calls equal to its name.
  for (const std::string nameColumn : {"className text collate nocase", "className numeric"}) {
    TTempCatalogue catalogue;
    TDbHelper db;
    ForeignSql(catalogue.File(), ForeignSchema(nameColumn) + "insert into t_project(projectName) values ('P'),('Q')");
    const std::vector<std::string> stored = {"'Book'",
                                             "'BOOK'",
                                             "'Boo'",
                                             "'Books'",
                                             "'Bóok'",
                                             "'BÓOK'",
                                             "'Book'||char(0)||'x'",
                                             "'BOOK'||char(0)||'y'",
                                             "x'426f6f6b'",
                                             "NULL",
                                             "12",
                                             "'12'",
                                             "1e20",
                                             "'@'",
                                             "'`'",
                                             "'['",
                                             "'{'",
                                             "'LongClassName_Number_1'",
                                             "'longclassname_number_1'",
                                             "'LongClassName_Number_2'",
                                             "'Zanzibar'",
                                             "'apple'"};
    for (const std::string& name : stored)
      for (const char* project : {"1", "2"})
        db.ExecSql("insert into t_class(projectId,className,friendName) values (" + std::string(project) + "," + name +
                   ",'')");
    for (const std::string& asked : std::vector<std::string>{
             std::string("BOOK\0z", 6), "Book", "book", "Boo", "bóok", "BÓOK", "12", "1e20", "100000000000000000000",
             "@", "`", "[", "{", "LONGCLASSNAME_NUMBER_1", "zANZIBAR", "APPLE", "Nothing"}) {
      std::vector<int> expected;
      db.ForEachRow("select classId from t_class where projectId=1 and className collate nocase in (" +
                        TDbHelper::Quote(asked) + ")",
                    [&](const TDbRow& row) { expected.push_back(row.Integer(0)); });
      std::vector<int> found;
      for (const TClassModel& entry : TModelStore().LoadClassOf(1, asked).classes) found.push_back(entry.classId);
      EXPECT_EQ(found, expected) << nameColumn << ": " << asked;
    }
  }
}

TEST(ModelStore, LoadsAClassThatRefersToItselfWithItsMembersOnce) {
  TTempCatalogue catalogue;
  const TShopProject shop = MakeShopProject();
  AddShopMember(shop.projectId, shop.classes[3].id, "parent", "TAG", false, "上级");
  const TProjectModel whole = TModelStore().LoadProject(shop.projectId);
  TStatementLog log;
  const TProjectModel tag = TModelStore().LoadClassOf(shop.projectId, "tag");
  EXPECT_EQ(MemberNames(tag.classes.back()), MemberNames(whole.classes.back()));
  EXPECT_EQ(tag.classes.back().members.size(), 2u);
  EXPECT_EQ(log.Statements().size(), 4u);  // no second read of its own members
}

TEST(ModelStore, KeepsMembersInTheOrderTheyWereAddedAcrossInterleavedClasses) {
  // Alone, P is read in one pass over the member table; beside Q's nine classes, through the class index,
  // while Q, with most of the catalogue's classes, is read in one pass that passes P's rows over.
  for (const int otherClasses : {0, 9}) {
    TTempCatalogue catalogue;
    TProjectDAO().AddProject("P");
    TProjectDAO().AddProject("Q");
    const int projectId = TModelStore().FindProjectByName("P");
    const int otherId = TModelStore().FindProjectByName("Q");
    TClassDAO().AddClass(projectId, "B", "");
    TClassDAO().AddClass(projectId, "A", "");
    const int b = TClassDAO().GetClassIdByName(projectId, "B");
    const int a = TClassDAO().GetClassIdByName(projectId, "A");
    std::vector<int> others;
    for (int i = 0; i < otherClasses; ++i) {
      TClassDAO().AddClass(otherId, "Q" + std::to_string(i), "");
      others.push_back(TClassDAO().GetClassIdByName(otherId, "Q" + std::to_string(i)));
    }
    for (const char* name : {"z", "y"}) TMemberDAO().AddMember(NewMember(projectId, a, name, "整型"));
    for (const int other : others) TMemberDAO().AddMember(NewMember(otherId, other, "q", "整型"));
    for (const char* name : {"b", "a"}) TMemberDAO().AddMember(NewMember(projectId, b, name, "整型"));
    // Rows of no class, one of a length that is no number: passed over, never read.
    TDbHelper().ExecSql(
        "insert into t_member(projectId,classId,memberName,memberType,memberLength) values "
        "(" +
        std::to_string(projectId) + ",9999,'gone','整型','long'),(" + std::to_string(projectId) +
        ",'x1','text','整型',0),(" + std::to_string(projectId) + ",1.5,'real','整型',0),(" + std::to_string(projectId) +
        ",null,'none','整型',0)");
    TMemberDAO().AddMember(NewMember(projectId, a, "x", "整型"));
    if (!others.empty()) TMemberDAO().AddMember(NewMember(otherId, others[0], "r", "整型"));

    const TProjectModel project = TModelStore().LoadProject(projectId);
    ASSERT_EQ(project.classes.size(), 2u);
    EXPECT_EQ(project.classes[0].className, "B");
    EXPECT_EQ(MemberNames(project.classes[0]), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(MemberNames(project.classes[1]), (std::vector<std::string>{"z", "y", "x"}));
    const TProjectModel other = TModelStore().LoadProject(otherId);
    ASSERT_EQ(other.classes.size(), others.size());
    for (std::size_t i = 0; i < others.size(); ++i)
      EXPECT_EQ(MemberNames(other.classes[i]),
                i == 0 ? (std::vector<std::string>{"q", "r"}) : std::vector<std::string>{"q"});
  }
}

TEST(ModelStore, NamesTheClassAndMemberOfALengthThatIsNoNumberAndRefusesAMissingProject) {
  TTempCatalogue catalogue;
  TProjectDAO().AddProject("P");
  const int projectId = TProjectDAO().ListProjects().at(0).id;
  TClassDAO().AddClass(projectId, "Book", "");
  const int book = TClassDAO().GetClassIdByName(projectId, "Book");
  TMemberDAO().AddMember(NewMember(projectId, book, "title", "字符串"));
  TDbHelper().ExecSql("update t_member set memberLength='abc'");

  const std::string error = ErrorOf<TDbError>([&] { TModelStore().LoadProject(projectId); });
  EXPECT_NE(error.find("Book"), std::string::npos) << error;
  EXPECT_NE(error.find("title"), std::string::npos) << error;
  EXPECT_NE(error.find("abc"), std::string::npos) << error;
  EXPECT_FALSE(ErrorOf<TDbError>([&] { TModelStore().LoadProject(projectId + 100); }).empty());
}

namespace {

// Everything of a project except its ids, one line per class and member.
std::string Contents(const TProjectModel& project) {
  std::string text = project.projectName + "\n";
  for (const TClassModel& entry : project.classes) {
    text += entry.className + "|" + entry.friendName + "\n";
    for (const TMember& m : entry.members)
      text += "  " + m.GetMemberName() + "|" + m.GetMemberType() + "|" + std::to_string(m.GetMemberLength()) + "|" +
              std::to_string(m.GetMemberIsPri()) + "|" + m.GetMemberComment() + "|" +
              std::to_string(m.GetMemberIsMust()) + "|" + std::to_string(m.GetMemberIsInteger()) + "|" +
              std::to_string(m.GetMemberIsFloat()) + "|" + std::to_string(m.GetQueryFlag()) + "|" +
              std::to_string(m.GetMemberIsDisplay()) + "|" + std::to_string(m.GetMemberQueryDisplay()) + "\n";
  }
  return text;
}

int CountRows(const std::string& table) {
  return TDbHelper().GetScalarInt("select count(*) from " + table);
}

// Makes the catalogue refuse any member of that name, so a write can be made to fail half-way.
void RefuseMemberNamed(const std::string& name) {
  TDbHelper().ExecSql("create trigger refuse before insert on t_member when new.memberName=" + TDbHelper::Quote(name) +
                      " begin select raise(abort, 'refused'); end");
}

}  // namespace

TEST(ModelStoreWrite, AddsACopyWithNewIdsInTheSameOrderWithEveryColumn) {
  TTempCatalogue catalogue;
  const TShopProject shop = MakeShopProject();
  TProjectModel model = TModelStore().LoadProject(shop.projectId);
  // Values the dialogs never set still travel: quotes, odd flags, an empty friendly name.
  model.classes[2].friendName = "O'Brien's \"书\"";
  model.classes[2].members[0].SetQueryFlag(1);
  model.classes[2].members[0].SetMemberQueryDisplay(0);
  model.classes[2].members[1].SetMemberIsDisplay(1);
  model.classes[2].members[3].SetMemberComment("it's");
  model.projectName = "Shop2";

  const int copyId = TModelStore().AddProject(model);
  EXPECT_NE(copyId, shop.projectId);
  const TProjectModel copy = TModelStore().LoadProject(copyId);
  EXPECT_EQ(Contents(copy), Contents(model));
  // The rows belong to the new project and its new classes; the references are the class names.
  for (std::size_t i = 0; i < copy.classes.size(); ++i) {
    EXPECT_NE(copy.classes[i].classId, model.classes[i].classId);
    for (const TMember& m : copy.classes[i].members) {
      EXPECT_EQ(m.GetProjectId(), copyId);
      EXPECT_EQ(m.GetClassId(), copy.classes[i].classId);
    }
  }
  EXPECT_EQ(copy.classes[2].members[6].GetMemberType(), "Category");
  EXPECT_EQ(TModelStore().LoadProject(shop.projectId).projectName, "Shop");
}

TEST(ModelStoreWrite, ReplacesOnlyThatProjectsClassesAndMembersKeepingItsIdAndName) {
  TTempCatalogue catalogue;
  const TShopProject shop = MakeShopProject();
  const TShopProject other = MakeShopProject();
  const std::string otherBefore = Contents(TModelStore().LoadProject(other.projectId));
  // A stray member of the project whose class id points nowhere goes too.
  TMemberDAO().AddMember(NewMember(shop.projectId, 9999, "stray", "整型"));

  TProjectModel model;
  model.projectName = "Ignored";
  model.classes.resize(1);
  model.classes[0].className = "Only";
  model.classes[0].members.push_back(NewMember(0, 0, "onlyId", "整型"));
  model.classes[0].members[0].SetMemberIsPri(1);
  TModelStore().ReplaceProject(shop.projectId, model);

  const TProjectModel replaced = TModelStore().LoadProject(shop.projectId);
  model.projectName = "Shop";
  EXPECT_EQ(Contents(replaced), Contents(model));
  EXPECT_EQ(Contents(TModelStore().LoadProject(other.projectId)), otherBefore);
  EXPECT_EQ(TDbHelper().GetScalarInt("select count(*) from t_member where memberName='stray'"), 0);
  EXPECT_EQ(CountRows("t_project"), 2);
}

TEST(ModelStoreWrite, StoresNothingWhenAWriteFailsHalfWay) {
  TTempCatalogue catalogue;
  const TShopProject shop = MakeShopProject();
  const TProjectModel model = TModelStore().LoadProject(shop.projectId);
  const std::string before = Contents(model);
  const int projects = CountRows("t_project"), classes = CountRows("t_class"), members = CountRows("t_member");
  RefuseMemberNamed("tagId");  // a member of the last class

  EXPECT_THROW(TModelStore().AddProject(model), TDbError);
  EXPECT_THROW(TModelStore().ReplaceProject(shop.projectId, model), TDbError);
  EXPECT_THROW(TModelStore().ReplaceProject(shop.projectId + 100, model), TDbError);
  EXPECT_EQ(CountRows("t_project"), projects);
  EXPECT_EQ(CountRows("t_class"), classes);
  EXPECT_EQ(CountRows("t_member"), members);
  EXPECT_EQ(Contents(TModelStore().LoadProject(shop.projectId)), before);
  // The thread's connection is usable again afterwards.
  TDbHelper().ExecSql("drop trigger refuse");
  EXPECT_GT(TModelStore().AddProject(model), shop.projectId);
}

TEST(ModelStoreWrite, StoresAProjectOfManyMembersPerClassInOrder) {
  TTempCatalogue catalogue;
  TProjectModel model;
  model.projectName = "Big";
  model.classes.resize(2);
  model.classes[0].className = "A";
  model.classes[1].className = "B";
  for (int i = 0; i < 450; ++i) model.classes[0].members.push_back(NewMember(0, 0, "m" + std::to_string(i), "整型"));
  model.classes[1].members.push_back(NewMember(0, 0, "a", "A"));
  const int id = TModelStore().AddProject(model);
  EXPECT_EQ(Contents(TModelStore().LoadProject(id)), Contents(model));
}

TEST(ModelStore, AWriterBetweenTheStatementsOfALoadIsNotSeenByTheModelOrTheScript) {
  TTempCatalogue catalogue;
  const TShopProject shop = MakeShopProject();
  int round = 0;
  const auto edit = [&] {
    // A new class with a key, and a new member of a class read later: both after the project row.
    const std::string suffix = std::to_string(++round);
    TClassDAO().AddClass(shop.projectId, "Late" + suffix, "");
    const int late = TClassDAO().GetClassIdByName(shop.projectId, "Late" + suffix);
    TMemberDAO().AddMember(NewMember(shop.projectId, late, "id", "整型"));
    TDbHelper().ExecSql("update t_member set memberIsPri=1 where classId=" + std::to_string(late));
    TMemberDAO().AddMember(NewMember(shop.projectId, shop.classes[2].id, "late" + suffix, "Late" + suffix));
  };

  for (int after : {1, 2}) {
    SCOPED_TRACE(after);
    {
      const TProjectModel expected = TModelStore().LoadProject(shop.projectId);
      TEditBetweenStatements writer(after, edit);
      const TProjectModel project = TModelStore().LoadProject(shop.projectId);
      ASSERT_TRUE(writer.Edited());
      ASSERT_EQ(project.classes.size(), expected.classes.size());
      EXPECT_EQ(MemberNames(project.classes[2]), MemberNames(expected.classes[2]));
    }
    {
      const std::string expected = TDataBaseSql().BuildScript(shop.projectId);
      TEditBetweenStatements writer(after, edit);
      EXPECT_EQ(TDataBaseSql().BuildScript(shop.projectId), expected);
      ASSERT_TRUE(writer.Edited());
    }
  }
  // The edits did land, each after its read.
  EXPECT_EQ(TModelStore().LoadProject(shop.projectId).classes.size(), shop.classes.size() + 4);
}

TEST(ModelStore, LoadsACatalogueMadeByAnotherToolWithOtherColumnCase) {
  TTempCatalogue catalogue;
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(catalogue.File().c_str(), &db), SQLITE_OK);
  const char* const schema =
      "CREATE TABLE T_PROJECT (ProjectID INTEGER PRIMARY KEY, ProjectName TEXT);"
      "CREATE TABLE T_Class (ClassID INTEGER PRIMARY KEY, ProjectID INTEGER, ClassName TEXT, FRIENDNAME TEXT);"
      "CREATE TABLE t_member (MemberID INTEGER PRIMARY KEY, ProjectID INTEGER, ClassID INTEGER, MemberName TEXT,"
      " MemberType TEXT, MemberLength INTEGER, MemberIsPri INTEGER, MemberComment TEXT, MemberIsMust INTEGER,"
      " MemberIsInteger INTEGER, MemberIsFloat INTEGER, QueryFlag INTEGER, MemberIsDisplay INTEGER,"
      " MemberQueryDisplay INTEGER);"
      "INSERT INTO T_PROJECT VALUES (7, 'Shop');"
      "INSERT INTO T_Class VALUES (3, 7, 'Category', '类别');"
      "INSERT INTO T_Class VALUES (5, 7, 'Book', '图书');"
      "INSERT INTO t_member VALUES (1, 7, 5, 'id', '整型', 0, 1, '编号', 1, 1, 0, 0, 1, 1);"
      "INSERT INTO t_member VALUES (2, 7, 3, 'code', '字符串', 10, 1, '', 1, 0, 0, 0, 1, 1);"
      "INSERT INTO t_member VALUES (4, 7, 5, 'category', 'Category', 0, 0, '类', 1, 0, 0, 0, 0, 1);";
  ASSERT_EQ(sqlite3_exec(db, schema, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  sqlite3_close(db);

  const TProjectModel project = TModelStore().LoadProject(7);
  EXPECT_EQ(project.projectName, "Shop");
  ASSERT_EQ(project.classes.size(), 2u);
  EXPECT_EQ(project.classes[0].className, "Category");
  EXPECT_EQ(project.classes[0].friendName, "类别");
  EXPECT_EQ(MemberNames(project.classes[0]), std::vector<std::string>{"code"});
  EXPECT_EQ(project.classes[0].members[0].GetMemberLength(), 10);
  EXPECT_EQ(MemberNames(project.classes[1]), (std::vector<std::string>{"id", "category"}));
  EXPECT_EQ(project.classes[1].members[1].GetMemberType(), "Category");
  ASSERT_NE(project.classes[1].KeyMember(), nullptr);
  EXPECT_EQ(project.classes[1].KeyMember()->GetMemberComment(), "编号");

  const std::string script = TDataBaseSql().BuildScript(project);
  EXPECT_NE(script.find("\t[category] [varchar] (10) COLLATE Chinese_PRC_CI_AS NOT NULL \r\n"), std::string::npos)
      << script;
  EXPECT_NE(script.find("ALTER TABLE Book ADD FOREIGN KEY (category) REFERENCES Category(code)"), std::string::npos);
}
