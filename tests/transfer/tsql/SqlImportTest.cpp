// Turning SQL Server scripts into projects: one script per style users bring, the type table and the
// report of what a project cannot hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/Member.h"
#include "text/GbkText.h"
#include "support/ClassShape.h"
#include "transfer/tsql/SqlImport.h"
#include "transfer/tsql/SqlTokenizer.h"
#include "support/CatalogueSeed.h"
#include "support/FileBytes.h"

namespace {

std::string DataFile(const std::string& name) {
  return ReadFileBytes(std::string(CORVANTHEL_TEST_DATA) + "/sql/" + name);
}

const TClassModel& ClassNamed(const TProjectModel& project, const std::string& name) {
  for (const TClassModel& entry : project.classes)
    if (entry.className == name) return entry;
  throw std::runtime_error("no class " + name);
}

const TMember& MemberNamed(const TClassModel& entry, const std::string& name) {
  for (const TMember& member : entry.members)
    if (member.GetMemberName() == name) return member;
  throw std::runtime_error("no member " + name + " in " + entry.className);
}

bool Reports(const TSqlImportResult& result, const std::string& line) {
  return std::find(result.report.begin(), result.report.end(), line) != result.report.end();
}

int CountReferences(const TProjectModel& project) {
  int references = 0;
  for (const TClassModel& entry : project.classes)
    for (const TMember& member : entry.members)
      if (!MemberTypes::IsBuiltIn(member.GetMemberType())) ++references;
  return references;
}

}  // namespace

TEST(SqlImport, ReadsAManagementStudioScriptSavedAsUtf16WithChineseDescriptions) {
  const TSqlImportResult result = ImportSqlScript(DataFile("erp-management-studio.sql"), "Erp");
  EXPECT_EQ(result.encoding, "UTF-16 LE (BOM)");
  EXPECT_EQ(result.project.projectName, "Erp");
  EXPECT_EQ(result.tableCount, 32);
  ASSERT_EQ(result.project.classes.size(), 32u);
  // 52 foreign keys, three of them to their own table.
  EXPECT_EQ(CountReferences(result.project), 49);

  const TClassModel& employee = ClassNamed(result.project, "Employee");
  EXPECT_EQ(employee.friendName, "员工");
  EXPECT_EQ(Shape(employee),
            "employeeID:整型* empName:字符串:30! departmentID:Department positionID:Position managerID:整型 "
            "hireDate:日期型 photo:图片型 salary:浮点型 isActive:整型");
  EXPECT_EQ(MemberNamed(employee, "empName").GetMemberComment(), "姓名");
  EXPECT_EQ(MemberNamed(employee, "employeeID").GetMemberComment(), "");
  EXPECT_TRUE(Reports(result, "表 Employee 列 ManagerID: 外键指向本表，作为普通成员导入"));

  // A text key, referenced by a text column; an alias type; a big integer key; a composite key.
  EXPECT_EQ(Shape(ClassNamed(result.project, "Region")), "regionCode:字符串:6* regionName:字符串:50!");
  EXPECT_EQ(Shape(ClassNamed(result.project, "City")), "cityID:整型* cityName:字符串:50! regionCode:Region");
  EXPECT_EQ(MemberNamed(ClassNamed(result.project, "Supplier"), "phone").GetMemberLength(), 20);
  EXPECT_EQ(Shape(ClassNamed(result.project, "AuditLog")),
            "auditLogID:整型* employeeID:Employee action:字符串:200! loggedAt:日期型 rowGuid:字符串:36");
  // LineNo is a T-SQL keyword, a name the project cannot hold.
  EXPECT_EQ(Shape(ClassNamed(result.project, "SalesOrderLine")),
            "salesOrderID:SalesOrder productID:Product quantity:浮点型");
  EXPECT_TRUE(
      Reports(result, "表 SalesOrderLine 列 LineNo: 名称不能做成员名（名称不能是SQL Server的保留关键字!），已跳过"));
  EXPECT_TRUE(Reports(
      result, "表 SalesOrderLine: 主键由多列组成（SalesOrderID, LineNo），导入后没有主键成员，生成前请选一个主键"));
  EXPECT_TRUE(Reports(result, "表 Customer 列 Remark: 类型 nvarchar(max) 导入为长度 8000 的字符串"));
  // The procedure's own ALTER TABLE and temporary table are not the schema's.
  EXPECT_EQ(ClassNamed(result.project, "AuditLog").members.size(), 5u);
}

TEST(SqlImport, ReadsAnEntityFrameworkScriptWithKeysAddedAfterTheTables) {
  const TSqlImportResult result = ImportSqlScript(DataFile("shop-entity-framework.sql"), "Shop");
  EXPECT_EQ(result.encoding, "UTF-8 (BOM)");
  ASSERT_EQ(result.project.classes.size(), 3u);
  EXPECT_EQ(Shape(result.project.classes[0]), "id:整型* name:字符串:8000! email:字符串:100");
  EXPECT_EQ(Shape(result.project.classes[1]), "id:整型*! placedAt:日期型 total:浮点型 customer_Id:Customers");
  EXPECT_EQ(Shape(result.project.classes[2]), "id:字符串:36*! quantity:整型 order_Id:Orders");
  EXPECT_EQ(result.project.classes[0].friendName, "Customers");
  EXPECT_EQ(result.adaptedNames, 10);
  EXPECT_EQ(result.report,
            (std::vector<std::string>{"编码: UTF-8 (BOM)", "读到 3 个表，导入 3 个类、10 个成员",
                                      "改了首字母大小写的名称: 10 个",
                                      "表 Customers 列 Name: 类型 nvarchar(max) 导入为长度 8000 的字符串"}));
}

TEST(SqlImport, ReadsAHandWrittenScriptAndReportsEachThingAProjectCannotHold) {
  const TSqlImportResult result = ImportSqlScript(DataFile("library-hand-written.sql"), "Library");
  EXPECT_EQ(result.encoding, "UTF-8");
  std::vector<std::string> classes;
  for (const TClassModel& entry : result.project.classes) classes.push_back(entry.className);
  EXPECT_EQ(classes, (std::vector<std::string>{"Publisher", "Author", "Book", "BookAuthor", "Loan", "Shelf"}));

  const TProjectModel& p = result.project;
  EXPECT_EQ(ClassNamed(p, "Publisher").friendName, "出版社");
  EXPECT_EQ(Shape(ClassNamed(p, "Publisher")), "code:字符串:4* name:字符串:80! city:字符串:40 founded:日期型");
  EXPECT_EQ(MemberNamed(ClassNamed(p, "Publisher"), "name").GetMemberComment(), "社名");
  EXPECT_EQ(Shape(ClassNamed(p, "Author")), "id:整型* fullName:字符串:60! born:日期型 country:字符串:2");
  EXPECT_EQ(Shape(ClassNamed(p, "Book")),
            "isbn:字符串:13* title:字符串:200! price:浮点型 pages:整型 publisherCode:Publisher authorId:Author "
            "translatorId:整型 cover:图片型 summary:字符串:8000 isbn13:字符串:13");
  EXPECT_EQ(Shape(ClassNamed(p, "BookAuthor")), "bookIsbn:Book authorId:Author");
  EXPECT_EQ(Shape(ClassNamed(p, "Loan")), "loanNo:整型*! bookIsbn:Book borrowedOn:日期型 returned:整型");
  EXPECT_EQ(Shape(ClassNamed(p, "Shelf")), "location:字符串:10! capacity:整型");

  EXPECT_EQ(
      result.report,
      (std::vector<std::string>{
          "编码: UTF-8", "读到 7 个表，导入 6 个类、26 个成员", "改了首字母大小写的名称: 5 个",
          "第 62 行第 15 列: CREATE TABLE Broken 读不懂（列 weird "
          "的定义中不认识这个词，这里却是“here”），已跳过这条语句",
          "第 82 行第 1 列: ALTER TABLE Nowhere 的表不在脚本中，已跳过",
          "第 83 行第 46 列: ALTER TABLE Shelf 读不懂（约束后面多了内容，这里却是“oops”），已跳过这条语句",
          "表 Author 列 Country: 外键指向的表 Country 不在脚本中，作为普通成员导入",
          "表 Book 列 translatorId: 外键指向 Author 的列 FullName，它不是该表的单列主键，作为普通成员导入",
          "表 Book 列 summary: 类型 ntext 导入为长度 8000 的字符串", "表 Book 列 listPrice: 计算列，已跳过",
          "表 BookAuthor: 主键由多列组成（bookIsbn, authorId），导入后没有主键成员，生成前请选一个主键",
          "表 BookAuthor: 没有文本列也没有主键，生成前请选一个显示成员",
          "表 Loan 列 loanNo: 整数主键没有 IDENTITY，导入后由数据库编号",
          "表 Loan 列 due-date: "
          "名称不能做成员名（成员名称只能由英文字母、数字和下划线组成，且不能是C#关键字!），已跳过",
          "表 Shelf: 没有主键，导入后没有主键成员，生成前请选一个主键", "表 CusUsers: 是模板站点的用户表，未导入"}));
}

TEST(SqlImport, ReadsGbkLikeUtf8) {
  const std::string utf8 = DataFile("library-hand-written.sql");
  const TSqlImportResult fromGbk = ImportSqlScript(GbkText::FromUtf8(utf8), "Library");
  const TSqlImportResult fromUtf8 = ImportSqlScript(utf8, "Library");
  EXPECT_EQ(fromGbk.encoding, "GBK");
  ASSERT_EQ(fromGbk.project.classes.size(), fromUtf8.project.classes.size());
  for (std::size_t i = 0; i < fromGbk.project.classes.size(); ++i) {
    EXPECT_EQ(fromGbk.project.classes[i].friendName, fromUtf8.project.classes[i].friendName);
    EXPECT_EQ(Shape(fromGbk.project.classes[i]), Shape(fromUtf8.project.classes[i]));
  }
  EXPECT_EQ(std::vector<std::string>(fromGbk.report.begin() + 1, fromGbk.report.end()),
            std::vector<std::string>(fromUtf8.report.begin() + 1, fromUtf8.report.end()));
}

TEST(SqlImport, RefusesUnreadableInputWithAClearMessage) {
  const auto error = [](const std::string& bytes) {
    return ErrorOf<TSqlScriptError>([&bytes] { ImportSqlScript(bytes, "P"); });
  };
  EXPECT_EQ(error("CREATE TABLE A (a int)\nGO\n/* the rest\nCREATE TABLE B (b int)\n"),
            "第 3 行第 1 列: 注释 /* 没有结束");
  EXPECT_EQ(error("CREATE TABLE A (a int)\nINSERT A VALUES ('x)\n"), "第 2 行第 18 列: 字符串没有结束");
  EXPECT_NE(error(std::string("PK\x03\x04\x14\x00\x06\x00", 8)).find("不是文本文件"), std::string::npos);
  // An empty file, or one without tables, is readable and gives no class.
  for (const std::string& bytes : {std::string(), std::string("\xEF\xBB\xBF"), std::string("USE x\nGO\n")}) {
    const TSqlImportResult result = ImportSqlScript(bytes, "P");
    EXPECT_EQ(result.tableCount, 0);
    EXPECT_TRUE(result.project.classes.empty());
  }
}

TEST(SqlImport, MapsEachSqlServerTypeToAMemberType) {
  const TSqlImportResult result = ImportSqlScript(
      "CREATE TABLE T (k int PRIMARY KEY,\n"
      " a bit NOT NULL, b tinyint NOT NULL, c smallint NOT NULL, d bigint NOT NULL,\n"
      " e float NOT NULL, f real NOT NULL, g decimal(9, 2) NOT NULL, h numeric NOT NULL, i money NOT NULL,\n"
      " j smallmoney NOT NULL,\n"
      " l date, m datetime, n datetime2(7), o smalldatetime, p time, q datetimeoffset,\n"
      " r image, s binary(16), t varbinary(max),\n"
      " u char(3), v varchar, w nchar(10), x nvarchar(4000), y text, z ntext, aa varchar(max),\n"
      " ab uniqueidentifier, ac xml, ad sysname, ae varchar(9000))",
      "P");
  ASSERT_EQ(result.project.classes.size(), 1u);
  EXPECT_EQ(Shape(result.project.classes[0]),
            "k:整型* a:整型 b:整型 c:整型 d:整型 e:浮点型 f:浮点型 g:浮点型 h:浮点型 i:浮点型 j:浮点型 "
            "l:日期型 m:日期型 n:日期型 o:日期型 p:日期型 q:日期型 r:图片型 s:图片型 t:图片型 "
            "u:字符串:3! v:字符串:1 w:字符串:10 x:字符串:4000 y:字符串:8000 z:字符串:8000 aa:字符串:8000 "
            "ab:字符串:36 ac:字符串:8000 ad:字符串:128 ae:字符串:8000");
  for (const char* column :
       {"y: 类型 text", "z: 类型 ntext", "aa: 类型 varchar(max)", "ac: 类型 xml", "ae: 类型 varchar(9000)"})
    EXPECT_TRUE(Reports(result, "表 T 列 " + std::string(column) + " 导入为长度 8000 的字符串")) << column;
  // The number flags follow the type as the member dialogs set them.
  for (const TMember& member : result.project.classes[0].members) {
    EXPECT_EQ(member.GetMemberIsInteger(), member.GetMemberType() == MemberTypes::kInteger ? 1 : 0);
    EXPECT_EQ(member.GetMemberIsFloat(), member.GetMemberType() == MemberTypes::kFloat ? 1 : 0);
  }
}

TEST(SqlImport, SetsRequiredAndDisplayFlagsAsTheMemberDialogsNeedThem) {
  const TSqlImportResult result = ImportSqlScript(
      "CREATE TABLE A (id int IDENTITY PRIMARY KEY, n int NULL, d datetime NULL, s varchar(5) NULL,\n"
      "  t varchar(5) NOT NULL, pic image NULL)\n"
      "CREATE TABLE B (code varchar(8) PRIMARY KEY, a int NULL REFERENCES A)\n"
      "CREATE TABLE C (x int, y datetime)\n",
      "P");
  ASSERT_EQ(result.project.classes.size(), 3u);
  std::string must;
  for (const TClassModel& entry : result.project.classes)
    for (const TMember& member : entry.members)
      must += member.GetMemberName() + "=" + std::to_string(member.GetMemberIsMust()) + " ";
  // Text and picture columns keep their nullability; every other type must be required in the dialogs.
  EXPECT_EQ(must, "id=1 n=1 d=1 s=0 t=1 pic=0 code=1 a=1 x=1 y=1 ");
  // The first non-key text member, else the key, else none (and a line says so).
  EXPECT_EQ(Shape(result.project.classes[0]), "id:整型* n:整型 d:日期型 s:字符串:5! t:字符串:5 pic:图片型");
  EXPECT_EQ(Shape(result.project.classes[1]), "code:字符串:8*! a:A");
  EXPECT_EQ(Shape(result.project.classes[2]), "x:整型 y:日期型");
  EXPECT_TRUE(Reports(result, "表 C: 没有文本列也没有主键，生成前请选一个显示成员"));
}

TEST(SqlImport, AdaptsFirstLettersAndSkipsNamesAProjectCannotHold) {
  const TSqlImportResult result = ImportSqlScript(
      "CREATE TABLE employee (EmployeeID int PRIMARY KEY, Name varchar(9), name varchar(9), [first name] int,\n"
      "  [名称] varchar(5), _x int)\n"
      "CREATE TABLE Employee (id int PRIMARY KEY)\n"
      "CREATE TABLE [9lives] (id int PRIMARY KEY)\n"
      "CREATE TABLE 部门 (id int PRIMARY KEY)\n"
      "CREATE TABLE Orders (id int PRIMARY KEY, emp int REFERENCES employee (EmployeeID),\n"
      "  boss int REFERENCES Employee (id), lives int REFERENCES [9lives], [Key] int, orders int, note int)\n"
      "CREATE TABLE [Select] (id int PRIMARY KEY)\n"
      "EXEC sp_addextendedproperty 'MS_Description', 'a */ b', 'user', 'dbo', 'table', 'Orders', 'column', 'note'\n",
      "P");
  ASSERT_EQ(result.project.classes.size(), 2u);
  EXPECT_EQ(Shape(result.project.classes[0]), "employeeID:整型* name:字符串:9!");
  // References follow the adapted name. Names compare without case, as in SQL Server, so boss points
  // to the first employee table's non-key column; a reference to a skipped table stays a plain member.
  EXPECT_EQ(Shape(result.project.classes[1]), "id:整型*! emp:Employee boss:整型 lives:整型 orders:整型 note:整型");
  EXPECT_EQ(result.adaptedNames, 3);  // employee, EmployeeID, Name; not the skipped Key
  for (const char* line :
       {"表 employee 列 name: 与前面的列同名，已跳过",
        "表 employee 列 first name: 名称不能做成员名（成员名称只能由英文字母、数字和下划线组成，"
        "且不能是C#关键字!），已跳过",
        "表 employee 列 名称: 名称不能做成员名（成员属性首个字母必须小写），已跳过",
        "表 employee 列 _x: 名称不能做成员名（成员属性首个字母必须小写），已跳过",
        "表 Employee: 与表 employee 同名，已跳过", "表 9lives: 名称不能做类名（类名首个字母必须大写），已跳过",
        "表 部门: 名称不能做类名（类名首个字母必须大写），已跳过",
        "表 Orders 列 boss: 外键指向 Employee 的列 id，它不是该表的单列主键，作为普通成员导入",
        "表 Orders 列 lives: 外键指向的表 9lives 未导入，作为普通成员导入",
        "表 Orders 列 Key: 名称不能做成员名（名称不能是SQL Server的保留关键字!），已跳过",
        "表 Orders 列 note: 说明未导入（友好名称和注释中不能包含*/!）",
        "表 Select: 名称不能做类名（名称不能是SQL Server的保留关键字!），已跳过"})
    EXPECT_TRUE(Reports(result, line)) << line;
}

TEST(SqlImport, KeepsTheColumnTypeWhereAKeyCannotBeAKeyMember) {
  const TSqlImportResult result = ImportSqlScript(
      "CREATE TABLE Rate (day date PRIMARY KEY, value float)\n"
      "CREATE TABLE Person (id int PRIMARY KEY, name varchar(9))\n"
      "CREATE TABLE Detail (personId int PRIMARY KEY REFERENCES Person, note varchar(9),\n"
      "  a int, b int, FOREIGN KEY (a, b) REFERENCES Pair (x, y), day date REFERENCES Rate)\n",
      "P");
  ASSERT_EQ(result.project.classes.size(), 3u);
  EXPECT_EQ(Shape(result.project.classes[0]), "day:日期型 value:浮点型");
  EXPECT_EQ(Shape(result.project.classes[2]), "personId:整型* note:字符串:9! a:整型 b:整型 day:日期型");
  for (const char* line : {"表 Rate 列 day: 主键类型 date 不能做主键（主键须是整型或字符串）"
                           "，导入后没有主键成员，生成前请选一个主键",
                           "表 Detail 列 personId: 主键同时是指向 Person 的外键，外键未导入",
                           "表 Detail 列 a: 外键由多列组成，作为普通成员导入",
                           "表 Detail 列 day: 外键指向 Rate，它不是该表的单列主键，作为普通成员导入"})
    EXPECT_TRUE(Reports(result, line)) << line;
}

// Each script is one a careless reading of names, strings, alias types or bytes would get wrong.
TEST(SqlImport, ReadsWhatACarelessReaderWouldGetWrong) {
  struct TCase {
    const char* what;
    std::string script;
    std::string shapes;  // "Class(shape)" for each class
    std::vector<std::string> lines;
  };
  const std::string description = "EXEC sp_addextendedproperty 'MS_Description', ";
  const std::vector<TCase> cases{
      {"ALTER TABLE naming the table in another case",
       "CREATE TABLE Book (id int IDENTITY PRIMARY KEY, a varchar(5))\nALTER TABLE dbo.BOOK ADD b int",
       "Book(id:整型* a:字符串:5! b:整型)",
       {}},
      {"a foreign key naming the target's key in another case",
       "CREATE TABLE A (Id int IDENTITY PRIMARY KEY)\nCREATE TABLE B (id int IDENTITY PRIMARY KEY, a int REFERENCES A "
       "(ID))",
       "A(id:整型*!) B(id:整型*! a:A)",
       {}},
      {"two columns differing only in case",
       "CREATE TABLE T (id int IDENTITY PRIMARY KEY, userName varchar(5), USERNAME varchar(6))",
       "T(id:整型* userName:字符串:5!)",
       {"表 T 列 USERNAME: 与前面的列同名，已跳过"}},
      {"lower-case n'' strings",
       "create table T (id int identity primary key)\nexec sp_addextendedproperty n'MS_Description', n'图''书', "
       "n'user', "
       "n'dbo', n'table', n'T'",
       "图'书(id:整型*!)",
       {}},
      {"varchar(8000) is the longest text, 8001 is not",
       "CREATE TABLE T (id int IDENTITY PRIMARY KEY, a varchar(8000), b varchar(8001))",
       "T(id:整型* a:字符串:8000! b:字符串:8000)",
       {"表 T 列 b: 类型 varchar(8001) 导入为长度 8000 的字符串"}},
      {"a description right after an unfinished ALTER TABLE",
       "CREATE TABLE T (id int IDENTITY PRIMARY KEY, a int)\nALTER TABLE T ADD CONSTRAINT FK FOREIGN KEY (a) "
       "REFERENCES\n" +
           description + "N'表', 'user', 'dbo', 'table', 'T'",
       "表(id:整型*! a:整型)",
       {"第 3 行第 1 列: ALTER TABLE T 读不懂（应为被引用的表名，这里却是“EXEC”），已跳过这条语句"}},
      {"an overlong UTF-8 sequence is no UTF-8: the file is GBK",
       "CREATE TABLE T (id int IDENTITY PRIMARY KEY)\n" + description + "N'\xC0\xAF', 'user', 'dbo', 'table', 'T'",
       "蜡(id:整型*!)",
       {}},
  };
  for (const TCase& c : cases) {
    const TSqlImportResult result = ImportSqlScript(c.script, "P");
    std::string shapes;
    for (const TClassModel& entry : result.project.classes)
      shapes += (shapes.empty() ? "" : " ") + entry.friendName + "(" + Shape(entry) + ")";
    // Friendly names stand for the classes: the table's name unless a description gives one.
    EXPECT_EQ(shapes, c.shapes) << c.what;
    EXPECT_EQ(std::vector<std::string>(result.report.begin() + 3, result.report.end()), c.lines) << c.what;
  }
  EXPECT_EQ(ImportSqlScript("-- \xC0\xAF\nCREATE TABLE T (id int PRIMARY KEY)", "P").encoding, "GBK");
}

TEST(SqlImport, AColumnsOwnNullabilityWinsOverItsAliasType) {
  const TSqlImportResult result = ImportSqlScript(
      "exec sp_addtype req, 'varchar(4)', 'NOT NULL'\n"
      "exec sp_addtype old, 'varchar(4)', 'NONULL'\n"
      "exec sp_addtype opt, 'varchar(4)', 'NULL'\n"
      "CREATE TYPE dbo.req2 FROM varchar(4) NOT NULL\n"
      "CREATE TABLE T (id int IDENTITY PRIMARY KEY, a req NULL, b opt NOT NULL, c req, d opt, e old, f req2 NULL,\n"
      "  g req2)\n",
      "P");
  ASSERT_EQ(result.project.classes.size(), 1u);
  std::string must;
  for (const TMember& member : result.project.classes[0].members)
    must += member.GetMemberName() + "=" + std::to_string(member.GetMemberIsMust()) + " ";
  EXPECT_EQ(must, "id=1 a=0 b=1 c=1 d=0 e=1 f=0 g=1 ");
}

TEST(SqlImport, FoldsADescriptionOnSeveralLinesOntoOneWithALine) {
  const TSqlImportResult result = ImportSqlScript(
      "CREATE TABLE T (id int IDENTITY PRIMARY KEY, a varchar(5))\n"
      "EXEC sp_addextendedproperty 'MS_Description', N'图书\r\n\v表', 'user', 'dbo', 'table', 'T'\n"
      "EXEC sp_addextendedproperty 'MS_Description', "
      "N'第一行\r\n第二行\x7F末\xC2\x85尾\xE2\x80\xA8\xE2\x80\xA9完\t留',\n"
      "  'user', 'dbo', 'table', 'T', 'column', 'a'\n",
      "P");
  ASSERT_EQ(result.project.classes.size(), 1u);
  EXPECT_EQ(result.project.classes[0].friendName, "图书 表");
  EXPECT_EQ(result.project.classes[0].members[1].GetMemberComment(), "第一行 第二行 末 尾 完\t留");
  EXPECT_TRUE(Reports(result, "表 T: 说明中的换行或控制字符已换成空格"));
  EXPECT_TRUE(Reports(result, "表 T 列 a: 说明中的换行或控制字符已换成空格"));
}
