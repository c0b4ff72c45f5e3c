#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/ClassDAO.h"
#include "catalogue/DbHelper.h"
#include "catalogue/ProjectDAO.h"
#include "support/FileBytes.h"
#include "support/RunProgram.h"
#include "support/ShopProject.h"
#include "support/TempCatalogue.h"

namespace fs = std::filesystem;

namespace {

class GenerateCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy(fs::path(CORVANTHEL_SOURCE_DIR) / "template" / "bak", FCatalogue.Folder() + "/bak",
             fs::copy_options::recursive);
  }
  TProgramResult Generate(const std::string& project, const std::vector<std::string>& options = {}) {
    std::vector<std::string> arguments = {"--dir", FCatalogue.Folder(), "generate", project};
    arguments.insert(arguments.end(), options.begin(), options.end());
    return RunProgram(CliPath(), arguments, FCatalogue.Folder());
  }
  TTempCatalogue FCatalogue;
};

}  // namespace

TEST_F(GenerateCommandTest, PrintsTheProgressLogThenTheCompletionText) {
  TProjectDAO().AddProject("Empty");
  const TProgramResult result = Generate("Empty");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out,
            "正在移动资源文件。。。\n"
            "移动projects/Empty/Admin文件夹完毕！\n"
            "移动projects/Empty/App_Data文件夹完毕！\n"
            "移动projects/EmptyBin文件夹完毕!\n"
            "移动projects/Empty/App_Code/ENTITY文件夹完毕！\n"
            "移动projects/Empty/App_Code/BLL文件夹完毕！\n"
            "移动projects/Empty/App_Code/DAL文件夹完毕！\n"
            "移动projects/Empty/RegUsers.aspx完毕!\n"
            "移动projects/Empty/RegUsers.aspx.cs完毕!\n"
            "移动projects/Empty/web.config完毕\n"
            "移动资源文件完毕!\n"
            "所有代码生成完毕!\n");
  EXPECT_TRUE(fs::exists(FCatalogue.Folder() + "/projects/Empty/web.config"));
}

TEST_F(GenerateCommandTest, AFailedCheckPrintsTheWindowsMessageAndExitsOne) {
  const TShopProject shop = MakeShopProject();  // no display members
  TProgramResult result = Generate("Shop");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "Category表显示成员设置错误，每个类有且只能设置一个显示成员!\n");

  TDbHelper().ExecSql("update t_member set memberIsPri=1 where memberName='title'");
  result = Generate("Shop");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Book表主键设置错误，每个类只能设置一个主键!\n");

  TDbHelper().ExecSql("update t_member set memberIsPri=0 where memberName='title'");
  TDbHelper().ExecSql("update t_member set memberIsDisplay=1 where memberIsPri=1");
  AddShopMember(shop.projectId, shop.classes[2].id, "author", "Author", false, "");
  result = Generate("Shop");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Book表的成员author的类型Author不存在或没有唯一主键!\n");
  EXPECT_FALSE(fs::exists(FCatalogue.Folder() + "/projects"));
}

TEST_F(GenerateCommandTest, OtherFailuresExitTwo) {
  TProjectDAO().AddProject("P");
  fs::remove_all(FCatalogue.Folder() + "/bak/Admin");
  TProgramResult result = Generate("P");
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.out, "正在移动资源文件。。。\n");
  EXPECT_EQ(result.err.rfind("代码生成失败:", 0), 0u) << result.err;

  result = Generate("NoSuchProject");
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("NoSuchProject"), std::string::npos);
  result = RunProgram(CliPath(), {"--dir", FCatalogue.Folder(), "generate"}, FCatalogue.Folder());
  EXPECT_EQ(result.exitCode, 2);
}

TEST_F(GenerateCommandTest, ADryRunPrintsEachFilesStateAndTheCountsAndWritesNothing) {
  TProjectDAO().AddProject("Empty");
  TProgramResult result = Generate("Empty", {"--dry-run"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_FALSE(fs::exists(FCatalogue.Folder() + "/projects"));
  EXPECT_EQ(result.out.rfind("new       projects/Empty/Admin/", 0), 0u) << result.out;
  EXPECT_NE(result.out.find("\nnew       projects/Empty/web.config\n"), std::string::npos) << result.out;
  // Every file of the template is new, and so is the first version of the site's database.
  EXPECT_NE(result.out.find("\nnew       projects/Empty/App_Data/upgrades/000.json\n"), std::string::npos);
  int templateFiles = 1;
  for (const auto& entry : fs::recursive_directory_iterator(FCatalogue.Folder() + "/bak"))
    templateFiles += entry.is_regular_file() ? 1 : 0;
  EXPECT_NE(result.out.find("\nnew: " + std::to_string(templateFiles) +
                            ", changed: 0, unchanged: 0, edited: 0, left-over: 0\n"),
            std::string::npos)
      << result.out;

  ASSERT_EQ(Generate("Empty").exitCode, 0);
  WriteFileBytes(FCatalogue.Folder() + "/projects/Empty/web.config", "<configuration/>");
  result = Generate("Empty", {"--dry-run", "--keep-edits"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("\nedited    projects/Empty/web.config\n"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("\nunchanged projects/Empty/App_Data/upgrades/000.json\n"), std::string::npos);
  EXPECT_NE(result.out.find("\nnew: 0, changed: 0, unchanged: 3, edited: 1, left-over: 0\n"), std::string::npos)
      << result.out;
  EXPECT_EQ(result.err, "");
  EXPECT_FALSE(fs::exists(FCatalogue.Folder() + "/projects/Empty/web.config.new"));
}

TEST_F(GenerateCommandTest, KeepEditsListsTheKeptFilesOnStandardErrorAndSucceeds) {
  TProjectDAO().AddProject("Empty");
  ASSERT_EQ(Generate("Empty").exitCode, 0);
  const std::string config = FCatalogue.Folder() + "/projects/Empty/web.config";
  WriteFileBytes(config, "<configuration/>");

  TProgramResult result = Generate("Empty", {"--keep-edits"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.out.find("\nprojects/Empty/web.config在上次生成后被手工修改，保留原文件，新内容写入web.config.new\n"
                            "移动projects/Empty/web.config完毕\n"),
            std::string::npos)
      << result.out;
  EXPECT_EQ(result.err,
            "以下文件在上次生成后被手工修改，已保留原样，新内容写在同一文件夹的同名.new文件中:\n"
            "projects/Empty/web.config\n");
  EXPECT_EQ(ReadFileBytes(config), "<configuration/>");
  EXPECT_EQ(ReadFileBytes(config + ".new"), ReadFileBytes(FCatalogue.Folder() + "/bak/web.config"));

  // Without the option the edit is overwritten, as scripts that regenerate a site expect, with one warning
  // line for each edited file; a run that replaces no edit says nothing.
  result = Generate("Empty");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err,
            "corvanthel-cli: warning: projects/Empty/web.config had been edited by hand since the last run and was "
            "overwritten (--keep-edits keeps it)\n");
  EXPECT_EQ(Generate("Empty").err, "");
  EXPECT_EQ(ReadFileBytes(config), ReadFileBytes(FCatalogue.Folder() + "/bak/web.config"));
}
