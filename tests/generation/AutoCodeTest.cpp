#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/ClassDAO.h"
#include "catalogue/DbHelper.h"
#include "catalogue/ProjectDAO.h"
#include "generation/AutoCode.h"
#include "generation/DataBaseSql.h"
#include "support/FileBytes.h"
#include "support/RecordingObserver.h"
#include "support/RunProgram.h"
#include "support/ShopProject.h"
#include "support/TempCatalogue.h"

namespace fs = std::filesystem;

namespace {

// A program folder with the catalogue and a copy of the shipped template site.
class AutoCodeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy(fs::path(CORVANTHEL_SOURCE_DIR) / "template" / "bak", Bak(), fs::copy_options::recursive);
  }

  std::string Bak() const { return FCatalogue.Folder() + "/bak"; }
  std::string Site(const std::string& project) const { return FCatalogue.Folder() + "/projects/" + project; }

  // The Shop project with one display member per class, ready to generate.
  TShopProject GeneratableShop() { return MakeGeneratableShopProject(); }

  TRecordingObserver Run(int projectId, const std::string& projectName, const std::string& nameSpace = "corvanthel") {
    TRecordingObserver observer;
    TAutoCode run({projectId, projectName, FCatalogue.Folder()}, nameSpace, observer);
    run.Start();
    run.Wait();
    EXPECT_FALSE(run.Running());
    return observer;
  }

  static std::vector<std::string> CopyLines(const std::string& p) {
    return {"正在移动资源文件。。。",
            "移动projects/" + p + "/Admin文件夹完毕！",
            "移动projects/" + p + "/App_Data文件夹完毕！",
            "移动projects/" + p + "Bin文件夹完毕!",
            "移动projects/" + p + "/App_Code/ENTITY文件夹完毕！",
            "移动projects/" + p + "/App_Code/BLL文件夹完毕！",
            "移动projects/" + p + "/App_Code/DAL文件夹完毕！",
            "移动projects/" + p + "/RegUsers.aspx完毕!",
            "移动projects/" + p + "/RegUsers.aspx.cs完毕!",
            "移动projects/" + p + "/web.config完毕",
            "移动资源文件完毕!"};
  }

  TTempCatalogue FCatalogue;
};

int AddClassWithMembers(int projectId, const std::string& className, int keys, int displays) {
  TClassDAO().AddClass(projectId, className, "");
  const int classId = TClassDAO().GetClassIdByName(projectId, className);
  for (int i = 0; i < std::max(keys, displays); ++i) {
    AddShopMember(projectId, classId, "m" + std::to_string(i), "整型", i < keys, "");
    if (i < displays)
      TDbHelper().ExecSql("update t_member set memberIsDisplay=1 where classId=" + std::to_string(classId) +
                          " and memberName='m" + std::to_string(i) + "'");
  }
  return classId;
}

}  // namespace

TEST_F(AutoCodeTest, ASuccessfulRunWritesEveryLayerThenCopiesTheTemplate) {
  const TShopProject shop = GeneratableShop();
  const TRecordingObserver run = Run(shop.projectId, "Shop", "NamespaceNobodyUses");

  std::vector<std::string> expected;
  for (const char* layer : {"ENTITY/", "BLL/bll", "DAL/dal"})
    for (const char* name : {"Category", "PublishHouse", "Book", "tag"})
      expected.push_back(std::string("projects/Shop/App_Code/") + layer + name + ".cs生成完毕!");
  for (const std::string& line : CopyLines("Shop")) expected.push_back(line);
  EXPECT_EQ(run.lines, expected);
  EXPECT_EQ(run.outcomes, std::vector<std::string>{"done"});

  // The files are those the layer generators make, and the template is in place.
  const std::string data = std::string(CORVANTHEL_TEST_DATA) + "/generation/Shop/App_Code/";
  for (const char* file : {"ENTITY/Book.cs", "BLL/bllPublishHouse.cs", "DAL/dalCategory.cs", "DAL/dalBook.cs"})
    EXPECT_EQ(FirstDifference(ReadFileBytes(Site("Shop") + "/App_Code/" + file), ReadFileBytes(data + file)), "")
        << file;
  for (const char* file : {"Admin/Login.aspx", "App_Data/readme.txt", "Bin/readme.txt", "App_Code/DAL/DBHelp.cs",
                           "App_Code/BLL/readme.txt", "RegUsers.aspx", "RegUsers.aspx.cs", "web.config"})
    EXPECT_EQ(ReadFileBytes(Site("Shop") + "/" + file), ReadFileBytes(Bak() + "/" + file)) << file;

  // The namespace text reaches no output.
  for (const auto& entry : fs::recursive_directory_iterator(Site("Shop"))) {
    if (entry.is_regular_file()) {
      EXPECT_EQ(ReadFileBytes(entry.path().string()).find("NamespaceNobodyUses"), std::string::npos) << entry.path();
    }
  }
}

// Changes the catalogue from another thread as soon as the run has written its first file.
class TEditingObserver : public TRecordingObserver {
 public:
  explicit TEditingObserver(std::function<void()> edit) : FEdit(std::move(edit)) {}
  void Progress(const std::string& line) override {
    TRecordingObserver::Progress(line);
    if (lines.size() == 1) std::thread(FEdit).join();
  }

 private:
  std::function<void()> FEdit;
};

TEST_F(AutoCodeTest, EveryFileOfARunComesFromTheCatalogueAsItWasWhenTheRunBegan) {
  const TShopProject shop = GeneratableShop();
  const int book = shop.classes[2].id;
  TEditingObserver observer([&] {
    // A new member of a class whose files are still to come, a changed key and a new class.
    AddShopMember(shop.projectId, book, "late", MemberTypes::kString, false, "迟到");
    TDbHelper().ExecSql("update t_member set memberIsInteger=0 where memberName='id' and classId=" +
                        std::to_string(shop.classes[0].id));
    AddClassWithMembers(shop.projectId, "Late", 1, 1);
  });
  TAutoCode run({shop.projectId, "Shop", FCatalogue.Folder()}, "corvanthel", observer);
  run.Start();
  run.Wait();
  ASSERT_EQ(observer.outcomes, std::vector<std::string>{"done"});
  ASSERT_GT(TClassDAO().GetClassIdByName(shop.projectId, "Late"), 0) << "the edit did not land";

  // Every layer agrees with the others: all are the files of the catalogue before the edit.
  const std::string data = std::string(CORVANTHEL_TEST_DATA) + "/generation/Shop/App_Code/";
  for (const char* layer : {"ENTITY/", "BLL/bll", "DAL/dal"})
    for (const char* name : {"Category", "PublishHouse", "Book", "tag"}) {
      const std::string file = std::string(layer) + name + ".cs";
      EXPECT_EQ(FirstDifference(ReadFileBytes(Site("Shop") + "/App_Code/" + file), ReadFileBytes(data + file)), "")
          << file;
    }
  EXPECT_FALSE(fs::exists(Site("Shop") + "/App_Code/ENTITY/Late.cs"));
  EXPECT_FALSE(fs::exists(Site("Shop") + "/App_Code/DAL/dalLate.cs"));
}

TEST_F(AutoCodeTest, KeyCheckStopsAtTheFirstFailingClassBeforeAnythingIsWritten) {
  TProjectDAO().AddProject("P");
  AddClassWithMembers(1, "A", 1, 0);  // no display member: the display check would fail here
  const int b = AddClassWithMembers(1, "B", 2, 1);
  AddClassWithMembers(1, "C", 0, 1);
  const TRecordingObserver run = Run(1, "P");
  EXPECT_EQ(run.outcomes, std::vector<std::string>{"key " + std::to_string(b)});
  EXPECT_TRUE(run.lines.empty());
  EXPECT_FALSE(fs::exists(FCatalogue.Folder() + "/projects"));
}

TEST_F(AutoCodeTest, DisplayCheckRunsOnceEveryClassHasOneKey) {
  TProjectDAO().AddProject("P");
  AddClassWithMembers(1, "A", 1, 1);
  const int b = AddClassWithMembers(1, "B", 1, 0);
  AddClassWithMembers(1, "C", 2, 2);
  TDbHelper().ExecSql("update t_member set memberIsPri=0 where classId=3 and memberName='m1'");
  const TRecordingObserver run = Run(1, "P");
  EXPECT_EQ(run.outcomes, std::vector<std::string>{"display " + std::to_string(b)});
  EXPECT_TRUE(run.lines.empty());
  EXPECT_FALSE(fs::exists(FCatalogue.Folder() + "/projects"));
}

TEST_F(AutoCodeTest, AReferenceToAMissingClassStopsTheRunBeforeAnythingIsWritten) {
  const TShopProject shop = GeneratableShop();
  AddShopMember(shop.projectId, shop.classes[2].id, "author", "Author", false, "作者");
  TRecordingObserver run = Run(shop.projectId, "Shop");
  EXPECT_EQ(run.outcomes, std::vector<std::string>{"Book表的成员author的类型Author不存在或没有唯一主键!"});
  EXPECT_TRUE(run.lines.empty());
  EXPECT_FALSE(fs::exists(FCatalogue.Folder() + "/projects"));

  // A class of that name in another project does not count.
  TProjectDAO().AddProject("Other");
  AddClassWithMembers(2, "Author", 1, 1);
  run = Run(shop.projectId, "Shop");
  EXPECT_EQ(run.outcomes, std::vector<std::string>{"Book表的成员author的类型Author不存在或没有唯一主键!"});

  // One that differs only in case does, as it does for the catalogue, the generators and the script.
  TDbHelper().ExecSql("update t_member set memberType='category' where memberName='categoryId'");
  TDbHelper().ExecSql("update t_member set memberType='Category' where memberName='author'");
  run = Run(shop.projectId, "Shop");
  EXPECT_EQ(run.outcomes, std::vector<std::string>{"done"});
  EXPECT_NE(TDataBaseSql().BuildScript(shop.projectId).find("REFERENCES category(id)"), std::string::npos);
}

TEST_F(AutoCodeTest, AProjectWithoutClassesOnlyCopiesTheTemplate) {
  TProjectDAO().AddProject("Empty");
  const TRecordingObserver run = Run(1, "Empty");
  EXPECT_EQ(run.lines, CopyLines("Empty"));
  EXPECT_EQ(run.outcomes, std::vector<std::string>{"done"});
  EXPECT_TRUE(fs::exists(Site("Empty") + "/Admin/Login.aspx"));
}

TEST_F(AutoCodeTest, AMissingSingleTemplateFileIsPassedOver) {
  TProjectDAO().AddProject("P");
  fs::remove(Bak() + "/web.config");
  const TRecordingObserver run = Run(1, "P");
  EXPECT_EQ(run.lines, CopyLines("P"));
  EXPECT_EQ(run.outcomes, std::vector<std::string>{"done"});
  EXPECT_FALSE(fs::exists(Site("P") + "/web.config"));
}

TEST_F(AutoCodeTest, AMissingTemplateFolderFailsTheRunAfterTheSourceFiles) {
  const TShopProject shop = GeneratableShop();
  fs::remove_all(Bak() + "/Admin");
  const TRecordingObserver run = Run(shop.projectId, "Shop");
  ASSERT_EQ(run.lines.size(), 13u);
  EXPECT_EQ(run.lines.back(), "正在移动资源文件。。。");
  ASSERT_EQ(run.outcomes.size(), 1u);
  EXPECT_EQ(run.outcomes[0].rfind("failed ", 0), 0u) << run.outcomes[0];
  EXPECT_NE(run.outcomes[0].find(Bak() + "/Admin"), std::string::npos) << run.outcomes[0];
  EXPECT_TRUE(fs::exists(Site("Shop") + "/App_Code/DAL/dalBook.cs"));
  EXPECT_EQ(AutoCodeTexts::Failed("x"), "代码生成失败:x");
}

TEST_F(AutoCodeTest, ASecondRunOverTheSameFolderSucceeds) {
  const TShopProject shop = GeneratableShop();
  ASSERT_EQ(Run(shop.projectId, "Shop").outcomes, std::vector<std::string>{"done"});
  WriteFileBytes(Site("Shop") + "/Admin/admin.css", "edited");
  WriteFileBytes(Site("Shop") + "/web.config", "edited");
  TClassDAO().DeleteClass(shop.classes[3].id);  // tag
  TClassDAO().UpdateClass(shop.projectId, shop.classes[0].id, "Category", "新名称");

  const TRecordingObserver second = Run(shop.projectId, "Shop");
  EXPECT_EQ(second.outcomes, std::vector<std::string>{"done"});
  EXPECT_EQ(ReadFileBytes(Site("Shop") + "/Admin/admin.css"), "edited");  // top-level template files stay
  EXPECT_EQ(ReadFileBytes(Site("Shop") + "/web.config"), ReadFileBytes(Bak() + "/web.config"));
  EXPECT_TRUE(fs::exists(Site("Shop") + "/App_Code/ENTITY/tag.cs"));  // files of deleted classes stay
  EXPECT_NE(ReadFileBytes(Site("Shop") + "/App_Code/DAL/dalCategory.cs").find(GbkText::FromUtf8("新名称")),
            std::string::npos);
}

TEST_F(AutoCodeTest, TheProjectNameIsTakenWhenTheRunIsMade) {
  TProjectDAO().AddProject("Before");
  TRecordingObserver observer;
  TAutoCode run({1, "Before", FCatalogue.Folder()}, "corvanthel", observer);
  TProjectDAO().RenameProject(1, "After");
  run.Start();
  run.Wait();
  EXPECT_EQ(observer.outcomes, std::vector<std::string>{"done"});
  EXPECT_TRUE(fs::exists(Site("Before") + "/web.config"));
  EXPECT_FALSE(fs::exists(Site("After")));
}

TEST_F(AutoCodeTest, TheGeneratedSiteCompilesWithTheTemplate) {
  ASSERT_EQ(std::system("command -v mcs >/dev/null 2>&1"), 0) << "Mono's mcs is missing: run scripts/install-deps";
  const TShopProject shop = GeneratableShop();
  ASSERT_EQ(Run(shop.projectId, "Shop").outcomes, std::vector<std::string>{"done"});
  std::string sources;
  for (const auto& entry : fs::recursive_directory_iterator(Site("Shop")))
    if (entry.path().extension() == ".cs") sources += " " + ShellQuote(entry.path().string());
  const std::string log = FCatalogue.Folder() + "/mcs.log";
  const std::string command =
      "mcs -target:library -codepage:936 -nologo -out:" + ShellQuote(FCatalogue.Folder() + "/site.dll") +
      " -r:System.Data -r:System.Web -r:System.Xml.Linq -r:System.Core -r:System.Configuration" + sources + " >" +
      ShellQuote(log) + " 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0) << ReadFileBytes(log);
  EXPECT_EQ(ReadFileBytes(log).find("error"), std::string::npos) << ReadFileBytes(log);
  EXPECT_NE(sources.find("Login.aspx.cs"), std::string::npos);
  EXPECT_NE(sources.find("dalBook.cs"), std::string::npos);
}
