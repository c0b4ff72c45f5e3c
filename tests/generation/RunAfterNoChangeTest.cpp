// A run takes a class's file as unchanged without making its text when the record shows it made from the
// same inputs and untouched since. Whatever changed, the site it leaves must be the one a run into an empty
// folder makes, and a hand edit must still be seen.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/ClassDAO.h"
#include "catalogue/DbHelper.h"
#include "catalogue/StatementLog.h"
#include "generation/AutoCode.h"
#include "site/SiteManifest.h"
#include "support/FileBytes.h"
#include "support/RecordingObserver.h"
#include "support/ShopProject.h"
#include "support/TempCatalogue.h"

namespace fs = std::filesystem;

namespace {

// Every file of a site with its bytes, but its record and its database versions (the first is the model
// of the run that made the site).
std::map<std::string, std::string> Files(const std::string& site) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(site)) {
    const std::string path = fs::relative(entry.path(), site).string();
    if (entry.is_regular_file() && path != TSiteManifest::kPath && path.rfind("App_Data/upgrades/", 0) != 0)
      files[path] = ReadFileBytes(entry.path().string());
  }
  return files;
}

// Changes one byte of the file and puts its modification time back: the same size and time as the run left,
// so that only the change time tells. Returns the new bytes.
std::string EditKeepingSizeAndTime(const std::string& file) {
  struct stat before {};
  ::stat(file.c_str(), &before);
  std::string bytes = ReadFileBytes(file);
  bytes[bytes.size() / 2] = bytes[bytes.size() / 2] == 'x' ? 'y' : 'x';
  WriteFileBytes(file, bytes);
  const struct timespec times[2] = {before.st_atim, before.st_mtim};
  ::utimensat(AT_FDCWD, file.c_str(), times, 0);
  return bytes;
}

// The paths whose bytes differ between two sites, or that only one of them has.
std::vector<std::string> Differing(const std::map<std::string, std::string>& a,
                                   const std::map<std::string, std::string>& b) {
  std::vector<std::string> paths;
  for (const auto& [path, bytes] : a) {
    const auto other = b.find(path);
    if (other == b.end() || other->second != bytes) paths.push_back(path);
  }
  for (const auto& entry : b)
    if (a.count(entry.first) == 0) paths.push_back(entry.first);
  return paths;
}

class RunAfterNoChangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy(fs::path(CORVANTHEL_SOURCE_DIR) / "template" / "bak", Folder() + "/bak", fs::copy_options::recursive);
    FShop = MakeGeneratableShopProject();
  }

  std::string Folder() const { return FCatalogue.Folder(); }
  std::string Site() const { return Folder() + "/projects/Shop"; }

  // A run into the site of the program folder given (the catalogue's folder by default). FReadMembers says
  // whether it read the members of the project.
  TRecordingObserver Run(const std::string& programFolder, TSiteOptions options = {}) {
    TRecordingObserver recorder;
    TGenerationTarget target{FShop.projectId, "Shop", programFolder, Folder() + "/bak"};
    target.userTemplates = Folder() + "/templates";
    TAutoCode run(target, "corvanthel", recorder, options);
    const TStatementLog log;
    run.Execute();
    FReadMembers = false;
    for (const std::string& sql : log.Statements()) FReadMembers |= sql.find("t_member") != std::string::npos;
    EXPECT_EQ(recorder.outcomes, std::vector<std::string>{"done"});
    return recorder;
  }

  // Sets the modification time of each file of the catalogue written since to one moment long past, as if
  // nothing had written it for years: a run then keeps the catalogue's stamp in its record, and a later run
  // trusts it while it is the same. Two catalogues so settled differ only in their change times (and sizes).
  void SettleCatalogue() const {
    const struct timespec times[2] = {{0, UTIME_OMIT}, {1577836800, 0}};
    for (const char* suffix : {"", "-wal"}) {
      const std::string file = FCatalogue.File() + suffix;
      struct stat info {};
      if (::stat(file.c_str(), &info) == 0 && (info.st_mtim.tv_sec != times[1].tv_sec || info.st_mtim.tv_nsec != 0))
        ::utimensat(AT_FDCWD, file.c_str(), times, 0);
    }
  }

  TSiteManifest Record(const std::string& site) const {
    TSiteManifest record;
    std::string error;
    EXPECT_TRUE(TSiteManifest::Parse(ReadFileBytes(site + "/" + TSiteManifest::kPath), record, error)) << error;
    return record;
  }

  // The record is written after the files, within the same clock step as the last of them; a run that
  // comes later finds every stamp older than the record, as any run the user starts does.
  void LetTimePass() const { std::this_thread::sleep_for(std::chrono::milliseconds(30)); }

  static void Sql(const std::string& sql) {
    std::thread([&sql] { TDbHelper().ExecSql(sql); }).join();
  }

  TTempCatalogue FCatalogue;
  TShopProject FShop;
  bool FReadMembers = false;
};

}  // namespace

TEST_F(RunAfterNoChangeTest, EveryChangeReachesTheFilesItMakes) {
  // Every run finds the catalogue settled: only its stamp tells whether it changed since the last run.
  SettleCatalogue();
  Run(Folder());
  struct TChange {
    const char* what;
    std::function<void()> make;
  };
  const TChange changes[] = {
      {"nothing", [] {}},
      {"a comment of the class", [] { Sql("update t_member set memberComment='书的名字' where memberName='title'"); }},
      // Book refers to both: its texts carry their keys' names, kinds and lengths, and their display members.
      {"the length of a referenced text key",
       [] { Sql("update t_member set memberLength=12 where memberName='code'"); }},
      {"the name of a referenced key",
       [] {
         Sql("update t_member set memberName='cid' where memberName='id' and "
             "classId=(select classId from t_class where className='Category')");
       }},
      {"a referenced class's display member",
       [] {
         Sql("update t_member set memberIsDisplay=0 where classId=(select classId from t_class where "
             "className='Category')");
         Sql("update t_member set memberIsDisplay=1 where memberName='name' and classId=(select classId from "
             "t_class where className='Category')");
       }},
      {"a class added",
       [this] {
         std::thread([this] {
           TClassDAO().AddClass(FShop.projectId, "Shelf", "书架");
           AddShopMember(FShop.projectId, TClassDAO().GetClassIdByName(FShop.projectId, "Shelf"), "shelfId", "整型",
                         true, "编号");
           TDbHelper().ExecSql("update t_member set memberIsDisplay=1 where memberName='shelfId'");
         }).join();
       }},
      {"a user's template",
       [this] {
         fs::create_directories(Folder() + "/templates");
         WriteFileBytes(Folder() + "/templates/Entity.cs.mustache", "// {{className}} of {{projectName}}\n");
       }},
      {"a user's template that walks every class",
       [this] { WriteFileBytes(Folder() + "/templates/BLL.cs.mustache", "{{#classes}}{{className}} {{/classes}}\n"); }},
      {"a user's template that lists the members referring to its class",
       [this] {
         WriteFileBytes(Folder() + "/templates/DAL.cs.mustache", "{{#referencedBy}}{{name}} {{/referencedBy}}\n");
       }},
      {"a member that refers to another class",
       [this] {
         std::thread([this] {
           AddShopMember(FShop.projectId, TClassDAO().GetClassIdByName(FShop.projectId, "Book"), "tagId", "tag", false,
                         "标签");
         }).join();
       }},
      {"a class added after that",
       [this] {
         std::thread([this] {
           TClassDAO().AddClass(FShop.projectId, "Zone", "");
           AddShopMember(FShop.projectId, TClassDAO().GetClassIdByName(FShop.projectId, "Zone"), "zoneId", "整型", true,
                         "编号");
           TDbHelper().ExecSql("update t_member set memberIsDisplay=1 where memberName='zoneId'");
         }).join();
       }},
  };
  for (const TChange& change : changes) {
    SCOPED_TRACE(change.what);
    const std::map<std::string, std::string> before = Files(Site());
    change.make();
    SettleCatalogue();
    LetTimePass();
    const TRecordingObserver run = Run(Folder());
    // Only a run after no change at all is one the record vouches for.
    EXPECT_EQ(FReadMembers, &change != changes);
    const std::string fresh = Folder() + "/fresh-" + std::to_string(&change - changes);
    Run(fresh);
    const std::map<std::string, std::string> after = Files(Site());
    EXPECT_EQ(after, Files(fresh + "/projects/Shop"));
    // Every file whose bytes changed is reported so, every other one as unchanged.
    for (const TSiteFile& file : run.report.files) {
      const auto old = before.find(file.path);
      if (file.path.rfind("App_Data/upgrades/", 0) == 0) continue;
      const bool same = old != before.end() && old->second == after.at(file.path);
      EXPECT_EQ(file.state == TSiteFileState::Unchanged, same) << file.path;
    }
  }
}

TEST_F(RunAfterNoChangeTest, AHandEditIsSeenWhateverItKeeps) {
  SettleCatalogue();
  Run(Folder());
  LetTimePass();
  const std::string file = Site() + "/App_Code/DAL/dalBook.cs";
  const std::string bytes = EditKeepingSizeAndTime(file);

  const TRecordingObserver kept = Run(Folder(), {false, true});
  EXPECT_EQ(kept.report.keptEdits, std::vector<std::string>{"App_Code/DAL/dalBook.cs"});
  EXPECT_EQ(ReadFileBytes(file), bytes);

  // A record of the first version is still read: the edit is still seen, and the run after it writes its
  // record in the second version.
  TSiteManifest record;
  std::string error;
  ASSERT_TRUE(TSiteManifest::Parse(ReadFileBytes(Site() + "/" + TSiteManifest::kPath), record, error)) << error;
  record.inputs.clear();
  for (auto& entry : record.files) entry.second.facts = TFileFacts();
  WriteFileBytes(Site() + "/" + TSiteManifest::kPath, record.Text());
  LetTimePass();
  const TRecordingObserver old = Run(Folder(), {true, false});
  int edited = 0;
  for (const TSiteFile& entry : old.report.files) edited += entry.state == TSiteFileState::Edited ? 1 : 0;
  EXPECT_EQ(edited, 1);
  Run(Folder());
  EXPECT_EQ(ReadFileBytes(Site() + "/" + TSiteManifest::kPath).substr(0, 29), "# corvanthel site manifest 2\n");
}

// A run the record vouches for reads the project's classes alone and tells exactly what a run that reads
// everything tells; whatever it cannot vouch for, the run reads everything and leaves the site a run into an
// empty folder makes.
TEST_F(RunAfterNoChangeTest, ARunTheRecordVouchesForTellsWhatAFullRunTells) {
  SettleCatalogue();
  Run(Folder());
  ASSERT_TRUE(Record(Site()).catalogue);
  LetTimePass();
  const auto listing = [this] {
    std::map<std::string, std::pair<long long, long long>> times;
    for (const auto& entry : fs::recursive_directory_iterator(Site())) {
      struct stat info {};
      ::stat(entry.path().c_str(), &info);
      times[entry.path().string()] = {info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec, info.st_ino};
    }
    return times;
  };
  const auto before = listing();
  const TRecordingObserver vouched = Run(Folder());
  EXPECT_FALSE(FReadMembers);
  EXPECT_EQ(listing(), before);
  // The same run after the record lost the catalogue's stamp reads everything, finds nothing to write and
  // tells the same, line for line and file for file.
  TSiteManifest record = Record(Site());
  record.catalogue.reset();
  WriteFileBytes(Site() + "/" + TSiteManifest::kPath, record.Text());
  LetTimePass();
  const TRecordingObserver full = Run(Folder());
  EXPECT_TRUE(FReadMembers);
  EXPECT_EQ(vouched.lines, full.lines);
  ASSERT_EQ(vouched.report.files.size(), full.report.files.size());
  for (std::size_t i = 0; i < full.report.files.size(); ++i) {
    EXPECT_EQ(vouched.report.files[i].path, full.report.files[i].path);
    EXPECT_EQ(vouched.report.files[i].state, full.report.files[i].state) << full.report.files[i].path;
  }
  // A dry run the record vouches for reports the same states too (the last run wrote a record with the stamp
  // again only if it wrote anything, so one more run that writes is made first).
  fs::remove(Site() + "/web.config");
  Run(Folder());
  ASSERT_TRUE(Record(Site()).catalogue);
  LetTimePass();
  const TRecordingObserver dry = Run(Folder(), {true, false});
  EXPECT_FALSE(FReadMembers);
  EXPECT_TRUE(dry.lines.empty());
  EXPECT_EQ(dry.report.files.size(), full.report.files.size());

  struct TCase {
    const char* what;
    std::function<void()> make;
    TSiteOptions options;
  };
  const TCase cases[] = {
      {"a class's file edited by hand, its size and time kept",
       [this] { EditKeepingSizeAndTime(Site() + "/App_Code/ENTITY/Book.cs"); },
       {}},
      {"a class's file removed", [this] { fs::remove(Site() + "/App_Code/DAL/dalCategory.cs"); }, {}},
      {"a file of the template site removed", [this] { fs::remove(Site() + "/RegUsers.aspx"); }, {}},
      {"a folder of the template site removed", [this] { fs::remove_all(Site() + "/Admin"); }, {}},
      {"a file of the template site changed", [this] { WriteFileBytes(Folder() + "/bak/web.config", "<x/>\n"); }, {}},
      // Written within the last two seconds, the catalogue's stamp could stay the same through a write in its
      // clock step: the run reads everything.
      {"the catalogue written just now", [] { Sql("insert into t_project(projectName) values('Other')"); }, {}},
      // Last: the pages stay in the site.
      {"the admin pages asked for", [] {}, {false, false, true}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    c.make();
    LetTimePass();
    const TRecordingObserver run = Run(Folder(), c.options);
    EXPECT_TRUE(FReadMembers);
    const std::string fresh = Folder() + "/fresh-" + std::to_string(&c - cases);
    Run(fresh, c.options);
    EXPECT_EQ(Differing(Files(Site()), Files(fresh + "/projects/Shop")), std::vector<std::string>());
  }
  // A site made just after the catalogue was written keeps no stamp of it.
  EXPECT_FALSE(Record(Folder() + "/fresh-" + std::to_string(std::size(cases) - 2) + "/projects/Shop").catalogue);
}

// The stamp is taken before the classes are read: a change committed in between could make the classes read
// newer than the stamp says. The run takes the stamp again after the read, and reads everything when it moved.
TEST_F(RunAfterNoChangeTest, AWriteBetweenTheStampAndTheReadIsSeen) {
  SettleCatalogue();
  Run(Folder());
  LetTimePass();
  TRecordingObserver recorder;
  TGenerationTarget target{FShop.projectId, "Shop", Folder(), Folder() + "/bak"};
  target.userTemplates = Folder() + "/templates";
  TAutoCode run(target, "corvanthel", recorder);
  {
    // Before the run's first statement, after its stamp.
    const TEditBetweenStatements edit(
        0, [] { TDbHelper().ExecSql("update t_member set memberComment='书的名字' where memberName='title'"); });
    run.Execute();
    EXPECT_TRUE(edit.Edited());
  }
  EXPECT_EQ(recorder.outcomes, std::vector<std::string>{"done"});
  Run(Folder() + "/fresh");
  EXPECT_EQ(Differing(Files(Site()), Files(Folder() + "/fresh/projects/Shop")), std::vector<std::string>());
  EXPECT_NE(ReadFileBytes(Site() + "/App_Code/ENTITY/Book.cs").find("\xca\xe9\xb5\xc4\xc3\xfb\xd7\xd6"),
            std::string::npos);
}
