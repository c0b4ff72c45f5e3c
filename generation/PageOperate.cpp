#include "generation/PageOperate.h"

#include <kainjow/mustache.hpp>
#include <map>
#include <set>
#include <stdexcept>

#include "generation/LayerCommon.h"
#include "generation/PageTemplates.h"
#include "model/ClassIndex.h"
#include "model/NameRules.h"
#include "site/SiteWriter.h"

namespace TPageOperate {

namespace {

using kainjow::mustache::data;
using kainjow::mustache::mustache;

// Catalogue texts reach pages as labels, titles and comments, each through NameRules::CommentText first:
// no line break (a tab or a line break typed into a comment, U+2028, which C# also takes as a line end)
// and no "*/" survives it. A tab becomes a blank too, so a label stays on one line of its box.
std::string CatalogueText(const std::string& text) {
  std::string folded = NameRules::CommentText(text);
  for (char& c : folded)
    if (c == '\t') c = ' ';
  return folded;
}

std::string Html(const std::string& text) {
  std::string encoded;
  for (char c : CatalogueText(text)) {
    switch (c) {
      case '&':
        encoded += "&amp;";
        break;
      case '<':
        encoded += "&lt;";
        break;
      case '>':
        encoded += "&gt;";
        break;
      case '"':
        encoded += "&quot;";
        break;
      case '\'':
        encoded += "&#39;";
        break;
      case '\\':
        // Html text also stands inside C# string literals ("添加...").
        encoded += "&#92;";
        break;
      default:
        encoded += c;
    }
  }
  return encoded;
}

// The inside of a C# string literal.
std::string CsString(const std::string& text) {
  std::string escaped;
  for (char c : CatalogueText(text)) {
    if (c == '\\' || c == '"') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

// Text inside a C# /* */ comment.
std::string CsComment(const std::string& text) {
  return CatalogueText(text);
}

// A Mustache section shows for true and not for false (a text "false" would count as true).
data Bool(bool value) {
  return data(value);
}

std::string FriendNameOf(const TClassModel& entry) {
  return entry.friendName.empty() ? entry.className : entry.friendName;
}

const TMember* DisplayMemberOf(const TClassModel& entry) {
  for (const TMember& member : entry.members)
    if (member.GetMemberIsDisplay() == 1) return &member;
  return entry.KeyMember();
}

// A text longer than this gets a multi-line box.
constexpr int kMultiLineLength = 100;

data MemberData(const TClassIndex& classes, const TClassModel& entry, const TMember& member) {
  const std::string& type = member.GetMemberType();
  const TValueKind kind = LayerCommon::ValueKindOf(classes, entry.className, member);
  const bool reference = !MemberTypes::IsBuiltIn(type);
  const bool key = member.GetMemberIsPri() == 1;
  const std::string label = member.GetMemberComment().empty() ? member.GetMemberName() : member.GetMemberComment();
  data d;
  d.set("name", member.GetMemberName());
  d.set("labelHtml", Html(label));
  d.set("labelCsString", CsString(label));
  d.set("labelCsComment", CsComment(label));
  d.set("csType", LayerCommon::CSharpTypeOf(kind));
  d.set("sqlDbType", kind == TValueKind::Integer ? "Int"
                     : kind == TValueKind::Float ? "Float"
                     : kind == TValueKind::Date  ? "DateTime"
                                                 : "VarChar");
  d.set("isKey", Bool(key));
  d.set("isIdentityKey", Bool(key && kind == TValueKind::Integer));
  d.set("isTextKey", Bool(key && kind != TValueKind::Integer));
  d.set("isString", Bool(!reference && type == MemberTypes::kString));
  d.set("isInteger", Bool(!reference && type == MemberTypes::kInteger));
  d.set("isFloat", Bool(!reference && type == MemberTypes::kFloat));
  d.set("isDate", Bool(!reference && type == MemberTypes::kDate));
  d.set("isPicture", Bool(!reference && type == MemberTypes::kPicture));
  d.set("isReference", Bool(reference));
  d.set("isPlain", Bool(!reference && type != MemberTypes::kPicture));
  d.set("isText", Bool(!reference && (type == MemberTypes::kString || type == MemberTypes::kPicture)));
  d.set("controlId", (reference ? "ddl" : type == MemberTypes::kPicture ? "fu" : "txt") + member.GetMemberName());
  const int length = type == MemberTypes::kPicture ? 50 : member.GetMemberLength();
  d.set("maxLength", std::to_string(length > 0 ? length : 50));
  d.set("multiLine", Bool(type == MemberTypes::kString && length > kMultiLineLength));
  d.set("isMust", Bool(member.GetMemberIsMust() == 1));
  d.set("isNumber", Bool(!reference && (type == MemberTypes::kInteger || type == MemberTypes::kFloat)));
  d.set("validatorType", type == MemberTypes::kInteger ? "Integer" : type == MemberTypes::kFloat ? "Double" : "Date");
  if (reference) {
    const TClassModel* target = classes.Find(type);
    const TMember& targetKey = LayerCommon::KeyMemberOf(*target);
    d.set("refClass", target->className);
    d.set("refKey", targetKey.GetMemberName());
    d.set("refDisplay", DisplayMemberOf(*target)->GetMemberName());
    d.set("refKeyIsInteger", Bool(targetKey.GetMemberIsInteger() == 1));
  } else {
    d.set("refKeyIsInteger", Bool(false));
  }
  return d;
}

data ClassData(const TProjectModel& project, const TClassIndex& classes, const TClassModel& entry) {
  const TMember& key = LayerCommon::KeyMemberOf(entry);
  const bool integerKey = key.GetMemberIsInteger() == 1;
  data d;
  d.set("className", entry.className);
  d.set("objectName", LayerCommon::ObjectNameOf(entry.className));
  d.set("friendNameHtml", Html(FriendNameOf(entry)));
  d.set("friendNameCsString", CsString(FriendNameOf(entry)));
  d.set("friendNameCsComment", CsComment(FriendNameOf(entry)));
  d.set("keyName", key.GetMemberName());
  d.set("keyIsInteger", Bool(integerKey));
  d.set("keyCsType", integerKey ? "int" : "string");
  d.set("keySqlDbType", integerKey ? "Int" : "VarChar");
  d.set("keyLength", std::to_string(key.GetMemberLength() > 0 ? key.GetMemberLength() : 50));
  data members{data::type::list}, search{data::type::list}, shown{data::type::list}, form{data::type::list};
  data references{data::type::list};
  std::set<std::string> seen;
  bool hasPicture = false, hasSearch = false, hasShown = false, hasDateSearch = false;
  for (const TMember& member : entry.members) {
    const data m = MemberData(classes, entry, member);
    members.push_back(m);
    if (member.GetQueryFlag() == 1) {
      search.push_back(m);
      hasSearch = true;
      if (member.GetMemberType() == MemberTypes::kDate) hasDateSearch = true;
    }
    if (member.GetMemberQueryDisplay() == 1) {
      shown.push_back(m);
      hasShown = true;
    }
    if (!(member.GetMemberIsPri() == 1 && member.GetMemberIsInteger() == 1)) form.push_back(m);
    if (member.GetMemberType() == MemberTypes::kPicture) hasPicture = true;
    if (!MemberTypes::IsBuiltIn(member.GetMemberType())) {
      const TClassModel* target = classes.Find(member.GetMemberType());
      if (seen.insert(target->className).second) {
        data r;
        r.set("refClass", target->className);
        r.set("refKey", LayerCommon::KeyMemberOf(*target).GetMemberName());
        r.set("refDisplay", DisplayMemberOf(*target)->GetMemberName());
        references.push_back(r);
      }
    }
  }
  d.set("members", members);
  d.set("searchMembers", search);
  d.set("shownMembers", shown);
  d.set("formMembers", form);
  d.set("references", references);
  d.set("hasSearch", Bool(hasSearch));
  d.set("hasDateSearch", Bool(hasDateSearch));
  d.set("hasShown", Bool(hasShown));
  d.set("hasPicture", Bool(hasPicture));
  d.set("projectName", project.projectName);
  return d;
}

data ProjectData(const TProjectModel& project) {
  data d;
  data list{data::type::list};
  for (const TClassModel& entry : project.classes) {
    data c;
    c.set("className", entry.className);
    c.set("friendNameHtml", Html(FriendNameOf(entry)));
    list.push_back(c);
  }
  d.set("classes", list);
  d.set("projectName", project.projectName);
  return d;
}

// A line that holds only a section tag ({{#x}}, {{^x}}, {{/x}}) is "standalone" and leaves nothing in
// the output, its indentation and line end included. The library keeps the line end of a standalone tag
// of a section it skips, so such lines lose theirs before the library sees them.
std::string JoinStandaloneLines(const std::string& text) {
  std::string joined;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    const bool last = end == std::string::npos;
    if (last) end = text.size();
    const std::string line = text.substr(start, end - start);
    const std::size_t first = line.find_first_not_of(" \t");
    const bool standalone = first != std::string::npos && line.compare(first, 2, "{{") == 0 &&
                            (line[first + 2] == '#' || line[first + 2] == '^' || line[first + 2] == '/') &&
                            line.size() >= 2 && line.compare(line.size() - 2, 2, "}}") == 0 &&
                            line.find("}}", first) == line.size() - 2;
    if (standalone) {
      joined += line.substr(first);
    } else {
      joined += line;
      if (!last) joined += '\n';
    }
    start = end + 1;
  }
  return joined;
}

const std::string& TemplateText(const std::string& name) {
  static const std::map<std::string, std::string> texts = [] {
    std::map<std::string, std::string> all;
    for (const TPageTemplate& entry : PageTemplates()) all[entry.name] = JoinStandaloneLines(entry.text);
    return all;
  }();
  const auto found = texts.find("pages/" + name + ".mustache");
  if (found == texts.end()) throw std::logic_error("no page template " + name);
  return found->second;
}

// Renders a template without HTML escaping (the view model holds each text in the form its place
// needs) and turns its LF line ends into the site's CR LF.
std::string Render(const std::string& name, const data& view) {
  mustache page(TemplateText(name));
  if (!page.is_valid()) throw std::logic_error("page template " + name + ": " + page.error_message());
  page.set_custom_escape([](const std::string& text) { return text; });
  const std::string text = page.render(view);
  std::string crlf;
  crlf.reserve(text.size() + text.size() / 20);
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return crlf;
}

std::vector<TPageFile> ClassFiles(const TProjectModel& project, const TClassIndex& classes, const TClassModel& entry,
                                  const std::vector<std::string>& kinds) {
  const data view = ClassData(project, classes, entry);
  std::vector<TPageFile> files;
  const std::string& c = entry.className;
  for (const std::string& kind : kinds) {
    files.push_back({"Admin/" + c + kind + ".aspx", Render(kind + ".aspx", view)});
    files.push_back({"Admin/" + c + kind + ".aspx.cs", Render(kind + ".aspx.cs", view)});
  }
  files.push_back({"App_Code/DAL/dal" + c + "Pages.cs", Render("dalPages.cs", view)});
  return files;
}

}  // namespace

std::vector<TPageFile> MakePages(const TProjectModel& project) {
  const TClassIndex classes(project);
  std::vector<TPageFile> files;
  for (const TClassModel& entry : project.classes) {
    const std::vector<TPageFile> own = ClassFiles(project, classes, entry, {"List", "Edit", "Show"});
    files.insert(files.end(), own.begin(), own.end());
  }
  const data view = ProjectData(project);
  files.push_back({"Admin/Default.aspx", Render("Default.aspx", view)});
  files.push_back({"Admin/Default.aspx.cs", Render("Default.aspx.cs", view)});
  files.push_back({"Admin/ChangePassword.aspx", Render("ChangePassword.aspx", view)});
  files.push_back({"Admin/ChangePassword.aspx.cs", Render("ChangePassword.aspx.cs", view)});
  files.push_back({"Admin/pages.css", Render("pages.css", view)});
  files.push_back({"App_Code/BLL/AdminPage.cs", Render("AdminPage.cs", view)});
  files.push_back({"App_Code/DAL/AdminPagesHelp.cs", Render("AdminPagesHelp.cs", view)});
  files.push_back({"Upload/web.config", Render("Upload.web.config", view)});
  return files;
}

std::vector<TPageFile> MakeClassPage(const TProjectModel& project, const TClassModel& entry, const std::string& kind) {
  const TClassIndex classes(project);
  if (kind == "list") return ClassFiles(project, classes, entry, {"List"});
  if (kind == "add" || kind == "edit") return ClassFiles(project, classes, entry, {"Edit"});
  if (kind == "show") return ClassFiles(project, classes, entry, {"Show"});
  return {};
}

std::string PreviewText(const TProjectModel& project, const TClassModel& entry, const std::string& kind) {
  std::string text;
  for (const TPageFile& file : MakeClassPage(project, entry, kind))
    text += "==> " + file.path + " <==\r\n" + file.text + "\r\n";
  return text;
}

void MakePageFiles(const TProjectModel& project, TSiteWriter& site, const TProgressCallback& progress) {
  for (const TPageFile& file : MakePages(project)) {
    const std::size_t slash = file.path.rfind('/');
    LayerCommon::WriteLayerFile(site, file.path.substr(0, slash), file.path.substr(slash + 1), file.text, progress);
  }
}

std::vector<std::pair<std::string, std::string>> Variables() {
  return {
      {"projectName", "the project's name"},
      {"classes", "every class of the project (admin home): className, friendNameHtml"},
      {"className", "the class's name: table, entity, BLL and DAL class names"},
      {"objectName", "the class's name with a small first letter, for local variables"},
      {"friendNameHtml", "the class's friendly name (else its name), HTML-encoded, control characters as spaces"},
      {"friendNameCsString", "the same text inside a C# string literal"},
      {"friendNameCsComment", "the same text inside a C# /* */ comment"},
      {"keyName", "the key member's name"},
      {"keyIsInteger", "the key is an integer (identity) key"},
      {"keyCsType", "int or string: the key's C# type"},
      {"keySqlDbType", "Int or VarChar: the key parameter's SqlDbType"},
      {"keyLength", "the text key's length"},
      {"members",
       "every member: name, labelHtml, labelCsString, labelCsComment, csType, sqlDbType, isKey, "
       "isIdentityKey, isTextKey, isString, isInteger, isFloat, isDate, isPicture, isReference, isPlain, isText, "
       "controlId, "
       "isNumber, validatorType, maxLength, multiLine, isMust, refClass, refKey, refDisplay, "
       "refKeyIsInteger"},
      {"searchMembers", "the members searched on the list page (queryFlag)"},
      {"shownMembers", "the members shown as columns of the list (memberQueryDisplay)"},
      {"formMembers", "the members on the add and edit form (all but an integer key)"},
      {"references", "each referenced class once: refClass, refKey, refDisplay"},
      {"hasSearch", "the class has a searched member"},
      {"hasDateSearch", "a searched member is a date"},
      {"hasShown", "the class has a shown member"},
      {"hasPicture", "the class has a picture member"},
  };
}

}  // namespace TPageOperate
