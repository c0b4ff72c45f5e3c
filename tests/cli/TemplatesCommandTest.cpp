#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "catalogue/DbHelper.h"
#include "support/FileBytes.h"
#include "support/RunProgram.h"
#include "support/ShopProject.h"
#include "support/TempCatalogue.h"

namespace fs = std::filesystem;

namespace {

class TemplatesCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy(fs::path(CORVANTHEL_SOURCE_DIR) / "template" / "bak", FCatalogue.Folder() + "/bak",
             fs::copy_options::recursive);
    MakeGeneratableShopProject();
  }
  TProgramResult Cli(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"--dir", FCatalogue.Folder()});
    return RunProgram(CliPath(), arguments, FCatalogue.Folder());
  }
  // Every file of the site with its bytes.
  std::map<std::string, std::string> Site() {
    std::map<std::string, std::string> files;
    const fs::path site = FCatalogue.Folder() + "/projects/Shop";
    for (const auto& entry : fs::recursive_directory_iterator(site))
      if (entry.is_regular_file() && entry.path().filename() != "corvanthel-manifest.sha256")
        files[entry.path().lexically_relative(site).generic_string()] = ReadFileBytes(entry.path().string());
    return files;
  }
  std::string Templates() const { return FCatalogue.Folder() + "/templates"; }
  void Write(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    WriteFileBytes(path, text);
  }
  TTempCatalogue FCatalogue;
};

}  // namespace

TEST_F(TemplatesCommandTest, AUserEntityTemplateChangesExactlyTheEntityFilesAndDeletingItBringsThemBack) {
  ASSERT_EQ(Cli({"generate", "Shop"}).exitCode, 0);
  const std::map<std::string, std::string> builtIn = Site();

  ASSERT_EQ(Cli({"templates", "export"}).exitCode, 0);
  const std::string entity = Templates() + "/Entity.cs.mustache";
  std::string text = ReadFileBytes(entity);
  const std::string line = "        /*{{commentCsComment}}*/\n";
  ASSERT_NE(text.find(line), std::string::npos);
  text.replace(text.find(line), line.size(), "        /// <summary>{{commentCsComment}}</summary>\n");
  fs::remove_all(Templates());
  Write(entity, text);

  const TProgramResult dry = Cli({"generate", "Shop", "--dry-run"});
  EXPECT_NE(dry.out.find("changed   projects/Shop/App_Code/ENTITY/Book.cs  (用户模板)"), std::string::npos) << dry.out;
  EXPECT_EQ(dry.out.find("BLL/bllBook.cs  (用户模板)"), std::string::npos);

  ASSERT_EQ(Cli({"generate", "Shop"}).exitCode, 0);
  const std::map<std::string, std::string> changed = Site();
  ASSERT_EQ(changed.size(), builtIn.size());
  // Every class has members, so each entity file changes; every other file stays as it was.
  for (const auto& [path, bytes] : changed) {
    const bool entity = path.rfind("App_Code/ENTITY/", 0) == 0 && fs::path(path).extension() == ".cs";
    EXPECT_EQ(bytes != builtIn.at(path), entity) << path;
  }
  EXPECT_NE(changed.at("App_Code/ENTITY/Book.cs").find("        /// <summary>"), std::string::npos);

  fs::remove(entity);
  ASSERT_EQ(Cli({"generate", "Shop"}).exitCode, 0);
  EXPECT_EQ(Site(), builtIn);
}

TEST_F(TemplatesCommandTest, ABrokenTemplateWritesNothingAndItsMessageNamesFileLineAndColumn) {
  struct TCase {
    const char* text;
    const char* where;
  };
  const TCase cases[] = {
      {"a\n{{#members}}\n{{name}}\n", "第2行第1列：段“members”没有结束标签"},
      {"a\n  b {{nosuch}}\n", "第2行第5列：此处没有变量“nosuch”"},
  };
  for (const TCase& c : cases) {
    fs::remove_all(FCatalogue.Folder() + "/projects");
    Write(Templates() + "/Entity.cs.mustache", c.text);
    const TProgramResult run = Cli({"generate", "Shop"});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.err.find("模板 " + Templates() + "/Entity.cs.mustache " + c.where), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(FCatalogue.Folder() + "/projects/Shop/App_Code"));
    const TProgramResult check = Cli({"check", "Shop"});
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_NE(check.out.find(c.where), std::string::npos) << check.out;
    EXPECT_EQ(Cli({"sql", "Shop"}).exitCode, 1);
  }
}

TEST_F(TemplatesCommandTest, AnOlderTemplateIsReportedByStatusAndByTheRun) {
  ASSERT_EQ(Cli({"templates", "export"}).exitCode, 0);
  EXPECT_EQ(Cli({"templates", "export"}).exitCode, 1);  // never over the user's files
  const std::string bll = Templates() + "/BLL.cs.mustache";
  std::string text = ReadFileBytes(bll);
  text.replace(0, text.find('\n'), "{{! BLL.cs revision 0 }}");
  WriteFileBytes(bll, text);

  const TProgramResult status = Cli({"templates", "status"});
  EXPECT_EQ(status.exitCode, 0);
  EXPECT_NE(status.out.find("BLL.cs                      用户的, 旧版 " + bll), std::string::npos) << status.out;
  EXPECT_NE(status.out.find("DAL.cs                      用户的 "), std::string::npos) << status.out;
  EXPECT_NE(status.err.find("警告: 模板 " + bll), std::string::npos) << status.err;

  const TProgramResult run = Cli({"generate", "Shop"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out.rfind("警告: 模板 " + bll, 0), 0u) << run.out;

  fs::remove_all(Templates());
  const TProgramResult builtIn = Cli({"templates", "status"});
  EXPECT_EQ(builtIn.out.rfind("模板: 内置\n", 0), 0u) << builtIn.out;
  EXPECT_EQ(builtIn.err, "");
}

TEST_F(TemplatesCommandTest, TheTemplatesOptionAndTheVariablesList) {
  const std::string other = FCatalogue.Folder() + "/other";
  Write(other + "/sql/ForeignKeys.sql.mustache", "{{#foreignKeys}}-- {{className}}.{{name}}\n{{/foreignKeys}}");
  const TProgramResult sql = Cli({"sql", "Shop", "--templates", other});
  EXPECT_EQ(sql.exitCode, 0) << sql.err;
  EXPECT_NE(sql.out.find("-- Book.categoryId\r\n"), std::string::npos) << sql.out;
  EXPECT_EQ(sql.out.find("ALTER TABLE"), std::string::npos);
  const TProgramResult preview = Cli({"preview", "Shop", "Book", "sql", "--templates", other});
  EXPECT_NE(preview.out.find("-- Book.categoryId\r\n"), std::string::npos) << preview.out;

  const TProgramResult variables = Cli({"templates", "variables"});
  EXPECT_EQ(variables.exitCode, 0);
  EXPECT_NE(variables.out.find("  commentCsComment      text"), std::string::npos) << variables.out;
}
