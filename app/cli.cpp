// The headless command line: lists projects and, with later commands, generates
// a project's site or its table script without opening a window.
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "catalogue/DbHelper.h"
#include "catalogue/ProjectDAO.h"

namespace {

const char* const kUsage =
    "Usage:\n"
    "  corvanthel-cli [--dir FOLDER] list                     one project name per line\n"
    "  corvanthel-cli --help | --version\n"
    "\n"
    "FOLDER holds projects.mdb, bak/ and projects/ (default: the folder of this program).\n"
    "Exit codes: 0 success, 1 a project failed its checks, 2 any other failure.\n";

constexpr int kExitFailure = 2;

std::string ExecutableFolder() {
  std::vector<char> buffer(4096);
  const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (length <= 0) return ".";
  std::string path(buffer.data(), static_cast<std::size_t>(length));
  const std::size_t slash = path.find_last_of('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

int List() {
  for (const TNameId& project : TProjectDAO().ListProjects()) std::cout << project.name << '\n';
  return 0;
}

int UsageError(const std::string& message) {
  std::cerr << "corvanthel-cli: " << message << "\n\n" << kUsage;
  return kExitFailure;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string folder = ExecutableFolder();
  std::size_t i = 0;
  if (i < args.size() && (args[i] == "--help" || args[i] == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  if (i < args.size() && args[i] == "--version") {
    std::cout << "corvanthel-cli " << CORVANTHEL_VERSION << '\n';
    return 0;
  }
  if (i < args.size() && args[i] == "--dir") {
    if (i + 1 >= args.size()) return UsageError("--dir needs a folder");
    folder = args[i + 1];
    i += 2;
  }
  if (i >= args.size()) return UsageError("no command given");
  const std::string command = args[i++];
  const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());

  TDbHelper::SetCatalogueFile(folder + "/projects.mdb");
  try {
    if (command == "list") {
      if (!rest.empty()) return UsageError("list takes no arguments");
      return List();
    }
    return UsageError("unknown command '" + command + "'");
  } catch (const std::exception& error) {
    std::cerr << error.what() << '\n';
    return kExitFailure;
  }
}
