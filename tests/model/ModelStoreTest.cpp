#include <gtest/gtest.h>

#include "catalogue/ClassDAO.h"
#include "catalogue/MemberDAO.h"
#include "catalogue/ProjectDAO.h"
#include "catalogue/StatementLog.h"
#include "model/ModelStore.h"
#include "support/CatalogueSeed.h"
#include "support/ShopProject.h"
#include "support/TempCatalogue.h"

namespace {

std::vector<std::string> MemberNames(const TClassModel& entry) {
  std::vector<std::string> names;
  for (const TMember& member : entry.members) names.push_back(member.GetMemberName());
  return names;
}

}  // namespace

TEST(ModelStore, LoadsAProjectInCatalogueOrderWithAFixedNumberOfStatements) {
  TTempCatalogue catalogue;
  const TShopProject shop = MakeShopProject();
  TStatementLog log;
  const TProjectModel project = TModelStore().LoadProject(shop.projectId);
  EXPECT_EQ(log.Statements().size(), 3u);

  EXPECT_EQ(project.projectName, "Shop");
  ASSERT_EQ(project.classes.size(), shop.classes.size());
  for (std::size_t i = 0; i < shop.classes.size(); ++i) {
    const TClassModel& entry = project.classes[i];
    EXPECT_EQ(entry.className, shop.classes[i].name);
    EXPECT_EQ(entry.friendName, TClassDAO().GetFriendNameById(entry.classId));
    // The same members, in the order the member store hands them to the window.
    std::vector<std::string> expected;
    auto query = TMemberDAO().OpenMembersOfClass(entry.classId);
    for (query->First(); !query->Eof(); query->Next()) expected.push_back(query->FieldByName("memberName").AsString());
    EXPECT_EQ(MemberNames(entry), expected) << entry.className;
    const std::unique_ptr<TMember> key = TMemberDAO().GetKeyMemberOfClass(entry.classId);
    ASSERT_NE(entry.KeyMember(), nullptr);
    EXPECT_EQ(entry.KeyMember()->GetMemberName(), key->GetMemberName());
  }
  EXPECT_EQ(project.FindClass("category"), &project.classes[0]);
  EXPECT_EQ(project.FindClass("Categor"), nullptr);
}

TEST(ModelStore, KeepsMembersInTheOrderTheyWereAddedAcrossInterleavedClasses) {
  TTempCatalogue catalogue;
  TProjectDAO().AddProject("P");
  const int projectId = TProjectDAO().ListProjects().at(0).id;
  TClassDAO().AddClass(projectId, "B", "");
  TClassDAO().AddClass(projectId, "A", "");
  const int b = TClassDAO().GetClassIdByName(projectId, "B");
  const int a = TClassDAO().GetClassIdByName(projectId, "A");
  for (const char* name : {"z", "y"}) TMemberDAO().AddMember(NewMember(projectId, a, name, "整型"));
  for (const char* name : {"b", "a"}) TMemberDAO().AddMember(NewMember(projectId, b, name, "整型"));
  TMemberDAO().AddMember(NewMember(projectId, a, "x", "整型"));

  const TProjectModel project = TModelStore().LoadProject(projectId);
  ASSERT_EQ(project.classes.size(), 2u);
  EXPECT_EQ(project.classes[0].className, "B");
  EXPECT_EQ(MemberNames(project.classes[0]), (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(MemberNames(project.classes[1]), (std::vector<std::string>{"z", "y", "x"}));
}

TEST(ModelStore, NamesTheClassAndMemberOfALengthThatIsNoNumberAndRefusesAMissingProject) {
  TTempCatalogue catalogue;
  TProjectDAO().AddProject("P");
  const int projectId = TProjectDAO().ListProjects().at(0).id;
  TClassDAO().AddClass(projectId, "Book", "");
  const int book = TClassDAO().GetClassIdByName(projectId, "Book");
  TMemberDAO().AddMember(NewMember(projectId, book, "title", "字符串"));
  TDbHelper().ExecSql("update t_member set memberLength='abc'");

  const std::string error = ErrorOf<TDbError>([&] { TModelStore().LoadProject(projectId); });
  EXPECT_NE(error.find("Book"), std::string::npos) << error;
  EXPECT_NE(error.find("title"), std::string::npos) << error;
  EXPECT_NE(error.find("abc"), std::string::npos) << error;
  EXPECT_FALSE(ErrorOf<TDbError>([&] { TModelStore().LoadProject(projectId + 100); }).empty());
}
