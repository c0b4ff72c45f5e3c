#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/Member.h"
#include "catalogue/ModelStore.h"
#include "model/NameRules.h"
#include "model/ProjectChecker.h"
#include "support/CatalogueSeed.h"
#include "support/ShopProject.h"
#include "support/TempCatalogue.h"

namespace {

// A member as the dialogs would store it: a string of length 20 unless said otherwise.
TMember Member(const std::string& name, const std::string& type = MemberTypes::kString, bool key = false,
               bool display = false) {
  TMember member = NewMember(1, 0, name, type);
  member.SetMemberLength(type == MemberTypes::kString ? 20 : 0);
  member.SetMemberIsPri(key ? 1 : 0);
  member.SetMemberIsDisplay(display ? 1 : 0);
  return member;
}

TClassModel Class(int classId, const std::string& name, std::vector<TMember> members) {
  TClassModel entry;
  entry.classId = classId;
  entry.className = name;
  entry.friendName = name;
  entry.members = std::move(members);
  return entry;
}

// A class with one integer key that is also its display member.
TClassModel GoodClass(int classId, const std::string& name) {
  return Class(classId, name, {Member("id", MemberTypes::kInteger, true, true)});
}

std::vector<std::string> Messages(const std::vector<TProblem>& problems) {
  std::vector<std::string> messages;
  for (const TProblem& problem : problems) messages.push_back(problem.message);
  return messages;
}

}  // namespace

TEST(ProjectChecker, AProjectTheWindowCouldHaveMadeHasNoProblems) {
  TTempCatalogue catalogue;
  const TShopProject shop = MakeShopProject();
  TProjectModel project = TModelStore().LoadProject(shop.projectId);
  for (TClassModel& entry : project.classes)
    for (TMember& member : entry.members) member.SetMemberIsDisplay(member.GetMemberIsPri());
  EXPECT_EQ(Messages(CheckProject(project)), std::vector<std::string>{});
}

TEST(ProjectChecker, CollectsEveryProblemInCatalogueOrder) {
  TProjectModel project;
  project.projectName = "../../ESC";
  project.classes.push_back(GoodClass(1, "Category"));
  project.classes.push_back(Class(2, "../../../../bak/App_Code/DAL/DBHelp", {}));
  TClassModel book = GoodClass(3, "Book");
  book.friendName = "图书*/";
  book.members.push_back(Member("order"));
  book.members.push_back(Member("title]','x"));
  book.members.push_back(Member("ID", MemberTypes::kInteger));
  book.members.push_back(Member("category", "category"));
  book.members.push_back(Member("press", "Press"));
  TMember isbn = Member("isbn");
  isbn.SetMemberLength(-5);
  isbn.SetMemberComment("书号\xFF");
  book.members.push_back(isbn);
  TMember note = Member("note");
  note.SetMemberComment(std::string("备注\r\nEvil();") + std::string(1, '\0'));
  book.members.push_back(note);
  project.classes.push_back(book);
  project.classes.push_back(GoodClass(4, "CATEGORY"));
  project.classes.push_back(Class(5, "tag", {Member("tag", MemberTypes::kInteger, true, true)}));

  const std::vector<TProblem> problems = CheckProject(project);
  using namespace NameRules;
  EXPECT_EQ(Messages(problems),
            (std::vector<std::string>{
                std::string("工程../../ESC：") + kProjectNameMessage,
                std::string("类../../../../bak/App_Code/DAL/DBHelp：") + kClassNameCharsMessage,
                "../../../../bak/App_Code/DAL/DBHelp表主键设置错误，每个类只能设置一个主键!",
                "../../../../bak/App_Code/DAL/DBHelp表显示成员设置错误，每个类有且只能设置一个显示成员!",
                std::string("类Book：") + kCommentEndMessage,
                std::string("类Book的成员order：") + kSqlKeywordMessage,
                std::string("类Book的成员title]','x：") + kMemberNameCharsMessage,
                std::string("类Book的成员ID：") + kMemberNameTakenMessage,
                // A reference finds its class without regard to case; an unknown one is reported.
                "Book表的成员press的类型Press不存在或没有唯一主键!",
                std::string("类Book的成员isbn：") + kStringLengthMessage,
                std::string("类Book的成员isbn：") + kUtf8Message,
                std::string("类Book的成员note：") + kControlCharacterMessage,
                std::string("类CATEGORY：") + kClassNameTakenMessage,
                std::string("类tag的成员tag：") + kMemberLikeClassMessage,
            }));
  ASSERT_EQ(problems.size(), 14u);
  EXPECT_EQ(problems[0].kind, TProblemKind::ProjectName);
  EXPECT_EQ(problems[0].classId, 0);
  EXPECT_EQ(problems[2].kind, TProblemKind::KeyMembers);
  EXPECT_EQ(problems[2].classId, 2);
  EXPECT_EQ(problems[6].kind, TProblemKind::MemberName);
  EXPECT_EQ(problems[6].className, "Book");
  EXPECT_EQ(problems[6].memberName, "title]','x");
  EXPECT_EQ(problems[8].kind, TProblemKind::Reference);
  EXPECT_EQ(problems[8].memberType, "Press");
  EXPECT_EQ(problems[9].kind, TProblemKind::Length);
  EXPECT_EQ(problems[10].kind, TProblemKind::Text);
}

TEST(ProjectChecker, TheRunStopsAtUnsafeProblemsFirstThenKeysDisplaysAndReferences) {
  TProjectModel project;
  project.projectName = "Shop";
  project.classes.push_back(Class(1, "Book", {Member("id", MemberTypes::kInteger, true), Member("a", "Nowhere")}));
  project.classes.push_back(Class(2, "Press", {Member("code", MemberTypes::kString, false, true)}));
  std::vector<TProblem> problems = CheckProject(project);
  // Book lacks a display member, Press a key: the key problem decides, though it comes later.
  ASSERT_NE(FirstProblemOfRun(problems), nullptr);
  EXPECT_EQ(FirstProblemOfRun(problems)->kind, TProblemKind::KeyMembers);
  EXPECT_EQ(FirstProblemOfRun(problems)->classId, 2);

  project.classes[1].members[0].SetMemberIsPri(1);
  problems = CheckProject(project);
  EXPECT_EQ(FirstProblemOfRun(problems)->kind, TProblemKind::DisplayMembers);
  EXPECT_EQ(FirstProblemOfRun(problems)->classId, 1);

  project.classes[0].members[0].SetMemberIsDisplay(1);
  problems = CheckProject(project);
  EXPECT_EQ(FirstProblemOfRun(problems)->kind, TProblemKind::Reference);

  // A length problem of the last member goes before all of them, and the script refuses it too.
  project.classes[0].members[0].SetMemberIsDisplay(0);
  project.classes[1].members.push_back(Member("note"));
  project.classes[1].members.back().SetMemberLength(0);
  problems = CheckProject(project);
  EXPECT_EQ(FirstProblemOfRun(problems)->kind, TProblemKind::Length);
  EXPECT_THROW(RefuseUnsafeProject(project), TProjectProblemError);

  // The script tolerates the rest.
  project.classes[1].members.pop_back();
  EXPECT_FALSE(CheckProject(project).empty());
  EXPECT_NO_THROW(RefuseUnsafeProject(project));
  project.classes[0].members[1].SetMemberType("press");
  project.classes[0].members[0].SetMemberIsDisplay(1);
  EXPECT_EQ(FirstProblemOfRun(CheckProject(project)), nullptr);
}

TEST(ProjectChecker, NamesInMessagesShowNoRawBytes) {
  TProjectModel project;
  project.projectName = "Sh\xFFop";
  project.classes.push_back(GoodClass(1, std::string("Book\0", 5)));
  project.classes.back().friendName = "图书";
  EXPECT_EQ(Messages(CheckProject(project)),
            (std::vector<std::string>{std::string("工程Sh\\xFFop：") + NameRules::kUtf8Message,
                                      std::string("类Book\\x00：") + NameRules::kClassNameCharsMessage}));
  EXPECT_EQ(Messages(CheckProjectName("Sh\nop")),
            std::vector<std::string>{std::string("工程Sh\\x0Aop：") + NameRules::kProjectNameMessage});
}
