// Names a catalogue written by another SQLite tool can hold: generate and sql refuse them before writing
// anything, anywhere in the program folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "catalogue/DbHelper.h"
#include "catalogue/ProjectDAO.h"
#include "model/NameRules.h"
#include "support/FileBytes.h"
#include "support/RunProgram.h"
#include "support/ShopProject.h"
#include "support/TempCatalogue.h"

namespace fs = std::filesystem;

namespace {

class HostileNamesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy(fs::path(CORVANTHEL_SOURCE_DIR) / "template" / "bak", FCatalogue.Folder() + "/bak",
             fs::copy_options::recursive);
    FShop = MakeShopProject();
    // Ready to generate: every key is also its class's display member.
    TDbHelper().ExecSql("update t_member set memberIsDisplay=memberIsPri");
  }

  TProgramResult Cli(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"--dir", FCatalogue.Folder()};
    all.insert(all.end(), args.begin(), args.end());
    return RunProgram(CliPath(), all, FCatalogue.Folder());
  }

  // Every file and folder under the program folder's parent, with the bytes of each file. The catalogue
  // and its journal files change under SQLite's own hand, so only their names count.
  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> entries;
    const fs::path root = fs::path(FCatalogue.Folder()).parent_path();
    for (auto it = fs::recursive_directory_iterator(FCatalogue.Folder()); it != fs::recursive_directory_iterator();
         ++it) {
      const std::string path = it->path().string();
      const bool catalogue = path.rfind(FCatalogue.File(), 0) == 0;
      entries[path] = it->is_regular_file() && !catalogue ? ReadFileBytes(path) : "";
    }
    // Escapes climb out of the folder: nothing of that name may appear beside it either.
    for (const char* name : {"ESC", "bak", "App_Code", "projects.mdb"})
      if (fs::exists(root / name)) entries[(root / name).string()] = "";
    return entries;
  }

  // Runs generate and sql (to standard output and to a file) and expects each to refuse with exit 1, the
  // message on standard error, and no file anywhere new or changed.
  void ExpectRefused(const std::string& project, const std::string& message) {
    const std::map<std::string, std::string> before = Snapshot();
    const std::string outFile = FCatalogue.Folder() + "/out.sql";
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"generate", project}, {"sql", project}, {"sql", project, "-o", outFile}}) {
      const TProgramResult result = Cli(args);
      EXPECT_EQ(result.exitCode, 1) << args[0] << ": " << result.err;
      EXPECT_EQ(result.out, "") << args[0];
      EXPECT_EQ(result.err, message + "\n") << args[0];
      EXPECT_EQ(Snapshot(), before) << args[0];
    }
    EXPECT_FALSE(fs::exists(FCatalogue.Folder() + "/projects"));
  }

  TTempCatalogue FCatalogue;
  TShopProject FShop;
};

}  // namespace

TEST_F(HostileNamesTest, ProjectNamesThatLeaveTheProjectsFolderAreRefused) {
  TDbHelper().ExecSql("update t_project set projectName='../../ESC'");
  ExpectRefused("../../ESC", std::string("工程../../ESC：") + NameRules::kProjectNameMessage);
  TDbHelper().ExecSql("update t_project set projectName='..'");
  ExpectRefused("..", std::string("工程..：") + NameRules::kProjectNameMessage);
  TDbHelper().ExecSql("update t_project set projectName=' Shop'");
  ExpectRefused(" Shop", std::string("工程 Shop：") + NameRules::kProjectNameMessage);
}

TEST_F(HostileNamesTest, ClassNamesThatAreNoIdentifiersAreRefused) {
  // It would overwrite the template's data-access helper ...
  TDbHelper().ExecSql("update t_class set className='../../../../bak/App_Code/DAL/DBHelp' where className='tag'");
  ExpectRefused("Shop", std::string("类../../../../bak/App_Code/DAL/DBHelp：") + NameRules::kClassNameCharsMessage);
  // ... and, ending in NUL, the catalogue itself: the name is cut at the NUL when it becomes a path.
  TDbHelper().ExecSql("update t_class set className='../../../../projects.mdb'||char(0) where className like '../%'");
  ExpectRefused("Shop", std::string("类../../../../projects.mdb\\x00：") + NameRules::kClassNameCharsMessage);
}

TEST_F(HostileNamesTest, NamesLengthsAndTextsThatBreakTheScriptAreRefused) {
  TDbHelper().ExecSql("update t_member set memberName='name]) drop table CusUsers --' where memberName='name'");
  ExpectRefused("Shop",
                std::string("类Category的成员name]) drop table CusUsers --：") + NameRules::kMemberNameCharsMessage);
  TDbHelper().ExecSql("update t_member set memberName='name''x' where memberName like 'name]%'");
  ExpectRefused("Shop", std::string("类Category的成员name'x：") + NameRules::kMemberNameCharsMessage);
  TDbHelper().ExecSql("update t_member set memberName='name' where memberName='name''x'");

  TDbHelper().ExecSql("update t_class set className='Order' where className='Category'");
  TDbHelper().ExecSql("update t_member set memberType='Order' where memberType='Category'");
  ExpectRefused("Shop", std::string("类Order：") + NameRules::kSqlKeywordMessage);
  TDbHelper().ExecSql("update t_class set className='Category' where className='Order'");
  TDbHelper().ExecSql("update t_member set memberType='Category' where memberType='Order'");

  const std::string tag = std::to_string(FShop.classes[3].id);
  TDbHelper().ExecSql("update t_class set className='BOOK' where classId=" + tag);
  ExpectRefused("Shop", std::string("类BOOK：") + NameRules::kClassNameTakenMessage);
  TDbHelper().ExecSql("update t_class set className='tag' where classId=" + tag);

  TDbHelper().ExecSql("update t_member set memberLength=0 where memberName='title'");
  ExpectRefused("Shop", std::string("类Book的成员title：") + NameRules::kStringLengthMessage);
  TDbHelper().ExecSql("update t_member set memberLength=50 where memberName='title'");

  TDbHelper().ExecSql("update t_member set memberComment='价格*/ }' where memberName='price'");
  ExpectRefused("Shop", std::string("类Book的成员price：") + NameRules::kCommentEndMessage);
  TDbHelper().ExecSql("update t_member set memberComment='价格' where memberName='price'");

  // Put right, the same catalogue generates and scripts again.
  EXPECT_EQ(Cli({"generate", "Shop"}).exitCode, 0);
  EXPECT_EQ(Cli({"sql", "Shop"}).exitCode, 0);
}

TEST_F(HostileNamesTest, LineBreaksAndNulInTextsAreRefusedNamingTheClassAndMember) {
  // After // in the data-access file the second line would be C# of the site.
  TDbHelper().ExecSql("update t_member set memberComment='备注'||char(13,10)||'System.IO.File.Delete(\"x\"); //'"
                      " where memberName='price'");
  const std::string message = std::string("类Book的成员price：") + NameRules::kControlCharacterMessage;
  ExpectRefused("Shop", message);
  TProgramResult result = Cli({"preview", "Shop", "Book", "dal"});
  EXPECT_EQ(result.exitCode, 1) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
  result = Cli({"check", "Shop"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.out.find(message), std::string::npos) << result.out;

  TDbHelper().ExecSql("update t_member set memberComment='价格' where memberName='price'");
  TDbHelper().ExecSql("update t_class set friendName='图书'||char(0) where className='Book'");
  ExpectRefused("Shop", std::string("类Book：") + NameRules::kControlCharacterMessage);
}
