// Friendly names and comments are data: whatever a catalogue or a project file holds there, no generator
// lets it end a comment, a string or a line early. Each generator's output for hostile texts has the same
// code, once comments and strings are taken out, as for the plain text "X": the entity, BLL and DAL
// classes, each class's table script and the whole script, the admin pages, the upgrade script both ways
// and its label, and a user's templates that put every catalogue text variable in the place its form is
// made for.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "catalogue/ModelStore.h"
#include "generation/BLLOperate.h"
#include "generation/DALOperate.h"
#include "generation/DataBaseSql.h"
#include "generation/EntityOperate.h"
#include "generation/LayerCommon.h"
#include "generation/PageOperate.h"
#include "generation/TemplateSet.h"
#include "generation/UpgradeSql.h"
#include "generation/ViewModel.h"
#include "model/ClassIndex.h"
#include "model/Member.h"
#include "model/NameRules.h"
#include "model/ProjectChecker.h"
#include "support/CodeShape.h"
#include "support/FileBytes.h"
#include "support/ShopProject.h"
#include "support/TempCatalogue.h"

namespace {

// Every text a file or a script from elsewhere could put into a friendly name or a comment to break out.
const std::vector<std::string> kHostile = {
    "\r\n",
    "备注\r\nSystem.IO.File.Delete(\"x\"); //",
    "a\nb",
    "a\rb",
    "*/ class Evil { /*",
    "x*/",
    "\"",
    "\"); Evil(); (\"",
    "\\",
    "a\\",
    "\\\"",
    "a\xE2\x80\xA8" "Evil();",  // U+2028, a line end for C#
    "a\xE2\x80\xA9" "b",        // U+2029
    "a\xC2\x85" "b",            // U+0085
    std::string("a\0b", 3),
    "-- x",
    "'); drop table CusUsers; --",
    "</script><script>alert(1)</script>",
    "<%= System.IO.File.Delete(\"x\") %>",
    "%>",
    "/*",
    "//",
    "\t\v\f\x1B[31m\x7F",
    "{{className}}",
    "@\"",
    "&amp;<b>",
};

// The project with every friendly name and member comment set to the text.
TProjectModel WithTexts(TProjectModel project, const std::string& text) {
  for (TClassModel& entry : project.classes) {
    entry.friendName = text;
    for (TMember& member : entry.members) member.SetMemberComment(text);
  }
  return project;
}

using TFiles = std::map<std::string, std::string>;

// A user's templates that write every catalogue text variable into the place its form is made for: C#
// comments and strings in the entity class, markup text and attributes in the list page.
void WriteUserTemplates(const std::string& folder) {
  std::filesystem::create_directories(folder + "/pages");
  WriteFileBytes(folder + "/Entity.cs.mustache",
                 "// {{friendNameCsComment}}\n/* {{titleCsComment}} */\ns = \"{{titleCsString}}\";\n"
                 "{{#members}}\n// {{commentCsComment}}\n/* {{labelCsComment}} */\ns = \"{{labelCsString}}\";\n"
                 "{{/members}}\n");
  WriteFileBytes(folder + "/pages/List.aspx.mustache",
                 "<th title=\"{{titleHtml}}\">{{titleHtml}}</th>\n"
                 "{{#members}}\n<td title=\"{{labelHtml}}\">{{labelHtml}}</td>\n{{/members}}\n");
}

// The project without its last class and the last member of its first class: what an upgrade starts from.
TProjectModel Shrunk(TProjectModel project) {
  project.classes.pop_back();
  project.classes.front().members.pop_back();
  return project;
}

using TGenerator = std::function<TFiles(const TProjectModel&)>;

// Each generator over a whole project: file name → text. userTemplates: a folder WriteUserTemplates filled.
std::vector<std::pair<std::string, TGenerator>> Generators(const std::string& userTemplates) {
  return {
      {"entity",
       [](const TProjectModel& project) {
         const TClassIndex classes(project);
         TFiles files;
         for (const TClassModel& entry : project.classes)
           files[entry.className + ".cs"] = TEntityOperate::EntityText(entry, classes);
         return files;
       }},
      {"bll",
       [](const TProjectModel& project) {
         TFiles files;
         for (const TClassModel& entry : project.classes)
           files["bll" + entry.className + ".cs"] = TBLLOperate::BLLText(entry);
         return files;
       }},
      {"dal",
       [](const TProjectModel& project) {
         const TClassIndex classes(project);
         TFiles files;
         TDALOperate dal;
         for (const TClassModel& entry : project.classes) {
           dal.LoadClass(entry, classes);
           files["dal" + entry.className + ".cs"] = dal.DALText();
         }
         return files;
       }},
      {"sql",
       [](const TProjectModel& project) {
         const TClassIndex classes(project);
         TFiles files;
         for (const TClassModel& entry : project.classes)
           files[entry.className + ".sql"] = TDataBaseSql::ClassScript(entry, classes);
         return files;
       }},
      {"pages",
       [](const TProjectModel& project) {
         TFiles files;
         for (const TPageOperate::TPageFile& file : TPageOperate::MakePages(project)) files[file.path] = file.text;
         return files;
       }},
      // The labels of search fields and the messages of required checks are texts of their own.
      {"pages with every member searched, required and shown",
       [](TProjectModel project) {
         for (TClassModel& entry : project.classes) {
           for (TMember& member : entry.members) {
             member.SetQueryFlag(1);
             member.SetMemberIsMust(1);
             member.SetMemberQueryDisplay(1);
           }
         }
         TFiles files;
         for (const TPageOperate::TPageFile& file : TPageOperate::MakePages(project)) files[file.path] = file.text;
         return files;
       }},
      {"upgrade",
       [](const TProjectModel& project) {
         // An earlier version: Book under another name, each class without its last member, the first text
         // member shorter. Both ways: renames, additions and changes up, the guarded drops down.
         TProjectModel earlier = project;
         for (TClassModel& entry : earlier.classes) {
           if (entry.className == "Book") entry.className = "Books";
           if (entry.members.size() > 1 && entry.members.back().GetMemberIsPri() == 0) entry.members.pop_back();
           for (TMember& member : entry.members)
             if (member.GetMemberType() == MemberTypes::kString && member.GetMemberIsPri() == 0) {
               member.SetMemberLength(member.GetMemberLength() + 10);
               break;
             }
         }
         return TFiles{{"up.sql", BuildUpgradeScript(earlier, project, TUpgradeOptions()).text},
                       {"down.sql", BuildUpgradeScript(project, earlier, TUpgradeOptions()).text}};
       }},
      {"script",
       [](const TProjectModel& project) {
         return TFiles{{"Shop.sql", TDataBaseSql().BuildScript(project)}};
       }},
      {"upgrade label",
       [](const TProjectModel& project) {
         // The label names the file the old model came from, whose name may hold any byte but '/': here the
         // text itself, over models with the plain text, which no check refuses.
         const TProjectModel plain = WithTexts(project, "X");
         TUpgradeOptions options;
         options.fromLabel = project.classes.front().friendName;
         return TFiles{{"label.sql", BuildUpgradeScript(Shrunk(plain), plain, options).text}};
       }},
      {"user templates",
       [userTemplates](const TProjectModel& project) {
         const TTemplateSet templates(userTemplates);
         const TProjectView view(project);
         TFiles files;
         for (const TClassModel& entry : project.classes)
           files[entry.className + ".cs"] = TEntityOperate::EntityText(view.ClassOf(entry), templates);
         for (const TPageOperate::TPageFile& file : TPageOperate::MakePages(view, templates))
           files[file.path] = file.text;
         return files;
       }},
  };
}

TFiles Shapes(const TFiles& files) {
  TFiles shapes;
  for (const auto& [path, text] : files) shapes[path] = CodeShape::Of(path, text);
  return shapes;
}

}  // namespace

TEST(HostileTexts, NoFriendlyNameOrCommentChangesTheCodeOfAnyGenerator) {
  TTempCatalogue catalogue;
  const TProjectModel shop = TModelStore().LoadProject(MakeGeneratableShopProject().projectId);
  WriteUserTemplates(catalogue.Folder() + "/templates");
  for (const auto& [generator, generate] : Generators(catalogue.Folder() + "/templates")) {
    const TFiles plain = Shapes(generate(WithTexts(shop, "X")));
    ASSERT_FALSE(plain.empty()) << generator;
    for (const std::string& text : kHostile) {
      // The upgrade script and the whole table script refuse a project with a text the checker refuses.
      if ((generator == "upgrade" || generator == "script") && !NameRules::TextProblem(text).empty()) {
        EXPECT_THROW(generate(WithTexts(shop, text)), TProjectProblemError) << NameRules::Printable(text);
        continue;
      }
      const TFiles hostile = Shapes(generate(WithTexts(shop, text)));
      ASSERT_EQ(hostile.size(), plain.size()) << generator;
      for (const auto& [path, shape] : plain)
        EXPECT_EQ(hostile.at(path), shape) << generator << " " << path << " for " << NameRules::Printable(text);
    }
  }
}

// The shapes themselves tell a broken text from a sound one, or the test above would pass for nothing.
TEST(HostileTexts, TheShapeSeesACommentOrAStringEndEarly) {
  const std::string sound = "a = 1; // x\r\nb = \"y\\\"\"; /* z */\r\n";
  EXPECT_EQ(CodeShape::CSharp(sound), "a = 1; \n\nb = \"\";  \n\n");
  EXPECT_NE(CodeShape::CSharp("a = 1; // x\r\nEvil();\r\n"), CodeShape::CSharp("a = 1; // X\r\n"));
  EXPECT_NE(CodeShape::CSharp("a = 1; // x\xE2\x80\xA8" "Evil();\r\n"), CodeShape::CSharp("a = 1; // X\r\n"));
  EXPECT_NE(CodeShape::CSharp("/* x*/ Evil(); */\r\n"), CodeShape::CSharp("/* X */\r\n"));
  EXPECT_NE(CodeShape::CSharp("s = \"a\\\";\r\n"), CodeShape::CSharp("s = \"X\";\r\n"));
  EXPECT_NE(CodeShape::Sql("-- x\r\ndrop table T\r\n"), CodeShape::Sql("-- X\r\n"));
  EXPECT_NE(CodeShape::Markup("<th>a<script></th>"), CodeShape::Markup("<th>X</th>"));
  EXPECT_NE(CodeShape::Markup("<a title=\"x\" onclick=\"y\">"), CodeShape::Markup("<a title=\"X\">"));
}

// What the generators write a text as: unchanged when the checker passes it, on one line and unable to
// end a comment otherwise.
TEST(HostileTexts, CommentTextFoldsControlsAndBreaksCommentEnds) {
  struct TCase {
    std::string text, written;
  };
  const std::vector<TCase> cases = {
      {"图书 信息\t(书名)", "图书 信息\t(书名)"},
      {"a\r\nb", "a b"},
      {std::string("a\0\0b", 4), "a b"},
      {"a*/b", "a* /b"},
      {"**//", "** //"},
      {"*/*/", "* /* /"},
      {"a\xE2\x80\xA8\r\n*/", "a * /"},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(NameRules::CommentText(c.text), c.written) << NameRules::Printable(c.text);
    EXPECT_EQ(NameRules::CommentText(c.written), c.written) << "twice";
  }
}

TEST(HostileTexts, GenerationErrorsShowNamesEscapedAndWhole) {
  // A catalogue made elsewhere may hold a NUL or a line break in a name; the message must neither end at
  // the NUL nor break its line.
  TProjectModel project;
  TClassModel entry;
  entry.className = std::string("K\0\n", 3);
  TMember member;
  member.SetMemberName("r\n");
  member.SetMemberType(std::string("Q\0z", 3));
  entry.members.push_back(member);
  project.classes.push_back(entry);
  const TClassIndex classes(project);
  const auto messageOf = [](const std::function<void()>& action) {
    try {
      action();
    } catch (const TGenerationError& error) {
      return std::string(error.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(messageOf([&] { LayerCommon::ValueKindOf(classes, entry.className, member); }),
            "类“K\\x00\\x0A”的成员“r\\x0A”的类型“Q\\x00z”既不是基本类型，也不是本工程中有主键的类，无法生成代码");
  EXPECT_EQ(messageOf([&] { LayerCommon::KeyMemberOf(entry); }), "类“K\\x00\\x0A”没有主键成员，无法生成代码");
}
