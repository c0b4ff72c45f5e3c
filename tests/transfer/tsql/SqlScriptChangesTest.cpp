// Scripts that change their tables after creating them (migrations, upgrade scripts) and the table forms
// of newer SQL Server versions: each short script written for one of them, then the project it gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/Member.h"
#include "support/ClassShape.h"
#include "transfer/tsql/SqlImport.h"

namespace {

// Every class as "Name(shape)", one after the other.
std::string Shapes(const TProjectModel& project) {
  std::string shapes;
  for (const TClassModel& entry : project.classes)
    shapes += (shapes.empty() ? "" : " ") + entry.className + "(" + Shape(entry) + ")";
  return shapes;
}

// The report after the three lines of encoding and counts.
std::vector<std::string> Lines(const TSqlImportResult& result) {
  return std::vector<std::string>(result.report.begin() + 3, result.report.end());
}

const TClassModel& ClassNamed(const TProjectModel& project, const std::string& name) {
  for (const TClassModel& entry : project.classes)
    if (entry.className == name) return entry;
  throw std::runtime_error("no class " + name);
}

}  // namespace

TEST(SqlScriptChanges, AlterTableAddReadsEveryFormMigrationsWrite) {
  const TSqlImportResult result = ImportSqlScript(
      "CREATE TABLE [dbo].[Product] (Id int IDENTITY PRIMARY KEY, Name nvarchar(40) NOT NULL)\n"
      "GO\n"
      "ALTER TABLE Product ADD Price money NULL;\n"
      "ALTER TABLE [dbo].[Product] ADD Stock int NOT NULL DEFAULT 0 WITH VALUES, Note nvarchar(200) NULL\n"
      "ALTER TABLE sales.PRODUCT ADD\n"
      "  Weight float NULL,\n"
      "  Code char(8) NOT NULL\n"
      "GO\n"
      "ALTER TABLE Product ADD Color varchar(10)\n"
      "ALTER TABLE Product ADD Size int ALTER TABLE Product ADD Made date\n"
      "EXEC sp_addextendedproperty 'MS_Description', N'价格', 'user', 'dbo', 'table', 'Product', 'column', 'Price'\n"
      "ALTER TABLE Product ADD Tag varchar(5) CONSTRAINT DF_tag DEFAULT NEXT VALUE FOR dbo.Tags\n"
      "ALTER TABLE Product ADD CONSTRAINT DF_code DEFAULT NEXT VALUE FOR dbo.Codes FOR Code",
      "P");
  EXPECT_EQ(Shapes(result.project),
            "Product(id:整型* name:字符串:40! price:浮点型 stock:整型 note:字符串:200 weight:浮点型 code:字符串:8 "
            "color:字符串:10 size:整型 made:日期型 tag:字符串:5)");
  EXPECT_EQ(result.project.classes[0].members[2].GetMemberComment(), "价格");
  EXPECT_EQ(Lines(result), std::vector<std::string>{});
}

TEST(SqlScriptChanges, ATableConstraintWithoutACommaKeepsTheKeyAndTheTable) {
  const TSqlImportResult result = ImportSqlScript(
      "create table departement (\n"
      "  numero int not null,\n"
      "  nom varchar(30),\n"
      "  etat char(2) NULL\n"
      "  constraint pk PRIMARY KEY (numero)\n"
      ")\n"
      "CREATE TABLE Employee (\n"
      "  EmployeeID int IDENTITY PRIMARY KEY,\n"
      "  Name varchar(20),\n"
      "  DepartmentID int\n"
      "  CONSTRAINT FK_Employee_Departement FOREIGN KEY (DepartmentID) REFERENCES departement (numero)\n"
      ")\n"
      "CREATE TABLE Pair (a int, b varchar(3) UNIQUE NONCLUSTERED (a, b) PRIMARY KEY CLUSTERED (b))\n"
      "ALTER TABLE Employee ADD BossID int NULL CONSTRAINT FK_Boss FOREIGN KEY (BossID) REFERENCES Pair (b)\n",
      "P");
  EXPECT_EQ(Shapes(result.project),
            "Departement(numero:整型* nom:字符串:30! etat:字符串:2) "
            "Employee(employeeID:整型* name:字符串:20! departmentID:Departement bossID:Pair) "
            "Pair(a:整型 b:字符串:3*!)");
  EXPECT_EQ(Lines(result),
            std::vector<std::string>{"表 departement 列 numero: 整数主键没有 IDENTITY，导入后由数据库编号"});
}

TEST(SqlScriptChanges, NewerTableFormsKeepTheirColumnsAndSayWhatIsLeftOut) {
  const TSqlImportResult result = ImportSqlScript(
      "CREATE SEQUENCE dbo.PriceNo AS int START WITH 1\n"
      "GO\n"
      "CREATE TABLE dbo.Price (\n"
      "  Id int NOT NULL DEFAULT (NEXT VALUE FOR dbo.PriceNo) PRIMARY KEY,\n"
      "  Code int NOT NULL CONSTRAINT DF_code DEFAULT NEXT VALUE FOR PriceNo OVER (ORDER BY Id),\n"
      "  Name nvarchar(40) SPARSE NULL,\n"
      "  RowId uniqueidentifier ROWGUIDCOL NOT NULL,\n"
      "  Email varchar(60) MASKED WITH (FUNCTION = 'email()') NULL,\n"
      "  Ssn char(11) COLLATE Latin1_General_BIN2 ENCRYPTED WITH (COLUMN_ENCRYPTION_KEY = K,\n"
      "    ENCRYPTION_TYPE = DETERMINISTIC, ALGORITHM = 'AEAD_AES_256_CBC_HMAC_SHA_256') NOT NULL,\n"
      "  Amount decimal(9, 2) NOT NULL INDEX IX_amount NONCLUSTERED,\n"
      "  Doubled AS Amount * 2 PERSISTED,\n"
      "  ValidFrom datetime2 GENERATED ALWAYS AS ROW START HIDDEN NOT NULL,\n"
      "  ValidTo datetime2 GENERATED ALWAYS AS ROW END NOT NULL,\n"
      "  PERIOD FOR SYSTEM_TIME (ValidFrom, ValidTo),\n"
      "  INDEX IX_name NONCLUSTERED (Name) WITH (DATA_COMPRESSION = PAGE)\n"
      ") ON [PRIMARY] TEXTIMAGE_ON [PRIMARY] FILESTREAM_ON fs\n"
      "WITH (SYSTEM_VERSIONING = ON (HISTORY_TABLE = dbo.PriceHistory), DATA_COMPRESSION = ROW)\n"
      "GO\n"
      "CREATE TABLE Hot (Id int IDENTITY PRIMARY KEY NONCLUSTERED, Name varchar(9))\n"
      "  WITH (MEMORY_OPTIMIZED = ON, DURABILITY = SCHEMA_ONLY);\n"
      "CREATE TABLE Ledger (Id int IDENTITY PRIMARY KEY, Entry varchar(9)) WITH (LEDGER = ON (APPEND_ONLY = ON))\n"
      "CREATE TABLE Person (Id int IDENTITY PRIMARY KEY, Name varchar(9)) AS NODE\n"
      "CREATE TABLE Odd (Id int IDENTITY PRIMARY KEY) WITH (FUTURE_OPTION = 1 (X)) ON ps (Id) LATER_CLAUSE (a (b))\n"
      "INSERT INTO Odd DEFAULT VALUES\n",
      "P");
  EXPECT_EQ(
      Shapes(result.project),
      "Price(id:整型* code:整型 name:字符串:40! rowId:字符串:36 email:字符串:60 ssn:字符串:11 amount:浮点型 "
      "validFrom:日期型 validTo:日期型) "
      "Hot(id:整型* name:字符串:9!) Ledger(id:整型* entry:字符串:9!) Person(id:整型* name:字符串:9!) Odd(id:整型*!)");
  // A key numbered by a sequence is numbered by the database, as an IDENTITY key is: no line for it.
  EXPECT_EQ(Lines(result),
            (std::vector<std::string>{
                "表 Price: PERIOD FOR SYSTEM_TIME 未导入（系统版本的时间段）",
                "表 Price: WITH (SYSTEM_VERSIONING …) 未导入（系统版本的历史表不会建立）",
                "表 Price 列 Email: MASKED WITH (…) 未导入（数据屏蔽不会建立）",
                "表 Price 列 Ssn: ENCRYPTED WITH (…) 未导入（列加密不会建立）",
                "表 Price 列 Doubled: 计算列，已跳过",
                "表 Price 列 ValidFrom: GENERATED ALWAYS AS ROW START 未导入（作为普通列导入，由程序写入）",
                "表 Price 列 ValidTo: GENERATED ALWAYS AS ROW END 未导入（作为普通列导入，由程序写入）",
                "表 Hot: WITH (MEMORY_OPTIMIZED …) 未导入（作为普通表导入）",
                "表 Ledger: WITH (LEDGER …) 未导入（作为普通表导入）",
                "表 Person: AS NODE 未导入（作为普通表导入）",
                "表 Odd: WITH (FUTURE_OPTION …) 未导入",
                "表 Odd: 不认识的子句 LATER_CLAUSE，已跳过",
            }));
}

TEST(SqlScriptChanges, ChangesApplyInScriptOrderAsSqlServerRunsThem) {
  const TSqlImportResult result = ImportSqlScript(
      "CREATE TABLE Author (id int IDENTITY PRIMARY KEY, name varchar(20) NOT NULL)\n"
      "CREATE TABLE Book (id int IDENTITY CONSTRAINT PK_Book PRIMARY KEY, title varchar(50), price int,\n"
      "  writer int CONSTRAINT FK_Book_Author REFERENCES Author (id), old varchar(5), gone int)\n"
      "CREATE TABLE Temp (id int PRIMARY KEY)\n"
      "CREATE TABLE Later (id int PRIMARY KEY)\n"
      "GO\n"
      "ALTER TABLE Book ALTER COLUMN title nvarchar(120) NOT NULL\n"
      "ALTER TABLE dbo.Book ALTER COLUMN price decimal(9, 2) NULL;\n"
      "ALTER TABLE Book DROP CONSTRAINT FK_Book_Author\n"
      "ALTER TABLE Book ALTER COLUMN writer varchar(8)\n"
      "ALTER TABLE Book DROP COLUMN old, COLUMN IF EXISTS gone, nothing\n"
      "EXEC sp_rename 'dbo.Author', 'Writer'\n"
      "EXEC sp_rename N'[dbo].[Writer].[name]', N'fullName', N'COLUMN'\n"
      "EXEC sp_rename @objname = 'Book.title', @newname = 'caption', @objtype = 'COLUMN'\n"
      "ALTER TABLE Book ALTER COLUMN writer int NOT NULL\n"
      "ALTER TABLE Book ADD CONSTRAINT FK_Book_Writer FOREIGN KEY (writer) REFERENCES Writer (id)\n"
      "EXEC sp_rename 'PK_Book', 'PK_Books', 'OBJECT'\n"
      "ALTER TABLE Book DROP CONSTRAINT PK_Books\n"
      "ALTER TABLE Book ADD PRIMARY KEY (id)\n"
      "DROP TABLE Temp, dbo.Missing\n"
      "DROP TABLE IF EXISTS Later;\n",
      "P");
  EXPECT_EQ(Shapes(result.project),
            "Writer(id:整型* fullName:字符串:20!) Book(id:整型* caption:字符串:120! price:浮点型 writer:Writer)");
  EXPECT_EQ(result.tableCount, 2);
  EXPECT_EQ(Lines(result),
            (std::vector<std::string>{"第 20 行第 12 列: DROP TABLE Temp 删除了前面读到的表，它不会导入",
                                      "第 21 行第 22 列: DROP TABLE Later 删除了前面读到的表，它不会导入"}));
  EXPECT_EQ(ClassNamed(result.project, "Book").members[1].GetMemberIsMust(), 1);  // NOT NULL now

  // A changed column loses the keys SQL Server would not have let it change under: the script dropped them
  // where the import cannot follow.
  const TSqlImportResult dynamic = ImportSqlScript(
      "CREATE TABLE A (id int IDENTITY PRIMARY KEY)\n"
      "CREATE TABLE B (id int IDENTITY PRIMARY KEY)\n"
      "CREATE TABLE C (id int IDENTITY PRIMARY KEY, owner int REFERENCES A)\n"
      "DECLARE @fk sysname = (SELECT name FROM sys.foreign_keys WHERE parent_object_id = OBJECT_ID(N'C'))\n"
      "EXEC(N'ALTER TABLE [dbo].[C] DROP CONSTRAINT ' + QUOTENAME(@fk))\n"
      "ALTER TABLE C ALTER COLUMN owner int NOT NULL\n"
      "ALTER TABLE C ADD FOREIGN KEY (owner) REFERENCES B\n",
      "P");
  EXPECT_EQ(Shape(ClassNamed(dynamic.project, "C")), "id:整型*! owner:B");
  EXPECT_EQ(Lines(dynamic),
            (std::vector<std::string>{"第 5 行第 1 列: 动态 SQL 中的 ALTER TABLE 未执行，已跳过",
                                      "第 6 行第 1 列: ALTER TABLE C ALTER COLUMN owner: 列上的主键、外键在 SQL Server "
                                      "中须先删除，已视为删除"}));
}

TEST(SqlScriptChanges, WhatRunsOnlyUnderAConditionOrAsDynamicSqlIsNotDone) {
  const TSqlImportResult result = ImportSqlScript(
      "IF OBJECT_ID(N'[dbo].[T]', 'U') IS NOT NULL DROP TABLE [dbo].[T]\n"
      "GO\n"
      "IF NOT EXISTS (SELECT * FROM sys.tables WHERE name = 'T')\n"
      "  CREATE TABLE T (id int IDENTITY PRIMARY KEY, a varchar(5), b int)\n"
      "GO\n"
      "IF OBJECT_ID(N'T') IS NOT NULL DROP TABLE T\n"
      "IF COL_LENGTH('T', 'c') IS NULL ALTER TABLE T ADD c int\n"
      "ELSE ALTER TABLE T DROP COLUMN a\n"
      "IF EXISTS (SELECT 1 FROM T WHERE LEN(a) > 2)\n"
      "BEGIN\n"
      "  RAISERROR(N'数据会被截断', 16, 1)\n"
      "  ALTER TABLE T DROP COLUMN b\n"
      "  EXEC sp_rename 'T.a', 'x', 'COLUMN'\n"
      "  IF @@ERROR <> 0 SET NOEXEC ON\n"
      "END\n"
      "BEGIN TRY ALTER TABLE T ADD d int END TRY\n"
      "BEGIN CATCH ALTER TABLE T DROP COLUMN d END CATCH\n"
      "SELECT CASE WHEN 1 = 1 THEN 'x' ELSE 'y' END\n"
      "ALTER TABLE T ADD e int\n"
      "EXECUTE (N'CREATE TABLE Dyn (id int)')\n"
      "EXEC sp_executesql N'EXEC sp_rename ''T'', ''U'''\n"
      "EXEC (N'UPDATE T SET a = ''x''')\n",
      "P");
  EXPECT_EQ(Shapes(result.project), "T(id:整型* a:字符串:5! b:整型 d:整型 e:整型)");
  EXPECT_EQ(Lines(result), (std::vector<std::string>{"第 6 行第 43 列: 条件语句中的 DROP TABLE T 未执行，已跳过",
                                                     "第 7 行第 33 列: 条件语句中的 ALTER TABLE T 未执行，已跳过",
                                                     "第 8 行第 6 列: 条件语句中的 ALTER TABLE T 未执行，已跳过",
                                                     "第 12 行第 3 列: 条件语句中的 ALTER TABLE T 未执行，已跳过",
                                                     "第 13 行第 3 列: 条件语句中的 sp_rename T.a 未执行，已跳过",
                                                     "第 17 行第 13 列: 条件语句中的 ALTER TABLE T 未执行，已跳过",
                                                     "第 20 行第 1 列: 动态 SQL 中的 CREATE TABLE 未执行，已跳过",
                                                     "第 21 行第 1 列: 动态 SQL 中的 sp_rename 未执行，已跳过"}));
}

TEST(SqlScriptChanges, DescriptionsFollowTheOrderOfAddDropAndUpdate) {
  const TSqlImportResult result = ImportSqlScript(
      "CREATE TABLE T (id int IDENTITY PRIMARY KEY, a varchar(5), b varchar(5), c varchar(5))\n"
      "EXEC sp_addextendedproperty 'MS_Description', N'第一', 'user', 'dbo', 'table', 'T', 'column', 'a'\n"
      "EXEC sp_addextendedproperty 'MS_Description', N'第二', 'user', 'dbo', 'table', 'T', 'column', 'A'\n"
      "EXEC sp_addextendedproperty 'MS_Description', N'旧', 'user', 'dbo', 'table', 'T', 'column', 'b'\n"
      "EXEC sp_dropextendedproperty 'MS_Description', 'user', 'dbo', 'table', 'T', 'column', 'b'\n"
      "EXEC sp_addextendedproperty 'MS_Description', N'新', 'user', 'dbo', 'table', 'T', 'column', 'b'\n"
      "EXEC sp_addextendedproperty 'MS_Description', N'原', 'user', 'dbo', 'table', 'T', 'column', 'c'\n"
      "EXEC sp_updateextendedproperty @name = N'MS_Description', @value = N'改', @level0type = N'SCHEMA',\n"
      "  @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'T', @level2type = N'COLUMN',\n"
      "  @level2name = N'c'\n"
      "EXEC sp_addextendedproperty 'MS_Description', N'表', 'user', 'dbo', 'table', 'T'\n"
      "EXEC sp_dropextendedproperty 'MS_Description', 'user', 'dbo', 'table', 'T'\n",
      "P");
  ASSERT_EQ(result.project.classes.size(), 1u);
  const TClassModel& t = result.project.classes[0];
  std::vector<std::string> comments;
  for (const TMember& member : t.members) comments.push_back(member.GetMemberComment());
  EXPECT_EQ(comments, (std::vector<std::string>{"", "第一", "新", "改"}));
  EXPECT_EQ(t.friendName, "T");
  EXPECT_EQ(Lines(result),
            std::vector<std::string>{"第 3 行第 1 列: 表 T 列 A 已有说明，SQL Server 不会再添加，保留先前的说明"});
}
