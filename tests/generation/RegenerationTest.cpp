// A second generation run over a site the user has been working in: what the run
// rewrites, what it leaves, what a dry run promises, and what the record of the last
// run (the site's manifest) does when it is there, damaged or missing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <map>
#include <set>
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
#include "support/WriteFaults.h"
#include "text/Sha256.h"

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
  manifest.files["web.config"].digest.fill(0xaa);
  manifest.files["Admin/odd\\name\nline.aspx"].digest.fill(0x00);
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
  EXPECT_EQ(read.files, manifest.files);

  const std::string line = std::string(64, 'b') + "  web.config\n";
  const std::string head = "# corvanthel site manifest 1\n# project: P\n";
  // A backslash alone is escaped too, or sha256sum would read the name another way.
  TSiteManifest slashed;
  slashed.projectName = "P";
  slashed.files["Admin/a\\b.aspx"].digest.fill(0xcc);
  ASSERT_TRUE(TSiteManifest::Parse(slashed.Text(), read, error)) << error;
  EXPECT_EQ(read.files, slashed.files);
  EXPECT_EQ(slashed.Text().substr(slashed.Text().find('\n', 29) + 1),
            "\\" + std::string(64, 'c') + "  Admin/a\\\\b.aspx\n");

  for (const std::string& damaged :
       {std::string(), text.substr(0, text.size() - 1), std::string("# corvanthel site manifest 2\n# project: P\n"),
        std::string("# corvanthel site manifest 1\n"), head + line + line,
        head + std::string(63, 'b') + "  web.config\n", head + std::string(64, 'B') + "  web.config\n",
        head + std::string(64, 'b') + " web.config\n", head + std::string(64, 'b') + "  \n",
        head + "\\" + std::string(64, 'b') + "  a\\tb\n", head + std::string(64, 'b') + "  ../../projects.mdb\n",
        head + std::string(64, 'b') + "  /etc/passwd\n", head + std::string(64, 'b') + "  Admin//x\n",
        head + std::string(64, 'b') + "  Admin/..\n", head + std::string(64, 'b') + "  Admin/./x\n",
        head + std::string(64, 'b') + "  Admin/\n"}) {
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
  EXPECT_EQ(manifest.files.size(), first.report.files.size());
  EXPECT_EQ(manifest.files.at("web.config").digest, Sha256::Of(ReadFileBytes(SiteFile("web.config"))));
  EXPECT_EQ(manifest.files.count("App_Code/ENTITY/Book.cs"), 1u);

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

TEST_F(RegenerationTest, TheRecordFollowsTheGeneratedTextOfAKeptFileAndLeavesAnEqualNewAlone) {
  const std::string book = "App_Code/ENTITY/Book.cs";
  Run();
  AppendTo(book, "// 我的修改\r\n");
  const auto comment = [](const std::string& text) {
    TDbHelper().ExecSql("update t_member set memberComment='" + text + "' where memberName='title'");
  };
  EXPECT_EQ(Run({false, true}).report.keptEdits, std::vector<std::string>{book});
  // Nothing changed: the second run finds the .new holding its bytes and leaves it, time and all.
  AgeSite();
  const fs::file_time_type aged = fs::last_write_time(SiteFile(book + ".new"));
  EXPECT_EQ(Run({false, true}).report.keptEdits, std::vector<std::string>{book});
  EXPECT_EQ(fs::last_write_time(SiteFile(book + ".new")), aged);

  // The generated text changes while the file is kept: the .new and the record follow it ...
  comment("second text");
  Run({false, true});
  EXPECT_NE(ReadFileBytes(SiteFile(book + ".new")).find("second text"), std::string::npos);
  // ... so the user who takes that text over has a file the run may replace again, even when the generated
  // text has changed once more before the next run.
  WriteFileBytes(SiteFile(book), ReadFileBytes(SiteFile(book + ".new")));
  comment("third text");
  const TRecorder adopted = Run({false, true});
  EXPECT_EQ(adopted.States().at(book), TSiteFileState::Changed);
  EXPECT_TRUE(adopted.report.keptEdits.empty());
  EXPECT_NE(ReadFileBytes(SiteFile(book)).find("third text"), std::string::npos);
}

TEST_F(RegenerationTest, ATemplateFileAtTheRecordsPathNeverEntersTheRecord) {
  WriteFileBytes(Bak() + "/" + TSiteManifest::kPath, "# a record that came with the template\n");
  for (int run = 0; run < 2; ++run) {
    Run();
    TSiteManifest manifest;
    std::string error;
    ASSERT_TRUE(TSiteManifest::Parse(ReadFileBytes(SiteFile(TSiteManifest::kPath)), manifest, error)) << error;
    EXPECT_EQ(manifest.files.count(TSiteManifest::kPath), 0u);
    EXPECT_EQ(manifest.files.count("App_Code/ENTITY/Book.cs"), 1u);
  }
}

// Every file the record names holds the bytes it records, except the files edited by hand.
static void ExpectRecordMatchesDisk(const std::string& site, const std::set<std::string>& edited) {
  TSiteManifest manifest;
  std::string error;
  ASSERT_TRUE(TSiteManifest::Parse(ReadFileBytes(site + "/" + TSiteManifest::kPath), manifest, error)) << error;
  for (const auto& [path, file] : manifest.files) {
    SCOPED_TRACE(path);
    EXPECT_EQ(Sha256::Of(ReadFileBytes(site + "/" + path)) == file.digest, edited.count(path) == 0);
  }
}

TEST_F(RegenerationTest, ARunThatFailsHalfWayLeavesARecordOfWhatIsOnDisk) {
  Run();
  AppendTo("App_Code/ENTITY/Book.cs", "// mine\r\n");
  // Category's file comes before Book's and changes; Book's new text cannot be put beside it.
  TDbHelper().ExecSql("update t_member set memberComment='category name' where memberName='name'");
  fs::create_directory(SiteFile("App_Code/ENTITY/Book.cs.new"));
  TRecorder failed;
  TAutoCode run({FShop.projectId, "Shop", FCatalogue.Folder()}, "corvanthel", failed, {false, true});
  run.Execute();
  ASSERT_EQ(failed.outcomes.size(), 1u);
  EXPECT_EQ(failed.outcomes[0].rfind("failed ", 0), 0u) << failed.outcomes[0];
  EXPECT_NE(ReadFileBytes(SiteFile("App_Code/ENTITY/Category.cs")).find("category name"), std::string::npos);
  ExpectRecordMatchesDisk(Site(), {"App_Code/ENTITY/Book.cs"});

  // The next run takes the file the failed run wrote as its own, and the hand edit as one.
  fs::remove(SiteFile("App_Code/ENTITY/Book.cs.new"));
  const TRecorder next = Run({false, true});
  EXPECT_EQ(next.report.keptEdits, std::vector<std::string>{"App_Code/ENTITY/Book.cs"});
  EXPECT_EQ(next.States().at("App_Code/ENTITY/Category.cs"), TSiteFileState::Unchanged);
  ExpectRecordMatchesDisk(Site(), {"App_Code/ENTITY/Book.cs"});
}

namespace {

// Makes the write, or the close, of the temporary file fail for a file whose new text holds the marker,
// as a full disk or a lost network share does, for as long as it lives.
class TFailingFile {
 public:
  enum TFault { Write, Close };
  TFailingFile(TFault fault, std::string marker) : FReplaced(&MaybeFailingWrite, &MaybeFailingClose) {
    sFault = fault;
    sMarker = std::move(marker);
    sMarked = -1;
  }

 private:
  static ssize_t MaybeFailingWrite(int fd, const void* data, std::size_t size) {
    if (std::string(static_cast<const char*>(data), size).find(sMarker) != std::string::npos) {
      sMarked = fd;
      if (sFault == Write) {
        errno = ENOSPC;
        return -1;
      }
    }
    return ::write(fd, data, size);
  }
  static int MaybeFailingClose(int fd) {
    const int result = ::close(fd);
    if (sFault != Close || fd != sMarked) return result;
    sMarked = -1;
    errno = EIO;
    return -1;
  }

  static inline TFault sFault = Write;
  static inline std::string sMarker;
  static inline int sMarked = -1;
  const TWriteCallsReplaced FReplaced;
};

}  // namespace

TEST_F(RegenerationTest, AFailingWriteOrCloseLeavesTheOldFileWholeAndTheRecordTrue) {
  Run();
  TDbHelper().ExecSql("update t_member set memberComment='category name' where memberName='name'");
  const TTreeImage before = Image();
  for (const TFailingFile::TFault fault : {TFailingFile::Write, TFailingFile::Close}) {
    SCOPED_TRACE(fault);
    TRecorder failed;
    {
      const TFailingFile failing(fault, "category name");
      TAutoCode run({FShop.projectId, "Shop", FCatalogue.Folder()}, "corvanthel", failed, {});
      run.Execute();
    }
    ASSERT_EQ(failed.outcomes.size(), 1u);
    EXPECT_EQ(failed.outcomes[0].rfind("failed ", 0), 0u) << failed.outcomes[0];
    EXPECT_NE(failed.outcomes[0].find(SiteFile("App_Code/ENTITY/Category.cs")), std::string::npos)
        << failed.outcomes[0];
    // No file holds part of a text, no temporary file is left, and the record says what is on disk.
    const TTreeImage after = Image();
    EXPECT_EQ(after.size(), before.size());
    for (const auto& [path, file] : after)
      EXPECT_TRUE(before.count(path) != 0 && file.bytes == before.at(path).bytes) << path;
    ExpectRecordMatchesDisk(Site(), {});
  }
  const TRecorder fine = Run();
  EXPECT_EQ(fine.States().at("App_Code/ENTITY/Category.cs"), TSiteFileState::Changed);
  ExpectRecordMatchesDisk(Site(), {});
}

TEST_F(RegenerationTest, ASpecialFileAtTheRecordsPathIsNoRecordAndHoldsNothingUp) {
  Run();
  const std::string record = SiteFile(TSiteManifest::kPath);
  fs::remove(record);
  ASSERT_EQ(::mkfifo(record.c_str(), 0600), 0);
  TRecorder recorder;
  TAutoCode run({FShop.projectId, "Shop", FCatalogue.Folder()}, "corvanthel", recorder, {false, true});
  std::thread thread([&] { run.Execute(); });
  for (int waited = 0; waited < 300 && recorder.outcomes.empty(); ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const bool stuck = recorder.outcomes.empty();
  EXPECT_FALSE(stuck) << "the run waited on the FIFO";
  if (stuck) {
    // Let a run stuck on the FIFO go, so that the test ends.
    const int fd = ::open(record.c_str(), O_RDWR | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
  }
  thread.join();
  ASSERT_FALSE(recorder.lines.empty());
  EXPECT_EQ(
      recorder.lines.front().rfind("上次生成的记录“projects/Shop/App_Data/corvanthel-manifest.sha256”无法使用(", 0), 0u)
      << recorder.lines.front();
  EXPECT_NE(recorder.lines.front().find("不是普通文件"), std::string::npos) << recorder.lines.front();
  // Nothing is taken as edited on its word, and the FIFO is never written into either.
  ASSERT_EQ(recorder.outcomes.size(), 1u);
  EXPECT_NE(recorder.outcomes[0].find("不是普通文件"), std::string::npos) << recorder.outcomes[0];
  EXPECT_TRUE(fs::is_fifo(record));
}

TEST_F(RegenerationTest, NoLinkInsideTheSiteSendsAWriteOutsideIt) {
  Run();
  const std::string outside = FCatalogue.Folder() + "/outside";
  fs::create_directories(outside + "/folder");
  WriteFileBytes(outside + "/file", "outside");
  // A site cloned from somewhere else, with links to outside where the run writes.
  struct TCase {
    std::string path;  // replaced by a link to outside
    bool folder;
    TSiteOptions options;
  };
  for (const TCase& link : {TCase{"App_Code/DAL/dalBook.cs", false, {}}, TCase{"web.config", false, {}},
                            TCase{TSiteManifest::kPath, false, {}}, TCase{"App_Code/ENTITY", true, {}},
                            TCase{"Admin", true, {}}, TCase{"App_Code/DAL/dalBook.cs.new", false, {false, true}}}) {
    SCOPED_TRACE(link.path);
    fs::remove_all(Site());
    Run();
    if (link.options.keepEdits) AppendTo("App_Code/DAL/dalBook.cs", "// mine\r\n");
    TDbHelper().ExecSql("update t_member set memberComment='changed' where memberName='title'");
    const std::string target = link.folder ? outside + "/folder" : outside + "/file";
    fs::remove_all(SiteFile(link.path));
    fs::create_symlink(target, SiteFile(link.path));
    // Also as a link through "..": the same place spelled relative to the link.
    for (const bool relative : {false, true}) {
      if (relative) {
        fs::remove(SiteFile(link.path));
        fs::create_symlink(fs::relative(target, fs::path(SiteFile(link.path)).parent_path()), SiteFile(link.path));
      }
      TRecorder recorder;
      TAutoCode run({FShop.projectId, "Shop", FCatalogue.Folder()}, "corvanthel", recorder, link.options);
      run.Execute();
      ASSERT_EQ(recorder.outcomes.size(), 1u);
      if (link.path == TSiteManifest::kPath) {
        // A record that is a link out of the site is not read: the run starts afresh, and fails
        // when it comes to write the record.
        EXPECT_NE(recorder.lines.front().find("指向网站文件夹"), std::string::npos) << recorder.lines.front();
      }
      EXPECT_NE(recorder.outcomes[0].find("指向网站文件夹“" + Site() + "”之外"), std::string::npos)
          << recorder.outcomes[0];
      EXPECT_EQ(ReadFileBytes(outside + "/file"), "outside");
      EXPECT_TRUE(fs::is_empty(outside + "/folder"));
      EXPECT_TRUE(fs::is_symlink(SiteFile(link.path)));
    }
  }
}

TEST_F(RegenerationTest, LinksThatStayInsideTheSiteAndALinkedSiteFolderKeepWorking) {
  // projects/ is a link to a deploy folder: the site's own path may go anywhere.
  const std::string deploy = FCatalogue.Folder() + "/deploy";
  fs::create_directories(deploy);
  fs::create_directory_symlink(deploy, FCatalogue.Folder() + "/projects");
  Run();
  EXPECT_EQ(ReadFileBytes(deploy + "/Shop/App_Code/DAL/dalBook.cs"), Expected("App_Code/DAL/dalBook.cs"));

  // Inside the site: a file kept in another folder, by a relative and by an absolute link, and a
  // layer folder that is a link to a folder of the site.
  fs::create_directories(SiteFile("mine"));
  fs::rename(SiteFile("web.config"), SiteFile("mine/web.config"));
  fs::create_symlink("mine/../mine/web.config", SiteFile("web.config"));
  fs::rename(SiteFile("App_Code/DAL/dalBook.cs"), SiteFile("mine/dalBook.cs"));
  fs::create_symlink(fs::canonical(SiteFile("mine/dalBook.cs")), SiteFile("App_Code/DAL/dalBook.cs"));
  fs::rename(SiteFile("App_Code/BLL"), SiteFile("mine/BLL"));
  fs::create_directory_symlink("../mine/BLL", SiteFile("App_Code/BLL"));
  WriteFileBytes(SiteFile("mine/web.config"), "old config");
  WriteFileBytes(SiteFile("mine/dalBook.cs"), "old dal");
  WriteFileBytes(SiteFile("mine/BLL/bllBook.cs"), "old bll");

  Run();
  EXPECT_EQ(ReadFileBytes(SiteFile("mine/web.config")), ReadFileBytes(Bak() + "/web.config"));
  EXPECT_EQ(ReadFileBytes(SiteFile("mine/dalBook.cs")), Expected("App_Code/DAL/dalBook.cs"));
  EXPECT_EQ(ReadFileBytes(SiteFile("mine/BLL/bllBook.cs")), Expected("App_Code/BLL/bllBook.cs"));
  for (const char* link : {"web.config", "App_Code/DAL/dalBook.cs", "App_Code/BLL"})
    EXPECT_TRUE(fs::is_symlink(SiteFile(link))) << link;
  ExpectRecordMatchesDisk(Site(), {});
}
