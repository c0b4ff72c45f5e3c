#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "catalogue/ModelStore.h"
#include "generation/PageOperate.h"
#include "pages/PagesTestSupport.h"
#include "site/FileOperate.h"
#include "support/FileBytes.h"
#include "support/TempCatalogue.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Captures(const std::string& text, const std::string& pattern) {
  std::vector<std::string> found;
  const std::regex expression(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), expression); it != std::sregex_iterator(); ++it)
    found.push_back((*it)[1].str());
  return found;
}

std::string FileText(const std::vector<TPageOperate::TPageFile>& files, const std::string& path) {
  for (const TPageOperate::TPageFile& file : files)
    if (file.path == path) return file.text;
  ADD_FAILURE() << "no page file " << path;
  return "";
}

// "member, dalCPages.LookupR" for each "member R" of the list, as the pages fill their drop-downs.
std::vector<std::string> Lookups(const std::vector<std::string>& members, const std::string& c) {
  std::vector<std::string> fills;
  for (const std::string& entry : members) {
    const std::size_t blank = entry.find(' ');
    fills.push_back(entry.substr(0, blank) + ", dal" + c + "Pages.Lookup" + entry.substr(blank + 1));
  }
  return fills;
}

std::string LabelOf(const TMember& member) {
  return member.GetMemberComment().empty() ? member.GetMemberName() : member.GetMemberComment();
}

}  // namespace

// The pages follow the catalogue's flags and nothing else: a search field and a condition of the query
// exactly for each queried member (a date's two), a column exactly for each shown one (a reference's
// showing the referenced row's display member), a required check exactly for each required one (the
// server asking again also for every date and reference, which the entity cannot hold empty), and a
// drop-down for each reference, filled from the referenced class's key and display member. Each flag
// pattern flips every member's flags another way, in Shop and in Loans (two references to one class).
TEST(Pages, SearchFieldsColumnsDropDownsAndRequiredChecksFollowTheMembers) {
  TTempCatalogue catalogue;
  const TProjectModel shop = TModelStore().LoadProject(MakePagesShopProject().projectId);
  const TProjectModel loans = TModelStore().LoadProject(MakeLoansProject());
  for (int pattern = 0; pattern < 8; ++pattern) {
    TProjectModel project = pattern % 2 == 0 ? shop : loans;
    int n = 0;
    for (TClassModel& entry : project.classes) {
      for (TMember& member : entry.members) {
        if (pattern < 2) continue;  // the flags as the catalogue holds them
        ++n;
        member.SetQueryFlag(pattern < 4 ? 1 : (n + pattern) % 2);
        member.SetMemberQueryDisplay(pattern < 4 ? 0 : (n / 2 + pattern) % 2);
        if (member.GetMemberIsPri() == 0) member.SetMemberIsMust(pattern < 4 ? 1 : (n + 1) % 2);
      }
    }
    const std::vector<TPageOperate::TPageFile> files = TPageOperate::MakePages(project);
    for (const TClassModel& entry : project.classes) {
      SCOPED_TRACE(project.projectName + " pattern " + std::to_string(pattern) + ", class " + entry.className);
      const std::string c = entry.className;
      const std::string list = FileText(files, "Admin/" + c + "List.aspx");
      const std::string listCode = FileText(files, "Admin/" + c + "List.aspx.cs");
      const std::string form = FileText(files, "Admin/" + c + "Edit.aspx");
      const std::string formCode = FileText(files, "Admin/" + c + "Edit.aspx.cs");
      const std::string data = FileText(files, "App_Code/DAL/dal" + c + "Pages.cs");
      std::vector<std::string> searched, conditions, shown, cells, required, asked, references, searchLists, formLists;
      for (const TMember& member : entry.members) {
        const std::string& name = member.GetMemberName();
        const bool reference = !MemberTypes::IsBuiltIn(member.GetMemberType());
        const bool date = member.GetMemberType() == MemberTypes::kDate;
        const std::string lookup = reference ? name + " " + project.FindClass(member.GetMemberType())->className : "";
        if (member.GetQueryFlag() == 1) {
          searched.push_back(name);
          conditions.insert(conditions.end(), date ? 2 : 1, name);
          if (reference) searchLists.push_back(lookup);
        }
        if (member.GetMemberQueryDisplay() == 1) {
          shown.push_back(LabelOf(member));
          cells.push_back(reference ? name + "_Text" : name);
        }
        const bool identity = member.GetMemberIsPri() == 1 && member.GetMemberIsInteger() == 1;
        if (member.GetMemberIsMust() == 1 && !identity) required.push_back(name);
        if ((member.GetMemberIsMust() == 1 && !identity) || date || reference) asked.push_back(LabelOf(member));
        if (reference) {
          references.push_back(name);
          formLists.push_back(lookup);
        }
      }
      EXPECT_EQ(Captures(list, " ID=\"lblSearch(\\w+)\""), searched);
      EXPECT_EQ(Captures(data, " and " + c + "\\.(\\w+)[ =<>]"), conditions);
      std::vector<std::string> columns = Captures(list, "<th>([^<]*)</th>");
      ASSERT_FALSE(columns.empty());
      EXPECT_EQ(columns.back(), "操作");
      columns.pop_back();
      EXPECT_EQ(columns, shown);
      EXPECT_EQ(Captures(list, "<td><%# \\w+\\(Eval\\(\"(\\w+)\"\\)\\) %></td>"), cells);
      EXPECT_EQ(Captures(form, " ID=\"rfv(\\w+)\""), required);
      // The server checks each picture after the other members.
      std::vector<std::string> checked = Captures(formCode, "problem = \"请(?:填写|选择)(.*?)(?:的图片)?。\";");
      std::sort(checked.begin(), checked.end());
      std::sort(asked.begin(), asked.end());
      EXPECT_EQ(checked, asked);
      EXPECT_EQ(Captures(form, " ID=\"ddl(\\w+)\""), references);
      EXPECT_EQ(Captures(listCode, "FillList\\(ddl(\\w+, dal\\w+\\.Lookup\\w+)\\(\\), \"全部\"\\)"),
                Lookups(searchLists, c));
      EXPECT_EQ(Captures(formCode, "FillList\\(ddl(\\w+, dal\\w+\\.Lookup\\w+)\\(\\), \"请选择\"\\)"),
                Lookups(formLists, c));
      for (const TMember& member : entry.members) {
        if (MemberTypes::IsBuiltIn(member.GetMemberType())) continue;
        const TClassModel* target = project.FindClass(member.GetMemberType());
        std::string display;
        for (const TMember& candidate : target->members)
          if (candidate.GetMemberIsDisplay() == 1) display = candidate.GetMemberName();
        const std::string lookup = "select " + target->KeyMember()->GetMemberName() + ", " + display + " from " +
                                   target->className + " order by " + display;
        EXPECT_NE(data.find(lookup), std::string::npos) << lookup;
        EXPECT_NE(data.find("(select r." + display + " from " + target->className + " r where r." +
                            target->KeyMember()->GetMemberName() + "=" + c + "." + member.GetMemberName() + ") as " +
                            member.GetMemberName() + "_Text"),
                  std::string::npos);
      }
    }
    // The admin home links every list page by its friendly name, else by the class's name.
    const std::string home = FileText(files, "Admin/Default.aspx");
    std::vector<std::string> links, expected;
    for (const std::string& link : Captures(home, "<li><a href=\"(\\w+)List\\.aspx\">")) links.push_back(link);
    for (const TClassModel& entry : project.classes) expected.push_back(entry.className);
    EXPECT_EQ(links, expected);
    if (project.projectName == "Shop") {
      EXPECT_NE(home.find("<li><a href=\"tagList.aspx\">tag</a></li>"), std::string::npos);
    }
  }
}

// No value of the request is put into SQL text: the page data access builds its statements only from
// names of the catalogue, and every value goes in as a parameter.
TEST(Pages, DataAccessPutsNoRequestValueIntoTheStatements) {
  TTempCatalogue catalogue;
  const TShopProject shop = MakePagesShopProject();
  for (const TPageOperate::TPageFile& file : TPageOperate::MakePages(TModelStore().LoadProject(shop.projectId))) {
    if (file.path.rfind("App_Code/DAL/", 0) != 0) continue;
    SCOPED_TRACE(file.path);
    // Every text joined to a statement is a literal or the where clause and columns made of literals.
    for (const std::string& joined : Captures(file.text, "\"\\s*\\+\\s*([A-Za-z_][\\w.]*)")) {
      const std::set<std::string> allowed = {"ReferenceColumns", "Where", "where", "where.ToString"};
      EXPECT_EQ(allowed.count(joined), 1u) << joined;
    }
    EXPECT_EQ(file.text.find("ExecuteReader"), std::string::npos);
    EXPECT_EQ(file.text.find("getSome"), std::string::npos);
  }
}

// Off, the run writes exactly the files and progress lines it wrote before; on, it adds one progress
// line per page file, after the data-access files and before the template copy, whose own admin home
// gives way to the generated one.
TEST(Pages, TheSwitchAddsThePageFilesAndTheirProgressLinesOnly) {
  TTempCatalogue catalogue;
  const TShopProject shop = MakePagesShopProject();
  const TRecordingObserver off = GenerateWithPages(shop.projectId, "Shop", catalogue.Folder() + "/off", false);
  const TRecordingObserver on = GenerateWithPages(shop.projectId, "Shop", catalogue.Folder() + "/on", true);
  ASSERT_EQ(off.outcomes, std::vector<std::string>{"done"});
  ASSERT_EQ(on.outcomes, std::vector<std::string>{"done"});
  const std::vector<TPageOperate::TPageFile> pages = TPageOperate::MakePages(TModelStore().LoadProject(shop.projectId));
  std::vector<std::string> expected = off.lines;
  const auto copy = std::find(expected.begin(), expected.end(), "正在移动资源文件。。。");
  ASSERT_NE(copy, expected.end());
  std::vector<std::string> pageLines;
  for (const TPageOperate::TPageFile& file : pages) pageLines.push_back("projects/Shop/" + file.path + "生成完毕!");
  expected.insert(copy, pageLines.begin(), pageLines.end());
  EXPECT_EQ(on.lines, expected);
  for (const TPageOperate::TPageFile& file : pages)
    EXPECT_EQ(ReadFileBytes(catalogue.Folder() + "/on/projects/Shop/" + file.path),
              TFileOperate::GbkBytesOf(file.path, file.text))
        << file.path;
  EXPECT_EQ(ReadFileBytes(catalogue.Folder() + "/off/projects/Shop/Admin/Default.aspx"),
            ReadFileBytes(CORVANTHEL_BIN_DIR "/bak/Admin/Default.aspx"));
  EXPECT_FALSE(fs::exists(catalogue.Folder() + "/off/projects/Shop/Admin/BookList.aspx"));

  // A site generated before without pages gets them, its template admin home replaced, on the next run.
  const TRecordingObserver later = GenerateWithPages(shop.projectId, "Shop", catalogue.Folder() + "/off", true);
  EXPECT_EQ(later.outcomes, std::vector<std::string>{"done"});
  EXPECT_NE(ReadFileBytes(catalogue.Folder() + "/off/projects/Shop/Admin/Default.aspx").find("BookList.aspx"),
            std::string::npos);
}

// The expected page files, byte for byte: those of Loan (two references to one class, a float, a date
// and a long text without a comment, all searched) written out by hand from what the pages must do, those
// of Book (every member type, a picture, references to an integer and a text key) and the shared files as
// generated and reviewed.
TEST(Pages, ExpectedPageFilesAreByteExact) {
  const struct {
    const char* folder;
    int (*make)();
    int files;
  } cases[] = {
      {"Loans", MakeLoansProject, 7},
      {"Shop", [] { return MakePagesShopProject().projectId; }, 15},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    TTempCatalogue catalogue;
    const std::string expectedRoot = CORVANTHEL_TEST_DATA "/pages/" + std::string(c.folder) + "/";
    int compared = 0;
    for (const TPageOperate::TPageFile& file : TPageOperate::MakePages(TModelStore().LoadProject(c.make()))) {
      const std::string expectedFile = expectedRoot + file.path;
      if (!fs::exists(expectedFile)) continue;
      ++compared;
      const std::string actual = TFileOperate::GbkBytesOf(file.path, file.text);
      EXPECT_EQ(FirstDifference(actual, ReadFileBytes(expectedFile)), "") << file.path;
    }
    EXPECT_EQ(compared, c.files);
  }
}

// Friendly names and comments reach the pages only as texts: a hostile one (quotes, angle brackets, an
// ampersand, a backslash, braces and a tab) gives the pages of a plain "X" once its encoded forms are
// read back as X, so it changes no markup, code or statement around it.
TEST(Pages, HostileFriendlyNamesAndCommentsChangeOnlyTheirTexts) {
  TTempCatalogue catalogue;
  const TShopProject shop = MakePagesShopProject();
  const TProjectModel plain = TModelStore().LoadProject(shop.projectId);
  const std::string hostile = "图\"<b>&'\\{}\tx";
  // The forms the pages hold it in: HTML (the backslash encoded too, as HTML text also stands inside C#
  // strings), a C# string literal, a C# comment (the tab as a space).
  const std::vector<std::string> forms = {"图&quot;&lt;b&gt;&amp;&#39;&#92;{} x", "图\\\"<b>&'\\\\{} x",
                                          "图\"<b>&'\\{} x"};
  for (int run = 0; run < 2; ++run) {
    TProjectModel project = plain;
    const std::string text = run == 0 ? "X" : hostile;
    for (TClassModel& entry : project.classes) {
      entry.friendName = text;
      for (TMember& member : entry.members) member.SetMemberComment(text);
    }
    static std::vector<TPageOperate::TPageFile> expected;
    std::vector<TPageOperate::TPageFile> files = TPageOperate::MakePages(project);
    if (run == 0) {
      expected = files;
      continue;
    }
    ASSERT_EQ(files.size(), expected.size());
    for (std::size_t n = 0; n < files.size(); ++n) {
      const std::string& path = files[n].path;
      const bool code = path.size() > 3 && path.compare(path.size() - 3, 3, ".cs") == 0;
      // Each form only where it belongs: the HTML one in markup or in a C# string that becomes markup,
      // the string one only in a C# string, the comment one only in a comment.
      for (std::size_t kind = 0; kind < forms.size(); ++kind) {
        for (std::size_t at = files[n].text.find(forms[kind]); at != std::string::npos;
             at = files[n].text.find(forms[kind], at + 1)) {
          const std::size_t lineStart = files[n].text.rfind('\n', at) + 1;
          const std::string before = files[n].text.substr(lineStart, at - lineStart);
          int quotes = 0;
          for (std::size_t i = 0; i < before.size(); ++i)
            if (before[i] == '"' && (i == 0 || before[i - 1] != '\\')) ++quotes;
          const bool inComment = before.find("//") != std::string::npos || before.find("/*") != std::string::npos;
          if (kind == 2) {
            EXPECT_TRUE(code && inComment) << path << ": " << before;
          } else if (kind == 1 || code) {
            EXPECT_TRUE(code && quotes % 2 == 1) << path << ": " << before;
          }
        }
      }
      std::string read = files[n].text;
      for (const std::string& form : forms)
        for (std::size_t at = read.find(form); at != std::string::npos; at = read.find(form, at + 1))
          read.replace(at, form.size(), "X");
      EXPECT_EQ(FirstDifference(read, expected[n].text), "") << files[n].path;
    }
  }
}
