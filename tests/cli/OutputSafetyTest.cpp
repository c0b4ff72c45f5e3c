// What the command line writes, and where it refuses to: the catalogue and the
// template are never a target, special files are written through, full disks and
// unreadable templates fail the run without cutting a file short, permissions are
// reported as such.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <thread>

#include "catalogue/DbHelper.h"
#include "catalogue/ProjectDAO.h"
#include "support/FileBytes.h"
#include "support/FileSafety.h"
#include "support/RunProgram.h"
#include "support/ShopProject.h"
#include "support/TempCatalogue.h"

namespace fs = std::filesystem;

namespace {

// The bytes of every regular file below the folder, by relative path.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const std::string& entry : ListTree(folder))
    if (fs::is_regular_file(fs::symlink_status(folder + "/" + entry)))
      files[entry] = ReadFileBytes(folder + "/" + entry);
  return files;
}

// A program folder with the template and the Shop project in its catalogue.
class OutputSafetyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy(fs::path(CORVANTHEL_SOURCE_DIR) / "template" / "bak", Folder() + "/bak", fs::copy_options::recursive);
    // On a thread of its own, whose connection closes with it: the program then finds
    // the catalogue as the window leaves it when it is closed.
    std::thread([] { MakeGeneratableShopProject(); }).join();
  }
  std::string Folder() const { return FCatalogue.Folder(); }
  TProgramResult Cli(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"--dir", Folder()};
    all.insert(all.end(), args.begin(), args.end());
    return RunProgram(CliPath(), all, FScratch.Folder());
  }
  TProgramResult CliUnprivileged(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"--dir", Folder()};
    all.insert(all.end(), args.begin(), args.end());
    return RunCliUnprivileged(all, FScratch.Folder());
  }
  // Lets nobody read the program folder and the template, and write only where asked.
  void OpenForNobody() {
    for (const std::string& entry : ListTree(Folder())) {
      const std::string path = Folder() + "/" + entry;
      if (fs::is_directory(fs::symlink_status(path))) OpenToEveryone(path, false);
    }
    OpenToEveryone(Folder(), false);
  }

  TTempCatalogue FScratch;  // where the captured output goes, apart from the program folder
  TTempCatalogue FCatalogue;
};

// The files whose bytes differ between two snapshots, or that are in only one.
std::vector<std::string> Changed(const std::map<std::string, std::string>& before,
                                 const std::map<std::string, std::string>& after) {
  std::vector<std::string> changed;
  for (const auto& [name, bytes] : before)
    if (after.count(name) == 0 || after.at(name) != bytes) changed.push_back(name);
  for (const auto& [name, bytes] : after)
    if (before.count(name) == 0) changed.push_back(name);
  return changed;
}

// The shell runs the command with standard output sent to the target.
int RunWithStandardOutput(const std::vector<std::string>& args, const std::string& target) {
  std::string command = ShellQuote(CliPath());
  for (const std::string& arg : args) command += " " + ShellQuote(arg);
  command += " >" + ShellQuote(target) + " 2>/dev/null </dev/null";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST_F(OutputSafetyTest, TheScriptNeverReplacesTheCatalogueOrATemplateFile) {
  const std::string catalogue = FCatalogue.File();
  fs::create_symlink(catalogue, Folder() + "/link.mdb");
  fs::create_hard_link(catalogue, FScratch.Folder() + "/hard.mdb");
  const std::map<std::string, std::string> before = Snapshot(Folder());
  const std::set<std::string> listed = ListTree(Folder());

  const std::string relative = fs::relative(catalogue, fs::current_path()).string();
  for (const std::string& target :
       {catalogue, relative, Folder() + "/./projects.mdb", Folder() + "/link.mdb", FScratch.Folder() + "/hard.mdb",
        Folder() + "/bak/web.config", Folder() + "/bak/App_Code/DAL/new.cs"}) {
    const TProgramResult result = Cli({"sql", "Shop", "-o", target});
    EXPECT_EQ(result.exitCode, 2) << target;
    EXPECT_NE(result.err.find("不能写入"), std::string::npos) << target << ": " << result.err;
  }
  // Templates exported into the template site would be copied into every site: refused before a
  // folder is made, also through a link and below a folder that is not there yet.
  fs::create_directory_symlink(Folder() + "/bak/Admin", FScratch.Folder() + "/admin-link");
  for (const std::string& folder :
       {Folder() + "/bak", Folder() + "/bak/Admin/templates/new", FScratch.Folder() + "/admin-link/templates"}) {
    const TProgramResult result = Cli({"templates", "export", folder});
    EXPECT_EQ(result.exitCode, 2) << folder;
    EXPECT_NE(result.err.find("不能写入“" + folder + "”：它位于模板文件夹"), std::string::npos)
        << folder << ": " << result.err;
  }
  EXPECT_EQ(Changed(before, Snapshot(Folder())), std::vector<std::string>());
  EXPECT_EQ(ListTree(Folder()), listed);
}

TEST_F(OutputSafetyTest, TheScriptIsWrittenThroughDevicesFifosAndLinks) {
  EXPECT_EQ(Cli({"sql", "Shop", "-o", "/dev/null"}).exitCode, 0);
  EXPECT_TRUE(fs::is_character_file("/dev/null"));

  const std::string fifo = FScratch.Folder() + "/pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = ReadFileBytes(fifo); });
  EXPECT_EQ(Cli({"sql", "Shop", "-o", fifo}).exitCode, 0);
  reader.join();
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_NE(received.find("CREATE TABLE"), std::string::npos) << received.substr(0, 200);

  const std::string real = FScratch.Folder() + "/real.sql";
  WriteFileBytes(real, "old");
  fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink(real, FScratch.Folder() + "/link.sql");
  EXPECT_EQ(Cli({"sql", "Shop", "-o", FScratch.Folder() + "/link.sql"}).exitCode, 0);
  EXPECT_TRUE(fs::is_symlink(FScratch.Folder() + "/link.sql"));
  EXPECT_EQ(ReadFileBytes(real), received);
  EXPECT_EQ(fs::status(real).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

// "-o -" and an -o that names standard output itself write through standard output as it is: the text
// lands between what the shell wrote before and after it, in the same file, even where an unprivileged
// user could not create a file beside it.
TEST_F(OutputSafetyTest, DashAndStandardOutputWriteThroughStandardOutput) {
  const std::string script = Cli({"sql", "Shop"}).out;
  ASSERT_NE(script.find("CREATE TABLE"), std::string::npos);
  const std::string locked = FScratch.Folder() + "/locked";
  fs::create_directory(locked);
  OpenToEveryone(FScratch.Folder(), false);
  OpenToEveryone(locked, false);
  OpenForNobody();
  const std::string output = locked + "/out.txt";
  const std::string errors = FScratch.Folder() + "/err.txt";
  const std::string program =
      (IsRoot() ? std::string("setpriv --reuid=65534 --regid=65534 --clear-groups ") : std::string()) +
      ShellQuote(CliPath()) + " --dir " + ShellQuote(Folder());
  for (const std::string target : {"-", "/dev/stdout", "/dev/fd/1", "/proc/self/fd/1"}) {
    WriteFileBytes(output, "");
    struct stat before {};
    ASSERT_EQ(::stat(output.c_str(), &before), 0);
    const std::string command = "{ printf 'before\\n'; " + program + " sql Shop -o " + ShellQuote(target) +
                                " && printf 'after\\n'; } >>" + ShellQuote(output) + " 2>" + ShellQuote(errors) +
                                " </dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << target << ": " << ReadFileBytes(errors);
    EXPECT_EQ(ReadFileBytes(output), "before\n" + script + "after\n") << target;
    struct stat status {};
    ASSERT_EQ(::stat(output.c_str(), &status), 0);
    EXPECT_EQ(status.st_ino, before.st_ino) << target << ": the file was replaced";
    EXPECT_EQ(ListTree(locked), std::set<std::string>{"out.txt"}) << target;
  }
  // The other commands that write -o FILE go the same way.
  const TProgramResult exported = Cli({"export", "Shop", "-o", "-"});
  EXPECT_EQ(exported.exitCode, 0) << exported.err;
  EXPECT_EQ(exported.out, Cli({"export", "Shop"}).out);
  EXPECT_FALSE(fs::exists("-"));  // no file of that name where the program ran
}

TEST_F(OutputSafetyTest, OutputThatCannotBeWrittenIsAFailure) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  EXPECT_EQ(RunWithStandardOutput({"--dir", Folder(), "list"}, "/dev/full"), 2);
  EXPECT_EQ(RunWithStandardOutput({"--dir", Folder(), "generate", "Shop"}, "/dev/full"), 2);
  EXPECT_EQ(RunWithStandardOutput({"--dir", Folder(), "sql", "Shop"}, "/dev/full"), 2);
  EXPECT_EQ(RunWithStandardOutput({"--dir", Folder(), "list"}, "/dev/null"), 0);
}

TEST_F(OutputSafetyTest, AFullDiskFailsTheRunAndKeepsEveryOldFile) {
  if (!IsRoot()) GTEST_SKIP() << "mounting a small disk needs root";
  TSmallDisk disk(Folder() + "/projects", "1m");
  if (!disk.Mounted()) GTEST_SKIP() << "mounting is not allowed here";
  ASSERT_EQ(Cli({"generate", "Shop"}).exitCode, 0);
  const std::map<std::string, std::string> before = Snapshot(Folder() + "/projects");
  ASSERT_GT(before.size(), 20u);

  disk.Fill();
  // A run after no change writes nothing, so it needs no space.
  EXPECT_EQ(Cli({"generate", "Shop"}).exitCode, 0);
  EXPECT_EQ(Changed(before, Snapshot(Folder() + "/projects")), (std::vector<std::string>{"filler", "filler2"}));

  // Every generated file changes with the comments.
  std::thread([] { TDbHelper().ExecSql("update t_member set memberComment=memberComment||'改'"); }).join();
  const std::map<std::string, std::string> full = Snapshot(Folder() + "/projects");
  const TProgramResult result = Cli({"generate", "Shop"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.err.rfind("代码生成失败:", 0), 0u) << result.err;
  EXPECT_EQ(result.out.find("所有代码生成完毕!"), std::string::npos);
  // Every file whole, no temporary file left.
  EXPECT_EQ(Changed(full, Snapshot(Folder() + "/projects")), std::vector<std::string>());
  EXPECT_EQ(Changed(before, full), (std::vector<std::string>{"filler", "filler2"}));

  // A new site on the full disk fails the run too, at its first file.
  std::thread([] { TProjectDAO().AddProject("Other"); }).join();
  EXPECT_EQ(Cli({"generate", "Other"}).exitCode, 2);
}

TEST_F(OutputSafetyTest, ATemplateThatCannotBeReadFailsTheRun) {
  OpenForNobody();
  fs::create_directory(Folder() + "/projects");
  OpenToEveryone(Folder() + "/projects", true);

  fs::permissions(Folder() + "/bak/Admin", fs::perms::owner_all);  // nobody cannot enter it
  TProgramResult result = CliUnprivileged({"generate", "Shop"});
  EXPECT_EQ(result.exitCode, 2) << result.out;
  EXPECT_EQ(result.err.rfind("代码生成失败:", 0), 0u) << result.err;
  EXPECT_NE(result.err.find("bak/Admin"), std::string::npos) << result.err;
  OpenToEveryone(Folder() + "/bak/Admin", false);

  fs::permissions(Folder() + "/bak/web.config", fs::perms::owner_read);  // nobody cannot read it
  result = CliUnprivileged({"generate", "Shop"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("bak/web.config"), std::string::npos) << result.err;

  // A template file that is simply absent is left out, as it always was.
  fs::remove(Folder() + "/bak/web.config");
  result = CliUnprivileged({"generate", "Shop"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_FALSE(fs::exists(Folder() + "/projects/Shop/web.config"));
}

TEST_F(OutputSafetyTest, AReadOnlyCatalogueStillServesListSqlAndGenerate) {
  OpenForNobody();
  const std::map<std::string, std::string> before = Snapshot(Folder());
  TProgramResult result = CliUnprivileged({"list"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "Shop\n");
  result = CliUnprivileged({"sql", "Shop"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("CREATE TABLE"), std::string::npos);

  // Where the site cannot be created the message says why, naming the folder.
  result = CliUnprivileged({"generate", "Shop"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("无法创建文件夹“" + Folder() + "/projects”：Permission denied"), std::string::npos)
      << result.err;
  EXPECT_EQ(Changed(before, Snapshot(Folder())), std::vector<std::string>());

  fs::create_directory(Folder() + "/projects");
  OpenToEveryone(Folder() + "/projects", true);
  result = CliUnprivileged({"generate", "Shop"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(fs::exists(Folder() + "/projects/Shop/App_Code/DAL/dalBook.cs"));
}

TEST_F(OutputSafetyTest, MessagesNameTheRealCause) {
  TProgramResult result = RunProgram(CliPath(), {"--dir", Folder() + "/nowhere", "list"}, FScratch.Folder());
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find(Folder() + "/nowhere"), std::string::npos) << result.err;
  EXPECT_FALSE(fs::exists(Folder() + "/nowhere"));

  // A catalogue that cannot be created says why.
  const std::string empty = FScratch.Folder() + "/empty";
  fs::create_directory(empty);
  OpenToEveryone(FScratch.Folder(), false);
  OpenToEveryone(empty, false);
  result = RunCliUnprivileged({"--dir", empty, "list"}, FScratch.Folder());
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("无法创建目录文件“" + empty + "/projects.mdb”：Permission denied"), std::string::npos)
      << result.err;

  fs::create_directory(FScratch.Folder() + "/site");
  fs::create_directory(FScratch.Folder() + "/site/projects.mdb");
  result = RunProgram(CliPath(), {"--dir", FScratch.Folder() + "/site", "list"}, FScratch.Folder());
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("“" + FScratch.Folder() + "/site/projects.mdb”是一个文件夹"), std::string::npos)
      << result.err;
}
