// The headless command line: lists projects, writes a project's table script and
// generates a project's site without opening a window.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "catalogue/ClassDAO.h"
#include "catalogue/DbHelper.h"
#include "catalogue/ProjectDAO.h"
#include "generation/AutoCode.h"
#include "generation/DataBaseSql.h"

namespace {

const char* const kUsage =
    "Usage:\n"
    "  corvanthel-cli [--dir FOLDER] list                     one project name per line\n"
    "  corvanthel-cli [--dir FOLDER] generate PROJECT         the generation run, headless\n"
    "  corvanthel-cli [--dir FOLDER] sql PROJECT [-o FILE]    the SQL Server table script\n"
    "  corvanthel-cli --help | --version\n"
    "\n"
    "FOLDER holds projects.mdb, bak/ and projects/ (default: the folder of this program).\n"
    "Exit codes: 0 success, 1 a project failed its checks, 2 any other failure.\n";

constexpr int kExitCheckFailed = 1;
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

// The id of the first project of that name in catalogue order; -1 when there is none.
int FindProject(const std::string& name) {
  for (const TNameId& project : TProjectDAO().ListProjects())
    if (project.name == name) return project.id;
  return -1;
}

// Writes the bytes to a temporary file beside the target and renames it over the
// target only when everything is written, so a failure leaves an existing file whole.
void WriteFileAtomically(const std::string& path, const std::string& bytes) {
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
  // mkstemp makes the file private; give it the mode a newly created file would have.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    written += static_cast<std::size_t>(n);
  }
  const int error = written < bytes.size() ? errno : 0;
  if (::close(fd) != 0 || error != 0 || std::rename(temporary.c_str(), path.c_str()) != 0) {
    const std::string reason = std::strerror(error != 0 ? error : errno);
    std::remove(temporary.c_str());
    throw std::runtime_error("cannot write " + path + ": " + reason);
  }
}

int UsageError(const std::string& message) {
  std::cerr << "corvanthel-cli: " << message << "\n\n" << kUsage;
  return kExitFailure;
}

int Sql(const std::vector<std::string>& args) {
  std::string project;
  std::string outputFile;
  bool toFile = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o") {
      if (toFile || i + 1 >= args.size()) return UsageError("-o needs one file name");
      toFile = true;
      outputFile = args[++i];
    } else if (project.empty() && !args[i].empty()) {
      project = args[i];
    } else {
      return UsageError("sql takes one project name");
    }
  }
  if (project.empty()) return UsageError("sql needs a project name");

  const int projectId = FindProject(project);
  if (projectId < 0) {
    std::cerr << "corvanthel-cli: no project named '" << project << "'\n";
    return kExitFailure;
  }
  const std::string script = TDataBaseSql().BuildScript(projectId);
  if (toFile) {
    WriteFileAtomically(outputFile, script);
  } else {
    std::cout << script << std::flush;
    if (!std::cout) throw std::runtime_error("cannot write the script to standard output");
  }
  return 0;
}

// Prints the run as the window's progress log shows it; the outcome sets the exit code.
class TPrintingObserver : public TAutoCodeObserver {
 public:
  int ExitCode() const { return FExitCode; }

  void Progress(const std::string& line) override { std::cout << line << '\n' << std::flush; }
  void PrimaryKeyError(int classId) override {
    Fail(kExitCheckFailed, AutoCodeTexts::PrimaryKeyError(TClassDAO().GetClassNameById(classId)));
  }
  void DisplayMemberError(int classId) override {
    Fail(kExitCheckFailed, AutoCodeTexts::DisplayMemberError(TClassDAO().GetClassNameById(classId)));
  }
  void ReferenceError(const std::string& className, const std::string& memberName,
                      const std::string& memberType) override {
    Fail(kExitCheckFailed, AutoCodeTexts::ReferenceError(className, memberName, memberType));
  }
  void Done() override {
    std::cout << AutoCodeTexts::kDone << '\n' << std::flush;
    FExitCode = 0;
  }
  void Failed(const std::string& error) override { Fail(kExitFailure, AutoCodeTexts::Failed(error)); }

 private:
  void Fail(int exitCode, const std::string& message) {
    std::cerr << message << '\n';
    FExitCode = exitCode;
  }

  int FExitCode = kExitFailure;
};

// The folder as an absolute path without a trailing slash.
std::string AbsoluteFolder(const std::string& folder) {
  std::string path = std::filesystem::absolute(folder).lexically_normal().string();
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

int Generate(const std::vector<std::string>& args, const std::string& folder) {
  if (args.size() != 1 || args[0].empty()) return UsageError("generate takes one project name");
  const int projectId = FindProject(args[0]);
  if (projectId < 0) {
    std::cerr << "corvanthel-cli: no project named '" << args[0] << "'\n";
    return kExitFailure;
  }
  TPrintingObserver observer;
  TAutoCode run({projectId, args[0], AbsoluteFolder(folder)}, "corvanthel", observer);
  run.Start();
  run.Wait();
  return observer.ExitCode();
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
    if (command == "sql") return Sql(rest);
    if (command == "generate") return Generate(rest, folder);
    return UsageError("unknown command '" + command + "'");
  } catch (const std::exception& error) {
    std::cerr << error.what() << '\n';
    return kExitFailure;
  }
}
