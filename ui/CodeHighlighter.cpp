#include "ui/CodeHighlighter.h"

#include <QColor>
#include <QFont>
#include <QStringList>

namespace {

// A block state: inside a /* */ comment that goes on past the line's end.
constexpr int kInBlockComment = 1;

const QStringList kCSharpKeywords = {
    "abstract", "as",      "base",    "bool",     "break",   "case",      "catch",  "class",    "const",     "continue",
    "decimal",  "default", "do",      "double",   "else",    "enum",      "false",  "finally",  "float",     "for",
    "foreach",  "get",     "if",      "in",       "int",     "internal",  "is",     "long",     "namespace", "new",
    "null",     "object",  "out",     "override", "private", "protected", "public", "readonly", "ref",       "return",
    "set",      "static",  "string",  "switch",   "this",    "throw",     "true",   "try",      "typeof",    "using",
    "value",    "var",     "virtual", "void",     "while"};

// Transact-SQL keywords compare without regard to case.
const QStringList kSqlKeywords = {
    "add",    "alter",   "and",        "by",     "collate", "create",   "datetime",  "drop",
    "exists", "float",   "foreign",    "from",   "go",      "identity", "if",        "insert",
    "int",    "into",    "key",        "not",    "null",    "nvarchar", "object_id", "objectproperty",
    "on",     "primary", "references", "select", "table",   "values",   "varchar",   "where"};

QRegularExpression KeywordPattern(const QStringList& words, bool ignoreCase) {
  QRegularExpression pattern("\\b(" + words.join('|') + ")\\b");
  if (ignoreCase) pattern.setPatternOptions(QRegularExpression::CaseInsensitiveOption);
  return pattern;
}

}  // namespace

TCodeHighlighter::TCodeHighlighter(QTextDocument* document, TLanguage language)
    : QSyntaxHighlighter(document),
      FLanguage(language),
      FKeywords(language == TLanguage::CSharp ? KeywordPattern(kCSharpKeywords, false)
                                              : KeywordPattern(kSqlKeywords, true)) {}

QTextCharFormat TCodeHighlighter::KeywordFormat() {
  QTextCharFormat format;
  format.setForeground(QColor(0, 0, 160));
  format.setFontWeight(QFont::Bold);
  return format;
}

QTextCharFormat TCodeHighlighter::CommentFormat() {
  QTextCharFormat format;
  format.setForeground(QColor(0, 128, 0));
  return format;
}

QTextCharFormat TCodeHighlighter::StringFormat() {
  QTextCharFormat format;
  format.setForeground(QColor(163, 21, 21));
  return format;
}

int TCodeHighlighter::LiteralEnd(const QString& text, int position, QChar quote) const {
  for (int i = position + 1; i < text.size(); ++i) {
    // C# escapes with a backslash; SQL doubles the quote.
    if (FLanguage == TLanguage::CSharp && text[i] == '\\') {
      ++i;
      continue;
    }
    if (text[i] == quote) {
      if (FLanguage == TLanguage::Sql && i + 1 < text.size() && text[i + 1] == quote) {
        ++i;
        continue;
      }
      return i + 1;
    }
  }
  return text.size();
}

void TCodeHighlighter::highlightBlock(const QString& text) {
  // Keywords first; comments and strings then paint over any keyword inside them.
  for (auto match = FKeywords.globalMatch(text); match.hasNext();) {
    const QRegularExpressionMatch word = match.next();
    setFormat(word.capturedStart(), word.capturedLength(), KeywordFormat());
  }

  setCurrentBlockState(0);
  int i = 0;
  if (previousBlockState() == kInBlockComment) {
    const int end = text.indexOf("*/");
    if (end < 0) {
      setFormat(0, text.size(), CommentFormat());
      setCurrentBlockState(kInBlockComment);
      return;
    }
    setFormat(0, end + 2, CommentFormat());
    i = end + 2;
  }

  const QChar quote = FLanguage == TLanguage::CSharp ? QChar('"') : QChar('\'');
  const QString lineComment = FLanguage == TLanguage::CSharp ? QStringLiteral("//") : QStringLiteral("--");
  while (i < text.size()) {
    if (text[i] == quote) {
      const int end = LiteralEnd(text, i, quote);
      setFormat(i, end - i, StringFormat());
      i = end;
    } else if (text.mid(i, 2) == lineComment) {
      setFormat(i, text.size() - i, CommentFormat());
      return;
    } else if (text.mid(i, 2) == QLatin1String("/*")) {
      const int end = text.indexOf("*/", i + 2);
      if (end < 0) {
        setFormat(i, text.size() - i, CommentFormat());
        setCurrentBlockState(kInBlockComment);
        return;
      }
      setFormat(i, end + 2 - i, CommentFormat());
      i = end + 2;
    } else {
      ++i;
    }
  }
}
