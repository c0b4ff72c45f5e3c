// corvanthel-cli upgrade-sql: the built program on a temporary catalogue and site.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/DbHelper.h"
#include "catalogue/ModelStore.h"
#include "generation/DatabaseUpgrade.h"
#include "generation/UpgradeSql.h"
#include "model/Member.h"
#include "support/FileBytes.h"
#include "support/RunProgram.h"
#include "support/TempCatalogue.h"

namespace fs = std::filesystem;

namespace {

class UpgradeSqlCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy(fs::path(CORVANTHEL_SOURCE_DIR) / "template" / "bak", FCatalogue.Folder() + "/bak",
             fs::copy_options::recursive);
    TProjectModel project;
    project.projectName = "Store";
    TClassModel item;
    item.className = "Item";
    TMember key;
    key.SetMemberName("id");
    key.SetMemberType(MemberTypes::kInteger);
    key.SetMemberIsPri(1);
    key.SetMemberIsInteger(1);
    key.SetMemberIsDisplay(1);
    item.members = {key};
    project.classes = {item};
    TModelStore().AddProject(project);
  }

  TProgramResult Run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"--dir", FCatalogue.Folder()});
    return RunProgram(CliPath(), arguments, FCatalogue.Folder());
  }

  // A text member name (varchar(20), optional) beside the key, as another program would add it.
  static void AddNameMember() {
    TDbHelper().ExecSql(
        "insert into t_member (projectId, classId, memberName, memberType, memberLength, memberIsPri, memberComment, "
        "memberIsMust, memberIsInteger, memberIsFloat, queryFlag, memberIsDisplay, memberQueryDisplay) select "
        "projectId, classId, 'name', '字符串', 20, 0, '', 0, 0, 0, 0, 0, 1 from t_member where memberName='id'");
  }

  TTempCatalogue FCatalogue;
};

}  // namespace

TEST_F(UpgradeSqlCommandTest, NoSiteNothingToDoAScriptToAFileAndARecordedVersion) {
  TProgramResult result = Run({"upgrade-sql", "Store"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("projects/Store"), std::string::npos) << result.err;
  EXPECT_EQ(Run({"upgrade-sql", "Nobody"}).exitCode, 2);

  ASSERT_EQ(Run({"generate", "Store"}).exitCode, 0);
  result = Run({"upgrade-sql", "Store", "--record"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, std::string("-- ") + UpgradeTexts::kNothingToDo + "\r\n");
  EXPECT_EQ(result.err, "");

  // Unsafe names fail as the table script fails them; a new member gives a script, recorded on request.
  TDbHelper().ExecSql("update t_class set className='Item]x' where className='Item'");
  EXPECT_EQ(Run({"upgrade-sql", "Store"}).exitCode, 1);
  TDbHelper().ExecSql("update t_class set className='Item' where className='Item]x'");
  AddNameMember();
  const std::string file = FCatalogue.Folder() + "/001.sql";
  result = Run({"upgrade-sql", "Store", "-o", file, "--record", "--allow-data-loss"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("001"), std::string::npos) << result.err;
  const std::string script = ReadFileBytes(file);
  EXPECT_NE(script.find("ALTER TABLE [dbo].[Item] ADD [name] [varchar] (20) COLLATE Chinese_PRC_CI_AS NULL\r\n"),
            std::string::npos)
      << script;
  EXPECT_EQ(ReadFileBytes(FCatalogue.Folder() + "/projects/Store/App_Data/upgrades/001.sql"), script);
  EXPECT_TRUE(fs::exists(FCatalogue.Folder() + "/projects/Store/App_Data/upgrades/001.json"));
  result = Run({"upgrade-sql", "Store"});
  EXPECT_EQ(result.out, std::string("-- ") + UpgradeTexts::kNothingToDo + "\r\n");
}

// A project the table script refuses is refused by the upgrade in the same words, with the same exit code, and
// nothing is recorded.
TEST_F(UpgradeSqlCommandTest, AProjectTheTableScriptRefusesFailsTheSameWay) {
  ASSERT_EQ(Run({"generate", "Store"}).exitCode, 0);
  struct TBreak {
    const char* breaks;
    const char* mends;
  };
  const std::vector<TBreak> cases = {
      {"update t_class set className='Item]x'", "update t_class set className='Item'"},
      {"update t_member set memberName='a b'", "update t_member set memberName='id'"},
      {"update t_class set friendName='a'||char(10)||'b'", "update t_class set friendName=''"},
      {"update t_member set memberComment='*/'", "update t_member set memberComment=''"},
      {"update t_project set projectName='Store/..'", "update t_project set projectName='Store'"},
  };
  for (const TBreak& each : cases) {
    TDbHelper().ExecSql(each.breaks);
    const std::string project = TDbHelper().GetScalarString("select projectName from t_project");
    const TProgramResult table = Run({"sql", project});
    const TProgramResult upgrade = Run({"upgrade-sql", project, "--record"});
    EXPECT_EQ(table.exitCode, 1) << each.breaks;
    EXPECT_EQ(upgrade.exitCode, table.exitCode) << each.breaks;
    EXPECT_EQ(upgrade.err, table.err) << each.breaks;
    EXPECT_EQ(upgrade.out, "");
    TDbHelper().ExecSql(each.mends);
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(FCatalogue.Folder() + "/projects/Store/App_Data/upgrades"),
                          fs::directory_iterator()),
            1);
}

// The upgrade script comes from the template sql/Upgrade.sql: the user's one in the data folder replaces it, and
// a broken one stops the command, nothing recorded, as it stops the others.
TEST_F(UpgradeSqlCommandTest, TheUsersTemplatesWriteTheScript) {
  ASSERT_EQ(Run({"generate", "Store"}).exitCode, 0);
  AddNameMember();
  const std::string templates = FCatalogue.Folder() + "/templates/sql";
  fs::create_directories(templates);
  WriteFileBytes(templates + "/Upgrade.sql.mustache",
                 "{{#steps}}{{#isAddColumn}}-- {{projectName}}: {{table}}.{{column}} {{type}}({{length}})\n"
                 "{{/isAddColumn}}{{/steps}}");
  TProgramResult result = Run({"upgrade-sql", "Store"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "-- Store: Item.name varchar(20)\r\n");
  EXPECT_NE(Run({"templates", "status"}).out.find("sql/Upgrade.sql"), std::string::npos);

  WriteFileBytes(templates + "/Upgrade.sql.mustache", "{{#steps}}{{tabel}}{{/steps}}");
  result = Run({"upgrade-sql", "Store", "--record"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("tabel"), std::string::npos) << result.err;
  EXPECT_FALSE(fs::exists(FCatalogue.Folder() + "/projects/Store/App_Data/upgrades/001.sql"));
}
