// The versions a site keeps of its database, and the upgrade command that reads and records them.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/ClassDAO.h"
#include "catalogue/MemberDAO.h"
#include "catalogue/ModelStore.h"
#include "generation/AutoCode.h"
#include "generation/DataBaseSql.h"
#include "generation/DatabaseUpgrade.h"
#include "generation/UpgradeSql.h"
#include "model/Member.h"
#include "support/ClassShape.h"
#include "support/FileBytes.h"
#include "support/RecordingObserver.h"
#include "support/TempCatalogue.h"
#include "transfer/json/ModelJson.h"
#include "transfer/json/VersionJson.h"
#include "transfer/tsql/SqlImport.h"

namespace fs = std::filesystem;

namespace {

TMember Member(const std::string& name, const std::string& type, int length, int isPri, int isDisplay) {
  TMember member;
  member.SetMemberName(name);
  member.SetMemberType(type);
  member.SetMemberLength(length);
  member.SetMemberIsPri(isPri);
  member.SetMemberIsInteger(type == MemberTypes::kInteger ? 1 : 0);
  member.SetMemberIsDisplay(isDisplay);
  member.SetMemberIsMust(isPri);
  return member;
}

std::string Reading(const std::string& script) {
  std::string reading;
  for (const TClassModel& entry : ImportSqlScript(script, "P").project.classes)
    reading += entry.className + "(" + Shape(entry) + ")\n";
  return reading;
}

class DatabaseUpgradeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy(fs::path(CORVANTHEL_SOURCE_DIR) / "template" / "bak", FCatalogue.Folder() + "/bak",
             fs::copy_options::recursive);
    TProjectModel project;
    project.projectName = "Store";
    TClassModel category;
    category.className = "Category";
    category.members = {Member("id", MemberTypes::kInteger, 0, 1, 1), Member("name", MemberTypes::kString, 20, 0, 0)};
    TClassModel item;
    item.className = "Item";
    item.members = {Member("id", MemberTypes::kInteger, 0, 1, 1), Member("title", MemberTypes::kString, 40, 0, 0),
                    Member("category", "Category", 0, 0, 0)};
    project.classes = {category, item};
    FProjectId = TModelStore().AddProject(project);
  }

  TRecordingObserver Generate(TSiteOptions options = {}) {
    TRecordingObserver recorder;
    TAutoCode run(Target(), "corvanthel", recorder, options);
    run.Execute();
    EXPECT_EQ(recorder.outcomes, std::vector<std::string>{"done"});
    return recorder;
  }

  TGenerationTarget Target() const { return {FProjectId, "Store", FCatalogue.Folder()}; }

  TDatabaseUpgradeOutcome Upgrade(bool record, const std::string& from = "") {
    TDatabaseUpgradeRequest request;
    request.target = Target();
    request.record = record;
    request.fromFile = from;
    return RunDatabaseUpgrade(request);
  }

  std::string Versions() const { return FCatalogue.Folder() + "/projects/Store/App_Data/upgrades"; }

  // Every version file's bytes.
  std::map<std::string, std::string> VersionFiles() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(Versions()))
      files[entry.path().filename().string()] = ReadFileBytes(entry.path().string());
    return files;
  }

  TMember Stored(const std::string& className, const std::string& memberName) {
    for (const TClassModel& entry : TModelStore().LoadProject(FProjectId).classes)
      for (const TMember& member : entry.members)
        if (entry.className == className && member.GetMemberName() == memberName) return member;
    throw std::runtime_error("no member " + memberName);
  }

  TTempCatalogue FCatalogue;
  int FProjectId = 0;
};

}  // namespace

TEST_F(DatabaseUpgradeTest, TheRunThatCreatesASiteRecordsTheFirstVersionAndLaterRunsKeepIt) {
  const TRecordingObserver first = Generate();
  for (const std::string& line : first.lines) EXPECT_EQ(line.find("upgrades"), std::string::npos) << line;
  const std::string model = ReadFileBytes(Versions() + "/000.json");
  const TModelJsonResult read = TVersionJson().Import(model);
  ASSERT_EQ(read.problems, std::vector<std::string>{});
  EXPECT_EQ(read.project.projectId, FProjectId);
  ASSERT_EQ(read.project.classes.size(), 2u);
  EXPECT_EQ(read.project.classes[1].members[2].GetMemberId(), Stored("Item", "category").GetMemberId());
  // The project file's import takes a version for no project file.
  EXPECT_FALSE(TModelJson().Import(model).problems.empty());

  // A changed catalogue regenerated: the version stays, and a dry run lists it unchanged.
  TMember title = Stored("Item", "title");
  title.SetMemberLength(80);
  TMemberDAO().UpdateMember(title);
  const TRecordingObserver dry = Generate({true, false, false});
  bool listed = false;
  for (const TSiteFile& file : dry.report.files)
    if (file.path == "App_Data/upgrades/000.json") listed = file.state == TSiteFileState::Unchanged;
  EXPECT_TRUE(listed);
  Generate();
  EXPECT_EQ(ReadFileBytes(Versions() + "/000.json"), model);
  EXPECT_EQ(VersionFiles().size(), 1u);
}

TEST_F(DatabaseUpgradeTest, RecordedVersionsAppliedInOrderGiveTheCurrentProject) {
  Generate();
  const std::string create = TDataBaseSql().BuildScript(TVersionJson().Import(ReadFileBytes(Versions() + "/000.json")).project);

  TMember title = Stored("Item", "title");
  title.SetMemberName("heading");
  TMemberDAO().UpdateMember(title);
  const TDatabaseUpgradeOutcome one = Upgrade(true);
  ASSERT_EQ(one.exitCode, 0) << one.message;
  EXPECT_EQ(one.recordedVersion, 1);
  EXPECT_NE(one.script.find("sp_rename @objname = N'dbo.Item.title', @newname = N'heading'"), std::string::npos);
  EXPECT_EQ(VersionFiles().at("001.sql"), one.script);
  // --from a version file matches by id as the site's own versions do: the rename again, said where from.
  const TDatabaseUpgradeOutcome fromFile = Upgrade(false, Versions() + "/000.json");
  ASSERT_EQ(fromFile.exitCode, 0) << fromFile.message;
  EXPECT_NE(fromFile.script.find("sp_rename @objname = N'dbo.Item.title', @newname = N'heading'"), std::string::npos);
  EXPECT_NE(fromFile.script.find("-- 从 版本文件 " + Versions() + "/000.json"), std::string::npos) << fromFile.script;

  // Recording again finds nothing to do and records nothing; regenerating moves no version.
  const auto before = VersionFiles();
  const TDatabaseUpgradeOutcome again = Upgrade(true);
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_TRUE(again.nothingToDo);
  EXPECT_EQ(again.recordedVersion, -1);
  Generate();
  EXPECT_EQ(VersionFiles(), before);

  TMember price = Member("price", MemberTypes::kFloat, 0, 0, 0);
  price.SetProjectId(FProjectId);
  price.SetClassId(TClassDAO().GetClassIdByName(FProjectId, "Item"));
  TMemberDAO().AddMember(price);
  TMemberDAO().DeleteMember(Stored("Category", "name").GetMemberId());
  ASSERT_EQ(Upgrade(true).recordedVersion, 2);

  std::string script = create;
  for (const char* file : {"001.sql", "002.sql"}) script += VersionFiles().at(file);
  EXPECT_EQ(Reading(script), Reading(TDataBaseSql().BuildScript(FProjectId)));
  EXPECT_EQ(VersionFiles().size(), 5u);

  // A dry run lists every version file, unchanged.
  std::map<std::string, TSiteFileState> listed;
  for (const TSiteFile& file : Generate({true, false, false}).report.files)
    if (file.path.rfind("App_Data/upgrades/", 0) == 0) listed[file.path.substr(18)] = file.state;
  const std::map<std::string, TSiteFileState> unchanged = {{"000.json", TSiteFileState::Unchanged},
                                                           {"001.json", TSiteFileState::Unchanged},
                                                           {"001.sql", TSiteFileState::Unchanged},
                                                           {"002.json", TSiteFileState::Unchanged},
                                                           {"002.sql", TSiteFileState::Unchanged}};
  EXPECT_EQ(listed, unchanged);
}

TEST_F(DatabaseUpgradeTest, DamagedOrMissingVersionsAreReportedAndNeverGuessedAround) {
  const TDatabaseUpgradeOutcome noSite = Upgrade(false);
  EXPECT_EQ(noSite.exitCode, 1);
  EXPECT_NE(noSite.message.find("projects/Store"), std::string::npos) << noSite.message;

  Generate();
  TMember title = Stored("Item", "title");
  title.SetMemberLength(60);
  TMemberDAO().UpdateMember(title);
  ASSERT_EQ(Upgrade(true).recordedVersion, 1);
  const auto files = VersionFiles();

  struct TDamage {
    const char* file;
    bool remove;
  };
  for (const TDamage& damage : {TDamage{"001.sql", false}, TDamage{"000.json", true}, TDamage{"001.json", true},
                                TDamage{"005.json", false}}) {
    const std::string path = Versions() + "/" + damage.file;
    if (damage.remove)
      fs::remove(path);
    else
      WriteFileBytes(path, "-- changed\r\n");
    const TDatabaseUpgradeOutcome outcome = Upgrade(true);
    EXPECT_EQ(outcome.exitCode, 1) << damage.file;
    EXPECT_NE(outcome.message.find(damage.file), std::string::npos) << outcome.message;
    EXPECT_EQ(outcome.script, "");
    // Put back as it was.
    fs::remove(path);
    if (files.count(damage.file) != 0) WriteFileBytes(path, files.at(damage.file));
    EXPECT_EQ(Upgrade(false).exitCode, 0) << damage.file;
  }
}

TEST_F(DatabaseUpgradeTest, ASiteWithoutVersionsAsksForTheFileItsDatabaseWasMadeFrom) {
  Generate();
  const std::string exported = FCatalogue.Folder() + "/before.json";
  WriteFileBytes(exported, TModelJson().Export(TModelStore().LoadProject(FProjectId)));
  // A site made before versions were kept: no App_Data/upgrades, no record of one.
  fs::remove_all(Versions());
  fs::remove(FCatalogue.Folder() + "/projects/Store/App_Data/corvanthel-manifest.sha256");
  Generate();
  EXPECT_FALSE(fs::exists(Versions()));
  const TDatabaseUpgradeOutcome none = Upgrade(false);
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_NE(none.message.find(DatabaseUpgradeTexts::kNoBaseline), std::string::npos);
  EXPECT_NE(none.message.find("--from"), std::string::npos);

  // From the exported file, by name: the rename reads as a drop and an add, and recording keeps the database
  // the script leaves as the first version.
  TMember title = Stored("Item", "title");
  title.SetMemberName("heading");
  TMemberDAO().UpdateMember(title);
  const TDatabaseUpgradeOutcome from = Upgrade(true, exported);
  ASSERT_EQ(from.exitCode, 0) << from.message;
  EXPECT_NE(from.script.find("DROP COLUMN [title]"), std::string::npos);
  EXPECT_EQ(from.recordedVersion, 0);
  EXPECT_TRUE(Upgrade(false).nothingToDo);
  // Versions there, a script recorded from a file would break their sequence.
  EXPECT_EQ(Upgrade(true, exported).exitCode, 1);
}

// A record the disk cannot take leaves no half version behind, which the next upgrade would take for damage.
TEST_F(DatabaseUpgradeTest, ARecordThatCannotBeWrittenLeavesNoHalfVersion) {
  Generate();
  TMember title = Stored("Item", "title");
  title.SetMemberLength(60);
  TMemberDAO().UpdateMember(title);
  const std::string script = Upgrade(false).script;
  const std::string model = TVersionJson().Export(TModelStore().LoadProject(FProjectId));
  ASSERT_LT(script.size() + 1, model.size());
  const auto before = VersionFiles();
  {
    // Files of the process may grow to the script's size but not to the model's: NNN.sql is written, NNN.json
    // fails as on a full disk.
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const struct rlimit limit = {script.size() + 1, old.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const TDatabaseUpgradeOutcome failed = Upgrade(true);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(failed.exitCode, 2);
    EXPECT_NE(failed.message.find("001.json"), std::string::npos) << failed.message;
  }
  EXPECT_EQ(VersionFiles(), before);
  EXPECT_EQ(Upgrade(true).recordedVersion, 1);
}
