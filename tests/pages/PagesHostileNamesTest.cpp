#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "pages/PagesTestSupport.h"
#include "site/FileOperate.h"
#include "support/PageHost.h"
#include "support/TempCatalogue.h"

// Names that meet the names the pages make of them (MakeHostileNamesProject) give a site that Mono's
// compiler compiles without an error or a warning, whose every .aspx Mono's page compiler compiles, and
// whose pages read right on a database: each case posts a search or asks for a page and finds what it
// must (patterns) on the page it gets, and never a failure. The float search finds a row the site saved
// (through the entity's float) and one written by other means alike.
TEST(PagesHost, NamesMeetingThePagesOwnNamesGiveASiteThatCompilesAndReadsRight) {
  TTempCatalogue catalogue;
  const int project = MakeHostileNamesProject();
  const TRecordingObserver run = GenerateWithPages(project, "Hostile", catalogue.Folder());
  ASSERT_EQ(run.outcomes, std::vector<std::string>{"done"});
  const std::string generated = catalogue.Folder() + "/projects/Hostile";
  int status = 0;
  const std::string compiled = CompileSite(generated, &status);
  EXPECT_EQ(status, 0) << compiled;
  EXPECT_EQ(compiled, "") << compiled;

  TPageSite site(generated, catalogue.Folder() + "/host");
  std::string message;
  ASSERT_TRUE(site.BuildDatabase(TFileOperate::GbkBytesOf("script", TDataBaseSql().BuildScript(project)), &message))
      << message;
  ASSERT_TRUE(
      site.RunSql("update CusUsers set customerpwd='5EBE2294ECD0E0F08EAB7690D2A6EE69';"
                  "insert into Maker(name,Search,due,dueFrom,dueTo,PageRowNumber) values "
                  "('甲厂','findme','2024-03-05 00:00:00','df',7,99),('乙厂','other','2023-01-01 00:00:00','df',8,98);"
                  "insert into R(maker,maker_Text,weight) values (1,'自己的文字',1.1),(2,'二号',2.5);"
                  "insert into Holder(Name,part) values ('持有人甲',1);"));

  const struct {
    const char* what;
    std::string page;                   // posted after a GET when fields are given, else asked for
    std::vector<std::string> fields;    // the form's fields to set, the search button added
    std::vector<std::string> patterns;  // each found on the page
  } cases[] = {
      {"a searched member named Search", "MakerList.aspx", {"txt_Search=findme"}, {"共1条记录", "<td>findme</td>"}},
      {"a date due beside dueFrom and dueTo",
       "MakerList.aspx",
       {"txtFrom_due=2024-03-01", "txtTo_due=2024-03-31", "txt_dueFrom=df", "txt_dueTo=7"},
       {"共1条记录", "<td>甲厂</td>"}},
      {"the integer dueTo, a condition apart from the date's end",
       "MakerList.aspx",
       {"txtFrom_due=2024-03-01", "txt_dueTo=8"},
       {"没有符合条件的记录。"}},
      {"a member PageRowNumber beside the paged query's row number",
       "MakerList.aspx",
       {},
       {"<td>99</td>\\s*<td class=\"actions\">"}},
      {"an integer key Title beside the form's title",
       "MakerEdit.aspx?id=1",
       {},
       {"编辑制造商", "id=\"lbl_Title\">1<"}},
      {"an integer key Message beside the form's message",
       "REdit.aspx?id=1",
       {},
       {"编辑零件", "id=\"lbl_Message\">1<"}},
      {"an integer key ForName beside the label of Name",
       "HolderEdit.aspx?id=1",
       {},
       {"id=\"lbl_ForName\">1<", "value=\"持有人甲\"[^>]*name=\"txt_Name\""}},
      {"a member maker_Text beside the reference maker", "RList.aspx", {}, {"<td>甲厂</td>\\s*<td>自己的文字</td>"}},
      {"a class R whose reference is looked up", "RShow.aspx?id=1", {}, {"甲厂", "自己的文字"}},
      {"a reference to the class R", "HolderShow.aspx?id=1", {}, {"自己的文字"}},
      {"an exact float search",
       "RList.aspx",
       {"txt_weight=1.1"},
       {"共2条记录", "<td>自己的文字</td>", "<td>网站添加</td>"}},
  };

  // The administrator logs in and adds a row of R through the site: its weight goes through the
  // entity's float, unlike the rows written above.
  std::string scenario =
      "get Admin/Login.aspx\npost Admin/Login.aspx\ntxtName=admin\ntxtPassword=secret\nbtnLogin=登录\nend\n"
      "get Admin/REdit.aspx\npost Admin/REdit.aspx\nddl_maker=2\ntxt_maker_Text=网站添加\ntxt_weight=1.1\n"
      "btnSave=保存\nend\n";
  for (const auto& entry : std::filesystem::recursive_directory_iterator(generated)) {
    const std::string path = std::filesystem::relative(entry.path(), generated).generic_string();
    if (entry.path().extension() == ".aspx" && path != "Admin/Logout.aspx") scenario += "get " + path + "\n";
  }
  std::vector<std::string> marked;
  for (std::size_t n = 0; n < std::size(cases); ++n) {
    const std::string& page = cases[n].page;
    marked.push_back("Admin/" + page + (page.find('?') == std::string::npos ? "?" : "&") + "case=" + std::to_string(n));
    scenario += "get " + marked.back() + "\n";
    if (cases[n].fields.empty()) continue;
    scenario += "post " + marked.back() + "\n";
    for (const std::string& field : cases[n].fields) scenario += field + "\n";
    scenario += "btnSearch=查询\nend\n";
  }
  std::string errors;
  const std::vector<TPageResponse> r = site.Run(scenario, true, &errors);
  ASSERT_GT(r.size(), 7u) << errors;
  // After the login's four responses and the form's two, the list says the row was added.
  EXPECT_EQ(r[6].path, "Admin/RList.aspx?done=added");
  EXPECT_NE(r[6].body.find("添加成功。"), std::string::npos) << r[6].body.substr(0, 3000);
  for (const TPageResponse& response : r) {
    SCOPED_TRACE(response.method + " " + response.path);
    EXPECT_TRUE(response.status == 200 || response.status == 302) << response.status;
    for (const char* failure : {"Compilation Error", "Server Error", "SiteDb"})
      EXPECT_EQ(response.body.find(failure), std::string::npos) << response.body.substr(0, 3000);
  }
  for (std::size_t n = 0; n < std::size(cases); ++n) {
    SCOPED_TRACE(cases[n].what);
    const TPageResponse* last = nullptr;
    for (const TPageResponse& response : r)
      if (response.path == marked[n]) last = &response;
    ASSERT_NE(last, nullptr) << errors;
    for (const std::string& pattern : cases[n].patterns)
      EXPECT_TRUE(std::regex_search(last->body, std::regex(pattern))) << pattern << "\n" << last->body.substr(0, 6000);
  }
  // The two rows the float search finds hold different doubles: one as typed, one through the float.
  EXPECT_EQ(site.Query("select count(distinct weight) from R where weight between 1.09 and 1.11"), "2\n");
}
