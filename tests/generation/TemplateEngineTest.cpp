#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "generation/TemplateEngine.h"
#include "generation/TemplateSet.h"
#include "generation/ViewModel.h"

namespace {

// A view model of its own: a text, a flag and a list of texts, so the engine is tested apart from the
// generators' variables.
struct TItem {
  std::string text;
};
struct TRoot {
  std::string name;
  bool flag = false;
  std::vector<TItem> items;
  std::vector<const void*> list;
};

const TVariable kVariables[] = {
    {"name", TViewScope::Project, TVariableType::Text, TViewScope::Project, "",
     [](const TViewFrame& f, std::string& out) { out += static_cast<const TRoot*>(f.object)->name; }},
    {"flag", TViewScope::Project, TVariableType::Bool, TViewScope::Project, "", nullptr,
     [](const TViewFrame& f) { return static_cast<const TRoot*>(f.object)->flag; }},
    {"items", TViewScope::Project, TVariableType::List, TViewScope::Member, "", nullptr, nullptr,
     [](const TViewFrame& f) -> const std::vector<const void*>& { return static_cast<const TRoot*>(f.object)->list; }},
    {"text", TViewScope::Member, TVariableType::Text, TViewScope::Member, "",
     [](const TViewFrame& f, std::string& out) { out += static_cast<const TItem*>(f.object)->text; }},
    {"sep", TViewScope::Member, TVariableType::Text, TViewScope::Member, "",
     [](const TViewFrame& f, std::string& out) {
       if (f.index > 0) out += ',';
     }},
};

const TVariable* Lookup(TViewScope scope, std::string_view name) {
  for (const TVariable& variable : kVariables)
    if (variable.scope == scope && name == variable.name) return &variable;
  return nullptr;
}

struct TRendered {
  std::string text;
  std::string error;
};

TRendered RenderText(const std::string& text, const std::string& partial = "") {
  TRoot root{"Book", true, {{"a"}, {"b"}}, {}};
  for (const TItem& item : root.items) root.list.push_back(&item);
  const TTemplateSource source{"main", "main.mustache", text, true};
  const TTemplateSource part{"part", "part.mustache", partial, true};
  try {
    const TParsedTemplate parsed = TemplateEngine::Parse(
        source, {TViewScope::Project}, Lookup,
        [&part](const std::string& name) { return name == "part" ? &part : nullptr; });
    std::vector<TViewFrame> frames{{&root, 0, 1}};
    std::string out;
    TemplateEngine::Render(parsed, frames, out);
    return {out, ""};
  } catch (const TTemplateError& error) {
    return {"", error.file + ":" + std::to_string(error.line) + ":" + std::to_string(error.column) + ":" + error.name};
  }
}

TMember Member(const std::string& name, const std::string& type, int length, int key, const std::string& comment,
              int query, int display) {
  TMember member;
  member.SetMemberName(name);
  member.SetMemberType(type);
  member.SetMemberLength(length);
  member.SetMemberIsPri(key);
  member.SetMemberIsInteger(key == 1 && type == "整型" ? 1 : 0);
  member.SetMemberComment(comment);
  member.SetQueryFlag(query);
  member.SetMemberIsDisplay(display);
  member.SetMemberIsMust(key);
  return member;
}

}  // namespace

TEST(TemplateEngine, RendersTheMustacheFormsWithStandaloneLinesAsTheSpecHasThem) {
  struct TCase {
    const char* text;
    const char* partial;
    const char* expected;
  };
  const TCase cases[] = {
      {"Hi {{name}}!", "", "Hi Book!"},
      {"{{{name}}}{{&name}}<{{ name }}>", "", "BookBook<Book>"},  // no escaping at all
      {"a\r\n  {{#flag}}  \r\nyes\r\n  {{/flag}}\r\nb\r\n", "", "a\r\nyes\r\nb\r\n"},
      {"a\r\n{{^flag}}\r\nno\r\n{{/flag}}\r\nb\r\n", "", "a\r\nb\r\n"},  // a skipped section leaves no line
      {"{{#items}}\r\n- {{text}}\r\n{{/items}}\r\n", "", "- a\r\n- b\r\n"},
      {"({{#items}}{{sep}}{{text}}{{/items}})", "", "(a,b)"},
      {"x {{#flag}}\r\ny{{/flag}}\r\n", "", "x \r\ny\r\n"},  // not alone on its line: not standalone
      {"{{! a comment }}\r\nz\r\n", "", "z\r\n"},
      {"{{=<% %>=}}\r\n<% name %> {{name}}\r\n", "", "Book {{name}}\r\n"},
      {"  {{> part}}\r\n", "{{name}}\r\n{{name}}\r\n", "  Book\r\n  Book\r\n"},  // indented standalone partial
      {"[{{> part}}]", "{{#items}}{{text}}{{/items}}", "[ab]"},
      {"{{^items}}none{{/items}}{{#name}}named{{/name}}", "", "named"},
      {"{{#flag}}{{#items}}{{name}}{{text}}{{/items}}{{/flag}}", "", "BookaBookb"},  // outer names reach in
  };
  for (const TCase& c : cases) {
    const TRendered rendered = RenderText(c.text, c.partial);
    EXPECT_EQ(rendered.error, "") << c.text;
    EXPECT_EQ(rendered.text, c.expected) << c.text;
  }
}

TEST(TemplateEngine, AFaultNamesFileLineColumnAndName) {
  struct TCase {
    const char* text;
    const char* partial;
    const char* expected;  // file:line:column:name
  };
  const TCase cases[] = {
      {"ab\r\n  {{#items}}\r\n{{text}}\r\n", "", "main.mustache:2:3:items"},  // unclosed section
      {"{{#flag}}\r\n中文{{/items}}", "", "main.mustache:2:3:items"},          // columns count characters
      {"x\r\n{{nosuch}}", "", "main.mustache:2:1:nosuch"},
      {"{{text}}", "", "main.mustache:1:1:text"},  // a member's variable outside its list
      {"{{#items}}{{/items}}{{items}}", "", "main.mustache:1:21:items"},
      {"{{flag}}", "", "main.mustache:1:1:flag"},
      {"a {{name", "", "main.mustache:1:3:"},
      {"{{/flag}}", "", "main.mustache:1:1:flag"},
      {"{{> other}}", "", "main.mustache:1:1:other"},
      {"{{> part}}", "\r\n\r\n  {{bad}}", "part.mustache:3:3:bad"},
      {"{{> part}}", "{{> part}}", "part.mustache:1:1:part"},  // includes itself
  };
  for (const TCase& c : cases) EXPECT_EQ(RenderText(c.text, c.partial).error, c.expected) << c.text;
}

TEST(TemplateEngine, TheMessageIsChineseWithFileLineAndColumn) {
  const TTemplateSource source{"Entity.cs", "/t/Entity.cs.mustache", "a\r\n{{#members}}\r\n", true};
  try {
    TemplateEngine::Parse(source, {TViewScope::Project, TViewScope::Class}, ViewModel::Find, nullptr);
    FAIL();
  } catch (const TTemplateError& error) {
    EXPECT_EQ(std::string(error.what()), "模板 /t/Entity.cs.mustache 第2行第1列：段“members”没有结束标签");
  }
}

TEST(TemplateSet, EveryBuiltInTemplateNamesItselfAndItsRevisionOnItsFirstLine) {
  std::set<std::string> names;
  for (const TBuiltInTemplate& entry : TTemplateSet::BuiltInTemplates()) {
    EXPECT_GE(entry.revision, 1) << entry.name;
    EXPECT_EQ(entry.text.rfind("{{! " + entry.name + " revision " + std::to_string(entry.revision) + " }}\n", 0), 0u)
        << entry.name;
    names.insert(entry.name);
  }
  for (const char* name : {"Entity.cs", "BLL.cs", "DAL.cs", "sql/Script.sql", "sql/ClassScript.sql", "pages/List.aspx"})
    EXPECT_EQ(names.count(name), 1u) << name;
  EXPECT_EQ(TTemplateSet::BuiltIn().Replaced(), 0);
}

// The variables list is the view model: every variable reads from a view of a project with every kind of
// member, and of an upgrade, without failing, the reference prints each exactly once, and the docs hold that
// reference.
TEST(ViewModel, TheWalkOfTheViewModelEqualsTheVariablesList) {
  TProjectModel project;
  project.projectName = "P";
  TClassModel shelf;
  shelf.className = "Shelf";
  shelf.friendName = "书架";
  shelf.members.push_back(Member("id", "整型", 4, 1, "编号", 1, 1));
  TClassModel book;
  book.className = "Book";
  book.members.push_back(Member("code", "字符串", 20, 1, "", 0, 1));
  book.members.push_back(Member("cover", "图片型", 50, 0, "封面", 0, 0));
  book.members.push_back(Member("shelf", "Shelf", 4, 0, "书架", 1, 0));
  book.members.push_back(Member("lost", "Nowhere", 4, 0, "", 0, 0));
  book.members.push_back(Member("price", "浮点型", 8, 0, "", 1, 0));
  book.members.push_back(Member("day", "日期型", 8, 0, "", 1, 0));
  project.classes = {shelf, book};
  const TProjectView view(project);

  // And an upgrade of it with a line of each list and a step.
  TUpgradeView upgrade;
  upgrade.projectName = "P";
  upgrade.changes = {"新增列 Book.day"};
  upgrade.warnings = {"可能丢失数据"};
  upgrade.steps.resize(1);
  upgrade.MakeLists();

  std::set<std::string> walked;
  std::vector<std::pair<TViewScope, TViewFrame>> frames{{TViewScope::Project, {&view, 0, 1}},
                                                        {TViewScope::Upgrade, {&upgrade, 0, 1}}};
  for (std::size_t at = 0; at < frames.size(); ++at) {
    const auto [scope, frame] = frames[at];
    for (const TVariable& variable : ViewModel::Variables()) {
      if (variable.scope != scope) continue;
      walked.insert(std::string(ViewModel::ScopeName(scope)) + "." + variable.name);
      std::string text;
      switch (variable.type) {
        case TVariableType::Text:
          variable.text(frame, text);
          break;
        case TVariableType::Bool:
          variable.test(frame);
          break;
        case TVariableType::List: {
          const std::vector<const void*>& items = variable.items(frame);
          for (std::size_t i = 0; i < items.size(); ++i)
            frames.push_back({variable.itemScope, {items[i], static_cast<int>(i), static_cast<int>(items.size())}});
          break;
        }
      }
    }
  }
  std::set<std::string> listed;
  std::istringstream reference(ViewModel::Reference());
  std::string line, scope;
  while (std::getline(reference, line)) {
    if (line.rfind("[", 0) == 0) scope = line.substr(1, line.find(':') - 1);
    if (line.rfind("  ", 0) != 0) continue;
    const std::string name = line.substr(2, line.find(' ', 2) - 2);
    EXPECT_TRUE(listed.insert(scope + "." + name).second) << name;
  }
  EXPECT_EQ(walked, listed);

  std::ifstream docs(std::string(CORVANTHEL_SOURCE_DIR) + "/docs/templates.md", std::ios::binary);
  std::ostringstream text;
  text << docs.rdbuf();
  EXPECT_NE(text.str().find("```\n" + ViewModel::Reference() + "```\n"), std::string::npos)
      << "docs/templates.md must hold the output of corvanthel-cli templates variables";
}
