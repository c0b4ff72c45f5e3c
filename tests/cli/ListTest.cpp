#include <gtest/gtest.h>

#include <fstream>

#include "catalogue/ProjectDAO.h"
#include "support/RunProgram.h"
#include "support/TempCatalogue.h"

namespace {

int Count(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

}  // namespace

TEST(CliList, PrintsOneProjectPerLineInCatalogueOrder) {
  TTempCatalogue catalogue;
  TProjectDAO projects;
  projects.AddProject("Shop");
  projects.AddProject("图书馆");
  projects.AddProject("O'Brien");
  const TProgramResult result = RunProgram(CliPath(), {"--dir", catalogue.Folder(), "list"}, catalogue.Folder());
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "Shop\n图书馆\nO'Brien\n");
  EXPECT_EQ(result.err, "");
}

TEST(CliList, CreatesAnEmptyCatalogueInAnEmptyFolder) {
  TTempCatalogue catalogue;
  const TProgramResult result = RunProgram(CliPath(), {"--dir", catalogue.Folder(), "list"}, catalogue.Folder());
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_TRUE(std::filesystem::exists(catalogue.File()));
}

TEST(CliList, AForeignCatalogueFailsWithExitCodeTwo) {
  TTempCatalogue catalogue;
  std::ofstream(catalogue.File()) << "not a database";
  const TProgramResult result = RunProgram(CliPath(), {"--dir", catalogue.Folder(), "list"}, catalogue.Folder());
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find(catalogue.File()), std::string::npos) << result.err;
  EXPECT_EQ(result.out, "");
}

// --help prints the usage once; a mistake is one line that names it and points at --help, and
// touches no catalogue.
TEST(CliUsage, HelpVersionAndMistakes) {
  TTempCatalogue catalogue;
  TProgramResult result = RunProgram(CliPath(), {"--help"}, catalogue.Folder());
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.out.find("corvanthel-cli [--dir FOLDER] list"), std::string::npos);
  EXPECT_EQ(Count(result.out, "Usage"), 1) << result.out;
  EXPECT_EQ(Count(result.out, "[--dir FOLDER] generate"), 1) << result.out;
  EXPECT_EQ(Count(result.out, "Exit codes:"), 1) << result.out;
  result = RunProgram(CliPath(), {"generate", "--help"}, catalogue.Folder());
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(Count(result.out, "Usage"), 1) << result.out;
  EXPECT_NE(result.out.find("--keep-edits"), std::string::npos) << result.out;
  result = RunProgram(CliPath(), {"--version"}, catalogue.Folder());
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, std::string("corvanthel-cli ") + CORVANTHEL_VERSION + "\n");
  const std::vector<std::pair<std::vector<std::string>, std::string>> mistakes = {
      {{}, "A subcommand is required"},
      {{"frobnicate"}, "'frobnicate' is not a command"},
      {{"--dir"}, "--dir"},
      {{"--dir", catalogue.Folder(), "list", "extra"}, "extra"},
      {{"generate"}, "PROJECT is required"},
      {{"generate", "Shop", "--dry"}, "--dry"},
      {{"templates", "import"}, "import"},
  };
  for (const auto& [wrong, named] : mistakes) {
    result = RunProgram(CliPath(), wrong, catalogue.Folder());
    EXPECT_EQ(result.exitCode, 2) << named;
    EXPECT_EQ(Count(result.err, "\n"), 1) << result.err;
    EXPECT_EQ(result.err.rfind("corvanthel-cli: ", 0), 0u) << result.err;
    EXPECT_NE(result.err.find(named), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("(see corvanthel-cli --help)\n"), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
  }
  EXPECT_FALSE(std::filesystem::exists(catalogue.File()));  // a usage mistake touches no catalogue
}
