#include "generation/ViewModel.h"

#include <algorithm>
#include <functional>
#include <unordered_map>

#include "generation/GenerationInputs.h"
#include "model/NameRules.h"
#include "site/SiteWriter.h"

namespace {

const std::vector<const void*> kNoItems;

// Catalogue texts in the forms their places need, each through NameRules::CommentText first: no line
// break and no "*/" survives it, so a text can end neither a line nor a comment early.
std::string CsLayerComment(const std::string& text) {
  return NameRules::CommentText(text);
}

// A text inside a "--" comment: folded, then in its printable form, so bytes that are not UTF-8 reach the
// script as \xNN rather than raw.
std::string SqlComment(const std::string& text) {
  return NameRules::Printable(NameRules::CommentText(text));
}

// Pages: a tab becomes a blank too, so a label stays on one line of its box.
std::string PageText(const std::string& text) {
  std::string folded = NameRules::CommentText(text);
  for (char& c : folded)
    if (c == '\t') c = ' ';
  return folded;
}

void AppendHtml(const std::string& text, std::string& out) {
  for (char c : PageText(text)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      case '\\':
        // Html text also stands inside C# string literals ("添加...").
        out += "&#92;";
        break;
      default:
        out += c;
    }
  }
}

// The inside of a C# string literal.
void AppendCsString(const std::string& text, std::string& out) {
  for (char c : PageText(text)) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
}

// Text of a page inside a C# /* */ comment.
void AppendPageComment(const std::string& text, std::string& out) {
  out += PageText(text);
}

const std::string& TitleOf(const TClassModel& entry) {
  return entry.friendName.empty() ? entry.className : entry.friendName;
}

const std::string& LabelOf(const TMember& member) {
  return member.GetMemberComment().empty() ? member.GetMemberName() : member.GetMemberComment();
}

const TMember* DisplayMemberOf(const TClassModel& entry) {
  for (const TMember& member : entry.members)
    if (member.GetMemberIsDisplay() == 1) return &member;
  return entry.KeyMember();
}

// A text longer than this gets a multi-line box on the pages.
constexpr int kMultiLineLength = 100;

const TProjectView& P(const TViewFrame& frame) {
  return *static_cast<const TProjectView*>(frame.object);
}
const TClassView& C(const TViewFrame& frame) {
  return *static_cast<const TClassView*>(frame.object);
}
const TMemberView& M(const TViewFrame& frame) {
  return *static_cast<const TMemberView*>(frame.object);
}
const TMember& MM(const TViewFrame& frame) {
  return *M(frame).member;
}
const TUpgradeView& U(const TViewFrame& frame) {
  return *static_cast<const TUpgradeView*>(frame.object);
}
const TUpgradeStep& St(const TViewFrame& frame) {
  return *static_cast<const TUpgradeStep*>(frame.object);
}
const std::string& L(const TViewFrame& frame) {
  return *static_cast<const std::string*>(frame.object);
}

template <TUpgradeStep::TKind kind>
bool IsStep(const TViewFrame& frame) {
  return St(frame).kind == kind;
}

// The inside of a T-SQL N'...' literal that RAISERROR takes as its message: quotes and percent signs doubled.
void AppendRaiserrorString(const std::string& text, std::string& out) {
  for (char c : text) {
    if (c == '\'' || c == '%') out += c;
    out += c;
  }
}

void AppendNumber(int value, std::string& out) {
  out += std::to_string(value);
}

bool IsType(const TMemberView& view, const char* type) {
  return view.member->GetMemberType() == type;
}

int PageLength(const TMemberView& view) {
  if (IsType(view, MemberTypes::kPicture)) return 50;
  const int length = view.member->GetMemberLength();
  return length > 0 ? length : 50;
}

bool IsIntegerKey(const TClassView& c) {
  return c.key != nullptr && c.key->GetMemberIsInteger() == 1;
}

const char* SqlDbTypeOf(TValueKind kind) {
  switch (kind) {
    case TValueKind::Integer:
      return "Int";
    case TValueKind::Float:
      return "Float";
    case TValueKind::Date:
      return "DateTime";
    case TValueKind::Text:
      break;
  }
  return "VarChar";
}

using S = TViewScope;
using T = TVariableType;

TVariable Text(const char* name, S scope, const char* meaning, void (*text)(const TViewFrame&, std::string&)) {
  TVariable v{name, scope, T::Text, scope, meaning};
  v.text = text;
  return v;
}
TVariable Bool(const char* name, S scope, const char* meaning, bool (*test)(const TViewFrame&)) {
  TVariable v{name, scope, T::Bool, scope, meaning};
  v.test = test;
  return v;
}
TVariable List(const char* name, S scope, S itemScope, const char* meaning,
               const std::vector<const void*>& (*items)(const TViewFrame&)) {
  TVariable v{name, scope, T::List, itemScope, meaning};
  v.items = items;
  return v;
}

// index, first, last and the separators of a list's item.
void AddLoopVariables(std::vector<TVariable>& variables, S scope) {
  variables.push_back(Text("index", scope, "the item's position in its list, from 0",
                           [](const TViewFrame& f, std::string& out) { AppendNumber(f.index, out); }));
  variables.push_back(Bool("first", scope, "the item is the first of its list", [](const TViewFrame& f) {
    return f.index == 0;
  }));
  variables.push_back(Bool("last", scope, "the item is the last of its list", [](const TViewFrame& f) {
    return f.index + 1 == f.count;
  }));
  variables.push_back(Text("commaBefore", scope, "\",\" before every item but the first, for lists written on one line",
                           [](const TViewFrame& f, std::string& out) {
                             if (f.index > 0) out += ',';
                           }));
  variables.push_back(Text("commaAfter", scope, "\",\" after every item but the last",
                           [](const TViewFrame& f, std::string& out) {
                             if (f.index + 1 < f.count) out += ',';
                           }));
}

std::vector<TVariable> MakeVariables() {
  std::vector<TVariable> v;
  // The project.
  v.push_back(Text("projectName", S::Project, "the project's name, also the site's folder name",
                   [](const TViewFrame& f, std::string& out) { out += P(f).model.projectName; }));
  v.push_back(List("classes", S::Project, S::Class, "every class of the project, in catalogue order",
                   [](const TViewFrame& f) -> const std::vector<const void*>& { return P(f).ClassList(); }));

  // The class.
  v.push_back(Text("className", S::Class, "the class's name: table, entity, BLL and DAL class names",
                   [](const TViewFrame& f, std::string& out) { out += C(f).model.className; }));
  v.push_back(Text("classNameSqlComment", S::Class, "the class's name inside a SQL -- comment (line breaks as blanks)",
                   [](const TViewFrame& f, std::string& out) { out += SqlComment(C(f).model.className); }));
  v.push_back(Text("objectName", S::Class, "the class's name with a small first letter (A to Z), for variables",
                   [](const TViewFrame& f, std::string& out) { out += LayerCommon::ObjectNameOf(C(f).model.className); }));
  v.push_back(Text("friendNameCsComment", S::Class,
                   "the class's friendly name as entered (may be empty), inside a C# comment of the layer files",
                   [](const TViewFrame& f, std::string& out) { out += CsLayerComment(C(f).model.friendName); }));
  v.push_back(Text("titleHtml", S::Class,
                   "the class's friendly name, else its name, HTML-encoded, control characters as blanks",
                   [](const TViewFrame& f, std::string& out) { AppendHtml(TitleOf(C(f).model), out); }));
  v.push_back(Text("titleCsString", S::Class, "the same title inside a C# string literal",
                   [](const TViewFrame& f, std::string& out) { AppendCsString(TitleOf(C(f).model), out); }));
  v.push_back(Text("titleCsComment", S::Class, "the same title inside a C# /* */ comment",
                   [](const TViewFrame& f, std::string& out) { AppendPageComment(TitleOf(C(f).model), out); }));
  v.push_back(Bool("hasKey", S::Class, "the class has a key member", [](const TViewFrame& f) {
    return C(f).key != nullptr;
  }));
  v.push_back(Text("keyName", S::Class, "the key member's name",
                   [](const TViewFrame& f, std::string& out) {
                     if (C(f).key != nullptr) out += C(f).key->GetMemberName();
                   }));
  v.push_back(Bool("keyIsInteger", S::Class, "the key is an integer (identity) key, assigned by the database",
                   [](const TViewFrame& f) { return IsIntegerKey(C(f)); }));
  v.push_back(Text("keyCsType", S::Class, "int or string: the key's C# type",
                   [](const TViewFrame& f, std::string& out) { out += IsIntegerKey(C(f)) ? "int" : "string"; }));
  v.push_back(Text("keySqlDbType", S::Class, "Int or VarChar: the key parameter's SqlDbType",
                   [](const TViewFrame& f, std::string& out) { out += IsIntegerKey(C(f)) ? "Int" : "VarChar"; }));
  v.push_back(Text("keyLength", S::Class, "the text key's length for a form's box (50 when none is set)",
                   [](const TViewFrame& f, std::string& out) {
                     const int length = C(f).key != nullptr ? C(f).key->GetMemberLength() : 0;
                     AppendNumber(length > 0 ? length : 50, out);
                   }));
  v.push_back(Text("keyColumnLength", S::Class, "the text key's length as its table column has it",
                   [](const TViewFrame& f, std::string& out) {
                     AppendNumber(C(f).key != nullptr ? C(f).key->GetMemberLength() : 0, out);
                   }));
  v.push_back(Text("keyColumnComma", S::Class,
                   "\",\" after the key's column unless it is the table's only column (see columnComma)",
                   [](const TViewFrame& f, std::string& out) {
                     if (C(f).lastColumn >= 0) out += ',';
                   }));
  v.push_back(Text("nonKeyCount", S::Class, "how many members nonKeyMembers holds",
                   [](const TViewFrame& f, std::string& out) { AppendNumber(static_cast<int>(C(f).nonKey.size()), out); }));
  v.push_back(List("members", S::Class, S::Member, "every member, in catalogue order",
                   [](const TViewFrame& f) -> const std::vector<const void*>& { return C(f).all; }));
  v.push_back(List("nonKeyMembers", S::Class, S::Member,
                   "the members that are not the key (memberIsPri 0): the table's other columns, the update's set list",
                   [](const TViewFrame& f) -> const std::vector<const void*>& { return C(f).nonKey; }));
  v.push_back(List("insertMembers", S::Class, S::Member,
                   "the members an insert writes: every member, but for an integer key nonKeyMembers",
                   [](const TViewFrame& f) -> const std::vector<const void*>& { return C(f).insert; }));
  v.push_back(List("searchMembers", S::Class, S::Member, "the members searched on the list page (queryFlag)",
                   [](const TViewFrame& f) -> const std::vector<const void*>& { return C(f).search; }));
  v.push_back(List("shownMembers", S::Class, S::Member, "the members shown as columns of the list (memberQueryDisplay)",
                   [](const TViewFrame& f) -> const std::vector<const void*>& { return C(f).shown; }));
  v.push_back(List("formMembers", S::Class, S::Member, "the members on the add and edit form (all but an integer key)",
                   [](const TViewFrame& f) -> const std::vector<const void*>& { return C(f).form; }));
  v.push_back(List("references", S::Class, S::Member,
                   "the first member referencing each referenced class, once per class (for refClass, refKey, refDisplay)",
                   [](const TViewFrame& f) -> const std::vector<const void*>& { return C(f).references; }));
  v.push_back(List("foreignKeys", S::Class, S::Member,
                   "the non-key members whose type names a class with a key (none when the class has no key)",
                   [](const TViewFrame& f) -> const std::vector<const void*>& { return C(f).foreignKeys; }));
  v.push_back(List(
      "referencedBy", S::Class, S::Member,
      "the members of every class (this one too) whose type names the class: what a row in use is "
      "referenced by (for ownerClass, ownerTitleCsString)",
      [](const TViewFrame& f) -> const std::vector<const void*>& { return C(f).project.ReferencesTo(C(f).model); }));
  v.push_back(Bool("isReferenced", S::Class, "a member of some class names the class as its type (see referencedBy)",
                   [](const TViewFrame& f) { return !C(f).project.ReferencesTo(C(f).model).empty(); }));
  v.push_back(Bool("hasSearch", S::Class, "the class has a searched member", [](const TViewFrame& f) {
    return !C(f).search.empty();
  }));
  v.push_back(Bool("hasDateSearch", S::Class, "a searched member is a date", [](const TViewFrame& f) {
    for (const void* item : C(f).search)
      if (IsType(*static_cast<const TMemberView*>(item), MemberTypes::kDate)) return true;
    return false;
  }));
  v.push_back(Bool("hasShown", S::Class, "the class has a shown member", [](const TViewFrame& f) {
    return !C(f).shown.empty();
  }));
  v.push_back(Bool("hasPicture", S::Class, "the class has a picture member", [](const TViewFrame& f) {
    for (const TMemberView& m : C(f).members)
      if (IsType(m, MemberTypes::kPicture)) return true;
    return false;
  }));
  AddLoopVariables(v, S::Class);

  // The member.
  v.push_back(Text("name", S::Member, "the member's name: column, property and parameter name",
                   [](const TViewFrame& f, std::string& out) { out += MM(f).GetMemberName(); }));
  v.push_back(Text("nameSqlComment", S::Member, "the member's name inside a SQL -- comment",
                   [](const TViewFrame& f, std::string& out) { out += SqlComment(MM(f).GetMemberName()); }));
  v.push_back(Text("type", S::Member, "the member's type as entered: one of the five type names, or a class name",
                   [](const TViewFrame& f, std::string& out) { out += MM(f).GetMemberType(); }));
  v.push_back(Text("typeSqlComment", S::Member, "the member's type inside a SQL -- comment",
                   [](const TViewFrame& f, std::string& out) { out += SqlComment(MM(f).GetMemberType()); }));
  v.push_back(Text("length", S::Member, "the member's length as entered (the varchar length of a text)",
                   [](const TViewFrame& f, std::string& out) { AppendNumber(MM(f).GetMemberLength(), out); }));
  v.push_back(Text("commentCsComment", S::Member,
                   "the member's comment as entered (may be empty), inside a C# comment of the layer files (/* */ or //)",
                   [](const TViewFrame& f, std::string& out) { out += CsLayerComment(MM(f).GetMemberComment()); }));
  v.push_back(Text("labelHtml", S::Member, "the member's comment, else its name, HTML-encoded: a page's label",
                   [](const TViewFrame& f, std::string& out) { AppendHtml(LabelOf(MM(f)), out); }));
  v.push_back(Text("labelCsString", S::Member, "the same label inside a C# string literal",
                   [](const TViewFrame& f, std::string& out) { AppendCsString(LabelOf(MM(f)), out); }));
  v.push_back(Text("labelCsComment", S::Member, "the same label inside a C# /* */ comment",
                   [](const TViewFrame& f, std::string& out) { AppendPageComment(LabelOf(MM(f)), out); }));
  v.push_back(Text("csType", S::Member, "string, int, float or DateTime: the C# type of the member's value",
                   [](const TViewFrame& f, std::string& out) { out += LayerCommon::CSharpTypeOf(M(f).kind); }));
  v.push_back(Text("sqlDbType", S::Member, "VarChar, Int, Float or DateTime: the SqlDbType of its parameter",
                   [](const TViewFrame& f, std::string& out) { out += SqlDbTypeOf(M(f).kind); }));
  v.push_back(Bool("valueIsText", S::Member, "the value is a C# string (text, picture, or a text key's reference)",
                   [](const TViewFrame& f) { return M(f).kind == TValueKind::Text; }));
  v.push_back(Bool("valueIsInteger", S::Member, "the value is a C# int (integer, or an integer key's reference)",
                   [](const TViewFrame& f) { return M(f).kind == TValueKind::Integer; }));
  v.push_back(Bool("valueIsFloat", S::Member, "the value is a C# float", [](const TViewFrame& f) {
    return M(f).kind == TValueKind::Float;
  }));
  v.push_back(Bool("valueIsDate", S::Member, "the value is a C# DateTime", [](const TViewFrame& f) {
    return M(f).kind == TValueKind::Date;
  }));
  v.push_back(Bool("isKey", S::Member, "the member is marked as the key (memberIsPri 1)", [](const TViewFrame& f) {
    return MM(f).GetMemberIsPri() == 1;
  }));
  v.push_back(Bool("isIdentityKey", S::Member, "the member is the key and holds an integer", [](const TViewFrame& f) {
    return MM(f).GetMemberIsPri() == 1 && M(f).kind == TValueKind::Integer;
  }));
  v.push_back(Bool("isTextKey", S::Member, "the member is the key and holds text", [](const TViewFrame& f) {
    return MM(f).GetMemberIsPri() == 1 && M(f).kind != TValueKind::Integer;
  }));
  v.push_back(Bool("isString", S::Member, "the type is 字符串", [](const TViewFrame& f) {
    return IsType(M(f), MemberTypes::kString);
  }));
  v.push_back(Bool("isInteger", S::Member, "the type is 整型", [](const TViewFrame& f) {
    return IsType(M(f), MemberTypes::kInteger);
  }));
  v.push_back(Bool("isFloat", S::Member, "the type is 浮点型", [](const TViewFrame& f) {
    return IsType(M(f), MemberTypes::kFloat);
  }));
  v.push_back(Bool("isDate", S::Member, "the type is 日期型", [](const TViewFrame& f) {
    return IsType(M(f), MemberTypes::kDate);
  }));
  v.push_back(Bool("isPicture", S::Member, "the type is 图片型", [](const TViewFrame& f) {
    return IsType(M(f), MemberTypes::kPicture);
  }));
  v.push_back(Bool("isReference", S::Member, "the type names a class (see refBroken)", [](const TViewFrame& f) {
    return M(f).reference;
  }));
  v.push_back(Bool("isPlain", S::Member, "one of the five types but 图片型", [](const TViewFrame& f) {
    return !M(f).reference && !IsType(M(f), MemberTypes::kPicture);
  }));
  v.push_back(Bool("isText", S::Member, "the type is 字符串 or 图片型", [](const TViewFrame& f) {
    return IsType(M(f), MemberTypes::kString) || IsType(M(f), MemberTypes::kPicture);
  }));
  v.push_back(Bool("isNumber", S::Member, "the type is 整型 or 浮点型", [](const TViewFrame& f) {
    return IsType(M(f), MemberTypes::kInteger) || IsType(M(f), MemberTypes::kFloat);
  }));
  v.push_back(Bool("isMust", S::Member, "a value is required (memberIsMust)", [](const TViewFrame& f) {
    return MM(f).GetMemberIsMust() == 1;
  }));
  v.push_back(Bool("isAsked", S::Member,
                   "the form asks for a value: memberIsMust, and always a date or a reference, which the entity "
                   "cannot hold empty",
                   [](const TViewFrame& f) {
                     return MM(f).GetMemberIsMust() == 1 || IsType(M(f), MemberTypes::kDate) || M(f).reference;
                   }));
  v.push_back(Bool("multiLine", S::Member, "a text longer than 100 characters: a multi-line box", [](const TViewFrame& f) {
    return IsType(M(f), MemberTypes::kString) && PageLength(M(f)) > kMultiLineLength;
  }));
  v.push_back(Text("controlId", S::Member, "the id of the member's control on the form: txt_NAME, ddl_NAME or fu_NAME",
                   [](const TViewFrame& f, std::string& out) {
                     out += M(f).reference ? "ddl_" : IsType(M(f), MemberTypes::kPicture) ? "fu_" : "txt_";
                     out += MM(f).GetMemberName();
                   }));
  v.push_back(Text("maxLength", S::Member, "the longest text its box takes (a picture's path: 50; 50 when none is set)",
                   [](const TViewFrame& f, std::string& out) { AppendNumber(PageLength(M(f)), out); }));
  v.push_back(Text("validatorType", S::Member, "Integer, Double or Date: the type check of its box",
                   [](const TViewFrame& f, std::string& out) {
                     out += IsType(M(f), MemberTypes::kInteger) ? "Integer"
                            : IsType(M(f), MemberTypes::kFloat) ? "Double"
                                                                : "Date";
                   }));
  v.push_back(Bool("refBroken", S::Member, "a reference whose type names no class of the project with a key",
                   [](const TViewFrame& f) { return M(f).reference && !M(f).resolved; }));
  v.push_back(Text("refClass", S::Member, "the referenced class's name",
                   [](const TViewFrame& f, std::string& out) {
                     if (M(f).refClass != nullptr) out += M(f).refClass->className;
                   }));
  v.push_back(Text("refKey", S::Member, "the referenced class's key member",
                   [](const TViewFrame& f, std::string& out) {
                     if (M(f).refKey != nullptr) out += M(f).refKey->GetMemberName();
                   }));
  v.push_back(Text("refDisplay", S::Member, "the referenced class's display member (its key when it has none)",
                   [](const TViewFrame& f, std::string& out) {
                     if (M(f).refDisplay != nullptr) out += M(f).refDisplay->GetMemberName();
                   }));
  v.push_back(Bool("refKeyIsInteger", S::Member, "the referenced class's key is an integer", [](const TViewFrame& f) {
    return M(f).refKey != nullptr && M(f).refKey->GetMemberIsInteger() == 1;
  }));
  v.push_back(Text("refKeyLength", S::Member, "the referenced text key's length, as its column has it",
                   [](const TViewFrame& f, std::string& out) {
                     AppendNumber(M(f).refKey != nullptr ? M(f).refKey->GetMemberLength() : 0, out);
                   }));
  v.push_back(Text("ownerClass", S::Member, "the name of the class the member belongs to",
                   [](const TViewFrame& f, std::string& out) { out += M(f).owner->model.className; }));
  v.push_back(Text("ownerTitleCsString", S::Member,
                   "the friendly name, else the name, of the class the member belongs to, inside a C# string literal",
                   [](const TViewFrame& f, std::string& out) { AppendCsString(TitleOf(M(f).owner->model), out); }));
  v.push_back(Text("columnComma", S::Member,
                   "\",\" after the member's table column unless it is the table's last column",
                   [](const TViewFrame& f, std::string& out) {
                     const TClassView& owner = *M(f).owner;
                     if (owner.lastColumn < 0 || owner.nonKey[owner.lastColumn] != f.object) out += ',';
                   }));
  AddLoopVariables(v, S::Member);

  // The upgrade script.
  v.push_back(Bool("nothingToDo", S::Upgrade,
                   "the two versions make the same database: the script says so and does nothing",
                   [](const TViewFrame& f) { return U(f).nothingToDo; }));
  v.push_back(Text("projectNameSqlComment", S::Upgrade, "the project's name inside a SQL -- comment",
                   [](const TViewFrame& f, std::string& out) { out += SqlComment(U(f).projectName); }));
  v.push_back(Text("fromSqlComment", S::Upgrade,
                   "where the old version came from (a version of the site, a file), inside a SQL -- comment",
                   [](const TViewFrame& f, std::string& out) { out += SqlComment(U(f).from); }));
  v.push_back(List("changes", S::Upgrade, S::Line, "one line per change, in the order they were found",
                   [](const TViewFrame& f) -> const std::vector<const void*>& { return U(f).changeList; }));
  v.push_back(List("warnings", S::Upgrade, S::Line, "one line per warning",
                   [](const TViewFrame& f) -> const std::vector<const void*>& { return U(f).warningList; }));
  v.push_back(Bool("hasWarnings", S::Upgrade, "there is a warning",
                   [](const TViewFrame& f) { return !U(f).warnings.empty(); }));
  v.push_back(List("steps", S::Upgrade, S::Step, "every step, in the order the script runs them",
                   [](const TViewFrame& f) -> const std::vector<const void*>& { return U(f).stepList; }));
  v.push_back(Text("textSqlComment", S::Line, "the line, inside a SQL -- comment",
                   [](const TViewFrame& f, std::string& out) { out += SqlComment(L(f)); }));

  using K = TUpgradeStep::TKind;
  const struct {
    const char* name;
    bool (*test)(const TViewFrame&);
    const char* meaning;
  } kinds[] = {
      {"isDropConstraints", IsStep<K::DropConstraints>,
       "drop the foreign keys and defaults on column, found by name in the system views"},
      {"isGuard", IsStep<K::Guard>, "stop the script with the message when table holds a row (matching condition)"},
      {"isRenameTable", IsStep<K::RenameTable>, "rename table to newName"},
      {"isRenameColumn", IsStep<K::RenameColumn>, "rename table's column to newName"},
      {"isCreateTable", IsStep<K::CreateTable>, "create an added class's table: createTable"},
      {"isAddColumn", IsStep<K::AddColumn>, "add column to table"},
      {"isDropDefault", IsStep<K::DropDefault>, "drop the default an added column got for the rows there"},
      {"isCutValues", IsStep<K::CutValues>, "cut the values of column longer than length"},
      {"isFillNulls", IsStep<K::FillNulls>, "fill the NULLs of column with value"},
      {"isAlterColumn", IsStep<K::AlterColumn>, "change column's type, length or NOT NULL"},
      {"isDropColumn", IsStep<K::DropColumn>, "drop column"},
      {"isDropTable", IsStep<K::DropTable>, "drop table"},
      {"isKeptTable", IsStep<K::KeptTable>, "a removed class's table, kept: its DROP TABLE commented out"},
      {"isAddForeignKey", IsStep<K::AddForeignKey>, "add the foreign key of column, referencing refTable(refKey)"},
  };
  for (const auto& kind : kinds) v.push_back(Bool(kind.name, S::Step, kind.meaning, kind.test));
  v.push_back(Text("table", S::Step, "the table the step works on",
                   [](const TViewFrame& f, std::string& out) { out += St(f).table; }));
  v.push_back(Text("column", S::Step, "its column (a rename: the old name)",
                   [](const TViewFrame& f, std::string& out) { out += St(f).column; }));
  v.push_back(Text("newName", S::Step, "a rename's new name",
                   [](const TViewFrame& f, std::string& out) { out += St(f).newName; }));
  v.push_back(Text("type", S::Step, "varchar, int, float or datetime: the column's type",
                   [](const TViewFrame& f, std::string& out) { out += St(f).type; }));
  v.push_back(Bool("isVarchar", S::Step, "the column is a varchar",
                   [](const TViewFrame& f) { return St(f).type == "varchar"; }));
  v.push_back(Text("length", S::Step, "the varchar's length (what values are cut to)",
                   [](const TViewFrame& f, std::string& out) { AppendNumber(St(f).length, out); }));
  v.push_back(Bool("notNull", S::Step, "the column is NOT NULL", [](const TViewFrame& f) { return St(f).notNull; }));
  v.push_back(Bool("hasDefault", S::Step, "the added column gets a named default for the rows there",
                   [](const TViewFrame& f) { return !St(f).constraint.empty(); }));
  v.push_back(Text("constraint", S::Step, "the default's name",
                   [](const TViewFrame& f, std::string& out) { out += St(f).constraint; }));
  v.push_back(Text("value", S::Step, "the default's value, what fills the NULLs: '', 0 or GETDATE()",
                   [](const TViewFrame& f, std::string& out) { out += St(f).value; }));
  v.push_back(Bool("hasCondition", S::Step, "the guard stops the script for some rows only",
                   [](const TViewFrame& f) { return !St(f).condition.empty(); }));
  v.push_back(Text("condition", S::Step, "the rows that stop the script, as a WHERE condition",
                   [](const TViewFrame& f, std::string& out) { out += St(f).condition; }));
  v.push_back(Text("messageSqlString", S::Step, "the guard's message inside a T-SQL N'' literal of RAISERROR",
                   [](const TViewFrame& f, std::string& out) { AppendRaiserrorString(St(f).message, out); }));
  v.push_back(Text("createTable", S::Step, "the table script's CREATE TABLE for the added class (sql/Table.sql)",
                   [](const TViewFrame& f, std::string& out) { out += St(f).text; }));
  v.push_back(Text("refTable", S::Step, "the referenced table",
                   [](const TViewFrame& f, std::string& out) { out += St(f).refTable; }));
  v.push_back(Text("refKey", S::Step, "the referenced table's key column",
                   [](const TViewFrame& f, std::string& out) { out += St(f).refKey; }));
  v.push_back(Bool("stepCheck", S::Step, "the step is followed by the check that stops the script when it failed",
                   [](const TViewFrame& f) { return St(f).kind != K::Guard && St(f).kind != K::KeptTable; }));
  return v;
}

}  // namespace

TClassView::TClassView(const TProjectView& project, const TClassModel& entry)
    : project(project), model(entry), key(entry.KeyMember()) {
  const TClassIndex& classes = project.classes;
  members.resize(entry.members.size());
  const bool integerKey = key != nullptr && key->GetMemberIsInteger() == 1;
  for (std::size_t i = 0; i < entry.members.size(); ++i) {
    const TMember& member = entry.members[i];
    TMemberView& view = members[i];
    view.member = &member;
    view.owner = this;
    // Compared as views, as MemberTypes::IsBuiltIn does: most types are settled by their length alone.
    const std::string_view type(member.GetMemberType());
    if (type == MemberTypes::kString || type == MemberTypes::kPicture) {
      view.kind = TValueKind::Text;
    } else if (type == MemberTypes::kInteger) {
      view.kind = TValueKind::Integer;
    } else if (type == MemberTypes::kFloat) {
      view.kind = TValueKind::Float;
    } else if (type == MemberTypes::kDate) {
      view.kind = TValueKind::Date;
    } else {
      view.reference = true;
      view.refClass = classes.Find(member.GetMemberType());
      view.refKey = view.refClass != nullptr ? view.refClass->KeyMember() : nullptr;
      view.resolved = view.refKey != nullptr;
      if (view.resolved) {
        view.kind = view.refKey->GetMemberIsInteger() == 1 ? TValueKind::Integer : TValueKind::Text;
        view.refDisplay = DisplayMemberOf(*view.refClass);
      } else if (firstUnresolved == nullptr) {
        firstUnresolved = &view;
      }
    }
  }
  // Each list gets room for every member at once: the layers make a view for each file they write, and
  // growing eight lists by doubling cost more allocations than the rest of the view.
  for (std::vector<const void*>* list : {&all, &nonKey, &insert, &search, &shown, &form, &references, &foreignKeys})
    list->reserve(members.size());
  for (const TMemberView& view : members) {
    const TMember& member = *view.member;
    all.push_back(&view);
    if (member.GetMemberIsPri() == 0) {
      nonKey.push_back(&view);
      if (!view.reference || view.resolved) lastColumn = static_cast<int>(nonKey.size()) - 1;
      if (key != nullptr && view.reference && view.resolved) foreignKeys.push_back(&view);
    }
    if (!integerKey || member.GetMemberIsPri() == 0) insert.push_back(&view);
    if (member.GetQueryFlag() == 1) search.push_back(&view);
    if (member.GetMemberQueryDisplay() == 1) shown.push_back(&view);
    if (!(member.GetMemberIsPri() == 1 && member.GetMemberIsInteger() == 1)) form.push_back(&view);
    // The first member that names each referenced class; a class has few, so the list is searched.
    const auto sameClass = [&view](const void* item) {
      return static_cast<const TMemberView*>(item)->refClass == view.refClass;
    };
    if (view.reference && view.resolved && std::none_of(references.begin(), references.end(), sameClass))
      references.push_back(&view);
  }
}

void TClassView::RequireTypes() const {
  // The error names the member as the layers always have.
  if (firstUnresolved != nullptr) LayerCommon::ValueKindOf(project.classes, model.className, *firstUnresolved->member);
}

TProjectView::TProjectView(const TProjectModel& project)
    : FOwnIndex(std::make_unique<TClassIndex>(project)), model(project), classes(*FOwnIndex) {}

TProjectView::TProjectView(const TProjectModel& project, const TClassIndex& classes)
    : model(project), classes(classes) {}

TProjectView::TProjectView(const TProjectModel& project, TInputsAsRecorded)
    : FOwnIndex(std::make_unique<TClassIndex>(project)), model(project), classes(*FOwnIndex), FAsRecorded(true) {}

const std::vector<const void*>& TProjectView::ClassList() const {
  if (!FListMade) {
    FList.reserve(model.classes.size());
    for (const TClassModel& entry : model.classes) FList.push_back(&ClassOf(entry));
    FListMade = true;
  }
  return FList;
}

const std::vector<const void*>& TProjectView::ReferencesTo(const TClassModel& entry) const {
  if (!FReferencesToMade) {
    // One walk over every member of the project, however many classes ask.
    FReferencesTo.resize(model.classes.size());
    for (const void* item : ClassList()) {
      for (const TMemberView& member : static_cast<const TClassView*>(item)->members) {
        if (!member.reference || !member.resolved) continue;
        // The index names classes of this model.
        const std::less<const TClassModel*> before;
        const TClassModel* first = model.classes.data();
        if (before(member.refClass, first) || !before(member.refClass, first + model.classes.size())) continue;
        FReferencesTo[static_cast<std::size_t>(member.refClass - first)].push_back(&member);
      }
    }
    FReferencesToMade = true;
  }
  const std::size_t at = static_cast<std::size_t>(&entry - model.classes.data());
  if (at >= FReferencesTo.size()) throw std::logic_error("references to a class of another project");
  return FReferencesTo[at];
}

std::size_t TProjectView::PositionOf(const TClassModel& entry) const {
  const std::size_t at = static_cast<std::size_t>(&entry - model.classes.data());
  if (model.classes.empty() || &entry < model.classes.data() || at >= model.classes.size())
    throw std::logic_error("class view of a class of another project");
  return at;
}

const TClassView& TProjectView::ClassOf(const TClassModel& entry) const {
  if (FAsRecorded) throw TNotAsRecorded();
  const std::size_t at = PositionOf(entry);
  if (FViews.empty()) FViews.resize(model.classes.size());
  if (!FViews[at]) FViews[at] = std::make_unique<TClassView>(*this, entry);
  return *FViews[at];
}

std::string TProjectView::InputsOfProject(const std::string& runName) const {
  if (FAsRecorded) throw TNotAsRecorded();
  std::vector<std::string> inputs;
  inputs.reserve(model.classes.size());
  for (const TClassModel& entry : model.classes) inputs.push_back(InputsOf(entry));
  return GenerationInputs::OfProject(runName + '\n' + model.projectName, inputs);
}

const std::string& TProjectView::InputsOf(const TClassModel& entry) const {
  if (FAsRecorded) return TSiteWriter::InputsAsRecorded();
  const std::size_t at = PositionOf(entry);
  if (FInputs.empty()) FInputs.resize(model.classes.size());
  if (FInputs[at].empty()) FInputs[at] = GenerationInputs::OfClass(entry, classes);
  return FInputs[at];
}

void TUpgradeView::MakeLists() {
  changeList.clear();
  warningList.clear();
  stepList.clear();
  for (const std::string& line : changes) changeList.push_back(&line);
  for (const std::string& line : warnings) warningList.push_back(&line);
  for (const TUpgradeStep& step : steps) stepList.push_back(&step);
}

namespace ViewModel {

bool ReadsOtherClasses(const TVariable& variable) {
  const std::string name = variable.name;
  if (variable.scope == TViewScope::Project) return name != "projectName";
  return variable.scope == TViewScope::Class && (name == "referencedBy" || name == "isReferenced");
}

const std::vector<TVariable>& Variables() {
  static const std::vector<TVariable> variables = MakeVariables();
  return variables;
}

const TVariable* Find(TViewScope scope, std::string_view name) {
  static const auto byName = [] {
    std::unordered_map<std::string, const TVariable*> map;
    for (const TVariable& variable : Variables())
      map.emplace(std::string(ScopeName(variable.scope)) + "." + variable.name, &variable);
    return map;
  }();
  const auto found = byName.find(std::string(ScopeName(scope)) + "." + std::string(name));
  return found != byName.end() ? found->second : nullptr;
}

std::string Reference() {
  std::string text;
  const std::pair<TViewScope, const char*> scopes[] = {
      {TViewScope::Project, "project: the project (outermost in every template)"},
      {TViewScope::Class, "class: a class (outermost but the project in a class's templates; the items of classes)"},
      {TViewScope::Member, "member: a member (the items of members and the other member lists)"},
      {TViewScope::Upgrade, "upgrade: the upgrade script (outermost but the project in sql/Upgrade.sql)"},
      {TViewScope::Step, "step: a step of the upgrade script (the items of steps)"},
      {TViewScope::Line, "line: a line of the upgrade script's header (the items of changes and warnings)"},
  };
  for (const auto& [scope, heading] : scopes) {
    text += std::string(text.empty() ? "" : "\n") + "[" + heading + "]\n";
    for (const TVariable& variable : Variables()) {
      if (variable.scope != scope) continue;
      std::string line = std::string("  ") + variable.name;
      line.resize(std::max<std::size_t>(line.size() + 1, 24), ' ');
      std::string kind = variable.type == TVariableType::Text   ? "text"
                         : variable.type == TVariableType::Bool ? "section"
                                                                : std::string("list of ") + ScopeName(variable.itemScope);
      kind.resize(std::max<std::size_t>(kind.size() + 1, 15), ' ');
      text += line + kind + variable.meaning + "\n";
    }
  }
  return text;
}

const char* ScopeName(TViewScope scope) {
  switch (scope) {
    case TViewScope::Project:
      return "project";
    case TViewScope::Class:
      return "class";
    case TViewScope::Member:
      return "member";
    case TViewScope::Upgrade:
      return "upgrade";
    case TViewScope::Step:
      return "step";
    case TViewScope::Line:
      break;
  }
  return "line";
}

}  // namespace ViewModel
