// The installed program: cmake --install into a temporary DESTDIR, then the installed
// programs run with HOME and XDG_DATA_HOME in a temporary folder. The catalogue and
// the sites must land in the user's data folder, the template must come from the
// install's share folder, and nothing under the install prefix may change.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "catalogue/DbHelper.h"
#include "catalogue/ProjectDAO.h"
#include "support/FileBytes.h"
#include "support/RunProgram.h"
#include "support/ShopProject.h"
#include "support/TempCatalogue.h"

namespace fs = std::filesystem;

namespace {

// Every entry under a folder with its kind, size, permissions and modification time.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> entries;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    const fs::file_status status = entry.symlink_status();
    std::string facts = std::to_string(static_cast<int>(status.type())) + " " +
                        std::to_string(static_cast<int>(status.permissions())) + " " +
                        std::to_string(entry.last_write_time().time_since_epoch().count());
    if (entry.is_regular_file()) facts += " " + std::to_string(entry.file_size());
    entries[entry.path().string()] = facts;
  }
  return entries;
}

class InstalledProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const TProgramResult install = RunProgram(
        "env", {"DESTDIR=" + Root(), CORVANTHEL_CMAKE, "--install", CORVANTHEL_BUILD_DIR, "--prefix", "/usr"},
        FScratch.Folder());
    ASSERT_EQ(install.exitCode, 0) << install.out << install.err;
  }

  std::string Root() const { return FScratch.Folder() + "/root"; }
  std::string Prefix() const { return Root() + "/usr"; }
  std::string Home() const { return FScratch.Folder() + "/home"; }
  std::string DataHome() const { return FScratch.Folder() + "/data"; }

  // Runs an installed program with the temporary home; xdgDataHome empty: unset.
  TProgramResult Run(const std::string& program, const std::vector<std::string>& args, const std::string& xdgDataHome) {
    std::vector<std::string> command = {"-u", "XDG_DATA_HOME", "HOME=" + Home(), "QT_QPA_PLATFORM=offscreen"};
    if (!xdgDataHome.empty()) command.push_back("XDG_DATA_HOME=" + xdgDataHome);
    command.push_back(Prefix() + "/bin/" + program);
    command.insert(command.end(), args.begin(), args.end());
    return RunProgram("env", command, FScratch.Folder());
  }

  TTempCatalogue FScratch;
};

}  // namespace

TEST_F(InstalledProgramTest, KeepsTheCatalogueAndSitesInTheUsersDataFolder) {
  ASSERT_TRUE(fs::is_regular_file(Prefix() + "/bin/corvanthel-cli"));
  ASSERT_TRUE(fs::is_regular_file(Prefix() + "/share/corvanthel/bak/web.config"));
  ASSERT_TRUE(fs::is_regular_file(Prefix() + "/share/corvanthel/help/index.html"));
  const std::map<std::string, std::string> installed = Snapshot(Root());
  const std::string data = DataHome() + "/corvanthel";

  // The first use creates the data folder and an empty catalogue in it.
  TProgramResult result = Run("corvanthel-cli", {"list"}, DataHome());
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_TRUE(fs::is_regular_file(data + "/projects.mdb"));

  // A project in that catalogue generates into the data folder, with the installed template.
  TDbHelper::SetCatalogueFile(data + "/projects.mdb");
  MakeShopProject();
  TDbHelper().ExecSql("update t_member set memberIsDisplay=1 where memberIsPri=1");
  result = Run("corvanthel-cli", {"list"}, DataHome());
  EXPECT_EQ(result.out, "Shop\n");
  result = Run("corvanthel-cli", {"generate", "Shop"}, DataHome());
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("移动projects/Shop/Admin文件夹完毕！\n"), std::string::npos) << result.out;
  const std::string site = data + "/projects/Shop";
  EXPECT_TRUE(fs::is_regular_file(site + "/App_Code/ENTITY/Book.cs"));
  EXPECT_TRUE(fs::is_regular_file(site + "/App_Code/DAL/dalBook.cs"));
  for (const char* copied : {"Admin/Login.aspx", "App_Code/DAL/DBHelp.cs", "web.config"})
    EXPECT_EQ(ReadFileBytes(site + "/" + copied),
              ReadFileBytes(std::string(CORVANTHEL_SOURCE_DIR) + "/template/bak/" + copied))
        << copied;

  // --dir still names a folder of its own.
  const std::string chosen = FScratch.Folder() + "/chosen";
  fs::create_directories(chosen);
  result = Run("corvanthel-cli", {"--dir", chosen, "list"}, DataHome());
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(fs::is_regular_file(chosen + "/projects.mdb"));

  EXPECT_EQ(Snapshot(Root()), installed) << "the install prefix changed";
  EXPECT_FALSE(fs::exists(Home())) << "nothing goes to HOME while XDG_DATA_HOME is set";
}

TEST_F(InstalledProgramTest, WithoutXdgDataHomeTheDataGoesToTheHomeFolder) {
  const TProgramResult result = Run("corvanthel-cli", {"list"}, "");
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(fs::is_regular_file(Home() + "/.local/share/corvanthel/projects.mdb"));
}

TEST_F(InstalledProgramTest, AnUnwritableDataFolderFailsNamingIt) {
  // A file where the data home should be: nothing can be created below it, even by root.
  WriteFileBytes(DataHome(), "not a folder");
  const TProgramResult result = Run("corvanthel-cli", {"list"}, DataHome());
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find(DataHome() + "/corvanthel"), std::string::npos) << result.err;
}

TEST_F(InstalledProgramTest, TheWindowProgramStartsOffscreen) {
  if (!fs::exists(Prefix() + "/bin/corvanthel")) GTEST_SKIP() << "built without the window program";
  const std::map<std::string, std::string> installed = Snapshot(Root());
  const TProgramResult result = Run("corvanthel", {"--quit-after", "0"}, DataHome());
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(fs::is_regular_file(DataHome() + "/corvanthel/projects.mdb"));
  EXPECT_EQ(Snapshot(Root()), installed) << "the install prefix changed";
}
