#include <gtest/gtest.h>

#include <fstream>

#include "catalogue/ProjectDAO.h"
#include "support/RunProgram.h"
#include "support/TempCatalogue.h"

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

TEST(CliUsage, HelpVersionAndMistakes) {
  TTempCatalogue catalogue;
  TProgramResult result = RunProgram(CliPath(), {"--help"}, catalogue.Folder());
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.out.find("corvanthel-cli [--dir FOLDER] list"), std::string::npos);
  result = RunProgram(CliPath(), {"--version"}, catalogue.Folder());
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, std::string("corvanthel-cli ") + CORVANTHEL_VERSION + "\n");
  for (const std::vector<std::string>& wrong : std::vector<std::vector<std::string>>{
           {}, {"frobnicate"}, {"--dir"}, {"--dir", catalogue.Folder(), "list", "extra"}}) {
    result = RunProgram(CliPath(), wrong, catalogue.Folder());
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("Usage:"), std::string::npos);
    EXPECT_EQ(result.out, "");
  }
  EXPECT_FALSE(std::filesystem::exists(catalogue.File()));  // a usage mistake touches no catalogue
}
