#include <gtest/gtest.h>

#include "catalogue/ClassDAO.h"
#include "catalogue/MemberDAO.h"
#include "catalogue/StatementLog.h"
#include "support/CatalogueSeed.h"
#include "support/TempCatalogue.h"

using Statements = std::vector<std::string>;

namespace {

void AddMember(int projectId, int classId, const std::string& name, const std::string& type, int isPri = 0,
               int isDisplay = 0) {
  TMember member = NewMember(projectId, classId, name, type);
  member.SetMemberIsPri(isPri);
  member.SetMemberIsDisplay(isDisplay);
  TMemberDAO().AddMember(member);
}

std::vector<std::string> Names(const TNameIdList& list) {
  std::vector<std::string> names;
  for (const TNameId& entry : list) names.push_back(entry.name);
  return names;
}

std::vector<std::string> MemberTypesOfProject(int projectId) {
  std::vector<std::string> types;
  auto query = TDbHelper().OpenQuery("select memberType from t_member where projectId=" + std::to_string(projectId));
  for (query->First(); !query->Eof(); query->Next()) types.push_back(query->FieldByName("memberType").AsString());
  return types;
}

}  // namespace

TEST(ClassDAO, SendsTheDocumentedStatements) {
  TTempCatalogue catalogue;
  TClassDAO classes;
  classes.AddClass(3, "Old", "");  // class 1, so the rename below reads its old name
  TStatementLog log;
  classes.GetClassNameById(12);
  classes.GetFriendNameById(12);
  classes.GetClassIdByName(3, "Book");
  classes.CountClassesByName(3, "Book");
  classes.AddClass(3, "Book", "图书");
  classes.ListClassesOfProject(3);
  classes.ListOtherClasses(3, 12);
  classes.DeleteClass(12);
  classes.UpdateClass(3, 1, "Volume", "卷");
  EXPECT_EQ(log.Statements(), (Statements{
                                  "select className from t_class where classId=12",
                                  "select friendName from t_class where classId=12",
                                  "select classId from t_class where projectId=3 and className='Book'",
                                  "select count(*) from t_class where projectId=3 and className='Book'",
                                  "insert into t_class(projectId,className,friendName) values (3,'Book','图书')",
                                  "select classId,className from t_class where projectId=3",
                                  "select classId,className from t_class where classId<>12 and projectId=3",
                                  "delete from t_class where classId=12",
                                  "delete from t_member where classId=12",
                                  "select className from t_class where classId=1",
                                  "update t_class set friendName='卷',className='Volume' where classId=1",
                                  "update t_member set memberType='Volume' where projectId=3 and memberType='Old'",
                              }));
}

TEST(ClassDAO, LooksUpNamesAndIdsWithinOneProject) {
  TTempCatalogue catalogue;
  TClassDAO classes;
  classes.AddClass(1, "Book", "图书");
  classes.AddClass(2, "Author", "");
  EXPECT_EQ(classes.GetClassNameById(1), "Book");
  EXPECT_EQ(classes.GetFriendNameById(1), "图书");
  EXPECT_EQ(classes.GetClassNameById(99), "");
  EXPECT_EQ(classes.GetClassIdByName(1, "Book"), 1);
  EXPECT_EQ(classes.GetClassIdByName(1, "Author"), -1);
  EXPECT_EQ(classes.CountClassesByName(1, "Author"), 0);
  EXPECT_EQ(classes.CountClassesByName(2, "Author"), 1);
  EXPECT_EQ(classes.CountClassesByName(1, "BOOK"), 1);  // names collide regardless of case
  // Two classes of one name (possible after a rename): the first row wins.
  classes.AddClass(1, "Shelf", "");
  classes.UpdateClass(1, 3, "Book", "");
  EXPECT_EQ(classes.GetClassIdByName(1, "Book"), 1);
}

TEST(ClassDAO, ListsKeepTheOrderClassesWereAdded) {
  TTempCatalogue catalogue;
  TClassDAO classes;
  classes.AddClass(1, "Zebra", "");
  classes.AddClass(2, "Other", "");
  classes.AddClass(1, "Apple", "");
  classes.AddClass(1, "Mango", "");
  const TNameIdList list = classes.ListClassesOfProject(1);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"Zebra", "Apple", "Mango"}));
  EXPECT_EQ(list[1].id, 3);
  EXPECT_EQ(Names(classes.ListOtherClasses(1, 3)), (std::vector<std::string>{"Zebra", "Mango"}));
  EXPECT_TRUE(classes.ListOtherClasses(2, 2).empty());
}

TEST(ClassDAO, RenameRetargetsMemberTypesOfTheSameProjectOnly) {
  TTempCatalogue catalogue;
  TClassDAO classes;
  classes.AddClass(1, "Book", "图书");  // 1
  classes.AddClass(1, "Loan", "借阅");  // 2
  classes.AddClass(2, "Book", "");      // 3
  classes.AddClass(2, "Shelf", "");     // 4
  AddMember(1, 2, "book", "Book");
  AddMember(1, 2, "title", "字符串");
  AddMember(2, 4, "book", "Book");
  classes.UpdateClass(1, 1, "Volume", "卷");
  EXPECT_EQ(classes.GetClassNameById(1), "Volume");
  EXPECT_EQ(classes.GetFriendNameById(1), "卷");
  EXPECT_EQ(MemberTypesOfProject(1), (std::vector<std::string>{"Volume", "字符串"}));
  EXPECT_EQ(MemberTypesOfProject(2), (std::vector<std::string>{"Book"}));

  // Same name, new friendly name: only the friendly name changes in effect.
  classes.UpdateClass(1, 1, "Volume", "册");
  EXPECT_EQ(classes.GetFriendNameById(1), "册");
  EXPECT_EQ(MemberTypesOfProject(1), (std::vector<std::string>{"Volume", "字符串"}));
}

TEST(ClassDAO, AFailedRenameLeavesClassAndReferencesAsTheyWere) {
  TTempCatalogue catalogue;
  TClassDAO classes;
  classes.AddClass(1, "Book", "图书");
  classes.AddClass(1, "Loan", "");
  AddMember(1, 2, "book", "Book");
  TDbHelper().ExecSql(
      "create trigger no_type_change before update on t_member begin select raise(abort, 'refused'); end");
  EXPECT_THROW(classes.UpdateClass(1, 1, "Volume", ""), TDbError);
  EXPECT_EQ(classes.GetClassNameById(1), "Book");
  EXPECT_EQ(MemberTypesOfProject(1), (std::vector<std::string>{"Book"}));
}

TEST(ClassDAO, DeleteRemovesTheMembersAndLeavesReferencesDangling) {
  TTempCatalogue catalogue;
  TClassDAO classes;
  classes.AddClass(1, "Book", "");
  classes.AddClass(1, "Loan", "");
  AddMember(1, 1, "id", "整型", 1);
  AddMember(1, 2, "book", "Book");
  classes.DeleteClass(1);
  EXPECT_EQ(Names(classes.ListClassesOfProject(1)), (std::vector<std::string>{"Loan"}));
  EXPECT_EQ(TDbHelper().GetScalarInt("select count(*) from t_member where classId=1"), 0);
  EXPECT_EQ(MemberTypesOfProject(1), (std::vector<std::string>{"Book"}));
  EXPECT_EQ(TMemberDAO().GetKeyMemberByClassName(1, "Book"), nullptr);
}

TEST(ClassDAO, AFailedDeleteKeepsTheClassWithItsMembers) {
  TTempCatalogue catalogue;
  TClassDAO classes;
  classes.AddClass(1, "Book", "");
  AddMember(1, 1, "id", "整型", 1);
  TDbHelper().ExecSql(
      "create trigger no_member_delete before delete on t_member begin select raise(abort, 'refused'); end");
  EXPECT_THROW(classes.DeleteClass(1), TDbError);
  EXPECT_EQ(classes.GetClassNameById(1), "Book");
}

TEST(ClassDAO, ChecksStopAtTheFirstClassWithoutExactlyOneFlaggedMember) {
  TTempCatalogue catalogue;
  TClassDAO classes;
  classes.AddClass(1, "A", "");
  classes.AddClass(1, "B", "");
  classes.AddClass(1, "C", "");
  AddMember(1, 1, "id", "整型", 1, 1);
  AddMember(1, 3, "id", "整型", 1, 1);
  AddMember(1, 3, "id2", "整型", 1, 0);
  std::vector<int> failures;
  auto record = [&](int classId) { failures.push_back(classId); };

  EXPECT_FALSE(classes.CheckKeyMembers(classes.ListClassesOfProject(1), record));
  EXPECT_EQ(failures, std::vector<int>{2});  // B has none; C (two keys) is never reached

  failures.clear();
  const TNameIdList aAndC = {{"A", 1}, {"C", 3}};
  EXPECT_FALSE(classes.CheckKeyMembers(aAndC, record));
  EXPECT_EQ(failures, std::vector<int>{3});
  failures.clear();
  EXPECT_TRUE(classes.CheckDisplayMembers(aAndC, record));
  EXPECT_TRUE(classes.CheckKeyMembers({}, record));
  EXPECT_TRUE(classes.CheckDisplayMembers({}, record));
  EXPECT_TRUE(failures.empty());

  AddMember(1, 1, "name", "字符串", 0, 1);  // A now has two display members
  EXPECT_FALSE(classes.CheckDisplayMembers(aAndC, record));
  EXPECT_EQ(failures, std::vector<int>{1});
}
