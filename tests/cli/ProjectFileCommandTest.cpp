#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "catalogue/DbHelper.h"
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
  for (const auto& [path, bytes] : original) {
    const auto found = copy.find(path);
    ASSERT_NE(found, copy.end()) << path;
    EXPECT_EQ(FirstDifference(found->second, bytes), "") << path;
  }
}

TEST_F(ProjectFileCommandTest, ImportStoresUnderAnotherNameOrReplacesOnlyWhenAsked) {
  const std::string file = WriteFile("small.json", kSmallFile);
  TProgramResult result = Run({"import", file});
  ASSERT_EQ(result.exitCode, 0) << result.err;

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
  const std::string changed = WriteFile("changed.json", Replaced(kSmallFile, "\"Note\"", "\"Memo\""));
  result = Run({"import", changed, "--replace"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(Run({"list"}).out, "Small\nCopy\n");
  EXPECT_EQ(Run({"export", "Small"}).out, Replaced(kSmallFile, "\"Note\"", "\"Memo\""));
  EXPECT_EQ(Run({"export", "Copy"}).out, Replaced(kSmallFile, "\"Small\"", "\"Copy\""));
  // --replace of a name not there yet simply adds the project.
  result = Run({"import", file, "--as", "Third", "--replace"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
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
