// corvanthel-cli sql: the built program run on a temporary catalogue.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "catalogue/ClassDAO.h"
#include "catalogue/MemberDAO.h"
#include "catalogue/ProjectDAO.h"
#include "generation/DataBaseSql.h"
#include "support/CatalogueSeed.h"
#include "support/TempCatalogue.h"

namespace {

struct TRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class SqlCommandTest : public ::testing::Test {
 protected:
  TRun Run(const std::vector<std::string>& args) {
    const std::string errFile = FCatalogue.Folder() + "/stderr.txt";
    std::string command =
        ShellQuoted(std::string(CORVANTHEL_BIN_DIR) + "/corvanthel-cli") + " --dir " + ShellQuoted(FCatalogue.Folder());
    for (const std::string& arg : args) command += " " + ShellQuoted(arg);
    command += " 2>" + ShellQuoted(errFile);
    TRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadFile(errFile);
    return run;
  }

  // A project with a Chinese name, a reference and a string key.
  int AddShop(const std::string& name, const std::string& className) {
    TProjectDAO().AddProject(name);
    const int projectId = TProjectDAO().ListProjects().back().id;
    TClassDAO().AddClass(projectId, className, "图书");
    TClassDAO().AddClass(projectId, "Author", "作者");
    const int book = TClassDAO().GetClassIdByName(projectId, className);
    const int author = TClassDAO().GetClassIdByName(projectId, "Author");
    AddMember(projectId, book, "id", "整型", 4, true, true);
    AddMember(projectId, book, "title", "字符串", 50, false, false);
    AddMember(projectId, book, "author", "Author", 10, false, false);
    AddMember(projectId, author, "code", "字符串", 10, true, false);
    return projectId;
  }

  void AddMember(int projectId, int classId, const std::string& name, const std::string& type, int length, bool key,
                 bool integer) {
    TMember member = NewMember(projectId, classId, name, type);
    member.SetMemberLength(length);
    member.SetMemberIsPri(key ? 1 : 0);
    member.SetMemberIsInteger(integer ? 1 : 0);
    TMemberDAO().AddMember(member);
  }

  TTempCatalogue FCatalogue;
};

TEST_F(SqlCommandTest, PrintsTheScriptOfTheFirstProjectOfThatName) {
  const int first = AddShop("书店", "Book");
  AddShop("书店", "Novel");
  const std::string script = TDataBaseSql().BuildScript(first);
  ASSERT_NE(script.find("[title]"), std::string::npos);

  const TRun run = Run({"sql", "书店"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, script);
  EXPECT_EQ(run.err, "");
}

TEST_F(SqlCommandTest, WritesTheSameBytesToAFile) {
  const int shop = AddShop("Shop", "Book");
  const std::string path = FCatalogue.Folder() + "/shop.sql";
  std::ofstream(path) << "an older and much longer file that must be replaced completely";

  const TRun run = Run({"sql", "Shop", "-o", path});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(ReadFile(path), TDataBaseSql().BuildScript(shop));
  // The replaced file has the mode of a newly created one, not the private mode of a temporary file.
  const std::string fresh = FCatalogue.Folder() + "/fresh.txt";
  std::ofstream(fresh) << "x";
  EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::status(fresh).permissions());
}

TEST_F(SqlCommandTest, UnknownProjectOrBadArgumentsFailWithoutOutput) {
  AddShop("Shop", "Book");
  const std::string path = FCatalogue.Folder() + "/never.sql";

  TRun run = Run({"sql", "Nowhere", "-o", path});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("Nowhere"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(path));

  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"sql"}, {"sql", "Shop", "-o"}, {"sql", "Shop", "Other"}}) {
    run = Run(args);
    EXPECT_EQ(run.exitCode, 2) << args.size();
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("(see corvanthel-cli --help)"), std::string::npos) << run.err;
  }

  run = Run({"sql", "Shop", "-o", FCatalogue.Folder() + "/missing/x.sql"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("missing/x.sql"), std::string::npos) << run.err;
}

}  // namespace
