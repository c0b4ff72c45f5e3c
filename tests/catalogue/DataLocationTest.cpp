#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "catalogue/DataLocation.h"
#include "support/FileBytes.h"
#include "support/TempCatalogue.h"

namespace fs = std::filesystem;

namespace {

// A scratch folder laid out as an install: prefix/bin and prefix/share/corvanthel.
class DataLocationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(Bin());
    fs::create_directories(Share() + "/bak");
    fs::create_directories(Share() + "/help");
  }
  std::string Folder() const { return FScratch.Folder(); }
  std::string Bin() const { return Folder() + "/prefix/bin"; }
  std::string Share() const { return Folder() + "/prefix/share/corvanthel"; }

  TDataLocationInputs Inputs() const {
    TDataLocationInputs inputs;
    inputs.executableFolder = Bin();
    inputs.xdgDataHome = Folder() + "/data";
    inputs.home = Folder() + "/home";
    return inputs;
  }

  TTempCatalogue FScratch;
};

}  // namespace

TEST_F(DataLocationTest, AProgramFolderWithBakKeepsEverythingBesideTheProgram) {
  fs::create_directories(Bin() + "/bak");
  fs::create_directories(Bin() + "/help");
  const TDataLocation location = DataLocation::Resolve(Inputs());
  EXPECT_EQ(location.mode, TDataMode::Portable);
  EXPECT_EQ(location.dataFolder, Bin());
  EXPECT_EQ(location.catalogueFile, Bin() + "/projects.mdb");
  EXPECT_EQ(location.sitesFolder, Bin() + "/projects");
  EXPECT_EQ(location.templateFolder, Bin() + "/bak");
  EXPECT_EQ(location.helpFolder, Bin() + "/help");
}

TEST_F(DataLocationTest, AnInstalledProgramKeepsDataInTheDataHomeAndReadsTheShareFolder) {
  TDataLocationInputs inputs = Inputs();
  inputs.executableFolder += "/";  // as a caller might write it
  inputs.xdgDataHome += "//";
  const TDataLocation location = DataLocation::Resolve(inputs);
  EXPECT_EQ(location.mode, TDataMode::Installed);
  EXPECT_EQ(location.dataFolder, Folder() + "/data/corvanthel");
  EXPECT_EQ(location.catalogueFile, Folder() + "/data/corvanthel/projects.mdb");
  EXPECT_EQ(location.sitesFolder, Folder() + "/data/corvanthel/projects");
  EXPECT_EQ(location.templateFolder, Share() + "/bak");
  EXPECT_EQ(location.helpFolder, Share() + "/help");
  // Deciding changes nothing on disk.
  EXPECT_FALSE(fs::exists(Folder() + "/data"));
}

TEST_F(DataLocationTest, AnUnsetEmptyOrRelativeDataHomeFallsBackToTheHomeFolder) {
  for (const std::string& xdg : {std::string(), std::string("relative/data")}) {
    TDataLocationInputs inputs = Inputs();
    inputs.xdgDataHome = xdg;
    EXPECT_EQ(DataLocation::Resolve(inputs).dataFolder, Folder() + "/home/.local/share/corvanthel") << xdg;
  }
  TDataLocationInputs inputs = Inputs();
  inputs.xdgDataHome.clear();
  inputs.home.clear();
  EXPECT_THROW(DataLocation::Resolve(inputs), TDataLocationError);
}

TEST_F(DataLocationTest, AChosenFolderHoldsCatalogueTemplateAndSitesInBothLayouts) {
  fs::create_directories(Folder() + "/chosen");
  const fs::path previous = fs::current_path();
  fs::current_path(Folder());
  TDataLocationInputs inputs = Inputs();
  inputs.dirOverride = "chosen/";
  TDataLocation installed = DataLocation::Resolve(inputs);
  fs::create_directories(Bin() + "/bak");
  TDataLocation portable = DataLocation::Resolve(inputs);
  fs::current_path(previous);
  for (const TDataLocation& location : {installed, portable}) {
    EXPECT_EQ(location.mode, TDataMode::ChosenFolder);
    EXPECT_EQ(location.dataFolder, Folder() + "/chosen");
    EXPECT_EQ(location.catalogueFile, Folder() + "/chosen/projects.mdb");
    EXPECT_EQ(location.templateFolder, Folder() + "/chosen/bak");
    EXPECT_EQ(location.sitesFolder, Folder() + "/chosen/projects");
  }
  // The help page is the one the program ships, not part of the chosen folder.
  EXPECT_EQ(installed.helpFolder, Share() + "/help");
}

TEST_F(DataLocationTest, AReadOnlyProgramFolderIsNotUsedForData) {
  fs::create_directories(Bin() + "/bak");
  fs::remove_all(Share());
  // Root may write to any folder: then the folder is judged by an unprivileged user (nobody) in a child
  // process, which can reach the scratch folder but write only where everyone may.
  const bool root = ::geteuid() == 0;
  if (root)
    for (const std::string& folder : {Folder(), Folder() + "/prefix"}) ::chmod(folder.c_str(), 0755);
  const auto resolve = [&](mode_t binMode) {
    ::chmod(Bin().c_str(), binMode);
    TDataLocation location;
    if (!root) {
      location = DataLocation::Resolve(Inputs());
    } else {
      int answer[2];
      EXPECT_EQ(::pipe(answer), 0);
      const pid_t child = ::fork();
      if (child == 0) {
        ::close(answer[0]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
        const TDataLocation seen = DataLocation::Resolve(Inputs());
        const std::string text = std::to_string(static_cast<int>(seen.mode)) + "\n" + seen.dataFolder + "\n" +
                                 seen.templateFolder;
        const bool written = ::write(answer[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::_exit(written ? 0 : 4);
      }
      ::close(answer[1]);
      std::string text;
      char buffer[512];
      for (ssize_t n; (n = ::read(answer[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
      ::close(answer[0]);
      int status = 0;
      ::waitpid(child, &status, 0);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
      const std::size_t first = text.find('\n'), second = text.find('\n', first + 1);
      if (first == std::string::npos || second == std::string::npos) return location;
      location.mode = static_cast<TDataMode>(std::stoi(text.substr(0, first)));
      location.dataFolder = text.substr(first + 1, second - first - 1);
      location.templateFolder = text.substr(second + 1);
    }
    ::chmod(Bin().c_str(), 0755);
    return location;
  };
  const TDataLocation location = resolve(0555);
  EXPECT_EQ(location.mode, TDataMode::Installed);
  EXPECT_EQ(location.dataFolder, Folder() + "/data/corvanthel");
  // Without a share folder the template beside the program still serves.
  EXPECT_EQ(location.templateFolder, Bin() + "/bak");
  // The same user takes a program folder it may write: what decided above was the folder's mode.
  const TDataLocation writable = resolve(0777);
  EXPECT_EQ(writable.mode, TDataMode::Portable);
  EXPECT_EQ(writable.dataFolder, Bin());
}

TEST_F(DataLocationTest, PreparingCreatesOnlyTheInstalledDataFolder) {
  TDataLocation location = DataLocation::Resolve(Inputs());
  DataLocation::PrepareDataFolder(location);
  EXPECT_TRUE(fs::is_directory(Folder() + "/data/corvanthel"));
  DataLocation::PrepareDataFolder(location);  // already there

  TDataLocationInputs inputs = Inputs();
  inputs.dirOverride = Folder() + "/missing";
  DataLocation::PrepareDataFolder(DataLocation::Resolve(inputs));
  EXPECT_FALSE(fs::exists(Folder() + "/missing"));

  inputs = Inputs();
  inputs.xdgDataHome = Folder() + "/blocked";
  WriteFileBytes(Folder() + "/blocked", "a file, not a folder");
  location = DataLocation::Resolve(inputs);
  try {
    DataLocation::PrepareDataFolder(location);
    FAIL() << "a file in the way was not reported";
  } catch (const TDataLocationError& error) {
    EXPECT_NE(std::string(error.what()).find(Folder() + "/blocked/corvanthel"), std::string::npos) << error.what();
  }
  // A file where the data folder itself should be is no folder either.
  inputs.xdgDataHome = Folder() + "/data2";
  fs::create_directories(Folder() + "/data2");
  WriteFileBytes(Folder() + "/data2/corvanthel", "x");
  EXPECT_THROW(DataLocation::PrepareDataFolder(DataLocation::Resolve(inputs)), TDataLocationError);
}

TEST(DataLocation, TheExecutableFolderIsAbsoluteAndHoldsTheRunningProgram) {
  const std::string folder = DataLocation::ExecutableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.front(), '/');
  EXPECT_NE(folder.back(), '/');
  EXPECT_TRUE(fs::exists(folder + "/core_tests")) << folder;
}
