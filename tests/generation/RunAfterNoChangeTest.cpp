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

class RunAfterNoChangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy(fs::path(CORVANTHEL_SOURCE_DIR) / "template" / "bak", Folder() + "/bak", fs::copy_options::recursive);
    FShop = MakeGeneratableShopProject();
  }

  std::string Folder() const { return FCatalogue.Folder(); }
  std::string Site() const { return Folder() + "/projects/Shop"; }

  // A run into the site of the program folder given (the catalogue's folder by default).
  TRecordingObserver Run(const std::string& programFolder, TSiteOptions options = {}) {
    TRecordingObserver recorder;
    TGenerationTarget target{FShop.projectId, "Shop", programFolder, Folder() + "/bak"};
    target.userTemplates = Folder() + "/templates";
    TAutoCode run(target, "corvanthel", recorder, options);
    run.Execute();
    EXPECT_EQ(recorder.outcomes, std::vector<std::string>{"done"});
    return recorder;
  }

  // The record is written after the files, within the same clock step as the last of them; a run that
  // comes later finds every stamp older than the record, as any run the user starts does.
  void LetTimePass() const { std::this_thread::sleep_for(std::chrono::milliseconds(30)); }

  static void Sql(const std::string& sql) {
    std::thread([&sql] { TDbHelper().ExecSql(sql); }).join();
  }

  TTempCatalogue FCatalogue;
  TShopProject FShop;
};

}  // namespace

TEST_F(RunAfterNoChangeTest, EveryChangeReachesTheFilesItMakes) {
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
    LetTimePass();
    const TRecordingObserver run = Run(Folder());
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
  Run(Folder());
  LetTimePass();
  const std::string file = Site() + "/App_Code/DAL/dalBook.cs";
  // The same size and modification time as the run left: only the change time tells.
  struct stat before {};
  ::stat(file.c_str(), &before);
  std::string bytes = ReadFileBytes(file);
  bytes[bytes.size() / 2] = bytes[bytes.size() / 2] == 'x' ? 'y' : 'x';
  WriteFileBytes(file, bytes);
  const struct timespec times[2] = {before.st_atim, before.st_mtim};
  ::utimensat(AT_FDCWD, file.c_str(), times, 0);

  const TRecordingObserver kept = Run(Folder(), {false, true});
  EXPECT_EQ(kept.report.keptEdits, std::vector<std::string>{"App_Code/DAL/dalBook.cs"});
  EXPECT_EQ(ReadFileBytes(file), bytes);

  // A record of the first version is still read: the edit is still seen, and the run after it writes its
  // record in the second version.
  TSiteManifest record;
  std::string error;
  ASSERT_TRUE(TSiteManifest::Parse(ReadFileBytes(Site() + "/" + TSiteManifest::kPath), record, error)) << error;
  record.inputs.clear();
  record.facts.clear();
  WriteFileBytes(Site() + "/" + TSiteManifest::kPath, record.Text());
  LetTimePass();
  const TRecordingObserver old = Run(Folder(), {true, false});
  int edited = 0;
  for (const TSiteFile& entry : old.report.files) edited += entry.state == TSiteFileState::Edited ? 1 : 0;
  EXPECT_EQ(edited, 1);
  Run(Folder());
  EXPECT_EQ(ReadFileBytes(Site() + "/" + TSiteManifest::kPath).substr(0, 29), "# corvanthel site manifest 2\n");
}
