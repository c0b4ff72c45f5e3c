#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "catalogue/DbHelper.h"
#include "catalogue/ModelStore.h"
#include "catalogue/ProjectDAO.h"
#include "support/FileBytes.h"
#include "support/RunProgram.h"
#include "support/ShopProject.h"
#include "support/TempCatalogue.h"

namespace fs = std::filesystem;

namespace {

// Two program folders: the test's catalogue and a second, empty one to import into.
class ProjectFileCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FOther = FCatalogue.Folder() + "/other";
    fs::create_directory(FOther);
    for (const std::string& folder : {FCatalogue.Folder(), FOther})
      fs::copy(fs::path(CORVANTHEL_SOURCE_DIR) / "template" / "bak", folder + "/bak", fs::copy_options::recursive);
  }

  TProgramResult Run(const std::string& folder, const std::vector<std::string>& args) {
    std::vector<std::string> all = {"--dir", folder};
    all.insert(all.end(), args.begin(), args.end());
    return RunProgram(CliPath(), all, FCatalogue.Folder());
  }
  TProgramResult Run(const std::vector<std::string>& args) { return Run(FCatalogue.Folder(), args); }

  // A digest of the catalogue's file and its write-ahead log, which change with any stored byte.
  std::string CatalogueBytes(const std::string& folder) {
    const std::string mdb = ReadFileBytes(folder + "/projects.mdb"), wal = ReadFileBytes(folder + "/projects.mdb-wal");
    return std::to_string(mdb.size()) + "/" + std::to_string(std::hash<std::string>{}(mdb)) + " wal " +
           std::to_string(wal.size()) + "/" + std::to_string(std::hash<std::string>{}(wal));
  }

  // Closes this thread's connection to the test's catalogue. The program that closes a catalogue last folds
  // its log into the file, so only with no connection left here do unchanged data keep unchanged bytes.
  void ReleaseCatalogue() {
    TDbHelper::SetCatalogueFile(FOther + "/projects.mdb");
    TDbHelper().GetConnection();
    TDbHelper::SetCatalogueFile(FCatalogue.File());
  }

  std::string WriteFile(const std::string& name, const std::string& bytes) {
    const std::string path = FCatalogue.Folder() + "/" + name;
    WriteFileBytes(path, bytes);
    return path;
  }

  TTempCatalogue FCatalogue;
  std::string FOther;
};

// Every file under the folder, by relative path.
std::map<std::string, std::string> Tree(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) files[fs::relative(entry.path(), folder).string()] = ReadFileBytes(entry.path());
  return files;
}

// The shop with what a round trip must carry: display members, a reference back from Category to Book (so
// references go both ways), an empty friendly name and comment, Chinese texts and both kinds of quote.
TShopProject MakeRoundTripProject() {
  const TShopProject shop = MakeShopProject();
  AddShopMember(shop.projectId, shop.classes[0].id, "topBook", "Book", false, "最畅销的“书” \"top\"");
  TDbHelper().ExecSql("update t_member set memberIsDisplay=1 where memberIsPri=1");
  TDbHelper().ExecSql("update t_member set memberQueryDisplay=0, queryFlag=1 where memberName='price'");
  TDbHelper().ExecSql("update t_class set friendName='O''Reilly 出版社' where className='PublishHouse'");
  return shop;
}

const char* const kSmallFile =
    "{\n"
    "  \"format\": \"corvanthel-project\",\n"
    "  \"version\": 1,\n"
    "  \"projectName\": \"Small\",\n"
    "  \"classes\": [\n"
    "    {\n"
    "      \"className\": \"Note\",\n"
    "      \"friendName\": \"便签\",\n"
    "      \"members\": [\n"
    "        {\n"
    "          \"memberName\": \"id\",\n"
    "          \"memberType\": \"整型\",\n"
    "          \"memberLength\": 0,\n"
    "          \"memberIsPri\": 1,\n"
    "          \"memberComment\": \"编号\",\n"
    "          \"memberIsMust\": 1,\n"
    "          \"memberIsInteger\": 1,\n"
    "          \"memberIsFloat\": 0,\n"
    "          \"queryFlag\": 0,\n"
    "          \"memberIsDisplay\": 1,\n"
    "          \"memberQueryDisplay\": 1\n"
    "        }\n"
    "      ]\n"
    "    }\n"
    "  ]\n"
    "}\n";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  text.replace(text.find(from), from.size(), to);
  return text;
}

}  // namespace

TEST_F(ProjectFileCommandTest, ExportImportExportGivesTheSameBytesAndTheSameGeneratedSite) {
  MakeRoundTripProject();
  TProgramResult result = Run({"export", "Shop", "-o", FCatalogue.Folder() + "/shop.json"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "");
  const std::string exported = ReadFileBytes(FCatalogue.Folder() + "/shop.json");
  EXPECT_EQ(Run({"export", "Shop"}).out, exported);

  result = Run(FOther, {"import", FCatalogue.Folder() + "/shop.json"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  result = Run(FOther, {"export", "Shop"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, exported);

  result = Run({"generate", "Shop"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  result = Run(FOther, {"generate", "Shop"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const auto original = Tree(FCatalogue.Folder() + "/projects/Shop");
  const auto copy = Tree(FOther + "/projects/Shop");
  EXPECT_GT(original.size(), 12u);
  ASSERT_EQ(original.size(), copy.size());
  // The first version of the database holds the catalogue's ids, which the import gives anew: apart from
  // them (and the version's digest in the record, and the record's account of how each file lies on its
  // disk) the sites are the same.
  const auto withoutIds = [](const std::string& text) {
    std::string kept;
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos; start = end + 1, end = text.find('\n', start)) {
      const std::string line = text.substr(start, end + 1 - start);
      if (line.find("Id\": ") == std::string::npos && line.find("upgrades/000.json") == std::string::npos &&
          line.rfind("#= ", 0) != 0)
        kept += line;
    }
    return kept + text.substr(start);
  };
  ASSERT_EQ(original.count("App_Data/upgrades/000.json"), 1u);
  for (const auto& [path, bytes] : original) {
    const auto found = copy.find(path);
    ASSERT_NE(found, copy.end()) << path;
    EXPECT_EQ(FirstDifference(withoutIds(found->second), withoutIds(bytes)), "") << path;
  }
}

// The export stops at a text that is not UTF-8. Written to a file, the text is written as it is made, and the
// stop comes after more than one block of it: the file it would replace stays as it was, a new one is not
// made, and no temporary is left. Standard output gets nothing. Each says why as the other does.
TEST_F(ProjectFileCommandTest, AnExportThatStopsPartwayLeavesEveryFileAsItWas) {
  MakeShopProject();
  TDbHelper().ExecSql(
      "update t_member set memberComment=printf('%.200000c', 'x') where memberId=(select "
      "min(memberId) from t_member)");
  TDbHelper().ExecSql(
      "update t_member set memberComment=cast(x'E4B9FF' as text) where memberId=(select "
      "max(memberId) from t_member)");
  const std::string old = WriteFile("shop.json", "old");
  const std::string fresh = FCatalogue.Folder() + "/new/shop.json";
  fs::create_directory(FCatalogue.Folder() + "/new");
  const TProgramResult toStdout = Run({"export", "Shop"});
  EXPECT_NE(toStdout.exitCode, 0);
  EXPECT_EQ(toStdout.out, "");
  EXPECT_NE(toStdout.err.find("含有不是UTF-8编码的文本，无法导出"), std::string::npos) << toStdout.err;
  for (const std::string& target : {old, fresh}) {
    SCOPED_TRACE(target);
    const TProgramResult result = Run({"export", "Shop", "-o", target});
    EXPECT_EQ(result.exitCode, toStdout.exitCode);
    EXPECT_EQ(result.err, toStdout.err);
    EXPECT_EQ(result.out, "");
  }
  EXPECT_EQ(ReadFileBytes(old), "old");
  EXPECT_TRUE(fs::is_empty(FCatalogue.Folder() + "/new"));
  for (const auto& entry : fs::directory_iterator(FCatalogue.Folder()))
    EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
}

TEST_F(ProjectFileCommandTest, ImportStoresUnderAnotherNameOrReplacesOnlyWhenAsked) {
  const std::string file = WriteFile("small.json", kSmallFile);
  TProgramResult result = Run({"import", file});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  // What was stored, and under which name, is said on standard output.
  EXPECT_EQ(result.out, "导入 1 个类、1 个成员\n已导入为工程“Small”\n");

  // The name is taken (also in another case): refused, nothing stored.
  ReleaseCatalogue();
  const std::string before = CatalogueBytes(FCatalogue.Folder());
  const std::string otherCase = WriteFile("small2.json", Replaced(kSmallFile, "\"Small\"", "\"small\""));
  for (const std::string& path : {file, otherCase}) {
    result = Run({"import", path});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("工程“"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("”已存在\n"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("--replace"), std::string::npos);
  }
  EXPECT_EQ(CatalogueBytes(FCatalogue.Folder()), before);

  result = Run({"import", file, "--as", "Copy"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "导入 1 个类、1 个成员\n已导入为工程“Copy”\n");
  const std::string changed = WriteFile("changed.json", Replaced(kSmallFile, "\"Note\"", "\"Memo\""));
  result = Run({"import", changed, "--replace"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "导入 1 个类、1 个成员\n已替换工程“Small”\n");
  EXPECT_EQ(Run({"list"}).out, "Small\nCopy\n");
  EXPECT_EQ(Run({"export", "Small"}).out, Replaced(kSmallFile, "\"Note\"", "\"Memo\""));
  EXPECT_EQ(Run({"export", "Copy"}).out, Replaced(kSmallFile, "\"Small\"", "\"Copy\""));
  // --replace of a name not there yet simply adds the project.
  result = Run({"import", file, "--as", "Third", "--replace"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "导入 1 个类、1 个成员\n已导入为工程“Third”\n");
  EXPECT_EQ(Run({"list"}).out, "Small\nCopy\nThird\n");
}

TEST_F(ProjectFileCommandTest, EachKindOfBadFileStoresNothingAndExitsOne) {
  MakeShopProject();
  const std::vector<std::pair<std::string, std::string>> badFiles = {
      {"malformed", Replaced(kSmallFile, "\"version\": 1,", "\"version\": 1")},
      {"missing field", Replaced(kSmallFile, "      \"friendName\": \"便签\",\n", "")},
      {"mistyped field", Replaced(kSmallFile, "\"memberLength\": 0", "\"memberLength\": null")},
      {"unknown version", Replaced(kSmallFile, "\"version\": 1", "\"version\": 7")},
      {"repeated key", Replaced(kSmallFile, "\"memberIsDisplay\": 1", "\"memberIsPri\": 1")},
      {"not utf-8", Replaced(kSmallFile, "便签", "\xb1\xe3\xc7\xa9")},
      {"name taken", Replaced(kSmallFile, "\"Small\"", "\"Shop\"")},
      // Files made to break the reader or the terminal.
      {"100,000 nested arrays", std::string(100000, '[') + std::string(100000, ']')},
      {"a number out of range", Replaced(kSmallFile, "\"memberLength\": 0", "\"memberLength\": 1e400")},
      {"an unknown key of escapes", Replaced(kSmallFile, "\"queryFlag\"", "\"\\u001b]0;x\\u0007\\r\"")},
      {"a NUL in a comment", Replaced(kSmallFile, "\"friendName\": \"便签\"", "\"friendName\": \"便\\u0000签\"")},
      {"a line break in a comment", Replaced(kSmallFile, "\"friendName\": \"便签\"", "\"friendName\": \"便\\r\\n签\"")},
      {"a class name of a million letters", Replaced(kSmallFile, "\"Note\"", "\"N" + std::string(1000000, 'o') + "\"")},
  };
  ReleaseCatalogue();
  const std::string before = CatalogueBytes(FCatalogue.Folder());
  for (const auto& [kind, bytes] : badFiles) {
    const std::string path = WriteFile("bad.json", bytes);
    const TProgramResult result = Run({"import", path});
    EXPECT_EQ(result.exitCode, 1) << kind << "\n" << result.err;
    EXPECT_EQ(result.out, "") << kind;
    EXPECT_EQ(result.err.rfind("第", 0) == 0 || result.err.rfind("工程", 0) == 0, true) << kind << "\n" << result.err;
    EXPECT_NE(result.err.find("nothing was imported"), std::string::npos) << kind;
    EXPECT_EQ(CatalogueBytes(FCatalogue.Folder()), before) << kind;
    // What reaches the terminal is the program's own: no byte of the file below a blank but the line ends,
    // no message of the engine.
    for (char c : result.err) EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20) << kind;
    EXPECT_EQ(result.err.find("unrecognized token"), std::string::npos) << kind;
    const TProgramResult check = Run({"check", "--file", path});
    EXPECT_EQ(check.exitCode, kind == "name taken" ? 0 : 1) << kind << "\n" << check.err;
  }
  EXPECT_EQ(Run({"list"}).out, "Shop\n");

  const TProgramResult missing = Run({"import", FCatalogue.Folder() + "/no-such.json"});
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.err.find("no-such.json"), std::string::npos) << missing.err;
  EXPECT_EQ(CatalogueBytes(FCatalogue.Folder()), before);
}

TEST_F(ProjectFileCommandTest, CheckListsEveryProblemOfAFileOrSaysThereIsNone) {
  MakeRoundTripProject();
  TProgramResult result = Run({"check", "Shop"});
  EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
  EXPECT_EQ(result.out, "没有发现问题\n");
  result = Run({"check", "--file", WriteFile("small.json", kSmallFile)});
  EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
  EXPECT_EQ(result.out, "没有发现问题\n");

  std::string twoFaults = Replaced(kSmallFile, "\"memberLength\": 0", "\"memberLength\": \"0\"");
  twoFaults = Replaced(twoFaults, "\"queryFlag\": 0", "\"queryFlag\": false");
  result = Run({"check", "--file", WriteFile("bad.json", twoFaults)});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out,
            "第13行：类“Note”的成员“id”的字段“memberLength”应为整数\n"
            "第19行：类“Note”的成员“id”的字段“queryFlag”应为整数\n");

  // Every problem, not only the first: the four classes of a second shop lack their display member.
  TDbHelper().ExecSql("update t_project set projectName='Done'");
  MakeShopProject();
  result = Run({"check", "Shop"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out,
            "Category表显示成员设置错误，每个类有且只能设置一个显示成员!\n"
            "PublishHouse表显示成员设置错误，每个类有且只能设置一个显示成员!\n"
            "Book表显示成员设置错误，每个类有且只能设置一个显示成员!\n"
            "tag表显示成员设置错误，每个类有且只能设置一个显示成员!\n");

  EXPECT_EQ(Run({"check", "NoSuchProject"}).exitCode, 2);
  EXPECT_EQ(Run({"check", "--file", FCatalogue.Folder() + "/none.json"}).exitCode, 2);
  EXPECT_EQ(Run({"check"}).exitCode, 2);
  EXPECT_EQ(Run({"check", "Shop", "--file", "x.json"}).exitCode, 2);
  EXPECT_EQ(Run({"export", "NoSuchProject"}).exitCode, 2);
  EXPECT_EQ(Run({"import"}).exitCode, 2);
}

TEST_F(ProjectFileCommandTest, ImportStoresAProjectTheCatalogueMayHoldWithWarningsAndExportsItAgainByteForByte) {
  // What the window lets a user make, and import-sql stores: a class without key or display member, and a
  // member naming a class that is not there.
  TProjectModel loose;
  loose.projectName = "Loose";
  loose.classes.resize(2);
  loose.classes[0].className = "Log";
  loose.classes[0].friendName = "日志";
  TMember at;
  at.SetMemberName("at");
  at.SetMemberType("日期型");
  at.SetMemberIsMust(1);
  loose.classes[0].members.push_back(at);
  loose.classes[1].className = "Book";
  loose.classes[1].friendName = "图书";
  TMember id;
  id.SetMemberName("id");
  id.SetMemberType("整型");
  id.SetMemberIsPri(1);
  id.SetMemberIsMust(1);
  id.SetMemberIsInteger(1);
  id.SetMemberIsDisplay(1);
  TMember shelf;
  shelf.SetMemberName("shelf");
  shelf.SetMemberType("Shelf");
  shelf.SetMemberIsMust(1);
  loose.classes[1].members = {id, shelf};
  TModelStore().AddProject(loose);
  const TProgramResult exported = Run({"export", "Loose", "-o", FCatalogue.Folder() + "/loose.json"});
  ASSERT_EQ(exported.exitCode, 0) << exported.err;
  const std::string bytes = ReadFileBytes(FCatalogue.Folder() + "/loose.json");

  TProgramResult result = Run(FOther, {"import", FCatalogue.Folder() + "/loose.json"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "导入 2 个类、3 个成员\n已导入为工程“Loose”\n");
  EXPECT_EQ(result.err,
            "警告：第7行：Log表主键设置错误，每个类只能设置一个主键!\n"
            "警告：第7行：Log表显示成员设置错误，每个类有且只能设置一个显示成员!\n"
            "警告：第43行：Book表的成员shelf的类型Shelf不存在或没有唯一主键!\n");
  result = Run(FOther, {"export", "Loose"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, bytes);
  // check still lists them, and the run still stops at them.
  result = Run(FOther, {"check", "Loose"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out,
            "Log表主键设置错误，每个类只能设置一个主键!\n"
            "Log表显示成员设置错误，每个类有且只能设置一个显示成员!\n"
            "Book表的成员shelf的类型Shelf不存在或没有唯一主键!\n");
  EXPECT_EQ(Run(FOther, {"check", "--file", FCatalogue.Folder() + "/loose.json"}).exitCode, 1);
  EXPECT_EQ(Run(FOther, {"generate", "Loose"}).exitCode, 1);

  // With one problem the catalogue must never hold, nothing is stored and every problem is listed.
  const std::string bad =
      WriteFile("bad.json", Replaced(bytes, "\"memberName\": \"at\"", "\"memberName\": \"at-once\""));
  result = Run(FOther, {"import", bad, "--as", "Bad"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err.find("警告"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("第7行：Log表主键设置错误"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("成员at-once："), std::string::npos) << result.err;
  EXPECT_EQ(Run(FOther, {"list"}).out, "Loose\n");
}

TEST_F(ProjectFileCommandTest, AProjectImportedFromASqlScriptWithoutKeysTravelsAsAProjectFile) {
  const std::string script = WriteFile("log.sql", "CREATE TABLE Log (at datetime NOT NULL, msg varchar(50))\n");
  TProgramResult result = Run({"import-sql", script, "--project", "Log"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  result = Run({"export", "Log", "-o", FCatalogue.Folder() + "/log.json"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  result = Run(FOther, {"import", FCatalogue.Folder() + "/log.json"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "警告：第7行：Log表主键设置错误，每个类只能设置一个主键!\n");
  EXPECT_EQ(Run(FOther, {"export", "Log"}).out, ReadFileBytes(FCatalogue.Folder() + "/log.json"));
}
