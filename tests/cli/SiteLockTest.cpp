// One writer of a site at a time: generate and upgrade-sql against a site another operation holds.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "catalogue/DbHelper.h"
#include "catalogue/ModelStore.h"
#include "model/Member.h"
#include "site/SiteLock.h"
#include "support/FileBytes.h"
#include "support/RunProgram.h"
#include "support/TempCatalogue.h"

namespace fs = std::filesystem;

namespace {

TProjectModel OneClassProject(const std::string& name, bool withKey) {
  TProjectModel project;
  project.projectName = name;
  TClassModel item;
  item.className = "Item";
  TMember key;
  key.SetMemberName("id");
  key.SetMemberType(MemberTypes::kInteger);
  key.SetMemberIsPri(withKey ? 1 : 0);
  key.SetMemberIsInteger(1);
  key.SetMemberIsDisplay(1);
  item.members = {key};
  project.classes = {item};
  return project;
}

// Every entry below the folder with its bytes (a folder as "<folder>"), so that a lock file or any other
// trace shows as well as a changed file.
std::map<std::string, std::string> TreeOf(const std::string& folder) {
  std::map<std::string, std::string> tree;
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string relative = fs::relative(it->path(), folder).string();
    tree[relative] = it->is_directory() ? std::string("<folder>") : ReadFileBytes(it->path().string());
  }
  return tree;
}

// Another operation's hold of the site: a second open file description of the site's folder, locked as that
// operation would lock it.
class THeldSite {
 public:
  THeldSite(const std::string& folder, int operation)
      : FFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    EXPECT_GE(FFd, 0);
    EXPECT_EQ(::flock(FFd, operation | LOCK_NB), 0);
  }
  ~THeldSite() { ::close(FFd); }

 private:
  int FFd;
};

class SiteLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy(fs::path(CORVANTHEL_SOURCE_DIR) / "template" / "bak", Bak(), fs::copy_options::recursive);
  }

  TProgramResult Run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"--dir", FCatalogue.Folder()});
    return RunProgram(CliPath(), arguments, FCatalogue.Folder());
  }
  std::string Bak() const { return FCatalogue.Folder() + "/bak"; }
  std::string Projects() const { return FCatalogue.Folder() + "/projects"; }

  TTempCatalogue FCatalogue;
};

}  // namespace

TEST_F(SiteLockTest, AHeldSiteRefusesEveryWriterAndWritesNothingAndEveryRunLetsGo) {
  TModelStore().AddProject(OneClassProject("Store", true));
  // A run that fails its checks on a site not there yet leaves nothing: the folder its lock made goes again.
  TModelStore().AddProject(OneClassProject("Keyless", false));
  EXPECT_EQ(Run({"generate", "Keyless"}).exitCode, 1);
  EXPECT_FALSE(fs::exists(Projects()));

  ASSERT_EQ(Run({"generate", "Store"}).exitCode, 0);
  // Released after a run: a second one works, and so does recording a version.
  ASSERT_EQ(Run({"generate", "Store"}).exitCode, 0);
  const std::string site = Projects() + "/Store";
  const std::string busy = SiteTexts::Busy("projects/Store");

  // A member added since the last version: --record would write 001.sql and 001.json.
  TDbHelper().ExecSql(
      "insert into t_member (projectId, classId, memberName, memberType, memberLength, memberIsPri, memberComment, "
      "memberIsMust, memberIsInteger, memberIsFloat, queryFlag, memberIsDisplay, memberQueryDisplay) select "
      "projectId, classId, 'name', '字符串', 20, 0, '', 0, 0, 0, 0, 0, 1 from t_member where memberName='id'");
  const std::map<std::string, std::string> before = TreeOf(Projects());

  struct TCase {
    int held;  // how the other operation holds the site
    std::vector<std::string> command;
    bool refused;
  };
  const TCase cases[] = {
      {LOCK_EX, {"generate", "Store"}, true},
      {LOCK_EX, {"generate", "Store", "--keep-edits"}, true},
      {LOCK_EX, {"generate", "Store", "--dry-run"}, true},
      {LOCK_EX, {"upgrade-sql", "Store", "--record"}, true},
      {LOCK_EX, {"upgrade-sql", "Store"}, true},
      // Readers share the site with each other; a writer waits for none of them.
      {LOCK_SH, {"generate", "Store"}, true},
      {LOCK_SH, {"upgrade-sql", "Store", "--record"}, true},
      {LOCK_SH, {"generate", "Store", "--dry-run"}, false},
      {LOCK_SH, {"upgrade-sql", "Store"}, false},
  };
  for (const TCase& test : cases) {
    std::string shown = test.held == LOCK_EX ? "held exclusively:" : "held shared:";
    for (const std::string& word : test.command) shown += " " + word;
    SCOPED_TRACE(shown);
    const THeldSite held(site, test.held);
    const TProgramResult result = Run(test.command);
    if (test.refused) {
      EXPECT_EQ(result.exitCode, 2);
      EXPECT_NE(result.err.find(busy), std::string::npos) << result.err;
      EXPECT_EQ(result.out, "");
    } else {
      EXPECT_EQ(result.exitCode, 0) << result.err;
      EXPECT_EQ(result.err.find(busy), std::string::npos) << result.err;
    }
    EXPECT_TRUE(TreeOf(Projects()) == before);
  }

  // The holds are gone: the version is recorded, and a run after it keeps it on the site's record.
  TProgramResult result = Run({"upgrade-sql", "Store", "--record"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(fs::exists(site + "/App_Data/upgrades/001.sql"));
  // A run that fails part-way (the template gone) lets go of the site too.
  fs::rename(Bak(), Bak() + ".away");
  EXPECT_EQ(Run({"generate", "Store"}).exitCode, 2);
  fs::rename(Bak() + ".away", Bak());
  EXPECT_EQ(Run({"generate", "Store"}).exitCode, 0);
  result = Run({"upgrade-sql", "Store"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  // Nothing of the lock stays beside the site or in it.
  for (const auto& entry : fs::directory_iterator(Projects())) EXPECT_EQ(entry.path().filename(), "Store");
  {
    // In one process, too, a second hold of a held site is refused: one run of the window and its button.
    const TSiteLock lock({0, "Store", FCatalogue.Folder()}, TSiteUse::Write);
    EXPECT_THROW(TSiteLock({0, "Store", FCatalogue.Folder()}, TSiteUse::Read), TSiteBusyError);
  }
  EXPECT_NO_THROW(TSiteLock({0, "Store", FCatalogue.Folder()}, TSiteUse::Write));
}
