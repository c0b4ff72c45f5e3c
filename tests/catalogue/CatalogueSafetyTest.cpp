// The catalogue beside other processes: writes stay visible and durable while other
// processes open and close it, a refused catalogue is left byte for byte as it was,
// a lock held by another process is waited for, and a catalogue the user cannot
// write still reads.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/DbHelper.h"
#include "catalogue/ProjectDAO.h"
#include "support/CatalogueSeed.h"
#include "support/FileBytes.h"
#include "support/FileSafety.h"
#include "support/ForeignCatalogue.h"
#include "support/RunProgram.h"
#include "support/TempCatalogue.h"

namespace fs = std::filesystem;

namespace {

// The project names `corvanthel-cli list` prints for the folder, one string.
std::string ListedBy(const std::string& folder, const std::string& scratch) {
  const TProgramResult result = RunProgram(CliPath(), {"--dir", folder, "list"}, scratch);
  return result.exitCode == 0 ? result.out : "exit " + std::to_string(result.exitCode) + ": " + result.err;
}

// A writer process with a connection on each of two threads, each adding the
// projects it is told to on its own thread. Commands and answers go through pipes.
class TWriterProcess {
 public:
  TWriterProcess() {
    for (int t = 0; t < 2; ++t)
      if (::pipe(FCommands[t]) != 0 || ::pipe(FAnswers[t]) != 0) throw std::runtime_error("pipe failed");
    FPid = ::fork();
    if (FPid == 0) RunChild();
  }
  ~TWriterProcess() { Kill(); }

  // Has thread t add the project and waits until it is committed.
  bool Add(int thread, char tag) {
    char answer = 0;
    return ::write(FCommands[thread][1], &tag, 1) == 1 && ::read(FAnswers[thread][0], &answer, 1) == 1 && answer == tag;
  }

  // kill -9: no destructor, no checkpoint, no clean close.
  void Kill() {
    if (FPid <= 0) return;
    ::kill(FPid, SIGKILL);
    ::waitpid(FPid, nullptr, 0);
    FPid = -1;
  }

 private:
  [[noreturn]] void RunChild() {
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t)
      threads.emplace_back([this, t] {
        char tag = 0;
        while (::read(FCommands[t][0], &tag, 1) == 1) {
          try {
            TProjectDAO().AddProject(std::string("P") + tag);
          } catch (...) {
            tag = '!';
          }
          if (::write(FAnswers[t][1], &tag, 1) != 1) break;
        }
      });
    for (std::thread& thread : threads) thread.join();
    ::_exit(0);
  }

  int FCommands[2][2] = {};
  int FAnswers[2][2] = {};
  pid_t FPid = -1;
};

}  // namespace

TEST(CatalogueSafetyTest, WritesStayVisibleAndDurableWhileOtherProcessesComeAndGo) {
  TTempCatalogue catalogue;
  TTempCatalogue scratch;
  TDbHelper::SetCatalogueFile(catalogue.File());
  TWriterProcess writer;
  std::string expected;
  for (char tag : std::string("abcdef")) {
    // The two threads take turns; another process lists (opens and closes) in between.
    ASSERT_TRUE(writer.Add((tag - 'a') % 2, tag)) << tag;
    expected += std::string("P") + tag + "\n";
    EXPECT_EQ(ListedBy(catalogue.Folder(), scratch.Folder()), expected) << "after " << tag;
    EXPECT_TRUE(fs::exists(catalogue.File() + "-wal")) << "after " << tag;
  }
  writer.Kill();
  EXPECT_EQ(ListedBy(catalogue.Folder(), scratch.Folder()), expected);
}

TEST(CatalogueSafetyTest, ARefusedCatalogueIsLeftExactlyAsItWas) {
  struct TCase {
    const char* what;
    std::string sql;
  };
  const std::vector<TCase> cases = {
      {"t_class is a view",
       ForeignSchema() + "ALTER TABLE t_class RENAME TO classes; CREATE VIEW t_class AS SELECT * FROM classes;"},
      {"a missing column", ForeignSchema() + "ALTER TABLE t_member DROP COLUMN queryFlag;"},
      {"a foreign database", "CREATE TABLE orders (id INTEGER);"},
  };
  for (const TCase& refused : cases) {
    TTempCatalogue catalogue;
    ForeignSql(catalogue.File(), refused.sql);
    const std::string before = ReadFileBytes(catalogue.File());
    const std::set<std::string> files = ListTree(catalogue.Folder());
    const std::string message = ErrorOf<TDbError>([] { TProjectDAO().ListProjects(); });
    EXPECT_NE(message.find(catalogue.File()), std::string::npos) << refused.what << ": " << message;
    EXPECT_EQ(ReadFileBytes(catalogue.File()), before) << refused.what;
    EXPECT_EQ(ListTree(catalogue.Folder()), files) << refused.what;
  }
  TTempCatalogue catalogue;
  WriteFileBytes(catalogue.File(), std::string("\0\1\0\0Standard Jet DB\0", 20) + std::string(2000, 'x'));
  const std::string before = ReadFileBytes(catalogue.File());
  EXPECT_NE(ErrorOf<TDbError>([] { TProjectDAO().ListProjects(); }).find("Access"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(catalogue.File()), before);
  EXPECT_EQ(ListTree(catalogue.Folder()), std::set<std::string>{"projects.mdb"});
}

TEST(CatalogueSafetyTest, AWriteLockOfAnotherConnectionIsWaitedFor) {
  TTempCatalogue catalogue;
  TTempCatalogue scratch;
  // Made by another tool, never opened by the program: no WAL yet, no indexes.
  ForeignSql(catalogue.File(), ForeignSchema() + "INSERT INTO t_project VALUES (1, 'Shop');");
  sqlite3* holder = nullptr;
  ASSERT_EQ(sqlite3_open(catalogue.File().c_str(), &holder), SQLITE_OK);
  ASSERT_EQ(
      sqlite3_exec(holder, "BEGIN IMMEDIATE; INSERT INTO t_project VALUES (2, 'Later');", nullptr, nullptr, nullptr),
      SQLITE_OK);
  std::thread release([holder] {
    std::this_thread::sleep_for(std::chrono::seconds(1));
    sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr);
  });
  const auto start = std::chrono::steady_clock::now();
  const std::string listed = ListedBy(catalogue.Folder(), scratch.Folder());
  const auto waited = std::chrono::steady_clock::now() - start;
  release.join();
  sqlite3_close(holder);
  EXPECT_EQ(listed, "Shop\nLater\n");
  EXPECT_GE(waited, std::chrono::milliseconds(900));
}

TEST(CatalogueSafetyTest, ACatalogueTheUserCannotWriteStillReadsAndRefusesEdits) {
  for (const bool readOnlyFolder : {false, true}) {
    TTempCatalogue catalogue;
    std::thread([] { TProjectDAO().AddProject("Shop"); }).join();  // closed again, as by a window that quit
    OpenToEveryone(catalogue.Folder(), !readOnlyFolder);
    ::chmod(catalogue.File().c_str(), readOnlyFolder ? 0644 : 0444);
    const std::string before = ReadFileBytes(catalogue.File());
    {
      TUnprivilegedScope nobody;
      std::thread([&] {
        ASSERT_EQ(TProjectDAO().ListProjects().size(), 1u) << readOnlyFolder;
        const std::string message = ErrorOf<TDbError>([] { TProjectDAO().AddProject("More"); });
        EXPECT_EQ(message, "目录文件“" + catalogue.File() + "”是只读的，无法保存修改。") << readOnlyFolder;
      }).join();
    }
    EXPECT_EQ(ReadFileBytes(catalogue.File()), before) << readOnlyFolder;
  }
}

// Eight programs started at once on a folder without a catalogue: one creates it, every one of them opens
// it. A new catalogue is made in write-ahead-log mode before it takes its name, so no opener has to switch
// the journal mode, which needs the file to itself while the others read it.
TEST(CatalogueSafetyTest, EightProcessesOpeningAMissingCatalogueAtOnceAllSucceed) {
  TTempCatalogue scratch;
  for (int round = 0; round < 10; ++round) {
    const std::string folder = scratch.Folder() + "/round" + std::to_string(round);
    fs::create_directory(folder);
    std::string script;
    for (int opener = 0; opener < 8; ++opener)
      script += ShellQuote(CliPath()) + " --dir " + ShellQuote(folder) + " list >" +
                ShellQuote(folder + "/out" + std::to_string(opener)) + " 2>&1 & ";
    script += "failed=0; for job in $(jobs -p); do wait $job || failed=$((failed+1)); done; exit $failed";
    const int status = std::system(("bash -c " + ShellQuote(script)).c_str());
    std::string outputs;
    for (int opener = 0; opener < 8; ++opener) outputs += ReadFileBytes(folder + "/out" + std::to_string(opener));
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0) << "round " << round << ": " << outputs;
    EXPECT_EQ(outputs, "") << "round " << round;
    // The file says write-ahead log in its header (bytes 18 and 19 are 2).
    const std::string header = ReadFileBytes(folder + "/projects.mdb").substr(0, 20);
    ASSERT_EQ(header.size(), 20u);
    EXPECT_EQ(header[18], 2);
    EXPECT_EQ(header[19], 2);
    for (const auto& entry : fs::directory_iterator(folder))
      EXPECT_EQ(entry.path().filename().string().find(".new-"), std::string::npos) << entry.path();
  }
}
