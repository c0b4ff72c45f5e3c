#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/ClassDAO.h"
#include "catalogue/DbHelper.h"
#include "model/Member.h"
#include "catalogue/ProjectDAO.h"
#include "generation/BLLOperate.h"
#include "generation/DALOperate.h"
#include "generation/EntityOperate.h"
#include "site/SiteWriter.h"
#include "catalogue/ModelStore.h"
#include "support/CatalogueSeed.h"
#include "support/FileBytes.h"
#include "support/ShopProject.h"
#include "support/TempCatalogue.h"

namespace fs = std::filesystem;

namespace {

// The expected files of the Shop project, written by hand: GBK, CR LF.
const std::string kExpected = std::string(CORVANTHEL_TEST_DATA) + "/generation/Shop/App_Code/";

// Runs the three layer generators in the order of a generation run and collects the log.
std::vector<std::string> GenerateLayers(const TProjectModel& project, const TGenerationTarget& target) {
  TSiteWriter site(target, {});
  std::vector<std::string> log;
  const auto progress = [&log](const std::string& line) { log.push_back(line); };
  TEntityOperate::MakeEntityFile("corvanthel", project, site, progress);
  TBLLOperate::MakeBLLFile("corvanthel", project, site, progress);
  TDALOperate().MakeDALFile("corvanthel", project, site, progress);
  return log;
}

bool Mentions(const std::string& message, const std::string& name) {
  return message.find("“" + name + "”") != std::string::npos;
}

std::vector<std::string> FilesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(LayerGenerators, WriteEveryLayerByteForByteAndReportEachFile) {
  TTempCatalogue catalogue;
  const TShopProject shop = MakeShopProject();
  const TGenerationTarget target{shop.projectId, "Shop", catalogue.Folder()};
  const std::string site = catalogue.Folder() + "/projects/Shop/App_Code/";

  // A longer file from an earlier run must be replaced completely.
  fs::create_directories(site + "ENTITY");
  WriteFileBytes(site + "ENTITY/Book.cs", std::string(20000, 'x'));

  const std::vector<std::string> log = GenerateLayers(TModelStore().LoadProject(shop.projectId), target);

  const std::vector<std::string> files = {"ENTITY/Category.cs",     "ENTITY/PublishHouse.cs", "ENTITY/Book.cs",
                                          "ENTITY/tag.cs",          "BLL/bllCategory.cs",     "BLL/bllPublishHouse.cs",
                                          "BLL/bllBook.cs",         "BLL/blltag.cs",          "DAL/dalCategory.cs",
                                          "DAL/dalPublishHouse.cs", "DAL/dalBook.cs",         "DAL/daltag.cs"};
  std::vector<std::string> expectedLog;
  for (const std::string& file : files) {
    const std::string expected = ReadFileBytes(kExpected + file);
    ASSERT_FALSE(expected.empty()) << "missing expected file " << file;
    EXPECT_EQ(FirstDifference(ReadFileBytes(site + file), expected), "") << file;
    expectedLog.push_back("projects/Shop/App_Code/" + file + "生成完毕!");
  }
  EXPECT_EQ(log, expectedLog);
  EXPECT_EQ(FilesIn(site + "ENTITY").size(), 4u);
  EXPECT_EQ(FilesIn(site + "BLL").size(), 4u);
  EXPECT_EQ(FilesIn(site + "DAL").size(), 4u);
}

TEST(LayerGenerators, EmptyClassListWritesAndReportsNothing) {
  TTempCatalogue catalogue;
  const TGenerationTarget target{1, "Empty", catalogue.Folder()};
  TProjectModel empty;
  empty.projectName = "Empty";
  EXPECT_TRUE(GenerateLayers(empty, target).empty());
  EXPECT_FALSE(fs::exists(catalogue.Folder() + "/projects"));
}

TEST(LayerGenerators, MemberTypeNamingNoKeyedClassStopsBeforeThatClassesFile) {
  TTempCatalogue catalogue;
  TProjectDAO().AddProject("Lib");
  const int p = TProjectDAO().ListProjects().back().id;
  TClassDAO().AddClass(p, "Author", "作者");
  TClassDAO().AddClass(p, "Loan", "借阅");
  TClassDAO().AddClass(p, "Keyless", "无主键");
  const TNameIdList classes = TClassDAO().ListClassesOfProject(p);
  AddShopMember(p, classes[0].id, "id", MemberTypes::kInteger, true, "");
  AddShopMember(p, classes[1].id, "id", MemberTypes::kInteger, true, "");
  AddShopMember(p, classes[1].id, "writer", "Author", false, "");
  AddShopMember(p, classes[2].id, "note", MemberTypes::kString, false, "");
  // A class that is gone, and a class that has no key member: neither gives a value kind.
  for (const std::string& type : {std::string("Ghost"), std::string("Keyless")}) {
    SCOPED_TRACE(type);
    fs::remove_all(catalogue.Folder() + "/projects");
    AddShopMember(p, classes[1].id, "reader", type, false, "");
    const TProjectModel project = TModelStore().LoadProject(p);
    const TGenerationTarget target{p, "Lib", catalogue.Folder()};
    TSiteWriter writer(target, {});
    std::vector<std::string> log;
    const auto progress = [&log](const std::string& line) { log.push_back(line); };

    const std::string entityError =
        ErrorOf<TGenerationError>([&] { TEntityOperate::MakeEntityFile("", project, writer, progress); });
    EXPECT_TRUE(Mentions(entityError, "Loan") && Mentions(entityError, "reader") && Mentions(entityError, type))
        << entityError;
    const std::string dalError =
        ErrorOf<TGenerationError>([&] { TDALOperate().MakeDALFile("", project, writer, progress); });
    EXPECT_TRUE(Mentions(dalError, "Loan") && Mentions(dalError, "reader") && Mentions(dalError, type)) << dalError;

    const std::string site = catalogue.Folder() + "/projects/Lib/App_Code/";
    EXPECT_TRUE(fs::exists(site + "ENTITY/Author.cs"));
    EXPECT_FALSE(fs::exists(site + "ENTITY/Loan.cs"));
    EXPECT_TRUE(fs::exists(site + "DAL/dalAuthor.cs"));
    EXPECT_FALSE(fs::exists(site + "DAL/dalLoan.cs"));
    EXPECT_EQ(log, (std::vector<std::string>{"projects/Lib/App_Code/ENTITY/Author.cs生成完毕!",
                                             "projects/Lib/App_Code/DAL/dalAuthor.cs生成完毕!"}));

    // Remove the member again for the next round.
    TDbHelper().ExecSql("delete from t_member where memberName='reader'");
  }
}

TEST(LayerGenerators, ClassWithoutKeyMemberGetsNoBusinessOrDataAccessFile) {
  TTempCatalogue catalogue;
  TProjectDAO().AddProject("Lib");
  const int p = TProjectDAO().ListProjects().back().id;
  TClassDAO().AddClass(p, "Shelf", "书架");
  const TNameIdList classes = TClassDAO().ListClassesOfProject(p);
  AddShopMember(p, classes[0].id, "place", MemberTypes::kString, false, "");
  const TGenerationTarget target{p, "Lib", catalogue.Folder()};
  TSiteWriter site(target, {});
  const TProjectModel project = TModelStore().LoadProject(p);

  EXPECT_TRUE(
      Mentions(ErrorOf<TGenerationError>([&] { TBLLOperate::MakeBLLFile("", project, site, nullptr); }), "Shelf"));
  EXPECT_TRUE(
      Mentions(ErrorOf<TGenerationError>([&] { TDALOperate().MakeDALFile("", project, site, nullptr); }), "Shelf"));
  EXPECT_FALSE(fs::exists(catalogue.Folder() + "/projects/Lib/App_Code/BLL/bllShelf.cs"));
  EXPECT_FALSE(fs::exists(catalogue.Folder() + "/projects/Lib/App_Code/DAL/dalShelf.cs"));
}
