#include <gtest/gtest.h>

#include "catalogue/ClassDAO.h"
#include "catalogue/MemberDAO.h"
#include "catalogue/ProjectDAO.h"
#include "catalogue/StatementLog.h"
#include "support/TempCatalogue.h"

using Statements = std::vector<std::string>;

TEST(ProjectDAO, SendsTheDocumentedStatements) {
  TTempCatalogue catalogue;
  TProjectDAO projects;
  TStatementLog log;
  projects.CountProjectsByName("Shop");
  projects.AddProject("Shop");
  projects.RenameProject(7, "Shop2");
  projects.ListProjects();
  projects.DeleteProject(7);
  EXPECT_EQ(log.Statements(), (Statements{
                                  "select count(*) from t_project where projectName='Shop'",
                                  "insert into t_project(projectName) values ('Shop')",
                                  "update t_project set projectName='Shop2' where projectId=7",
                                  "select projectId,projectName from t_project",
                                  "delete from t_project where projectId=7",
                                  "delete from t_class where projectId=7",
                                  "delete from t_member where projectId=7",
                              }));
}

TEST(ProjectDAO, ListsInTheOrderAddedWithIntegerIds) {
  TTempCatalogue catalogue;
  TProjectDAO projects;
  EXPECT_TRUE(projects.ListProjects().empty());
  projects.AddProject("Zoo");
  projects.AddProject("Apple");
  const TNameIdList list = projects.ListProjects();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].name, "Zoo");
  EXPECT_EQ(list[0].id, 1);
  EXPECT_EQ(list[1].name, "Apple");
  EXPECT_EQ(list[1].id, 2);
}

TEST(ProjectDAO, CountsNamesWithoutRegardToCase) {
  TTempCatalogue catalogue;
  TProjectDAO projects;
  EXPECT_EQ(projects.CountProjectsByName("Shop"), 0);
  projects.AddProject("Shop");
  EXPECT_EQ(projects.CountProjectsByName("Shop"), 1);
  EXPECT_EQ(projects.CountProjectsByName("SHOP"), 1);
  EXPECT_EQ(projects.CountProjectsByName("Shop "), 0);
}

TEST(ProjectDAO, RenameMakesNoDuplicateTestAndIgnoresMissingIds) {
  TTempCatalogue catalogue;
  TProjectDAO projects;
  projects.AddProject("A");
  projects.AddProject("B");
  projects.RenameProject(2, "A");
  EXPECT_EQ(projects.CountProjectsByName("A"), 2);
  projects.RenameProject(99, "C");
  EXPECT_EQ(projects.CountProjectsByName("C"), 0);
}

TEST(ProjectDAO, DeleteRemovesTheProjectWithItsClassesAndMembersOnly) {
  TTempCatalogue catalogue;
  TProjectDAO projects;
  projects.AddProject("Gone");
  projects.AddProject("Kept");
  TClassDAO classes;
  classes.AddClass(1, "Book", "图书");
  classes.AddClass(2, "Book", "图书");
  TMember member;
  member.SetProjectId(1);
  member.SetClassId(1);
  member.SetMemberName("id");
  TMemberDAO().AddMember(member);
  member.SetProjectId(2);
  member.SetClassId(2);
  TMemberDAO().AddMember(member);

  projects.DeleteProject(1);
  const TNameIdList left = projects.ListProjects();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].name, "Kept");
  EXPECT_TRUE(classes.ListClassesOfProject(1).empty());
  EXPECT_EQ(classes.ListClassesOfProject(2).size(), 1u);
  TDbHelper db;
  EXPECT_EQ(db.GetScalarInt("select count(*) from t_member where projectId=1"), 0);
  EXPECT_EQ(db.GetScalarInt("select count(*) from t_member where projectId=2"), 1);
}

TEST(ProjectDAO, AFailedDeleteChangesNothingAndIsReported) {
  TTempCatalogue catalogue;
  TProjectDAO projects;
  projects.AddProject("Shop");
  TClassDAO().AddClass(1, "Book", "");
  // Another tool's trigger makes the last of the three deletions fail.
  TDbHelper().ExecSql(
      "create trigger no_member_delete before delete on t_member begin select raise(abort, 'refused'); end");
  TMember member;
  member.SetProjectId(1);
  member.SetClassId(1);
  TMemberDAO().AddMember(member);
  EXPECT_THROW(projects.DeleteProject(1), TDbError);
  EXPECT_EQ(projects.ListProjects().size(), 1u);
  EXPECT_EQ(TClassDAO().ListClassesOfProject(1).size(), 1u);
}
