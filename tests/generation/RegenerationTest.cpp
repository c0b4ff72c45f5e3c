// A second generation run over a site the user has been working in: what the run
// rewrites, what it leaves, what a dry run promises, and what the record of the last
// run (the site's manifest) does when it is there, damaged or missing.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
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

// The run's records, with its report's states and counts at hand.
class TRecorder : public TRecordingObserver {
 public:
  std::map<std::string, TSiteFileState> States() const {
    std::map<std::string, TSiteFileState> states;
    for (const TSiteFile& file : report.files) states[file.path] = file.state;
    return states;
  }
  std::vector<int> Counts() const {
    std::vector<int> counts;
    for (const TSiteFileState state : {TSiteFileState::New, TSiteFileState::Changed, TSiteFileState::Unchanged,
                                       TSiteFileState::Edited, TSiteFileState::LeftOver})
      counts.push_back(report.Count(state));
    return counts;
  }
};

// Every file under a folder with its bytes and modification time.
struct TFileImage {
  std::string bytes;
  fs::file_time_type time;
  bool operator==(const TFileImage& other) const { return bytes == other.bytes && time == other.time; }
};
using TTreeImage = std::map<std::string, TFileImage>;

class RegenerationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy(fs::path(CORVANTHEL_SOURCE_DIR) / "template" / "bak", Bak(), fs::copy_options::recursive);
    FShop = MakeGeneratableShopProject();
  }

  std::string Bak() const { return FCatalogue.Folder() + "/bak"; }
  std::string Site() const { return FCatalogue.Folder() + "/projects/Shop"; }
  std::string SiteFile(const std::string& path) const { return Site() + "/" + path; }
  static std::string Expected(const std::string& path) {
    return ReadFileBytes(std::string(CORVANTHEL_TEST_DATA) + "/generation/Shop/" + path);
  }

  TRecorder Run(TSiteOptions options = {}) {
    TRecorder recorder;
    TAutoCode run({FShop.projectId, "Shop", FCatalogue.Folder()}, "corvanthel", recorder, options);
    run.Execute();
    EXPECT_EQ(recorder.outcomes, std::vector<std::string>{"done"});
    return recorder;
  }

  TTreeImage Image() const {
    TTreeImage image;
    for (const auto& entry : fs::recursive_directory_iterator(Site()))
      if (entry.is_regular_file())
        image[fs::relative(entry.path(), Site()).string()] = {ReadFileBytes(entry.path().string()),
                                                              fs::last_write_time(entry.path())};
    return image;
  }

  // Moves every file's time an hour back, so that any rewrite shows in its time.
  void AgeSite() const {
    const fs::file_time_type past = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const auto& entry : fs::recursive_directory_iterator(Site()))
      if (entry.is_regular_file()) fs::last_write_time(entry.path(), past);
  }

  void AddKeyedClass(const std::string& name) {
    TClassDAO().AddClass(FShop.projectId, name, "新类");
    AddShopMember(FShop.projectId, TClassDAO().GetClassIdByName(FShop.projectId, name), name + "Id", "整型", true,
                  "编号");
    TDbHelper().ExecSql("update t_member set memberIsDisplay=1 where memberName='" + name + "Id'");
  }

  void AppendTo(const std::string& path, const std::string& text) const {
    WriteFileBytes(SiteFile(path), ReadFileBytes(SiteFile(path)) + text);
  }

  TTempCatalogue FCatalogue;
  TShopProject FShop;
};

}  // namespace

TEST(SiteManifestText, ReadsBackWhatItWritesAndRefusesAnythingDamaged) {
  TSiteManifest manifest;
  manifest.projectName = "图书\\馆";
  manifest.digests["web.config"] = std::string(64, 'a');
  manifest.digests["Admin/odd\\name\nline.aspx"] = std::string(64, '0');
  const std::string text = manifest.Text();
  EXPECT_EQ(text,
            "# corvanthel site manifest 1\n"
            "# project: 图书\\\\馆\n"
            "\\0000000000000000000000000000000000000000000000000000000000000000  Admin/odd\\\\name\\nline.aspx\n"
            "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa  web.config\n");
  TSiteManifest read;
  std::string error;
  ASSERT_TRUE(TSiteManifest::Parse(text, read, error)) << error;
  EXPECT_EQ(read.projectName, manifest.projectName);
  EXPECT_EQ(read.digests, manifest.digests);

  const std::string line = std::string(64, 'b') + "  web.config\n";
  const std::string head = "# corvanthel site manifest 1\n# project: P\n";
  for (const std::string& damaged :
       {std::string(), text.substr(0, text.size() - 1), std::string("# corvanthel site manifest 2\n# project: P\n"),
        std::string("# corvanthel site manifest 1\n"), head + line + line,
        head + std::string(63, 'b') + "  web.config\n", head + std::string(64, 'B') + "  web.config\n",
        head + std::string(64, 'b') + " web.config\n", head + std::string(64, 'b') + "  \n",
        head + "\\" + std::string(64, 'b') + "  a\\tb\n", head + std::string(64, 'b') + "  ../../projects.mdb\n",
        head + std::string(64, 'b') + "  /etc/passwd\n", head + std::string(64, 'b') + "  Admin//x\n"}) {
    EXPECT_FALSE(TSiteManifest::Parse(damaged, read, error)) << damaged;
    EXPECT_FALSE(error.empty());
  }
}

TEST_F(RegenerationTest, ARunAfterNoChangeWritesNoFileAndLogsAsBefore) {
  const TRecorder first = Run();
  EXPECT_EQ(first.report.freshStart, "");
  EXPECT_EQ(first.report.Count(TSiteFileState::New), static_cast<int>(first.report.files.size()));
  // The record holds every file the run wrote, with the digest sha256sum would give.
  TSiteManifest manifest;
  std::string error;
  ASSERT_TRUE(TSiteManifest::Parse(ReadFileBytes(SiteFile(TSiteManifest::kPath)), manifest, error)) << error;
  EXPECT_EQ(manifest.projectName, "Shop");
  EXPECT_EQ(manifest.digests.size(), first.report.files.size());
  EXPECT_EQ(manifest.digests.at("web.config").size(), 64u);
  EXPECT_EQ(manifest.digests.count("App_Code/ENTITY/Book.cs"), 1u);

  AgeSite();
  const TTreeImage before = Image();
  const TRecorder second = Run();
  EXPECT_EQ(Image(), before);
  EXPECT_EQ(second.lines, first.lines);
  // Files directly in the template's top folders are never replaced once there, so the run
  // does not even look at them; everything else it looked at is unchanged.
  EXPECT_GT(second.report.files.size(), 12u);
  EXPECT_EQ(second.Counts(), (std::vector<int>{0, 0, static_cast<int>(second.report.files.size()), 0, 0}));
}

TEST_F(RegenerationTest, ADryRunWritesNothingAndCountsWhatTheRunThenDoes) {
  AddKeyedClass("Gone");
  Run();
  // One class gone, one new, one comment changed, one file edited by hand, one template file
  // deleted by the user.
  TClassDAO().DeleteClass(TClassDAO().GetClassIdByName(FShop.projectId, "Gone"));
  AddKeyedClass("Fresh");
  TDbHelper().ExecSql("update t_member set memberComment='category name' where memberName='name'");
  AppendTo("App_Code/DAL/dalBook.cs", "// mine\r\n");
  fs::remove(SiteFile("RegUsers.aspx"));
  AgeSite();
  const TTreeImage before = Image();

  const TRecorder dry = Run({true, false});
  EXPECT_EQ(Image(), before);
  EXPECT_TRUE(dry.lines.empty());
  const std::map<std::string, TSiteFileState> states = dry.States();
  EXPECT_EQ(states.at("App_Code/ENTITY/Fresh.cs"), TSiteFileState::New);
  EXPECT_EQ(states.at("RegUsers.aspx"), TSiteFileState::New);
  EXPECT_EQ(states.at("App_Code/DAL/dalBook.cs"), TSiteFileState::Edited);
  EXPECT_EQ(states.at("App_Code/ENTITY/Category.cs"), TSiteFileState::Changed);
  EXPECT_EQ(states.at("App_Code/BLL/bllBook.cs"), TSiteFileState::Unchanged);
  EXPECT_EQ(states.at("web.config"), TSiteFileState::Unchanged);
  EXPECT_EQ(states.at("App_Code/BLL/bllGone.cs"), TSiteFileState::LeftOver);
  EXPECT_EQ(dry.report.files.back().state, TSiteFileState::LeftOver);
  EXPECT_EQ(dry.Counts()[4], 3);

  const TRecorder real = Run();
  EXPECT_EQ(real.States(), states);
  EXPECT_EQ(real.Counts(), dry.Counts());
  // What the run did to the disk is what the dry run said, file by file.
  const TTreeImage after = Image();
  for (const auto& [path, state] : states) {
    SCOPED_TRACE(path);
    ASSERT_EQ(after.count(path), 1u);
    const bool written =
        state == TSiteFileState::New || state == TSiteFileState::Changed || state == TSiteFileState::Edited;
    EXPECT_EQ(written, before.count(path) == 0 || !(after.at(path) == before.at(path)));
  }
  EXPECT_EQ(ReadFileBytes(SiteFile("App_Code/DAL/dalBook.cs")), Expected("App_Code/DAL/dalBook.cs"));
  // Files left over are never deleted, and stay on record so the next run names them again.
  EXPECT_TRUE(fs::exists(SiteFile("App_Code/DAL/dalGone.cs")));
  EXPECT_EQ(Run({true, false}).Counts(), (std::vector<int>{0, 0, static_cast<int>(states.size()) - 3, 0, 3}));
}

TEST_F(RegenerationTest, KeepEditsLeavesEditedFilesAndPutsTheNewTextBeside) {
  Run();
  AppendTo("App_Code/ENTITY/Book.cs", "// 我的修改\r\n");
  AppendTo("web.config", "<!-- mine -->\r\n");
  TDbHelper().ExecSql("update t_member set memberComment='category name' where memberName='name'");
  const std::string editedBook = ReadFileBytes(SiteFile("App_Code/ENTITY/Book.cs"));
  const std::string editedConfig = ReadFileBytes(SiteFile("web.config"));

  const TRecorder run = Run({false, true});
  EXPECT_EQ(ReadFileBytes(SiteFile("App_Code/ENTITY/Book.cs")), editedBook);
  EXPECT_EQ(ReadFileBytes(SiteFile("web.config")), editedConfig);
  EXPECT_EQ(ReadFileBytes(SiteFile("App_Code/ENTITY/Book.cs.new")), Expected("App_Code/ENTITY/Book.cs"));
  EXPECT_EQ(ReadFileBytes(SiteFile("web.config.new")), ReadFileBytes(Bak() + "/web.config"));
  // The file nobody touched takes the new comment.
  EXPECT_NE(ReadFileBytes(SiteFile("App_Code/ENTITY/Category.cs")), Expected("App_Code/ENTITY/Category.cs"));
  EXPECT_NE(ReadFileBytes(SiteFile("App_Code/ENTITY/Category.cs")).find("category name"), std::string::npos);

  EXPECT_EQ(run.report.keptEdits, (std::vector<std::string>{"App_Code/ENTITY/Book.cs", "web.config"}));
  const std::string kept =
      "projects/Shop/App_Code/ENTITY/Book.cs在上次生成后被手工修改，保留原文件，新内容写入Book.cs.new";
  EXPECT_NE(std::find(run.lines.begin(), run.lines.end(), kept), run.lines.end());
  EXPECT_NE(std::find(run.lines.begin(), run.lines.end(),
                      "projects/Shop/web.config在上次生成后被手工修改，保留原文件，新内容写入web.config.new"),
            run.lines.end());
  EXPECT_EQ(AutoCodeTexts::Done(run.report),
            "所有代码生成完毕!\n\n以下文件在上次生成后被手工修改，已保留原样，新内容写在同一文件夹的同名.new文件中:\n"
            "projects/Shop/App_Code/ENTITY/Book.cs\nprojects/Shop/web.config");

  // The files stay edited for the next run, which keeps them again.
  EXPECT_EQ(Run({false, true}).report.keptEdits, run.report.keptEdits);
  EXPECT_EQ(ReadFileBytes(SiteFile("web.config")), editedConfig);

  // Once the user takes the generated text over as it is, the file is the run's to replace again.
  WriteFileBytes(SiteFile("App_Code/ENTITY/Book.cs"), ReadFileBytes(SiteFile("App_Code/ENTITY/Book.cs.new")));
  TDbHelper().ExecSql("update t_member set memberComment='book title' where memberName='title'");
  const TRecorder adopted = Run({false, true});
  EXPECT_EQ(adopted.States().at("App_Code/ENTITY/Book.cs"), TSiteFileState::Changed);
  EXPECT_NE(ReadFileBytes(SiteFile("App_Code/ENTITY/Book.cs")).find("book title"), std::string::npos);
  EXPECT_EQ(adopted.report.keptEdits, std::vector<std::string>{"web.config"});

  // Without the option the run overwrites them, as it always did.
  const TRecorder plain = Run();
  EXPECT_EQ(plain.report.Count(TSiteFileState::Edited), 1);
  EXPECT_TRUE(plain.report.keptEdits.empty());
  EXPECT_EQ(ReadFileBytes(SiteFile("web.config")), ReadFileBytes(Bak() + "/web.config"));
}

TEST_F(RegenerationTest, AManifestThatCannotBeTrustedStartsAfreshAndLosesNothing) {
  const std::string manifest = SiteFile(TSiteManifest::kPath);
  const std::string shown = "“projects/Shop/App_Data/corvanthel-manifest.sha256”";
  Run();
  AppendTo("App_Code/DAL/dalBook.cs", "// mine\r\n");
  const std::string edited = ReadFileBytes(SiteFile("App_Code/DAL/dalBook.cs"));
  const std::string good = ReadFileBytes(manifest);

  struct TCase {
    std::string text;
    std::string message;
  };
  const std::string otherProject =
      "# corvanthel site manifest 1\n# project: Library\n" + good.substr(good.find('\n', 29) + 1);
  for (const TCase& bad :
       {TCase{good.substr(0, good.size() / 2), "上次生成的记录" + shown + "无法使用(文件不完整)，本次从头开始。"},
        TCase{otherProject, "上次生成的记录" + shown + "无法使用(属于工程“Library”)，本次从头开始。"},
        TCase{"", "上次生成的记录" + shown + "无法使用(文件是空的)，本次从头开始。"}}) {
    SCOPED_TRACE(bad.message);
    WriteFileBytes(manifest, bad.text);
    // Nothing is taken as edited on its word, so a dry run sees the hand edit as a change ...
    const TRecorder dry = Run({true, false});
    EXPECT_EQ(dry.lines, std::vector<std::string>{bad.message});
    EXPECT_EQ(dry.States().at("App_Code/DAL/dalBook.cs"), TSiteFileState::Changed);
    // ... but a run that keeps edits risks nothing on a file it has no record of.
    const TRecorder run = Run({false, true});
    EXPECT_EQ(run.lines.front(), bad.message);
    EXPECT_EQ(ReadFileBytes(SiteFile("App_Code/DAL/dalBook.cs")), edited);
    EXPECT_EQ(ReadFileBytes(SiteFile("App_Code/DAL/dalBook.cs.new")), Expected("App_Code/DAL/dalBook.cs"));
    // The run leaves a sound record behind.
    TSiteManifest read;
    std::string error;
    EXPECT_TRUE(TSiteManifest::Parse(ReadFileBytes(manifest), read, error)) << error;
    EXPECT_EQ(read.projectName, "Shop");
  }

  // A site without a record (made by an earlier version) says so too.
  fs::remove(manifest);
  EXPECT_EQ(Run({true, false}).lines, std::vector<std::string>{"没有找到上次生成的记录" + shown + "，本次从头开始。"});
}
