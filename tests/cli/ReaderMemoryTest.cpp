// The memory a reader of a file uses stays in proportion to the file. The T-SQL import and the project
// file's reader (check --file, import) each read a file of a few megabytes made from one synthetic project;
// the command's peak resident set must stay within a fixed start-up cost plus a multiple of the file's size.
// A reader that held a copy of every token, a document per class or a quadratic index fails it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "generation/DataBaseSql.h"
#include "model/Member.h"
#include "support/FileBytes.h"
#include "support/RunProgram.h"
#include "support/TempCatalogue.h"
#include "transfer/json/ModelJson.h"

namespace {

struct TPeak {
  int exitCode = -1;
  long kib = 0;  // the largest resident set the command reached
};

// Runs the command line alone (no shell between) and reads its peak resident set from the kernel.
TPeak RunMeasured(const std::vector<std::string>& args) {
  const std::string program = CliPath();
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    const int null = ::open("/dev/null", O_RDWR);
    for (int fd = 0; fd < 3; ++fd) ::dup2(null, fd);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  TPeak peak;
  int status = 0;
  struct rusage usage {};
  if (child > 0 && ::wait4(child, &status, 0, &usage) == child) {
    peak.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    peak.kib = usage.ru_maxrss;
  }
  return peak;
}

// A project of the given size: an integer key that is the display member, 17 members of the five types,
// and two references to earlier classes, each with a comment.
TProjectModel BigProject(int classes) {
  const char* const types[] = {MemberTypes::kString, MemberTypes::kInteger, MemberTypes::kFloat, MemberTypes::kDate,
                               MemberTypes::kPicture};
  TProjectModel project;
  project.projectName = "Big";
  for (int c = 1; c <= classes; ++c) {
    TClassModel entry;
    entry.className = "C" + std::to_string(c);
    entry.friendName = "类" + std::to_string(c);
    for (int m = 0; m < 20; ++m) {
      TMember member;
      member.SetMemberComment("成员" + std::to_string(m));
      if (m == 0) {
        member.SetMemberName("id");
        member.SetMemberType(MemberTypes::kInteger);
        member.SetMemberIsPri(1);
        member.SetMemberIsInteger(1);
        member.SetMemberIsDisplay(1);
      } else if (m >= 18 && c > 1) {
        member.SetMemberName("ref" + std::to_string(m));
        member.SetMemberType("C" + std::to_string(1 + (c * 7 + m) % (c - 1)));
      } else {
        member.SetMemberName("m" + std::to_string(m));
        member.SetMemberType(types[m % 5]);
        member.SetMemberLength(member.GetMemberType() == MemberTypes::kString ? 20 : 0);
      }
      entry.members.push_back(member);
    }
    project.classes.push_back(entry);
  }
  return project;
}

}  // namespace

TEST(ReaderMemory, EachReaderPeaksWithinItsStartUpCostAndAMultipleOfItsInput) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizers' own memory would be measured";
#endif
  TTempCatalogue catalogue;
  const std::string json = catalogue.Folder() + "/big.json";
  const std::string script = catalogue.Folder() + "/big.sql";
  // Made in a child of its own: a command started from this process counts the pages it shares with it
  // until it has started, so this process stays as small as it was.
  const pid_t maker = ::fork();
  if (maker == 0) {
    TProjectModel project = BigProject(4000);
    WriteFileBytes(script, TDataBaseSql().BuildScript(project));
    project.classes.resize(1000);  // references only point back: the first classes are a project too
    WriteFileBytes(json, TModelJson().Export(project));
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(maker, &status, 0), maker);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const double jsonMiB = static_cast<double>(ReadFileBytes(json).size()) / (1 << 20);
  const double scriptMiB = static_cast<double>(ReadFileBytes(script).size()) / (1 << 20);
  const TPeak idle = RunMeasured({"--dir", catalogue.Folder(), "list"});
  ASSERT_EQ(idle.exitCode, 0);

  struct TCase {
    std::vector<std::string> args;
    double inputMiB;
    double perInputMiB;  // what each MiB of input may add to the peak, in MiB
  };
  // Each MiB of input may add 8 MiB to the peak, past the 8 MiB a command may take beyond an idle one. The
  // readers meet it with room to spare: the 4 MiB table script of 4,000 classes peaks about 5 MiB above the
  // idle command per MiB, and so does the 7 MiB project file of 1,000 (held as one JSON document while it is
  // checked). The T-SQL reader that kept a token object for every word of a script took 17 per MiB.
  for (const TCase& c :
       {TCase{{"--dir", catalogue.Folder(), "import-sql", script, "--project", "FromSql"}, scriptMiB, 8},
        TCase{{"--dir", catalogue.Folder(), "check", "--file", json}, jsonMiB, 8},
        TCase{{"--dir", catalogue.Folder(), "import", json, "--as", "FromJson"}, jsonMiB, 8}}) {
    SCOPED_TRACE(c.args[2]);
    const TPeak peak = RunMeasured(c.args);
    EXPECT_EQ(peak.exitCode, 0);
    const double limitMiB = static_cast<double>(idle.kib) / 1024 + 8 + c.perInputMiB * c.inputMiB;
    const double peakMiB = static_cast<double>(peak.kib) / 1024;
    EXPECT_LE(peakMiB, limitMiB) << c.inputMiB << " MiB of input";
    std::printf("%s: %.1f MiB of input, peak %.1f MiB (limit %.1f, idle %.1f)\n", c.args[2].c_str(), c.inputMiB,
                peakMiB, limitMiB, static_cast<double>(idle.kib) / 1024);
  }
}
