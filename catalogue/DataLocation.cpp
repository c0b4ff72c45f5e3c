#include "catalogue/DataLocation.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace DataLocation {

#ifndef CORVANTHEL_SHARE_FROM_BIN
#define CORVANTHEL_SHARE_FROM_BIN "../share/corvanthel"
#endif
const char* const kShareFromBin = CORVANTHEL_SHARE_FROM_BIN;

namespace {

// The path made absolute and normal, without a trailing slash.
std::string Clean(const fs::path& path) {
  std::string text = fs::absolute(path).lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

bool IsFolder(const std::string& path) {
  std::error_code ignored;
  return fs::is_directory(path, ignored);
}

// A folder the program ships (bak, help): beside the executable when the program
// folder layout is there, otherwise in the install's share folder.
std::string ShippedFolder(const std::string& executableFolder, const std::string& name) {
  const std::string beside = Clean(fs::path(executableFolder) / name);
  if (IsFolder(beside)) return beside;
  return Clean(fs::path(executableFolder) / kShareFromBin / name);
}

// $XDG_DATA_HOME counts only when it is an absolute path; otherwise ~/.local/share.
std::string DataHome(const TDataLocationInputs& inputs) {
  if (!inputs.xdgDataHome.empty() && inputs.xdgDataHome.front() == '/') return inputs.xdgDataHome;
  if (inputs.home.empty())
    throw TDataLocationError("cannot find the folder for the program's data: neither XDG_DATA_HOME nor HOME is set");
  return (fs::path(inputs.home) / ".local" / "share").string();
}

}  // namespace

TDataLocation Resolve(const TDataLocationInputs& inputs) {
  const std::string executableFolder = Clean(inputs.executableFolder);
  TDataLocation location;
  if (!inputs.dirOverride.empty()) {
    location.mode = TDataMode::ChosenFolder;
    location.dataFolder = Clean(inputs.dirOverride);
    location.templateFolder = location.dataFolder + "/bak";
  } else if (IsFolder(executableFolder + "/bak") && ::access(executableFolder.c_str(), W_OK) == 0) {
    location.mode = TDataMode::Portable;
    location.dataFolder = executableFolder;
    location.templateFolder = executableFolder + "/bak";
  } else {
    location.mode = TDataMode::Installed;
    location.dataFolder = Clean(fs::path(DataHome(inputs)) / "corvanthel");
    location.templateFolder = ShippedFolder(executableFolder, "bak");
  }
  location.catalogueFile = location.dataFolder + "/projects.mdb";
  location.sitesFolder = location.dataFolder + "/projects";
  location.userTemplates = location.dataFolder + "/templates";
  location.helpFolder = ShippedFolder(executableFolder, "help");
  return location;
}

TDataLocationInputs FromEnvironment(const std::string& dirOverride) {
  TDataLocationInputs inputs;
  inputs.executableFolder = ExecutableFolder();
  inputs.dirOverride = dirOverride;
  if (const char* value = std::getenv("XDG_DATA_HOME")) inputs.xdgDataHome = value;
  if (const char* value = std::getenv("HOME")) inputs.home = value;
  if (inputs.home.empty()) {
    // A service or a cron job may run without HOME; the account still has a home folder.
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr)
      inputs.home = found->pw_dir;
  }
  return inputs;
}

std::string ExecutableFolder() {
  std::error_code error;
  const fs::path executable = fs::read_symlink("/proc/self/exe", error);
  if (error) return Clean(fs::current_path());
  return Clean(executable.parent_path());
}

void PrepareDataFolder(const TDataLocation& location) {
  // The program folder and a folder named with --dir are the user's to provide.
  if (location.mode != TDataMode::Installed) return;
  std::error_code error;
  fs::create_directories(location.dataFolder, error);
  if (!error && !IsFolder(location.dataFolder)) error = std::make_error_code(std::errc::not_a_directory);
  if (error) throw TDataLocationError("cannot create the data folder " + location.dataFolder + ": " + error.message());
}

}  // namespace DataLocation
