#include <gtest/gtest.h>

#include <string>

#include "catalogue/ClassDAO.h"
#include "catalogue/MemberDAO.h"
#include "catalogue/ProjectDAO.h"
#include "generation/DataBaseSql.h"
#include "model/NameRules.h"
#include "model/ProjectChecker.h"
#include "support/CatalogueSeed.h"
#include "support/TempCatalogue.h"

namespace {

// The fixed user table that starts every script, ending with three blank lines.
const std::string kUsers =
    "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[CusUsers]') and OBJECTPROPERTY(id, "
    "N'IsUserTable') = 1)drop table [dbo].[CusUsers]\r\n"
    "GO\r\n"
    "\r\n"
    "CREATE TABLE [dbo].[CusUsers] (\r\n"
    "\t[customerid] [int] IDENTITY (1, 1) NOT NULL PRIMARY KEY ,\r\n"
    "\t[Customername] [nvarchar] (50) COLLATE Chinese_PRC_CI_AS NULL ,\r\n"
    "\t[customerpwd] [varchar] (50) COLLATE Chinese_PRC_CI_AS NULL ,\r\n"
    "\t[Realname] [nvarchar] (50) COLLATE Chinese_PRC_CI_AS NULL ,\r\n"
    "\t[CustomerSfz] [nvarchar] (50) COLLATE Chinese_PRC_CI_AS NULL ,\r\n"
    "\t[address] [nvarchar] (50) COLLATE Chinese_PRC_CI_AS NULL ,\r\n"
    "\t[telphone] [varchar] (30) COLLATE Chinese_PRC_CI_AS NULL ,\r\n"
    "\t[IsCusAdmin] [int] NULL ,\r\n"
    "\t[CusType] [int] NULL \r\n"
    ") ON [PRIMARY]\r\n"
    "insert into CusUsers(Customername,customerpwd,IsCusAdmin,CusType) values "
    "('admin','7C4E19A0B53D28F6E1A9047D3B6C52E8',0,0)\r\n"
    "GO\r\n"
    "\r\n"
    "\r\n"
    "\r\n";

// Builds a small catalogue the way the dialogs store it.
class DataBaseSqlTest : public ::testing::Test {
 protected:
  int AddProject(const std::string& name) {
    TProjectDAO().AddProject(name);
    return TProjectDAO().ListProjects().back().id;
  }
  int AddClass(int projectId, const std::string& name) {
    TClassDAO().AddClass(projectId, name, name);
    return TClassDAO().GetClassIdByName(projectId, name);
  }
  void AddMember(int projectId, int classId, const std::string& name, const std::string& type, int length = 0,
                 bool key = false, bool must = false, bool integer = false) {
    TMember member = NewMember(projectId, classId, name, type);
    member.SetMemberLength(length);
    member.SetMemberIsPri(key ? 1 : 0);
    member.SetMemberIsMust(must ? 1 : 0);
    member.SetMemberIsInteger(integer ? 1 : 0);
    TMemberDAO().AddMember(member);
  }
  void AddIntegerKey(int projectId, int classId, const std::string& name) {
    AddMember(projectId, classId, name, "整型", 4, true, true, true);
  }
  void AddStringKey(int projectId, int classId, const std::string& name, int length) {
    AddMember(projectId, classId, name, "字符串", length, true, true, false);
  }

  TTempCatalogue FCatalogue;
};

TEST_F(DataBaseSqlTest, ProjectWithoutClassesGivesOnlyTheUserTable) {
  const int shop = AddProject("Shop");
  EXPECT_EQ(TDataBaseSql().BuildScript(shop), kUsers);
  // An id no project has is an error, not an empty project's script.
  EXPECT_THROW(TDataBaseSql().BuildScript(shop + 100), TDbError);
}

TEST_F(DataBaseSqlTest, IntegerKeyClassWithEveryMemberType) {
  const int shop = AddProject("Shop");
  const int book = AddClass(shop, "Book");
  AddIntegerKey(shop, book, "id");
  AddMember(shop, book, "title", "字符串", 50, false, true);
  AddMember(shop, book, "note", "字符串", 1000, false, false);
  AddMember(shop, book, "pages", "整型", 4);
  AddMember(shop, book, "price", "浮点型", 8);
  AddMember(shop, book, "cover", "图片型", 200);
  AddMember(shop, book, "pubDate", "日期型", 8);

  EXPECT_EQ(TDataBaseSql().BuildScript(shop),
            kUsers +
                "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[Book]') and OBJECTPROPERTY(id, "
                "N'IsUserTable') = 1)\r\n"
                "drop table [dbo].[Book]\r\n"
                "GO\r\n"
                "\r\n"
                "CREATE TABLE [dbo].[Book] (\r\n"
                "\t[id] [int] IDENTITY (1, 1) NOT NULL  PRIMARY KEY,\r\n"
                "\t[title] [varchar] (50) COLLATE Chinese_PRC_CI_AS NOT NULL ,\r\n"
                "\t[note] [varchar] (1000) COLLATE Chinese_PRC_CI_AS NULL ,\r\n"
                "\t[pages] [int] NOT NULL ,\r\n"
                "\t[price] [float] NOT NULL ,\r\n"
                "\t[cover] [varchar] (50) COLLATE Chinese_PRC_CI_AS NULL ,\r\n"
                "\t[pubDate] [datetime] NULL \r\n"
                ") ON [PRIMARY]\r\n"
                "GO\r\n"
                "\r\n"
                "\r\n"
                "\r\n");
}

TEST_F(DataBaseSqlTest, StringKeyClassUsesTheFirstKeyAndDropsOtherKeys) {
  const int shop = AddProject("Shop");
  const int author = AddClass(shop, "Author");
  AddMember(shop, author, "name", "字符串", 30, false, true);
  AddStringKey(shop, author, "authorCode", 20);
  AddStringKey(shop, author, "secondKey", 8);
  AddMember(shop, author, "born", "日期型", 8, false, true);

  EXPECT_EQ(TDataBaseSql().BuildScript(shop),
            kUsers +
                "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[Author]') and "
                "OBJECTPROPERTY(id, N'IsUserTable') = 1)\r\n"
                "drop table [dbo].[Author]\r\n"
                "GO\r\n"
                "\r\n"
                "CREATE TABLE [dbo].[Author] (\r\n"
                "\t[authorCode] [varchar] (20) COLLATE Chinese_PRC_CI_AS NOT NULL PRIMARY KEY ,\r\n"
                "\t[name] [varchar] (30) COLLATE Chinese_PRC_CI_AS NOT NULL ,\r\n"
                "\t[born] [datetime] NULL \r\n"
                ") ON [PRIMARY]\r\n"
                "GO\r\n"
                "\r\n"
                "\r\n"
                "\r\n");
}

TEST_F(DataBaseSqlTest, ClassWhoseOnlyMemberIsItsKeyOfEitherKind) {
  const int shop = AddProject("Shop");
  AddIntegerKey(shop, AddClass(shop, "Tag"), "tagId");
  AddStringKey(shop, AddClass(shop, "Code"), "code", 12);

  EXPECT_EQ(TDataBaseSql().BuildScript(shop),
            kUsers +
                "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[Tag]') and OBJECTPROPERTY(id, "
                "N'IsUserTable') = 1)\r\n"
                "drop table [dbo].[Tag]\r\n"
                "GO\r\n"
                "\r\n"
                "CREATE TABLE [dbo].[Tag] (\r\n"
                "\t[tagId] [int] IDENTITY (1, 1) NOT NULL  PRIMARY KEY\r\n"
                ") ON [PRIMARY]\r\n"
                "GO\r\n"
                "\r\n"
                "\r\n"
                "\r\n"
                "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[Code]') and OBJECTPROPERTY(id, "
                "N'IsUserTable') = 1)\r\n"
                "drop table [dbo].[Code]\r\n"
                "GO\r\n"
                "\r\n"
                "CREATE TABLE [dbo].[Code] (\r\n"
                "\t[code] [varchar] (12) COLLATE Chinese_PRC_CI_AS NOT NULL PRIMARY KEY \r\n"
                ") ON [PRIMARY]\r\n"
                "GO\r\n"
                "\r\n"
                "\r\n"
                "\r\n");
}

TEST_F(DataBaseSqlTest, ReferencesTakeTheKeyOfTheTargetAndForeignKeysFollowAllTables) {
  const int shop = AddProject("Shop");
  const int book = AddClass(shop, "Book");
  const int author = AddClass(shop, "Author");
  const int press = AddClass(shop, "Press");
  AddIntegerKey(shop, book, "bookId");
  AddMember(shop, book, "author", "Author", 4, false, false, true);
  AddMember(shop, book, "press", "Press", 10);
  AddIntegerKey(shop, author, "authorId");
  AddStringKey(shop, press, "pressCode", 10);
  AddMember(shop, press, "boss", "Author", 4, false, false, true);

  const std::string tableEnd = ") ON [PRIMARY]\r\nGO\r\n\r\n\r\n\r\n";
  EXPECT_EQ(TDataBaseSql().BuildScript(shop),
            kUsers +
                "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[Book]') and OBJECTPROPERTY(id, "
                "N'IsUserTable') = 1)\r\n"
                "drop table [dbo].[Book]\r\n"
                "GO\r\n"
                "\r\n"
                "CREATE TABLE [dbo].[Book] (\r\n"
                "\t[bookId] [int] IDENTITY (1, 1) NOT NULL  PRIMARY KEY,\r\n"
                "\t[author] int NOT NULL ,\r\n"
                "\t[press] [varchar] (10) COLLATE Chinese_PRC_CI_AS NOT NULL \r\n" +
                tableEnd +
                "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[Author]') and "
                "OBJECTPROPERTY(id, N'IsUserTable') = 1)\r\n"
                "drop table [dbo].[Author]\r\n"
                "GO\r\n"
                "\r\n"
                "CREATE TABLE [dbo].[Author] (\r\n"
                "\t[authorId] [int] IDENTITY (1, 1) NOT NULL  PRIMARY KEY\r\n" +
                tableEnd +
                "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[Press]') and "
                "OBJECTPROPERTY(id, N'IsUserTable') = 1)\r\n"
                "drop table [dbo].[Press]\r\n"
                "GO\r\n"
                "\r\n"
                "CREATE TABLE [dbo].[Press] (\r\n"
                "\t[pressCode] [varchar] (10) COLLATE Chinese_PRC_CI_AS NOT NULL PRIMARY KEY ,\r\n"
                "\t[boss] int NOT NULL \r\n" +
                tableEnd +
                "ALTER TABLE Book ADD FOREIGN KEY (author) REFERENCES Author(authorId)\r\n"
                "ALTER TABLE Book ADD FOREIGN KEY (press) REFERENCES Press(pressCode)\r\n"
                "ALTER TABLE Press ADD FOREIGN KEY (boss) REFERENCES Author(authorId)\r\n");
}

// A class without a key, and references that name no keyed class of the project,
// give a comment instead of a table or column; the rest of the script stays whole.
TEST_F(DataBaseSqlTest, MissingKeysLeaveCommentsInsteadOfBrokenStatements) {
  const int other = AddProject("Other");
  AddIntegerKey(other, AddClass(other, "Elsewhere"), "id");

  const int shop = AddProject("Shop");
  const int loose = AddClass(shop, "Loose");
  const int book = AddClass(shop, "Book");
  AddMember(shop, loose, "title", "字符串", 20);
  AddIntegerKey(shop, book, "id");
  AddMember(shop, book, "looseRef", "Loose", 4);
  AddMember(shop, book, "price", "浮点型", 8);
  AddMember(shop, book, "self", "Book", 4, false, false, true);
  AddMember(shop, book, "foreignRef", "Elsewhere", 4);
  AddMember(shop, book, "writer", "作家");

  EXPECT_EQ(TDataBaseSql().BuildScript(shop),
            kUsers +
                "-- 类 Loose 没有主键成员，未生成该表\r\n"
                "\r\n"
                "\r\n"
                "\r\n"
                "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[Book]') and OBJECTPROPERTY(id, "
                "N'IsUserTable') = 1)\r\n"
                "drop table [dbo].[Book]\r\n"
                "GO\r\n"
                "\r\n"
                "CREATE TABLE [dbo].[Book] (\r\n"
                "\t[id] [int] IDENTITY (1, 1) NOT NULL  PRIMARY KEY,\r\n"
                "\t-- 类 Book 的成员 looseRef 的类型 Loose 不是本项目中有主键的类，未生成该列及其外键\r\n"
                "\t[price] [float] NOT NULL ,\r\n"
                "\t[self] int NOT NULL \r\n"
                "\t-- 类 Book 的成员 foreignRef 的类型 Elsewhere 不是本项目中有主键的类，未生成该列及其外键\r\n"
                "\t-- 类 Book 的成员 writer 的类型 作家 不是本项目中有主键的类，未生成该列及其外键\r\n"
                ") ON [PRIMARY]\r\n"
                "GO\r\n"
                "\r\n"
                "\r\n"
                "\r\n"
                "ALTER TABLE Book ADD FOREIGN KEY (self) REFERENCES Book(id)\r\n");
}

// Names become table and column names between brackets and quotes: a name that is no identifier, or
// that breaks the statements, stops the script before any text is built, and the message shows the name
// without its raw control characters.
TEST_F(DataBaseSqlTest, UnsafeNamesLengthsAndTextsAreRefused) {
  const int shop = AddProject("Shop");
  const int bad = AddClass(shop, "Bad\r\ndrop table x");
  EXPECT_EQ(ErrorOf<TProjectProblemError>([&] { TDataBaseSql().BuildScript(shop); }),
            std::string("类Bad\\x0D\\x0Adrop table x：") + NameRules::kClassNameCharsMessage);

  TClassDAO().UpdateClass(shop, bad, "Book", "图书");
  AddIntegerKey(shop, bad, "id");
  AddMember(shop, bad, "title]) drop table CusUsers --", "字符串", 20);
  EXPECT_NE(ErrorOf<TProjectProblemError>([&] { TDataBaseSql().BuildScript(shop); }), "");
  TDbHelper().ExecSql("update t_member set memberName='title' where memberName like 'title]%'");
  EXPECT_NE(TDataBaseSql().BuildScript(shop).find("[title] [varchar] (20)"), std::string::npos);

  for (int length : {-5, 0, 8001}) {
    TDbHelper().ExecSql("update t_member set memberLength=" + std::to_string(length) + " where memberName='title'");
    EXPECT_EQ(ErrorOf<TProjectProblemError>([&] { TDataBaseSql().BuildScript(shop); }),
              std::string("类Book的成员title：") + NameRules::kStringLengthMessage)
        << length;
  }
  TDbHelper().ExecSql("update t_member set memberLength=8000 where memberName='title'");
  EXPECT_NE(TDataBaseSql().BuildScript(shop).find("[title] [varchar] (8000)"), std::string::npos);
}

// A type naming nothing is tolerated and repeated in a comment: bytes that are not UTF-8, line breaks and
// a NUL appear there in their printable form or as a blank, never raw.
TEST_F(DataBaseSqlTest, AnUnknownTypeIsRepeatedInItsPrintableForm) {
  const int shop = AddProject("Shop");
  const int book = AddClass(shop, "Book");
  AddIntegerKey(shop, book, "id");
  AddMember(shop, book, "writer", "作家");
  TDbHelper().ExecSql("update t_member set memberType='作家'||char(13,10,0)||'drop table CusUsers'||"
                      "cast(x'FFE4B9' as text) where memberName='writer'");
  const std::string script = TDataBaseSql().BuildScript(shop);
  EXPECT_NE(script.find("\t-- 类 Book 的成员 writer 的类型 作家 drop table CusUsers\\xFF\\xE4\\xB9 不是本项目中有主键的类"),
            std::string::npos)
      << script;
  EXPECT_EQ(script.find('\0'), std::string::npos);
}

}  // namespace
