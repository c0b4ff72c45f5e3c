#pragma once

#include <stdexcept>
#include <string>
#include <vector>

// Input the T-SQL import cannot read at all: not text, an unterminated comment, string or bracketed
// name. The message says what and where; nothing of such a file is imported.
class TSqlScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TSqlTokenKind {
  Word,      // a bare name or keyword: CREATE, dbo, varchar, #temp
  Quoted,    // a [bracketed] or "double-quoted" name; never a keyword
  String,    // 'text' or N'text', quotes removed and '' made one quote
  Number,    // 12, 1.5, 0x1F
  Variable,  // @name, @@name
  Symbol,    // any other single character: ( ) , . ; = + - ...
};

struct TSqlToken {
  TSqlTokenKind kind = TSqlTokenKind::Symbol;
  std::string text;  // the name, string or number without its quotes; the symbol itself
  int line = 1;      // 1-based
  int column = 1;    // 1-based, counted in characters
  bool firstOnLine = false;

  // A bare word equal to the keyword, ignoring ASCII case.
  bool Is(const char* keyword) const;
  bool IsSymbol(char symbol) const { return kind == TSqlTokenKind::Symbol && text.size() == 1 && text[0] == symbol; }
  // A name: a bare word or a quoted name.
  bool IsName() const { return kind == TSqlTokenKind::Word || kind == TSqlTokenKind::Quoted; }
};

// Splits UTF-8 T-SQL text into tokens, dropping blanks and comments (-- to the line end, and /* */,
// which nest as they do in SQL Server). Raises TSqlScriptError, with the line and column where it
// began, for a comment, string or quoted name that the text never closes.
std::vector<TSqlToken> TokenizeSql(const std::string& text);

// Text as "第 L 行第 C 列" for messages about a place in the script.
std::string SqlPlace(int line, int column);
