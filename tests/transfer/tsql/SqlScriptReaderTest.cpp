// Reading T-SQL scripts: the encodings, the tokenizer and the statements the import understands.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/GbkText.h"
#include "transfer/tsql/SqlScriptReader.h"
#include "transfer/tsql/SqlScriptText.h"
#include "transfer/tsql/SqlTokenizer.h"
#include "support/CatalogueSeed.h"

namespace {

std::string Utf16Le(const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

const TSqlTable& TableNamed(const TSqlSchema& schema, const std::string& name) {
  for (const TSqlTable& table : schema.tables)
    if (table.name == name) return table;
  throw std::runtime_error("no table " + name);
}

std::vector<std::string> ColumnNames(const TSqlTable& table) {
  std::vector<std::string> names;
  for (const TSqlColumn& column : table.columns) names.push_back(column.name);
  return names;
}

}  // namespace

TEST(SqlScriptText, TellsTheFourEncodingsApartAndGivesUtf8) {
  const std::string utf8 = "-- 图书\nCREATE TABLE T (a int)";
  EXPECT_EQ(DecodeSqlScript(utf8).encoding, "UTF-8");
  EXPECT_EQ(DecodeSqlScript(utf8).utf8, utf8);

  const TSqlScriptText bom = DecodeSqlScript("\xEF\xBB\xBF" + utf8);
  EXPECT_EQ(bom.encoding, "UTF-8 (BOM)");
  EXPECT_EQ(bom.utf8, utf8);

  // "-- 图书" with a character outside the basic plane, as a surrogate pair.
  const TSqlScriptText wide = DecodeSqlScript(Utf16Le(u"-- \u56FE\u4E66 \U0001F600\r\nGO"));
  EXPECT_EQ(wide.encoding, "UTF-16 LE (BOM)");
  EXPECT_EQ(wide.utf8, "-- 图书 \xF0\x9F\x98\x80\r\nGO");

  const TSqlScriptText gbk = DecodeSqlScript(GbkText::FromUtf8(utf8));
  EXPECT_EQ(gbk.encoding, "GBK");
  EXPECT_EQ(gbk.utf8, utf8);
}

TEST(SqlScriptText, RefusesWhatIsNotAScript) {
  const auto error = [](const std::string& bytes) {
    return ErrorOf<TSqlScriptError>([&bytes] { DecodeSqlScript(bytes); });
  };
  // A binary file: NUL bytes and bytes that are neither UTF-8 nor GBK.
  EXPECT_NE(error(std::string("\x7F"
                              "ELF\x02\x01\x01\x00\x00\x00",
                              10))
                .find("不是文本文件"),
            std::string::npos);
  EXPECT_NE(error("\x89PNG\r\n\x1A\n\xFF\xFF\x80").find("不是文本文件"), std::string::npos);
  EXPECT_NE(error("CREATE TABLE T (a int)\x01").find("不是文本文件"), std::string::npos);
  // Half a UTF-16 character, an unpaired surrogate, a UTF-8 mark on other bytes.
  EXPECT_NE(error(std::string("\xFF\xFE"
                              "A\x00"
                              "B",
                              5))
                .find("UTF-16"),
            std::string::npos);
  EXPECT_NE(error(std::string("\xFF\xFE\x00\xD8"
                              "A\x00",
                              6))
                .find("UTF-16"),
            std::string::npos);
  EXPECT_NE(error("\xEF\xBB\xBF\xB0\xA1").find("BOM"), std::string::npos);
  EXPECT_NE(error("\xFE\xFF\x00"
                  "A")
                .find("UTF-16 BE"),
            std::string::npos);
  // A control character is no text in UTF-16 either.
  EXPECT_NE(error(Utf16Le(u"CREATE TABLE T (a int)\u0001")).find("不是文本文件"), std::string::npos);
  // Empty is text; it simply holds no table.
  EXPECT_EQ(error(""), "");
}

TEST(SqlTokenizer, SplitsNamesStringsAndNumbersAndDropsComments) {
  const std::vector<TSqlToken> tokens = TokenizeSql(
      "/* a /* nested */ comment */ Create [dbo].[Tab]]le] -- to the end\n"
      "  \"Q\"\"x\", N'it''s 图书', 'x', 12.5, 0x1F, @p, #tmp;\n"
      "图书 GO");
  std::vector<std::string> texts;
  for (const TSqlToken& token : tokens) texts.push_back(token.text);
  EXPECT_EQ(texts,
            (std::vector<std::string>{"Create", "dbo", ".",    "Tab]le", "Q\"x", ",", "it's 图书", ",", "x",    ",",
                                      "12.5",   ",",   "0x1F", ",",      "@p",   ",", "#tmp",      ";", "图书", "GO"}));
  EXPECT_TRUE(tokens[0].Is("CREATE"));
  EXPECT_FALSE(tokens[3].Is("Tab]le"));  // a quoted name is never a keyword
  EXPECT_EQ(tokens[3].kind, TSqlTokenKind::Quoted);
  EXPECT_EQ(tokens[6].kind, TSqlTokenKind::String);
  EXPECT_EQ(tokens[10].kind, TSqlTokenKind::Number);
  EXPECT_EQ(tokens[14].kind, TSqlTokenKind::Variable);
  // Lines and columns count characters, Chinese ones included; GO at a line's start is marked.
  EXPECT_EQ(tokens[0].line, 1);
  EXPECT_EQ(tokens[0].column, 30);
  EXPECT_EQ(tokens[4].line, 2);
  EXPECT_EQ(tokens[4].column, 3);
  EXPECT_TRUE(tokens[4].firstOnLine);
  EXPECT_EQ(tokens[8].column, 24);  // 'x' after N'it''s 图书',
  EXPECT_EQ(tokens[19].column, 4);
  EXPECT_FALSE(tokens[19].firstOnLine);
  EXPECT_TRUE(tokens[18].firstOnLine);
}

TEST(SqlTokenizer, NamesWhereAnUnterminatedCommentStringOrNameBegins) {
  const auto error = [](const std::string& text) { return ErrorOf<TSqlScriptError>([&text] { TokenizeSql(text); }); };
  EXPECT_EQ(error("GO\n  /* one /* two */ still open\n\n"), "第 2 行第 3 列: 注释 /* 没有结束");
  EXPECT_EQ(error("SELECT 'it''s\nopen"), "第 1 行第 8 列: 字符串没有结束");
  EXPECT_EQ(error("图书 N'abc"), "第 1 行第 4 列: 字符串没有结束");
  EXPECT_EQ(error("CREATE TABLE [dbo"), "第 1 行第 14 列: 方括号中的名称没有结束");
  EXPECT_EQ(error("CREATE TABLE \"x"), "第 1 行第 14 列: 双引号中的名称没有结束");
  EXPECT_EQ(error("-- ends without a line end"), "");
}

// The reader takes tokens on demand and lets go of those behind it: the stream must give the tokens
// TokenizeSql gives, keep only what was not released, and fail where the text fails only once read there.
TEST(SqlTokenizer, StreamGivesTheSameTokensAndHoldsOnlyWhatIsNotReleased) {
  const std::string text = "CREATE TABLE [a b] (x int) -- note\nGO\n  INSERT t VALUES (N'it''s', 1.5e3, @v)";
  const std::vector<TSqlToken> whole = TokenizeSql(text);
  TSqlTokenStream stream(text);
  ASSERT_NE(stream.At(3), nullptr);  // reading ahead keeps the earlier tokens
  for (std::size_t at = 0; at < whole.size(); ++at) {
    const TSqlToken* token = stream.At(at);
    ASSERT_NE(token, nullptr) << at;
    EXPECT_EQ(token->text, whole[at].text) << at;
    EXPECT_EQ(token->kind, whole[at].kind) << at;
    EXPECT_EQ(token->line, whole[at].line) << at;
    EXPECT_EQ(token->column, whole[at].column) << at;
    EXPECT_EQ(token->firstOnLine, whole[at].firstOnLine) << at;
    stream.Release(at);  // the current token stays
    EXPECT_EQ(stream.At(at), token) << "a kept token moved";
  }
  EXPECT_EQ(stream.At(whole.size()), nullptr);
  EXPECT_EQ(stream.Last().line, whole.back().line);
  EXPECT_EQ(stream.Last().column, whole.back().column);
  EXPECT_THROW(stream.At(0), std::logic_error);

  const std::string unterminated = "GO\nSELECT 'open";
  TSqlTokenStream open(unterminated);
  ASSERT_NE(open.At(1), nullptr);
  EXPECT_EQ(open.At(1)->text, "SELECT");
  EXPECT_EQ(ErrorOf<TSqlScriptError>([&open] { open.At(2); }), "第 2 行第 8 列: 字符串没有结束");
}

TEST(SqlScriptReader, ReadsTableNamesWithOrWithoutSchemaInAnyQuotingAndCase) {
  const TSqlSchema schema = ReadSqlScript(
      "CREATE TABLE [dbo].[A] ([x] [int] NOT NULL)\n"
      "create table dbo.B (x int)\n"
      "Create Table C (x int)\n"
      "CREATE TABLE \"D\" (x int)\n"
      "CREATE TABLE [Shop].dbo.[E F] (x int,)\n"
      "CREATE TABLE #temp (x int)\n");
  std::vector<std::string> names;
  for (const TSqlTable& table : schema.tables) names.push_back(table.name);
  EXPECT_EQ(names, (std::vector<std::string>{"A", "B", "C", "D", "E F"}));
  EXPECT_TRUE(schema.skipped.empty());
  EXPECT_EQ(schema.tables[1].line, 2);
  EXPECT_EQ(schema.tables[1].column, 14);
}

TEST(SqlScriptReader, ReadsColumnsWithTypesNullabilityIdentityAndInlineKeys) {
  const TSqlSchema schema = ReadSqlScript(
      "CREATE TABLE T (\n"
      "  [id] [int] IDENTITY (1, 1) NOT NULL PRIMARY KEY CLUSTERED,\n"
      "  name nvarchar(50) COLLATE Chinese_PRC_CI_AS NOT NULL CONSTRAINT DF_n DEFAULT (N'x'),\n"
      "  note varchar(MAX) NULL,\n"
      "  price decimal(18, 2) default -1 check (price > 0),\n"
      "  rate double precision,\n"
      "  owner int NOT NULL CONSTRAINT FK_o FOREIGN KEY REFERENCES [dbo].[Owner] ([ownerId]) ON DELETE SET NULL,\n"
      "  boss int references Boss on update cascade not for replication,\n"
      "  guid uniqueidentifier ROWGUIDCOL NOT NULL UNIQUE NONCLUSTERED,\n"
      "  total AS price * 2 PERSISTED,\n"
      "  alias dbo.isbn\n"
      ") ON [PRIMARY] TEXTIMAGE_ON [PRIMARY]\n");
  ASSERT_EQ(schema.tables.size(), 1u) << (schema.skipped.empty() ? "" : schema.skipped[0]);
  const TSqlTable& table = schema.tables[0];
  EXPECT_EQ(ColumnNames(table), (std::vector<std::string>{"id", "name", "note", "price", "rate", "owner", "boss",
                                                          "guid", "total", "alias"}));
  const std::vector<TSqlColumn>& c = table.columns;
  EXPECT_TRUE(c[0].identity && c[0].notNull && c[0].nullWritten);
  EXPECT_EQ(c[0].typeName, "int");
  EXPECT_EQ(c[1].typeName, "nvarchar");
  EXPECT_EQ(c[1].length, "50");
  EXPECT_TRUE(c[1].notNull);
  EXPECT_EQ(c[2].length, "MAX");
  EXPECT_TRUE(c[2].nullWritten && !c[2].notNull);
  EXPECT_EQ(c[3].length, "18");
  EXPECT_FALSE(c[3].nullWritten);
  EXPECT_EQ(c[4].typeName, "double");
  EXPECT_TRUE(c[8].computed);
  EXPECT_EQ(c[9].typeName, "isbn");
  EXPECT_EQ(table.primaryKeys, (std::vector<std::vector<std::string>>{{"id"}}));
  ASSERT_EQ(table.foreignKeys.size(), 2u);
  EXPECT_EQ(table.foreignKeys[0].columns, std::vector<std::string>{"owner"});
  EXPECT_EQ(table.foreignKeys[0].table, "Owner");
  EXPECT_EQ(table.foreignKeys[0].keyColumns, std::vector<std::string>{"ownerId"});
  EXPECT_EQ(table.foreignKeys[1].table, "Boss");
  EXPECT_TRUE(table.foreignKeys[1].keyColumns.empty());
}

TEST(SqlScriptReader, ReadsTableConstraintsAndAlterTableAdditions) {
  const TSqlSchema schema = ReadSqlScript(
      "CREATE TABLE [dbo].[Line]([order] [int] NOT NULL, [no] [int] NOT NULL, [item] [int] NULL,\n"
      " CONSTRAINT [PK_Line] PRIMARY KEY CLUSTERED \n([order] ASC, [no] DESC\n)"
      "WITH (PAD_INDEX = OFF, IGNORE_DUP_KEY = OFF) ON [PRIMARY],\n"
      " UNIQUE ([item]), CHECK ([no] > 0), INDEX IX_item NONCLUSTERED (item),\n"
      " FOREIGN KEY ([item]) REFERENCES Item (id) ON DELETE NO ACTION ON UPDATE SET DEFAULT\n"
      ") ON [PRIMARY]\nGO\n"
      "CREATE TABLE Item (id int NOT NULL, code char(4))\n"
      "ALTER TABLE [dbo].[Item] WITH CHECK ADD CONSTRAINT [PK_Item] PRIMARY KEY NONCLUSTERED (id) WITH FILLFACTOR = "
      "90\n"
      "ALTER TABLE [dbo].[Line]  WITH NOCHECK ADD  CONSTRAINT [FK_x] FOREIGN KEY([order])\n"
      "REFERENCES [dbo].[Order] ([id])\nGO\n"
      "ALTER TABLE [dbo].[Line] CHECK CONSTRAINT [FK_x]\n"
      "ALTER TABLE Item ADD note text NULL, CONSTRAINT DF_code DEFAULT 'x' FOR code;\n"
      "ALTER TABLE Item DROP COLUMN note\n"
      "ALTER TABLE Item ALTER COLUMN code char(5)\n");
  ASSERT_TRUE(schema.skipped.empty()) << schema.skipped[0];
  const TSqlTable& line = TableNamed(schema, "Line");
  EXPECT_EQ(line.primaryKeys, (std::vector<std::vector<std::string>>{{"order", "no"}}));
  ASSERT_EQ(line.foreignKeys.size(), 2u);
  EXPECT_EQ(line.foreignKeys[0].table, "Item");
  EXPECT_EQ(line.foreignKeys[1].columns, std::vector<std::string>{"order"});
  EXPECT_EQ(line.foreignKeys[1].table, "Order");
  const TSqlTable& item = TableNamed(schema, "Item");
  EXPECT_EQ(item.primaryKeys, (std::vector<std::vector<std::string>>{{"id"}}));
  // The script's own order: note is added, then dropped again; code is changed to char(5).
  EXPECT_EQ(ColumnNames(item), (std::vector<std::string>{"id", "code"}));
  EXPECT_EQ(item.columns[1].length, "5");
}

TEST(SqlScriptReader, ReadsDescriptionsAndAliasTypesInBothCallingStyles) {
  const TSqlSchema schema = ReadSqlScript(
      "EXEC sp_addtype id, 'varchar(11)', 'NOT NULL'\n"
      "exec dbo.sp_addtype @typename = N'amount', @phystype = N'decimal (10, 2)'\n"
      "CREATE TYPE [dbo].[phone] FROM [varchar](20) NULL\n"
      "CREATE TYPE Lines AS TABLE (n int)\n"
      "EXEC sys.sp_addextendedproperty @name=N'MS_Description', @value=N'图书' , @level0type=N'SCHEMA',"
      "@level0name=N'dbo', @level1type=N'TABLE',@level1name=N'Book'\n"
      "exec sp_addextendedproperty N'MS_Description', N'书名', N'user', N'dbo', N'table', N'Book', N'column', "
      "N'title'\n"
      "exec sp_addextendedproperty N'Caption', N'x', N'user', N'dbo', N'table', N'Book'\n"
      "exec sp_addextendedproperty N'MS_Description', N'ix', N'user', N'dbo', N'table', N'Book', N'index', N'IX'\n"
      "EXEC sp_helptext 'x'\n");
  ASSERT_EQ(schema.aliasTypes.size(), 3u);
  EXPECT_EQ(schema.aliasTypes[0].name, "id");
  EXPECT_EQ(schema.aliasTypes[0].typeName, "varchar");
  EXPECT_EQ(schema.aliasTypes[0].length, "11");
  EXPECT_TRUE(schema.aliasTypes[0].nullWritten && schema.aliasTypes[0].notNull);
  EXPECT_EQ(schema.aliasTypes[1].name, "amount");
  EXPECT_EQ(schema.aliasTypes[1].typeName, "decimal");
  EXPECT_FALSE(schema.aliasTypes[1].nullWritten);
  EXPECT_EQ(schema.aliasTypes[2].name, "phone");
  EXPECT_TRUE(schema.aliasTypes[2].nullWritten && !schema.aliasTypes[2].notNull);
  ASSERT_EQ(schema.descriptions.size(), 2u);
  EXPECT_EQ(schema.descriptions[0].table, "Book");
  EXPECT_EQ(schema.descriptions[0].column, "");
  EXPECT_EQ(schema.descriptions[0].text, "图书");
  EXPECT_EQ(schema.descriptions[1].column, "title");
  EXPECT_EQ(schema.descriptions[1].text, "书名");
  EXPECT_TRUE(schema.tables.empty());
}

TEST(SqlScriptReader, PassesOverEverythingElseWithoutAWord) {
  const TSqlSchema schema = ReadSqlScript(
      "USE [Shop]\nGO\nSET ANSI_NULLS ON\nGO\n"
      "IF EXISTS (SELECT * FROM sys.objects WHERE name = 'T') DROP TABLE [dbo].[T]\n"
      "CREATE NONCLUSTERED INDEX IX ON T (a) WITH (PAD_INDEX = OFF)\n"
      "CREATE VIEW V AS SELECT 1 AS x\nGO\n"
      "CREATE PROCEDURE P AS BEGIN CREATE TABLE Ghost (id int) ALTER TABLE Ghost ADD x int END\nGO\n"
      "create or alter function F() returns table as return (select 1 as x)\ngo\n"
      "CREATE TRIGGER TR ON T AFTER INSERT AS CREATE TABLE Ghost2 (id int)\nGO\n"
      "INSERT INTO T VALUES (1, 'CREATE TABLE x (y int)')\n"
      "EXECUTE (N'CREATE TABLE Dynamic (id int)')\n"
      "DECLARE @t TABLE (id int)\n"
      "ALTER TABLE T NOCHECK CONSTRAINT ALL\n"
      "CREATE TABLE T (a int)\n");
  // Only the table the dynamic SQL would create is worth a word: the import does not run it.
  EXPECT_EQ(schema.skipped, std::vector<std::string>{"第 16 行第 1 列: 动态 SQL 中的 CREATE TABLE 未执行，已跳过"});
  ASSERT_EQ(schema.tables.size(), 1u);
  EXPECT_EQ(schema.tables[0].name, "T");
}

TEST(SqlScriptReader, SkipsAnUnreadableStatementWithItsPlaceAndReadsOn) {
  const TSqlSchema schema = ReadSqlScript(
      "CREATE TABLE Good1 (a int)\n"
      "CREATE TABLE Bad (\n  a int,\n  b int SOMETHING (1, 2),\n  c int\n) ON [PRIMARY]\n"
      "CREATE TABLE Good2 (a int PRIMARY KEY)\n"
      "ALTER TABLE Good2 ADD CONSTRAINT FK FOREIGN KEY (a) REFERENCES\n"
      "CREATE TABLE Good3 (a int)\n"
      "ALTER TABLE Missing ADD PRIMARY KEY (a)\n"
      "CREATE TABLE Open (a int,\n"
      "GO\n"
      "CREATE TABLE Good4 (a int)\n");
  std::vector<std::string> names;
  for (const TSqlTable& table : schema.tables) names.push_back(table.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Good1", "Good2", "Good3", "Good4"}));
  EXPECT_EQ(
      schema.skipped,
      (std::vector<std::string>{
          "第 4 行第 9 列: CREATE TABLE Bad 读不懂（列 b 的定义中不认识这个词，这里却是“SOMETHING”），已跳过这条语句",
          "第 9 行第 1 列: ALTER TABLE Good2 读不懂（应为被引用的表名，这里却是“CREATE”），已跳过这条语句",
          "第 10 行第 1 列: ALTER TABLE Missing 的表不在脚本中，已跳过",
          "第 12 行第 1 列: CREATE TABLE Open 读不懂（应为列名，这里却是“GO”），已跳过这条语句"}));
  EXPECT_TRUE(TableNamed(schema, "Good2").foreignKeys.empty());
}
