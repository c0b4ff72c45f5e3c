#include <gtest/gtest.h>

#include <string>

#include "generation/DataBaseSql.h"
#include "support/PageHost.h"
#include "support/TempCatalogue.h"

// The template site itself, run in the page host: the administrator's login against the database
// built from the table script, the redirect of a page that needs the login, and the statement that
// reaches the database with its values as parameters only.
TEST(TemplateSiteHost, AdministratorLogsInAndReachesTheAdminHome) {
  TTempCatalogue catalogue;
  TPageSite site(CORVANTHEL_SOURCE_DIR "/template/bak", catalogue.Folder() + "/host");
  std::string message;
  // The script of a project without classes is the user table with its administrator row.
  const std::string script =
      "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[CusUsers]') and OBJECTPROPERTY(id, "
      "N'IsUserTable') = 1)drop table [dbo].[CusUsers]\r\nGO\r\n\r\nCREATE TABLE [dbo].[CusUsers] (\r\n"
      "\t[customerid] [int] IDENTITY (1, 1) NOT NULL PRIMARY KEY ,\r\n"
      "\t[Customername] [nvarchar] (50) COLLATE Chinese_PRC_CI_AS NULL ,\r\n"
      "\t[customerpwd] [varchar] (50) COLLATE Chinese_PRC_CI_AS NULL ,\r\n"
      "\t[IsCusAdmin] [int] NULL ,\r\n\t[CusType] [int] NULL \r\n) ON [PRIMARY]\r\n"
      "insert into CusUsers(Customername,customerpwd,IsCusAdmin,CusType) values "
      "('admin','7C4E19A0B53D28F6E1A9047D3B6C52E8',0,0)\r\nGO\r\n\r\n\r\n\r\n";
  ASSERT_TRUE(site.BuildDatabase(script, &message)) << message;
  // The digest of "secret", so the test knows the password.
  ASSERT_TRUE(site.RunSql("update CusUsers set customerpwd='5EBE2294ECD0E0F08EAB7690D2A6EE69'"));

  std::string errors;
  const std::vector<TPageResponse> responses = site.Run(
      "get Admin/Default.aspx\n"
      "post Admin/Login.aspx\ntxtName=admin\ntxtPassword=wrong\nbtnLogin=登录\nend\n"
      "post Admin/Login.aspx\ntxtName=admin\ntxtPassword=secret\nbtnLogin=登录\nend\n",
      true, &errors);
  ASSERT_EQ(responses.size(), 6u) << errors;
  // Without a login the admin home sends the visitor to the login page.
  EXPECT_EQ(responses[0].status, 302);
  EXPECT_EQ(responses[0].location, "/Admin/Login.aspx");
  EXPECT_EQ(responses[1].status, 200);
  EXPECT_NE(responses[1].body.find("__VIEWSTATE"), std::string::npos);
  // A wrong password stays on the login page with its message.
  EXPECT_EQ(responses[2].status, 200);
  EXPECT_NE(responses[2].body.find("用户名或密码错误！"), std::string::npos);
  // The right one passes through the login page once more, in a fresh session, to the admin home,
  // whose welcome needs the session the login made.
  EXPECT_EQ(responses[3].status, 302);
  EXPECT_EQ(responses[4].status, 302);
  EXPECT_EQ(responses[4].location, "/Admin/Default.aspx");
  EXPECT_EQ(responses[5].path, "Admin/Default.aspx");
  EXPECT_EQ(responses[5].status, 200);
  EXPECT_NE(responses[5].body.find("欢迎您，admin！"), std::string::npos);

  const std::string statements = site.Statements();
  EXPECT_NE(statements.find("SQL\tselect customerid from CusUsers where Customername=@name and customerpwd=@pwd"),
            std::string::npos)
      << statements;
  EXPECT_NE(statements.find("PARAM\t@name\tNVarChar\tadmin\n"), std::string::npos) << statements;
  EXPECT_NE(statements.find("PARAM\t@pwd\tVarChar\t5EBE2294ECD0E0F08EAB7690D2A6EE69\n"), std::string::npos);

  // A session id issued before the login and planted in the victim's browser (session fixation) never
  // becomes the administrator's: the login abandons it and records the administrator in a fresh session.
  const std::vector<TPageResponse> fixation = site.Run(
      "get Admin/Login.aspx\nkeepcookie ASP.NET_SessionId\n"
      "post Admin/Login.aspx\ntxtName=admin\ntxtPassword=secret\nbtnLogin=登录\nend\n"
      "clearcookies\nplantkept ASP.NET_SessionId\nget Admin/Default.aspx\n");
  ASSERT_EQ(fixation.size(), 6u);
  ASSERT_FALSE(fixation[0].setCookies.empty());
  EXPECT_NE(fixation[3].body.find("欢迎您，admin！"), std::string::npos);
  EXPECT_EQ(fixation[4].status, 302) << "the session id from before the login reached the admin home";
  EXPECT_EQ(fixation[4].location, "/Admin/Login.aspx");
}
