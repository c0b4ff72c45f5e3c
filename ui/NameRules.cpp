#include "ui/NameRules.h"

#include <QSet>

#include "generation/GbkText.h"

namespace NameRules {

const char* const kClassNameCharsMessage = "类名只能由英文字母、数字和下划线组成，且不能是C#关键字!";
const char* const kMemberNameCharsMessage = "成员名称只能由英文字母、数字和下划线组成，且不能是C#关键字!";
const char* const kProjectNameMessage = "工程名称不能包含\\/:*?\"<>|等字符，也不能以空格开头或结尾!";
const char* const kGbkMessage = "输入内容包含无法用GBK编码保存的字符!";

namespace {

bool IsAsciiLetter(QChar c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool IsAsciiDigit(QChar c) {
  return c >= u'0' && c <= u'9';
}

}  // namespace

bool StartsWithUpperAscii(const QString& name) {
  return !name.isEmpty() && name[0] >= u'A' && name[0] <= u'Z';
}

bool StartsWithLowerAscii(const QString& name) {
  return !name.isEmpty() && name[0] >= u'a' && name[0] <= u'z';
}

bool HasIdentifierTail(const QString& name) {
  for (qsizetype i = 1; i < name.size(); ++i)
    if (!IsAsciiLetter(name[i]) && !IsAsciiDigit(name[i]) && name[i] != u'_') return false;
  return !IsCSharpKeyword(name);
}

bool IsCSharpKeyword(const QString& name) {
  static const QSet<QString> keywords = {
      "abstract", "as",      "base",    "bool",       "break",    "byte",     "case",      "catch",     "char",
      "checked",  "class",   "const",   "continue",   "decimal",  "default",  "delegate",  "do",        "double",
      "else",     "enum",    "event",   "explicit",   "extern",   "false",    "finally",   "fixed",     "float",
      "for",      "foreach", "goto",    "if",         "implicit", "in",       "int",       "interface", "internal",
      "is",       "lock",    "long",    "namespace",  "new",      "null",     "object",    "operator",  "out",
      "override", "params",  "private", "protected",  "public",   "readonly", "ref",       "return",    "sbyte",
      "sealed",   "short",   "sizeof",  "stackalloc", "static",   "string",   "struct",    "switch",    "this",
      "throw",    "true",    "try",     "typeof",     "uint",     "ulong",    "unchecked", "unsafe",    "ushort",
      "using",    "virtual", "void",    "volatile",   "while"};
  return keywords.contains(name);
}

bool IsSafeProjectName(const QString& name) {
  if (name == "." || name == "..") return false;
  if (!name.isEmpty() && (name.front().isSpace() || name.back().isSpace())) return false;
  for (QChar c : name) {
    if (QStringLiteral("\\/:*?\"<>|").contains(c)) return false;
    if (c.category() == QChar::Other_Control) return false;
  }
  return true;
}

bool CanEncodeGbk(const QString& text) {
  return GbkText::CanEncode(text.toStdString());
}

bool ParseWholeNumber(const QString& text, int& value) {
  qsizetype i = 0;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
  if (i == text.size()) return false;
  for (; i < text.size(); ++i)
    if (!IsAsciiDigit(text[i])) return false;
  bool ok = false;
  const int parsed = text.toInt(&ok);
  if (ok) value = parsed;
  return ok;
}

}  // namespace NameRules
