// corvanthel-cli import-sql: the built program on a temporary catalogue.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/ClassDAO.h"
#include "catalogue/ProjectDAO.h"
#include "support/FileBytes.h"
#include "support/RunProgram.h"
#include "support/ShopProject.h"
#include "support/TempCatalogue.h"

namespace {

class CliImportSql : public ::testing::Test {
 protected:
  TProgramResult Run(const std::vector<std::string>& args) {
    std::vector<std::string> all{"--dir", FCatalogue.Folder()};
    all.insert(all.end(), args.begin(), args.end());
    return RunProgram(CliPath(), all, FCatalogue.Folder());
  }

  std::string Script(const std::string& name, const std::string& bytes) {
    const std::string path = FCatalogue.Folder() + "/" + name;
    WriteFileBytes(path, bytes);
    return path;
  }

  std::vector<std::string> Projects() {
    std::vector<std::string> names;
    for (const TNameId& project : TProjectDAO().ListProjects()) names.push_back(project.name);
    return names;
  }

  TTempCatalogue FCatalogue;
};

}  // namespace

TEST_F(CliImportSql, TheShopScriptImportedAndScriptedAgainIsTheSameScript) {
  MakeShopProject();
  const std::string file = FCatalogue.Folder() + "/shop.sql";
  ASSERT_EQ(Run({"sql", "Shop", "-o", file}).exitCode, 0);

  const TProgramResult imported = Run({"import-sql", file, "--project", "Shop2"});
  EXPECT_EQ(imported.exitCode, 0) << imported.err;
  EXPECT_EQ(imported.out,
            "编码: UTF-8\n读到 5 个表，导入 4 个类、14 个成员\n改了首字母大小写的名称: 1 个\n"
            "表 CusUsers: 是模板站点的用户表，未导入\n已导入为工程“Shop2”\n");
  const TProgramResult again = Run({"sql", "Shop2"});
  ASSERT_EQ(again.exitCode, 0) << again.err;
  // Only the class tag differs: class names start upper case, and SQL Server's case-insensitive names
  // keep [Tag] the same table. Friendly names, comments and picture members are not in the script, so
  // the script cannot show that they came back as table names, empty and 50-character text.
  std::string expected = ReadFileBytes(file);
  for (std::size_t at = expected.find("[tag]"); at != std::string::npos; at = expected.find("[tag]", at))
    expected.replace(at, 5, "[Tag]");
  EXPECT_EQ(again.out, expected);
}

TEST_F(CliImportSql, StoresNothingForAnUnreadableFileOrOneWithoutTables) {
  struct TCase {
    std::string bytes;
    int exitCode;
    std::string message;
  };
  const std::vector<TCase> cases{
      {"CREATE TABLE A (a int)\n/* open", 2, "第 2 行第 1 列: 注释 /* 没有结束"},
      {"CREATE TABLE A (a varchar(9) DEFAULT 'x)\n", 2, "第 1 行第 38 列: 字符串没有结束"},
      {std::string("\x00\x01\x02\x03", 4), 2, "这不是文本文件"},
      {"", 1, "脚本中没有 CREATE TABLE，未导入任何工程"},
      {"CREATE TABLE CusUsers (id int)", 1, "脚本中没有可导入的表，未导入任何工程"},
      // The table is there: the script is not without one, its one table cannot be read.
      {"CREATE TABLE A (a int weird)\nALTER TABLE A ADD b int", 1, "脚本中的 CREATE TABLE 都读不懂，未导入任何工程"},
  };
  for (const TCase& c : cases) {
    const std::string file = Script("bad.sql", c.bytes);
    const TProgramResult result = Run({"import-sql", file, "--project", "P"});
    EXPECT_EQ(result.exitCode, c.exitCode) << c.message;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_TRUE(Projects().empty()) << c.message;
  }
  const TProgramResult missing = Run({"import-sql", FCatalogue.Folder() + "/none.sql", "--project", "P"});
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.err.find("none.sql"), std::string::npos) << missing.err;
  EXPECT_TRUE(Projects().empty());
}

TEST_F(CliImportSql, RefusesAnExistingProjectUnlessToldToReplaceIt) {
  const std::string first = Script("a.sql", "CREATE TABLE A (id int PRIMARY KEY, n varchar(5))");
  const std::string second = Script("b.sql", "CREATE TABLE B (id int PRIMARY KEY, n varchar(5))");
  ASSERT_EQ(Run({"import-sql", first, "--project", "P"}).exitCode, 0);
  const int projectId = TProjectDAO().ListProjects().at(0).id;

  const TProgramResult refused = Run({"import-sql", second, "--project", "P"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("工程“P”已经存在，未导入"), std::string::npos) << refused.err;
  EXPECT_EQ(TClassDAO().ListClassesOfProject(projectId).at(0).name, "A");

  const TProgramResult replaced = Run({"import-sql", second, "--project", "P", "--replace"});
  EXPECT_EQ(replaced.exitCode, 0) << replaced.err;
  EXPECT_NE(replaced.out.find("已替换工程“P”"), std::string::npos) << replaced.out;
  EXPECT_EQ(Projects(), std::vector<std::string>{"P"});
  const TNameIdList classes = TClassDAO().ListClassesOfProject(projectId);
  ASSERT_EQ(classes.size(), 1u);
  EXPECT_EQ(classes[0].name, "B");

  // --replace without such a project adds one; a missing --project is a usage error.
  EXPECT_EQ(Run({"import-sql", first, "--project", "Q", "--replace"}).exitCode, 0);
  EXPECT_EQ(Projects(), (std::vector<std::string>{"P", "Q"}));
  EXPECT_EQ(Run({"import-sql", first}).exitCode, 2);
}

TEST_F(CliImportSql, RefusesAProjectNameThatCannotBeAFolder) {
  const std::string script = Script("a.sql", "CREATE TABLE A (id int PRIMARY KEY, n varchar(5))");
  for (const char* name : {"../evil", "a/b", "..", " P"}) {
    const TProgramResult refused = Run({"import-sql", script, "--project", name});
    EXPECT_EQ(refused.exitCode, 1) << name;
    EXPECT_NE(refused.err.find("未导入"), std::string::npos) << name << ": " << refused.err;
  }
  EXPECT_TRUE(Projects().empty());
}
