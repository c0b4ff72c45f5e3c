#include <gtest/gtest.h>

#include "catalogue/ClassDAO.h"
#include "catalogue/MemberDAO.h"
#include "catalogue/StatementLog.h"
#include "support/CatalogueSeed.h"
#include "support/TempCatalogue.h"

using Statements = std::vector<std::string>;

namespace {

TMember BookName() {
  TMember member = NewMember(3, 12, "bookName", "字符串");
  member.SetMemberLength(50);
  member.SetMemberIsPri(1);
  member.SetMemberComment("书名");
  member.SetMemberIsMust(1);
  member.SetMemberIsDisplay(1);
  return member;
}

TMember Plain(int projectId, int classId, const std::string& name, int isPri = 0) {
  TMember member = NewMember(projectId, classId, name, "整型");
  member.SetMemberIsPri(isPri);
  return member;
}

std::vector<std::string> NamesOf(TDbQuery& query) {
  std::vector<std::string> names;
  for (query.First(); !query.Eof(); query.Next()) names.push_back(query.FieldByName("memberName").AsString());
  return names;
}

}  // namespace

TEST(Member, StartsShownOnTheQueryPageAndEverythingElseEmpty) {
  TMember member;
  EXPECT_EQ(member.GetMemberQueryDisplay(), 1);
  EXPECT_EQ(member.GetMemberId() + member.GetProjectId() + member.GetClassId() + member.GetMemberLength() +
                member.GetMemberIsPri() + member.GetMemberIsMust() + member.GetMemberIsInteger() +
                member.GetMemberIsFloat() + member.GetQueryFlag() + member.GetMemberIsDisplay(),
            0);
  EXPECT_EQ(member.GetMemberName() + member.GetMemberType() + member.GetMemberComment(), "");
  member.SetMemberType("整型");  // setters derive nothing
  EXPECT_EQ(member.GetMemberIsInteger(), 0);
}

TEST(MemberDAO, SendsTheDocumentedStatements) {
  TTempCatalogue catalogue;
  TMemberDAO members;
  TStatementLog log;
  TMember member = BookName();
  members.AddMember(member);
  member.SetMemberId(5);
  members.UpdateMember(member);
  members.DeleteMember(5);
  members.OpenMembersOfClass(12);
  members.OpenNonKeyMembersOfClass(12);
  members.GetMemberById(5);
  members.GetKeyMemberOfClass(12);
  members.GetKeyMemberByClassName(3, "Book");
  EXPECT_EQ(log.Statements(),
            (Statements{
                "insert into t_member(projectId,classId,memberName,memberType,memberLength,memberIsPri,"
                "memberComment,memberIsMust,memberIsInteger,memberIsFloat,queryFlag,memberIsDisplay,"
                "memberQueryDisplay) values (3,12,'bookName','字符串',50,1,'书名',1,0,0,0,1,1)",
                "update t_member set memberName='bookName',memberType='字符串',memberLength=50,memberIsPri=1,"
                "memberComment='书名',memberIsMust=1,memberIsInteger=0,memberIsFloat=0,queryFlag=0,"
                "memberIsDisplay=1,memberQueryDisplay=1 where memberId=5",
                "delete from t_member where memberId=5",
                "select * from t_member where classId=12",
                "select * from t_member where memberIsPri=0 and classId=12",
                "select * from t_member where memberId=5",
                "select * from t_member where memberIsPri=1 and classId=12",
                "select classId from t_class where projectId=3 and className='Book'",
                "select * from t_member where memberIsPri=1 and projectId=3 and classId=-1",
            }));
}

TEST(MemberDAO, StoresAndReadsBackEveryColumn) {
  TTempCatalogue catalogue;
  TMemberDAO members;
  TMember member = BookName();
  member.SetMemberComment("");
  member.SetMemberName("o'name");
  members.AddMember(member);
  std::unique_ptr<TMember> read = members.GetMemberById(1);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->GetMemberId(), 1);
  EXPECT_EQ(read->GetProjectId(), 3);
  EXPECT_EQ(read->GetClassId(), 12);
  EXPECT_EQ(read->GetMemberName(), "o'name");
  EXPECT_EQ(read->GetMemberType(), "字符串");
  EXPECT_EQ(read->GetMemberLength(), 50);
  EXPECT_EQ(read->GetMemberIsPri(), 1);
  EXPECT_EQ(read->GetMemberComment(), "");
  EXPECT_EQ(read->GetMemberIsMust(), 1);
  EXPECT_EQ(read->GetMemberIsInteger(), 0);
  EXPECT_EQ(read->GetMemberIsFloat(), 0);
  EXPECT_EQ(read->GetQueryFlag(), 0);
  EXPECT_EQ(read->GetMemberIsDisplay(), 1);
  EXPECT_EQ(read->GetMemberQueryDisplay(), 1);
  EXPECT_EQ(TDbHelper().GetScalarInt("select count(*) from t_member where memberComment=''"), 1);
  EXPECT_EQ(members.GetMemberById(2), nullptr);
}

TEST(MemberDAO, UpdateOverwritesEverythingButTheIds) {
  TTempCatalogue catalogue;
  TMemberDAO members;
  members.AddMember(BookName());
  TMember changed;
  changed.SetMemberId(1);
  changed.SetProjectId(8);
  changed.SetClassId(9);
  changed.SetMemberName("price");
  changed.SetMemberType("浮点型");
  changed.SetMemberIsFloat(1);
  changed.SetQueryFlag(1);
  changed.SetMemberQueryDisplay(0);
  members.UpdateMember(changed);
  std::unique_ptr<TMember> read = members.GetMemberById(1);
  EXPECT_EQ(read->GetProjectId(), 3);
  EXPECT_EQ(read->GetClassId(), 12);
  EXPECT_EQ(read->GetMemberName(), "price");
  EXPECT_EQ(read->GetMemberLength(), 0);
  EXPECT_EQ(read->GetMemberIsPri(), 0);
  EXPECT_EQ(read->GetMemberIsFloat(), 1);
  EXPECT_EQ(read->GetQueryFlag(), 1);
  EXPECT_EQ(read->GetMemberQueryDisplay(), 0);
  changed.SetMemberId(99);  // no such row: nothing happens
  members.UpdateMember(changed);
  members.DeleteMember(99);
  EXPECT_EQ(TDbHelper().GetScalarInt("select count(*) from t_member"), 1);
  members.DeleteMember(1);
  EXPECT_EQ(TDbHelper().GetScalarInt("select count(*) from t_member"), 0);
}

TEST(MemberDAO, ResultSetsKeepTheOrderMembersWereAdded) {
  TTempCatalogue catalogue;
  TMemberDAO members;
  members.AddMember(Plain(1, 7, "other"));
  members.AddMember(Plain(1, 5, "b"));
  members.AddMember(Plain(1, 5, "a"));
  members.AddMember(Plain(1, 5, "key", 1));
  members.AddMember(Plain(1, 5, "c"));
  EXPECT_EQ(NamesOf(*members.OpenMembersOfClass(5)), (std::vector<std::string>{"b", "a", "key", "c"}));
  EXPECT_EQ(NamesOf(*members.OpenNonKeyMembersOfClass(5)), (std::vector<std::string>{"b", "a", "c"}));
  std::unique_ptr<TDbQuery> none = members.OpenMembersOfClass(6);
  ASSERT_NE(none, nullptr);
  none->First();
  EXPECT_TRUE(none->Eof());
}

TEST(MemberDAO, FindsTheKeyMemberByClassIdOrByName) {
  TTempCatalogue catalogue;
  TClassDAO classes;
  classes.AddClass(1, "Book", "");    // 1
  classes.AddClass(1, "Loan", "");    // 2
  classes.AddClass(2, "Author", "");  // 3
  TMemberDAO members;
  members.AddMember(Plain(1, 1, "title"));
  members.AddMember(Plain(1, 1, "bookId", 1));
  members.AddMember(Plain(1, 1, "secondKey", 1));
  members.AddMember(Plain(2, 3, "authorId", 1));

  std::unique_ptr<TMember> key = members.GetKeyMemberOfClass(1);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->GetMemberName(), "bookId");  // of two keys, the first row
  EXPECT_EQ(key->GetMemberId(), 2);
  EXPECT_EQ(members.GetKeyMemberOfClass(2), nullptr);
  EXPECT_EQ(members.GetKeyMemberByClassName(1, "Book")->GetMemberName(), "bookId");
  EXPECT_EQ(members.GetKeyMemberByClassName(1, "Loan"), nullptr);
  EXPECT_EQ(members.GetKeyMemberByClassName(1, "Author"), nullptr);  // exists only in another project
  EXPECT_EQ(members.GetKeyMemberByClassName(2, "Author")->GetMemberName(), "authorId");
}
