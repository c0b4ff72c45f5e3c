// corvanthel-cli preview and the class texts behind it: the preview must show exactly
// what the run writes, class by class, and a class the run would refuse shows why.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/ClassDAO.h"
#include "catalogue/DbHelper.h"
#include "catalogue/ProjectDAO.h"
#include "generation/AutoCode.h"
#include "generation/CodePreview.h"
#include "generation/DataBaseSql.h"
#include "text/GbkText.h"
#include "catalogue/ModelStore.h"
#include "support/FileBytes.h"
#include "support/RunProgram.h"
#include "support/ShopProject.h"
#include "support/TempCatalogue.h"

namespace fs = std::filesystem;

namespace {

class PreviewCommandTest : public ::testing::Test {
 protected:
  TProgramResult Cli(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"--dir", FCatalogue.Folder()};
    all.insert(all.end(), args.begin(), args.end());
    return RunProgram(CliPath(), all, FCatalogue.Folder());
  }
  std::string SiteFile(const std::string& relative) {
    return ReadFileBytes(FCatalogue.Folder() + "/projects/Shop/App_Code/" + relative);
  }
  TTempCatalogue FCatalogue;
};

}  // namespace

TEST_F(PreviewCommandTest, EveryLayerOfEveryClassEqualsTheFileTheRunWrites) {
  const TShopProject shop = MakeGeneratableShopProject();
  fs::copy(fs::path(CORVANTHEL_SOURCE_DIR) / "template" / "bak", FCatalogue.Folder() + "/bak",
           fs::copy_options::recursive);
  ASSERT_EQ(Cli({"generate", "Shop"}).exitCode, 0);

  for (const TNameId& entry : shop.classes) {
    const std::string& c = entry.name;
    const struct {
      const char* layer;
      std::string file;
    } layers[] = {{"entity", "ENTITY/" + c + ".cs"}, {"bll", "BLL/bll" + c + ".cs"}, {"dal", "DAL/dal" + c + ".cs"}};
    for (const auto& layer : layers) {
      const TProgramResult result = Cli({"preview", "Shop", c, layer.layer});
      EXPECT_EQ(result.exitCode, 0) << c << " " << layer.layer << ": " << result.err;
      const std::string written = SiteFile(layer.file);
      ASSERT_FALSE(written.empty()) << layer.file;
      EXPECT_EQ(FirstDifference(GbkText::FromUtf8(result.out), written), "") << layer.file;
    }
  }
  // Without a layer the entity file is shown.
  EXPECT_EQ(GbkText::FromUtf8(Cli({"preview", "Shop", "Book"}).out), SiteFile("ENTITY/Book.cs"));
}

TEST_F(PreviewCommandTest, TheClassScriptsMakeUpTheProjectScript) {
  const TShopProject shop = MakeGeneratableShopProject();
  const std::string script = Cli({"sql", "Shop"}).out;

  // The whole script is the user table, then every class's table, then every class's
  // foreign keys, each in class order.
  std::string tables;
  std::string foreignKeys;
  for (const TNameId& entry : shop.classes) {
    const TProgramResult result = Cli({"preview", "Shop", entry.name, "sql"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::size_t keys = result.out.find("ALTER TABLE");
    tables += result.out.substr(0, keys);
    if (keys != std::string::npos) foreignKeys += result.out.substr(keys);
  }
  EXPECT_NE(foreignKeys, "");  // Book refers to two classes
  ASSERT_GT(script.size(), tables.size() + foreignKeys.size());
  EXPECT_EQ(script.substr(script.size() - tables.size() - foreignKeys.size()), tables + foreignKeys);
  EXPECT_EQ(script.find("CREATE TABLE [dbo].[CusUsers]"), script.find("CREATE TABLE"));
}

TEST_F(PreviewCommandTest, AClassTheRunRefusesShowsTheRunsMessageAndNoCode) {
  const TShopProject shop = MakeShopProject();  // no display members
  TProgramResult result = Cli({"preview", "Shop", "Book", "dal"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, AutoCodeTexts::DisplayMemberError("Book") + "\n");

  TDbHelper().ExecSql("update t_member set memberIsDisplay=1 where memberIsPri=1");
  TDbHelper().ExecSql("update t_member set memberIsPri=0 where classId=" + std::to_string(shop.classes[3].id));
  result = Cli({"preview", "Shop", "tag", "sql"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, AutoCodeTexts::PrimaryKeyError("tag") + "\n");
  // The other classes are not held up by it.
  EXPECT_EQ(Cli({"preview", "Shop", "Category", "bll"}).exitCode, 0);
}

TEST_F(PreviewCommandTest, ReferencesAndEncodingFailAsTheRunFails) {
  const TShopProject shop = MakeGeneratableShopProject();
  // The class as the window shows it from the whole project; the command line reads only what the
  // class needs and must come to the same answer.
  const auto preview = [&](const std::string& className) {
    const TProjectModel model = TModelStore().LoadProject(shop.projectId);
    const TCodePreview codePreview(model);
    const TClassPreview whole = codePreview.Preview(*codePreview.FindClass(className), TCodeLayer::Entity);
    const TProjectModel part = TModelStore().LoadClassOf(shop.projectId, className);
    const TCodePreview partPreview(part);
    const TClassPreview alone = partPreview.Preview(*partPreview.FindClass(className), TCodeLayer::Entity);
    EXPECT_EQ(alone.ok, whole.ok) << className;
    EXPECT_EQ(alone.text, whole.text) << className;
    return whole;
  };
  // A reference spelt in another case names the same class, for the run as for the preview.
  TDbHelper().ExecSql("update t_member set memberType='category' where memberName='categoryId'");
  EXPECT_TRUE(preview("Book").ok);

  // A reference to no class of the project.
  TDbHelper().ExecSql("update t_member set memberType='Nope' where memberName='categoryId'");
  TClassPreview book = preview("Book");
  EXPECT_FALSE(book.ok);
  EXPECT_EQ(book.text, AutoCodeTexts::ReferenceError("Book", "categoryId", "Nope"));
  EXPECT_EQ(Cli({"generate", "Shop"}).err, book.text + "\n");
  EXPECT_TRUE(preview("Category").ok);

  // A class whose name differs from another's only in case.
  TDbHelper().ExecSql("update t_member set memberType='Category' where memberName='categoryId'");
  TClassDAO().AddClass(shop.projectId, "BOOK", "");
  EXPECT_FALSE(preview("BOOK").ok);
  preview("Book");
  preview("Category");
  TDbHelper().ExecSql("delete from t_class where classId=(select max(classId) from t_class)");

  // A comment GBK cannot hold: the message the run stops with.
  TDbHelper().ExecSql("update t_member set memberType='Category' where memberName='categoryId'");
  TDbHelper().ExecSql("update t_member set memberComment='\xF0\x9F\x98\x80' where memberName='tagId'");
  const TClassPreview tag = preview("tag");
  EXPECT_FALSE(tag.ok);
  EXPECT_EQ(Cli({"generate", "Shop"}).err, tag.text + "\n");
}

TEST_F(PreviewCommandTest, UnknownNamesAndLayersExitTwo) {
  MakeGeneratableShopProject();
  TProgramResult result = Cli({"preview", "Shop", "Nope"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("Nope"), std::string::npos);
  result = Cli({"preview", "Shop", "book"});  // class names are exact
  EXPECT_EQ(result.exitCode, 2);
  result = Cli({"preview", "Shop", "Book", "html"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("html"), std::string::npos);
  EXPECT_EQ(Cli({"preview", "Other", "Book"}).exitCode, 2);
}
