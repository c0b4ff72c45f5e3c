#include "model/NameRules.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <unordered_set>
#include <vector>

#include "text/GbkText.h"

namespace NameRules {

const char* const kClassFirstLetterMessage = "类名首个字母必须大写";
const char* const kMemberFirstLetterMessage = "成员属性首个字母必须小写";
const char* const kClassNameCharsMessage = "类名只能由英文字母、数字和下划线组成，且不能是C#关键字!";
const char* const kMemberNameCharsMessage = "成员名称只能由英文字母、数字和下划线组成，且不能是C#关键字!";
const char* const kSqlKeywordMessage = "名称不能是SQL Server的保留关键字!";
const char* const kGeneratedNameMessage =
    "名称不能是生成代码已使用的名称(ENTITY、BLL、DAL、DBHelp、CusUsers、CusUsersHelp)!";
const char* const kMemberLikeClassMessage = "成员名称不能与所属类名相同!";
const char* const kProjectNameEmptyMessage = "工程名称不能为空!";
const char* const kProjectNameMessage = "工程名称不能包含\\/:*?\"<>|等字符，也不能以空格开头或结尾!";
const char* const kProjectNameTakenMessage = "该工程名称已经存在!";
const char* const kClassNameTakenMessage = "该类名称已经存在!";
const char* const kMemberNameTakenMessage = "该成员名称已经存在!";
const char* const kUtf8Message = "名称或文字不是有效的UTF-8编码!";
const char* const kGbkMessage = "输入内容包含无法用GBK编码保存的字符!";
const char* const kCommentEndMessage = "友好名称和注释中不能包含*/!";
const char* const kControlCharacterMessage = "友好名称和注释中不能包含换行符等控制字符!";
const char* const kNameLengthMessage = "类名和成员名称不能超过128个字符!";
const char* const kStringLengthMessage = "字符串类型的长度必须在1到8000之间!";

namespace {

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}
char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
std::string AsciiLower(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) c = AsciiLower(c);
  return lower;
}

// Decodes the UTF-8 sequence at text[i]; returns its length and sets codePoint, or 0 when the bytes there
// are not well-formed UTF-8.
std::size_t DecodeUtf8(const std::string& text, std::size_t i, char32_t& codePoint) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  std::size_t length = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, minimum = 0x80, codePoint = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, minimum = 0x800, codePoint = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, minimum = 0x10000, codePoint = lead & 0x07;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (byte(i + k) & 0x3F);
  }
  if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return 0;
  return length;
}

std::vector<char32_t> CodePoints(const std::string& utf8) {
  std::vector<char32_t> points;
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t point = 0;
    const std::size_t length = DecodeUtf8(utf8, i, point);
    if (length == 0) return {};
    points.push_back(point);
    i += length;
  }
  return points;
}

bool IsControl(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// The blanks a folder name must not start or end with: ASCII white space and the Unicode spaces.
bool IsBlank(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

// What every class and member name must satisfy, whichever case its first letter has.
std::string IdentifierProblem(const std::string& name, const char* charsMessage) {
  if (name.size() > kMaxNameLength) return kNameLengthMessage;
  if (!IsIdentifier(name) || IsCSharpKeyword(name)) return charsMessage;
  if (IsSqlKeyword(name)) return kSqlKeywordMessage;
  if (IsGeneratedCodeName(name)) return kGeneratedNameMessage;
  return "";
}

}  // namespace

bool StartsWithUpperAscii(const std::string& name) {
  return !name.empty() && name[0] >= 'A' && name[0] <= 'Z';
}

bool StartsWithLowerAscii(const std::string& name) {
  return !name.empty() && name[0] >= 'a' && name[0] <= 'z';
}

bool HasIdentifierTail(const std::string& name) {
  for (std::size_t i = 1; i < name.size(); ++i)
    if (!IsAsciiLetter(name[i]) && !IsAsciiDigit(name[i]) && name[i] != '_') return false;
  return true;
}

bool IsIdentifier(const std::string& name) {
  return !name.empty() && IsAsciiLetter(name[0]) && HasIdentifierTail(name);
}

bool IsCSharpKeyword(const std::string& name) {
  static const std::unordered_set<std::string> keywords = {
      "abstract", "as",      "base",    "bool",       "break",    "byte",     "case",      "catch",     "char",
      "checked",  "class",   "const",   "continue",   "decimal",  "default",  "delegate",  "do",        "double",
      "else",     "enum",    "event",   "explicit",   "extern",   "false",    "finally",   "fixed",     "float",
      "for",      "foreach", "goto",    "if",         "implicit", "in",       "int",       "interface", "internal",
      "is",       "lock",    "long",    "namespace",  "new",      "null",     "object",    "operator",  "out",
      "override", "params",  "private", "protected",  "public",   "readonly", "ref",       "return",    "sbyte",
      "sealed",   "short",   "sizeof",  "stackalloc", "static",   "string",   "struct",    "switch",    "this",
      "throw",    "true",    "try",     "typeof",     "uint",     "ulong",    "unchecked", "unsafe",    "ushort",
      "using",    "virtual", "void",    "volatile",   "while"};
  return keywords.count(name) > 0;
}

bool IsSqlKeyword(const std::string& name) {
  // The reserved keywords of Transact-SQL, in lower case.
  static const std::set<std::string> keywords = {"add",
                                                 "all",
                                                 "alter",
                                                 "and",
                                                 "any",
                                                 "as",
                                                 "asc",
                                                 "authorization",
                                                 "backup",
                                                 "begin",
                                                 "between",
                                                 "break",
                                                 "browse",
                                                 "bulk",
                                                 "by",
                                                 "cascade",
                                                 "case",
                                                 "check",
                                                 "checkpoint",
                                                 "close",
                                                 "clustered",
                                                 "coalesce",
                                                 "collate",
                                                 "column",
                                                 "commit",
                                                 "compute",
                                                 "constraint",
                                                 "contains",
                                                 "containstable",
                                                 "continue",
                                                 "convert",
                                                 "create",
                                                 "cross",
                                                 "current",
                                                 "current_date",
                                                 "current_time",
                                                 "current_timestamp",
                                                 "current_user",
                                                 "cursor",
                                                 "database",
                                                 "dbcc",
                                                 "deallocate",
                                                 "declare",
                                                 "default",
                                                 "delete",
                                                 "deny",
                                                 "desc",
                                                 "disk",
                                                 "distinct",
                                                 "distributed",
                                                 "double",
                                                 "drop",
                                                 "dump",
                                                 "else",
                                                 "end",
                                                 "errlvl",
                                                 "escape",
                                                 "except",
                                                 "exec",
                                                 "execute",
                                                 "exists",
                                                 "exit",
                                                 "external",
                                                 "fetch",
                                                 "file",
                                                 "fillfactor",
                                                 "for",
                                                 "foreign",
                                                 "freetext",
                                                 "freetexttable",
                                                 "from",
                                                 "full",
                                                 "function",
                                                 "goto",
                                                 "grant",
                                                 "group",
                                                 "having",
                                                 "holdlock",
                                                 "identity",
                                                 "identity_insert",
                                                 "identitycol",
                                                 "if",
                                                 "in",
                                                 "index",
                                                 "inner",
                                                 "insert",
                                                 "intersect",
                                                 "into",
                                                 "is",
                                                 "join",
                                                 "key",
                                                 "kill",
                                                 "left",
                                                 "like",
                                                 "lineno",
                                                 "load",
                                                 "merge",
                                                 "national",
                                                 "nocheck",
                                                 "nonclustered",
                                                 "not",
                                                 "null",
                                                 "nullif",
                                                 "of",
                                                 "off",
                                                 "offsets",
                                                 "on",
                                                 "open",
                                                 "opendatasource",
                                                 "openquery",
                                                 "openrowset",
                                                 "openxml",
                                                 "option",
                                                 "or",
                                                 "order",
                                                 "outer",
                                                 "over",
                                                 "percent",
                                                 "pivot",
                                                 "plan",
                                                 "precision",
                                                 "primary",
                                                 "print",
                                                 "proc",
                                                 "procedure",
                                                 "public",
                                                 "raiserror",
                                                 "read",
                                                 "readtext",
                                                 "reconfigure",
                                                 "references",
                                                 "replication",
                                                 "restore",
                                                 "restrict",
                                                 "return",
                                                 "revert",
                                                 "revoke",
                                                 "right",
                                                 "rollback",
                                                 "rowcount",
                                                 "rowguidcol",
                                                 "rule",
                                                 "save",
                                                 "schema",
                                                 "securityaudit",
                                                 "select",
                                                 "semantickeyphrasetable",
                                                 "semanticsimilaritydetailstable",
                                                 "semanticsimilaritytable",
                                                 "session_user",
                                                 "set",
                                                 "setuser",
                                                 "shutdown",
                                                 "some",
                                                 "statistics",
                                                 "system_user",
                                                 "table",
                                                 "tablesample",
                                                 "textsize",
                                                 "then",
                                                 "to",
                                                 "top",
                                                 "tran",
                                                 "transaction",
                                                 "trigger",
                                                 "truncate",
                                                 "try_convert",
                                                 "tsequal",
                                                 "union",
                                                 "unique",
                                                 "unpivot",
                                                 "update",
                                                 "updatetext",
                                                 "use",
                                                 "user",
                                                 "values",
                                                 "varying",
                                                 "view",
                                                 "waitfor",
                                                 "when",
                                                 "where",
                                                 "while",
                                                 "with",
                                                 "writetext"};
  return keywords.count(AsciiLower(name)) > 0;
}

bool IsGeneratedCodeName(const std::string& name) {
  static const std::unordered_set<std::string> names = {"entity", "bll", "dal", "dbhelp", "cususers", "cususershelp"};
  return names.count(AsciiLower(name)) > 0;
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

bool IsValidUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    char32_t ignored = 0;
    const std::size_t length = DecodeUtf8(text, i, ignored);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

bool CanEncodeGbk(const std::string& text) {
  return IsValidUtf8(text) && GbkText::CanEncode(text);
}

std::string Printable(const std::string& name) {
  std::string shown;
  for (std::size_t i = 0; i < name.size();) {
    char32_t point = 0;
    std::size_t length = DecodeUtf8(name, i, point);
    if (length > 0 && !IsControl(point)) {
      shown.append(name, i, length);
    } else {
      if (length == 0) length = 1;
      for (std::size_t k = 0; k < length; ++k) {
        char escape[5];
        std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(name[i + k]));
        shown += escape;
      }
    }
    i += length;
  }
  return shown;
}

std::string ClassNameProblem(const std::string& className, bool checkCase) {
  if (checkCase && !StartsWithUpperAscii(className)) return kClassFirstLetterMessage;
  return IdentifierProblem(className, kClassNameCharsMessage);
}

std::string MemberNameProblem(const std::string& memberName, const std::string& className, bool checkCase) {
  if (checkCase && !StartsWithLowerAscii(memberName)) return kMemberFirstLetterMessage;
  const std::string problem = IdentifierProblem(memberName, kMemberNameCharsMessage);
  if (!problem.empty()) return problem;
  if (memberName == className) return kMemberLikeClassMessage;
  return "";
}

std::string ProjectNameProblem(const std::string& projectName) {
  if (projectName.empty()) return kProjectNameEmptyMessage;
  if (!IsValidUtf8(projectName)) return kUtf8Message;
  if (projectName == "." || projectName == "..") return kProjectNameMessage;
  const std::vector<char32_t> points = CodePoints(projectName);
  if (IsBlank(points.front()) || IsBlank(points.back())) return kProjectNameMessage;
  for (char32_t c : points) {
    if (c < 0x80 && std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos)
      return kProjectNameMessage;
    if (IsControl(c)) return kProjectNameMessage;
  }
  if (!GbkText::CanEncode(projectName)) return kGbkMessage;
  return "";
}

std::string TextProblem(const std::string& text) {
  if (!IsValidUtf8(text)) return kUtf8Message;
  if (HasControlCharacter(text)) return kControlCharacterMessage;
  if (!GbkText::CanEncode(text)) return kGbkMessage;
  if (text.find("*/") != std::string::npos) return kCommentEndMessage;
  return "";
}

std::string StringLengthProblem(int length) {
  return length >= 1 && length <= kMaxStringLength ? "" : kStringLengthMessage;
}

bool ParseWholeNumber(const std::string& text, int& value) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  if (i == text.size()) return false;
  for (; i < text.size(); ++i)
    if (!IsAsciiDigit(text[i])) return false;
  errno = 0;
  const long long parsed = std::strtoll(text.c_str(), nullptr, 10);
  if (errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) return false;
  value = static_cast<int>(parsed);
  return true;
}

// The length in bytes of the line-breaking or control character at the start of the UTF-8 text: C0 but
// TAB, DEL, U+0085, U+2028, U+2029; 0 for any other character.
static std::size_t ControlCharacterLength(const std::string& text, std::size_t at) {
  const unsigned char c = static_cast<unsigned char>(text[at]);
  if ((c < 0x20 && c != '\t') || c == 0x7F) return 1;
  if (c == 0xC2 && at + 1 < text.size() && static_cast<unsigned char>(text[at + 1]) == 0x85) return 2;
  if (c == 0xE2 && at + 2 < text.size() && static_cast<unsigned char>(text[at + 1]) == 0x80 &&
      (static_cast<unsigned char>(text[at + 2]) == 0xA8 || static_cast<unsigned char>(text[at + 2]) == 0xA9))
    return 3;
  return 0;
}

std::string FoldControls(const std::string& text) {
  std::string folded;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t length = ControlCharacterLength(text, at);
    if (length == 0) {
      folded += text[at++];
      continue;
    }
    while (length > 0) {
      at += length;
      length = at < text.size() ? ControlCharacterLength(text, at) : 0;
    }
    folded += ' ';
  }
  return folded;
}

bool HasControlCharacter(const std::string& text) {
  for (std::size_t at = 0; at < text.size(); ++at)
    if (ControlCharacterLength(text, at) > 0) return true;
  return false;
}

std::string CommentText(const std::string& text) {
  std::string safe = FoldControls(text);
  // The replacement starts with '*' and ends with '/', so it never forms a new "*/" with its neighbours.
  for (std::size_t at = safe.find("*/"); at != std::string::npos; at = safe.find("*/", at)) safe.replace(at, 2, "* /");
  return safe;
}

}  // namespace NameRules
