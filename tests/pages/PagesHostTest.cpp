#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "generation/DataBaseSql.h"
#include "pages/PagesTestSupport.h"
#include "site/FileOperate.h"
#include "support/PageHost.h"
#include "support/TempCatalogue.h"

namespace {

// The digest of "secret" as the login stores it.
const char kSecretDigest[] = "5EBE2294ECD0E0F08EAB7690D2A6EE69";

const char kLogin[] = "post Admin/Login.aspx\ntxtName=admin\ntxtPassword=secret\nbtnLogin=登录\nend\n";

int CountOf(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

// The generated Shop site with its pages, in the page host, on a database made from its own table
// script: two categories, two publishers and 25 books (four of them about quotes and percent signs).
class PagesHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FShop = MakePagesShopProject();
    const TRecordingObserver run = GenerateWithPages(FShop.projectId, "Shop", FCatalogue.Folder());
    ASSERT_EQ(run.outcomes, std::vector<std::string>{"done"});
    FSite = std::make_unique<TPageSite>(FCatalogue.Folder() + "/projects/Shop", FCatalogue.Folder() + "/host");
    std::string message;
    ASSERT_TRUE(
        FSite->BuildDatabase(TFileOperate::GbkBytesOf("script", TDataBaseSql().BuildScript(FShop.projectId)), &message))
        << message;
    std::string rows = "update CusUsers set customerpwd='" + std::string(kSecretDigest) + "';" +
                       "insert into Category(name) values ('文学');insert into Category(name) values ('科技');"
                       "insert into PublishHouse(code,name,founded) values ('P1','人民出版社','1950-01-01 00:00:00');"
                       "insert into PublishHouse(code,name,founded) values ('P2','科学出版社','1954-08-01 00:00:00');";
    for (int n = 1; n <= 21; ++n)
      rows += "insert into Book(title,price,cover,published,stock,categoryId,houseCode) values ('Book " +
              std::to_string(100 + n) + "',1.5,'','2020-01-01 00:00:00',3,1,'P1');";
    for (const char* title : {"xa''b%y", "a''bc", "ab%", "a''b%"})
      rows += "insert into Book(title,price,cover,published,stock,categoryId,houseCode) values ('" +
              std::string(title) + "',2.5,'','2021-06-01 00:00:00',4,2,'P2');";
    ASSERT_TRUE(FSite->RunSql(rows));
  }

  // A copy of the database whose administrator still has the table script's fixed password.
  std::string FixedPasswordDatabase() {
    const std::string copy = FCatalogue.Folder() + "/fixed.sqlite";
    std::filesystem::copy_file(FSite->Database(), copy, std::filesystem::copy_options::overwrite_existing);
    RunProgram("sqlite3", {copy, "update CusUsers set customerpwd='7C4E19A0B53D28F6E1A9047D3B6C52E8'"},
               FCatalogue.Folder());
    return copy;
  }

  TTempCatalogue FCatalogue;
  TShopProject FShop;
  std::unique_ptr<TPageSite> FSite;
};

}  // namespace

// The administrator's way through one class's pages: the login first, then the list, its pages, a
// search, adding, editing and deleting rows, a taken text key, a row still referenced, the drop-downs and
// the show page; every generated page compiles in Mono's ASP.NET page compiler; and a page without the
// login (also a postback), or without the database, says so.
TEST_F(PagesHostTest, TheAdministratorListsSearchesAddsEditsAndDeletesRows) {
  std::string errors;
  const std::vector<TPageResponse> r = FSite->Run(
      std::string("get Admin/BookList.aspx\n") + kLogin +                   // 0 302, 1 login, 2 3 4 login steps
          "get Admin/BookList.aspx\n"                                       // 5
          "post Admin/BookList.aspx\nbtnNext=下一页\nend\n"                 // 6
          "post Admin/BookList.aspx\nbtnLast=末页\nend\n"                   // 7
          "post Admin/BookList.aspx\ntxttitle=a'b%\nbtnSearch=查询\nend\n"  // 8
          "get Admin/BookEdit.aspx\n"                                       // 9
          "post Admin/BookEdit.aspx\ntxttitle=New Title\ntxtprice=12.5\ntxtpublished=2024-05-01\ntxtstock=7\n"
          "ddlcategoryId=2\nddlhouseCode=P2\nbtnSave=保存\nend\n"                 // 10 302, 11 list
          "get Admin/BookEdit.aspx?id=2\n"                                        // 12
          "post Admin/BookEdit.aspx?id=2\ntxttitle=Changed\nbtnSave=保存\nend\n"  // 13 302, 14 list
          "post Admin/BookList.aspx\nrptList$ctl01$btnDelete=删除\nend\n"         // 15
          "get Admin/PublishHouseEdit.aspx\n"                                     // 16
          "post Admin/PublishHouseEdit.aspx\ntxtcode=P1\ntxtname=Other\ntxtfounded=2000-01-01\nbtnSave=保存\nend\n"  // 17
          "get Admin/BookShow.aspx?id=2\n"                                                                     // 18
          "get Admin/Default.aspx\n"                                                                           // 19
          "get Admin/ChangePassword.aspx\n"                                                                    // 20
          "get Admin/CategoryList.aspx\nget Admin/CategoryEdit.aspx?id=1\nget Admin/CategoryShow.aspx?id=1\n"  // 21-23
          "get Admin/PublishHouseList.aspx\nget Admin/PublishHouseShow.aspx?id=P2\n"                           // 24 25
          "get Admin/tagList.aspx\nget Admin/tagEdit.aspx\nget Admin/tagShow.aspx?id=1\n"                      // 26-28
          "get Admin/CategoryList.aspx\npost Admin/CategoryList.aspx\nrptList$ctl01$btnDelete=删除\nend\n"     // 29 30
          "db " +
          FixedPasswordDatabase() +
          "\nget Admin/Default.aspx\n"  // 31
          "db " +
          FCatalogue.Folder() +
          "/gone.sqlite\n"
          "get Admin/BookList.aspx\nget Admin/BookEdit.aspx?id=2\nget Admin/BookShow.aspx?id=2\n"  // 32-34
          "get Admin/Default.aspx\n"                                                               // 35
          "db " +
          FSite->Database() +
          "\nget Admin/BookList.aspx\nclearcookies\n"                       // 36
          "post Admin/BookList.aspx\nrptList$ctl01$btnDelete=删除\nend\n",  // 37 302, 38 login
      true, &errors);
  ASSERT_EQ(r.size(), 39u) << errors;
  for (const TPageResponse& response : r) {
    SCOPED_TRACE(response.method + " " + response.path);
    EXPECT_TRUE(response.status == 200 || response.status == 302) << response.status << response.body.substr(0, 3000);
    EXPECT_EQ(response.body.find("Compilation Error"), std::string::npos);
  }
  // Without the login a page sends the visitor to the login page.
  EXPECT_EQ(r[0].status, 302);
  EXPECT_EQ(r[0].location, "/Admin/Login.aspx");
  EXPECT_NE(r[4].body.find("欢迎您，admin！"), std::string::npos);
  // The admin home warns while the administrator's password is the table script's fixed one.
  EXPECT_EQ(r[19].body.find("请立即修改密码"), std::string::npos) << "warned although the password was changed";
  EXPECT_NE(r[31].body.find("请立即修改密码"), std::string::npos) << "the fixed password is not warned of";
  // Every page links back to the admin home.
  for (int n = 5; n <= 28; ++n)
    if (r[n].status == 200 && r[n].path != "Admin/Default.aspx") {
      EXPECT_NE(r[n].body.find("<a href=\"Default.aspx\">返回管理首页</a>"), std::string::npos) << r[n].path;
    }

  // Paging: ten rows a page, three pages.
  EXPECT_NE(r[5].body.find("第1/3页，共25条记录"), std::string::npos);
  EXPECT_EQ(CountOf(r[5].body, "<td class=\"actions\">"), 10);
  EXPECT_NE(r[5].body.find("Book 101"), std::string::npos);
  EXPECT_NE(r[6].body.find("第2/3页"), std::string::npos);
  EXPECT_NE(r[6].body.find("Book 111"), std::string::npos);
  EXPECT_EQ(r[6].body.find("Book 101"), std::string::npos);
  EXPECT_NE(r[7].body.find("第3/3页"), std::string::npos);
  EXPECT_EQ(CountOf(r[7].body, "<td class=\"actions\">"), 5);

  // The search for a'b% finds exactly the rows that hold it, the text reaching the statement only as a
  // parameter, its % escaped.
  EXPECT_NE(r[8].body.find("共2条记录"), std::string::npos);
  EXPECT_NE(r[8].body.find("xa&#39;b%y"), std::string::npos);
  EXPECT_NE(r[8].body.find("<td>a&#39;b%</td>"), std::string::npos);
  const std::string statements = FSite->Statements();
  EXPECT_NE(statements.find("PARAM\t@s_title\tVarChar\t%a'b\\\\%%\n"), std::string::npos) << statements;
  std::istringstream lines(statements);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("SQL\t", 0) == 0) {
      EXPECT_EQ(line.find("a'b"), std::string::npos) << line;
    }

  // The drop-downs offer the referenced rows by their display member.
  EXPECT_NE(r[9].body.find("<option value=\"\">请选择</option>"), std::string::npos);
  EXPECT_NE(r[9].body.find("<option value=\"1\">文学</option>"), std::string::npos);
  EXPECT_NE(r[9].body.find("<option value=\"P2\">科学出版社</option>"), std::string::npos);
  EXPECT_NE(r[5].body.find("value=\"\">全部</option>"), std::string::npos);

  // Adding and editing go through the BLL and back to the list with a message.
  EXPECT_EQ(r[10].status, 302);
  EXPECT_NE(r[11].body.find("添加成功。"), std::string::npos);
  EXPECT_EQ(FSite->Query("select title,price,substr(published,1,10),stock,categoryId,houseCode from Book where "
                         "id=26"),
            "New Title|12.5|2024-05-01|7|2|P2\n");
  EXPECT_NE(r[12].body.find("value=\"Book 102\""), std::string::npos);
  EXPECT_NE(r[14].body.find("保存成功。"), std::string::npos);
  EXPECT_EQ(FSite->Query("select title,price,substr(published,1,10),stock,categoryId,houseCode from Book where id=2"),
            "Changed|1.5|2020-01-01|3|1|P1\n");
  EXPECT_NE(statements.find("SQL\tupdate Book set title=@title"), std::string::npos);
  // Deleting posts back: the first row of the list is gone.
  EXPECT_NE(r[15].body.find("删除成功。"), std::string::npos);
  EXPECT_EQ(FSite->Query("select count(*) from Book where id=1"), "0\n");
  // A row that other rows still refer to is not deleted, and the page says why.
  EXPECT_NE(r[30].body.find("不能删除：该记录仍被图书引用。"), std::string::npos) << r[30].body;
  EXPECT_EQ(FSite->Query("select count(*) from Category"), "2\n");
  // A postback without the login goes to the login page and changes nothing.
  EXPECT_EQ(r[37].status, 302);
  EXPECT_EQ(r[37].location, "/Admin/Login.aspx");
  EXPECT_EQ(r[38].path, "Admin/Login.aspx");
  EXPECT_EQ(FSite->Query("select count(*) from Book"), "25\n");
  // A taken text key is refused with a clear message.
  EXPECT_NE(r[17].body.find("已被使用，请换一个。"), std::string::npos);
  EXPECT_EQ(FSite->Query("select count(*) from PublishHouse"), "2\n");
  // The show page names the referenced rows.
  EXPECT_NE(r[18].body.find("文学"), std::string::npos);
  EXPECT_NE(r[18].body.find("人民出版社"), std::string::npos);
  // A row is read without a SqlDataReader: the stand-in's ExecuteReader was never called.
  EXPECT_EQ(statements.find("select * from Book where id="), std::string::npos);

  // Without the database each page says what failed and what to check.
  for (int n : {32, 33, 34, 35}) {
    SCOPED_TRACE(r[n].path);
    EXPECT_NE(r[n].body.find("SiteDb"), std::string::npos) << r[n].body;
  }
  EXPECT_NE(r[32].body.find("读取图书列表失败"), std::string::npos);
  EXPECT_NE(r[33].body.find("读取图书失败"), std::string::npos);
  EXPECT_NE(r[34].body.find("读取图书失败"), std::string::npos);
  EXPECT_NE(r[35].body.find("检查管理员密码失败"), std::string::npos);
}

// A picture is stored under the upload folder with a name the site makes, only when it is a picture;
// and a form posted with the view state of another session (a cross-site post) changes nothing.
TEST_F(PagesHostTest, PicturesAreCheckedAndRenamedAndPostsOfAnotherSessionFail) {
  const std::string png = FCatalogue.Folder() + "/my cover.png";
  WriteFileBytes(png, std::string("\x89PNG\r\n\x1a\n", 8) + std::string(64, '\0'));
  const std::string page = FCatalogue.Folder() + "/evil.aspx";
  WriteFileBytes(page, "<%@ Page Language=\"C#\" %><% Response.Write(\"run\"); %>");
  std::string errors;
  const std::vector<TPageResponse> r = FSite->Run(
      std::string("get Admin/Login.aspx\n") + kLogin +                                            // 0-3
          "get Admin/BookEdit.aspx?id=2\npost Admin/BookEdit.aspx?id=2\nupload fucover " + png +  // 4, 5 302, 6 list
          "\nbtnSave=保存\nend\n"
          "get Admin/BookEdit.aspx?id=3\npost Admin/BookEdit.aspx?id=3\nupload fucover " +
          page +  // 7, 8
          "\nbtnSave=保存\nend\n"
          "get Admin/BookList.aspx\nkeeppage\nclearcookies\nget Admin/Login.aspx\n" +
          kLogin +                                                                   // 9, 10-13
          "usekept\npost Admin/BookList.aspx\nrptList$ctl01$btnDelete=删除\nend\n",  // 14
      true, &errors);
  ASSERT_EQ(r.size(), 15u) << errors;
  EXPECT_NE(r[6].body.find("保存成功。"), std::string::npos) << r[5].body;
  const std::string stored = FSite->Query("select cover from Book where id=2");
  EXPECT_TRUE(std::regex_match(stored, std::regex("Upload/\\d{17}[0-9a-f]{8}\\.png\n"))) << stored;
  EXPECT_LE(stored.size() - 1, 50u);
  EXPECT_EQ(ReadFileBytes(FSite->Copy() + "/" + stored.substr(0, stored.size() - 1)), ReadFileBytes(png));
  EXPECT_NE(r[8].body.find("只能上传jpg、png或gif格式的图片。"), std::string::npos);
  EXPECT_EQ(FSite->Query("select cover from Book where id=3"), "\n");
  EXPECT_FALSE(std::filesystem::exists(FSite->Copy() + "/Upload/evil.aspx"));
  // The upload folder serves nothing as a page.
  EXPECT_NE(ReadFileBytes(FSite->Copy() + "/Upload/web.config").find("System.Web.HttpForbiddenHandler"),
            std::string::npos);

  EXPECT_EQ(r[14].status, 400);
  EXPECT_EQ(r[14].body.find("删除成功。"), std::string::npos);
  EXPECT_EQ(FSite->Query("select count(*) from Book where id=1"), "1\n") << "a post of another session deleted a row";
}

// Every .aspx of the sites of Loans and Names (Shop's are all requested above) is compiled by Mono's
// ASP.NET page compiler and shown to the administrator without a compilation error or a server error,
// and without the database's message: each statement of the pages runs on the database made from the
// site's own table script, with one row in each table.
TEST(PagesHost, EveryPageOfTheOtherCataloguesCompilesAndRuns) {
  TTempCatalogue catalogue;
  const struct {
    int projectId;
    std::string name, rows, withKeys, showsReference, shown;
  } cases[] = {
      {MakeLoansProject(), "Loans",
       "insert into Person(name) values ('张三');"
       "insert into Loan(lender,borrower,amount,lentOn,note) values (1,1,2.5,'2024-01-02 00:00:00','x');",
       "LoanEdit.aspx?id=1 LoanShow.aspx?id=1 PersonEdit.aspx?id=1 PersonShow.aspx?id=1", "LoanShow.aspx?id=1", "张三"},
      {MakeNamesProject(), "Names",
       "insert into Value(code,title) values ('V1','甲');insert into Error default values;"
       "insert into Problem(first,second,value,count,problem,text,path,due) values "
       "('V1','V1',3,1.5,'p','t','','2024-01-02 00:00:00');",
       "ProblemEdit.aspx?id=1 ProblemShow.aspx?id=1 ValueEdit.aspx?id=V1 ValueShow.aspx?id=V1 ErrorEdit.aspx?id=1 "
       "ErrorShow.aspx?id=1",
       "ProblemShow.aspx?id=1", "甲"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TRecordingObserver run = GenerateWithPages(c.projectId, c.name, catalogue.Folder());
    ASSERT_EQ(run.outcomes, std::vector<std::string>{"done"});
    const std::string generated = catalogue.Folder() + "/projects/" + c.name;
    TPageSite site(generated, catalogue.Folder() + "/host-" + c.name);
    std::string message;
    ASSERT_TRUE(
        site.BuildDatabase(TFileOperate::GbkBytesOf("script", TDataBaseSql().BuildScript(c.projectId)), &message))
        << message;
    ASSERT_TRUE(site.RunSql("update CusUsers set customerpwd='" + std::string(kSecretDigest) + "';" + c.rows));
    // Every page of the site but the one that logs out, then the forms and show pages of the rows.
    std::vector<std::string> pages;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(generated)) {
      const std::string path = std::filesystem::relative(entry.path(), generated).generic_string();
      if (entry.path().extension() == ".aspx" && path != "Admin/Logout.aspx") pages.push_back(path);
    }
    std::istringstream withKeys(c.withKeys);
    for (std::string page; withKeys >> page;) pages.push_back("Admin/" + page);
    std::string scenario = std::string("get Admin/Login.aspx\n") + kLogin;
    for (const std::string& page : pages) scenario += "get " + page + "\n";
    std::string errors;
    const std::vector<TPageResponse> r = site.Run(scenario, true, &errors);
    ASSERT_EQ(r.size(), 4 + pages.size()) << errors;
    EXPECT_NE(r[3].body.find("欢迎您，admin！"), std::string::npos);
    int referenceShown = 0;
    for (std::size_t n = 4; n < r.size(); ++n) {
      SCOPED_TRACE(r[n].path);
      EXPECT_EQ(r[n].status, 200) << r[n].body.substr(0, 3000);
      EXPECT_EQ(r[n].body.find("Compilation Error"), std::string::npos) << r[n].body.substr(0, 3000);
      EXPECT_EQ(r[n].body.find("Server Error"), std::string::npos) << r[n].body.substr(0, 3000);
      EXPECT_EQ(r[n].body.find("SiteDb"), std::string::npos);
      // The rows are found, and a reference shows the referenced row's display member.
      if (r[n].path.find('?') != std::string::npos) {
        EXPECT_EQ(r[n].body.find("不存在"), std::string::npos);
      }
      if (r[n].path == "Admin/" + c.showsReference) {
        ++referenceShown;
        EXPECT_NE(r[n].body.find(c.shown), std::string::npos);
      }
    }
    EXPECT_EQ(referenceShown, 1);
  }
}
