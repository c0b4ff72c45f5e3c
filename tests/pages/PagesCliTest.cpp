#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/ClassDAO.h"
#include "catalogue/DbHelper.h"
#include "catalogue/ModelStore.h"
#include "generation/PageOperate.h"
#include "pages/PagesTestSupport.h"
#include "site/FileOperate.h"
#include "text/Sha256.h"
#include "support/FileBytes.h"
#include "support/RunProgram.h"
#include "support/TempCatalogue.h"

namespace fs = std::filesystem;

namespace {

class PagesCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy(CORVANTHEL_BIN_DIR "/bak", FCatalogue.Folder() + "/bak", fs::copy_options::recursive);
    FShop = MakePagesShopProject();
  }
  TProgramResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--dir", FCatalogue.Folder()});
    return RunProgram(CliPath(), args, FCatalogue.Folder());
  }

  TTempCatalogue FCatalogue;
  TShopProject FShop;
};

}  // namespace

// generate --pages with --dry-run counts the page files like every other, writing nothing; with
// --keep-edits a page edited by hand stays and its new text goes beside it.
TEST_F(PagesCliTest, DryRunAndKeptEditsCoverThePages) {
  const std::vector<TPageOperate::TPageFile> pages =
      TPageOperate::MakePages(TModelStore().LoadProject(FShop.projectId));
  TProgramResult result = Cli({"generate", "Shop", "--pages", "--dry-run"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_FALSE(fs::exists(FCatalogue.Folder() + "/projects"));
  for (const TPageOperate::TPageFile& file : pages)
    EXPECT_NE(result.out.find("new       projects/Shop/" + file.path + "\n"), std::string::npos) << file.path;

  result = Cli({"generate", "Shop", "--pages"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("projects/Shop/Admin/BookList.aspx生成完毕!\n"), std::string::npos);
  const std::string list = FCatalogue.Folder() + "/projects/Shop/Admin/BookList.aspx";
  WriteFileBytes(list, "<%-- mine --%>\r\n");
  result = Cli({"generate", "Shop", "--pages", "--keep-edits"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(ReadFileBytes(list), "<%-- mine --%>\r\n");
  for (const TPageOperate::TPageFile& file : pages) {
    if (file.path == "Admin/BookList.aspx") {
      EXPECT_EQ(ReadFileBytes(list + ".new"), TFileOperate::GbkBytesOf(list, file.text));
    }
  }
  // Without the switch the run leaves the pages alone and reports them as left over.
  result = Cli({"generate", "Shop", "--dry-run"});
  EXPECT_NE(result.out.find("left-over projects/Shop/Admin/BookShow.aspx\n"), std::string::npos) << result.out;
}

// A site generated without the pages gets the generated admin home on its first run with them, and the
// record says what that run wrote, not the template's home it replaced: a later change of the home (a
// class's friendly name) is a change, never a hand edit.
TEST_F(PagesCliTest, TheAdminHomeWrittenOverTheTemplatesIsRecordedAsWritten) {
  ASSERT_EQ(Cli({"generate", "Shop"}).exitCode, 0);
  TProgramResult result = Cli({"generate", "Shop", "--pages"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const std::string site = FCatalogue.Folder() + "/projects/Shop/";
  const std::string record = ReadFileBytes(site + "App_Data/corvanthel-manifest.sha256");
  for (const std::string file : {"Admin/Default.aspx", "Admin/Default.aspx.cs"})
    EXPECT_NE(record.find(Sha256::HexDigest(ReadFileBytes(site + file)) + "  " + file + "\n"), std::string::npos)
        << file;

  const int book = TClassDAO().GetClassIdByName(FShop.projectId, "Book");
  TClassDAO().UpdateClass(FShop.projectId, book, "Book", "藏书");
  result = Cli({"generate", "Shop", "--pages", "--dry-run"});
  EXPECT_NE(result.out.find("changed   projects/Shop/Admin/Default.aspx\n"), std::string::npos) << result.out;
  EXPECT_EQ(result.out.find("edited    "), std::string::npos) << result.out;
}

// preview prints a class's page with its code-behind and its page data access, each under its path,
// and names the page kinds when given another.
TEST_F(PagesCliTest, PreviewPrintsAPageOfAClass) {
  const TProjectModel project = TModelStore().LoadProject(FShop.projectId);
  for (const std::string kind : {"list", "add", "edit", "show"}) {
    SCOPED_TRACE(kind);
    const TProgramResult result = Cli({"preview", "Shop", "Book", kind});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::string expected;
    for (const TPageOperate::TPageFile& file : TPageOperate::MakeClassPage(project, project.classes[2], kind))
      expected += "==> " + file.path + " <==\r\n" + file.text + "\r\n";
    EXPECT_EQ(result.out, expected);
  }
  const TProgramResult wrong = Cli({"preview", "Shop", "Book", "grid"});
  EXPECT_EQ(wrong.exitCode, 2);  // a usage error, as for a wrong layer before
  EXPECT_NE(wrong.err.find("list, add, edit or show"), std::string::npos) << wrong.err;
}

// A class named like another class's page data access (Book's is dalBookPages.cs, which is also the data
// access of a class BookPages, in any case on Windows) stops a run with the pages before anything is
// written, naming both; without the pages it is no problem.
TEST_F(PagesCliTest, AClassNamedLikeTheDataAccessOfAnotherClasssPagesStopsARunWithPages) {
  TClassDAO().AddClass(FShop.projectId, "bookPages", "");
  const int clash = TClassDAO().ListClassesOfProject(FShop.projectId).back().id;
  AddShopMember(FShop.projectId, clash, "id", MemberTypes::kInteger, true, "");
  TDbHelper().ExecSql("update t_member set memberIsDisplay=1 where classId=" + std::to_string(clash));
  TProgramResult result = Cli({"generate", "Shop", "--pages"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(
      result.err,
      "类bookPages：它的数据访问文件dalbookPages.cs与类Book的管理页面数据访问文件同名，请更改类名后再生成管理页面!\n");
  EXPECT_FALSE(fs::exists(FCatalogue.Folder() + "/projects"));
  result = Cli({"generate", "Shop"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
}
