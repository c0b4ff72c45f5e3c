#pragma once

#include <QRegularExpression>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <QVector>

// Colours the keywords, comments and string literals of generated C# or Transact-SQL.
class TCodeHighlighter : public QSyntaxHighlighter {
  Q_OBJECT

 public:
  enum class TLanguage { CSharp, Sql };

  TCodeHighlighter(QTextDocument* document, TLanguage language);

  TLanguage Language() const { return FLanguage; }
  // The formats the highlighter gives, for tests and the legend.
  static QTextCharFormat KeywordFormat();
  static QTextCharFormat CommentFormat();
  static QTextCharFormat StringFormat();

 protected:
  void highlightBlock(const QString& text) override;

 private:
  // Where a comment or string starting at position ends (one past its last character).
  int LiteralEnd(const QString& text, int position, QChar quote) const;

  TLanguage FLanguage;
  QRegularExpression FKeywords;
};
