#pragma once

#include <cstddef>
#include <deque>
#include <memory>
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

// The same tokens, read on demand: a script of many megabytes is never held as tokens all at once.
// Tokens are numbered from 0 in script order; the reader asks for any token from the first one it has
// not released, and releases those it will never look at again (everything before a statement, once
// the statement is read). The text must outlive the stream.
class TSqlTokenStream {
 public:
  explicit TSqlTokenStream(const std::string& text);
  explicit TSqlTokenStream(std::string&&) = delete;  // the stream reads the text in place
  ~TSqlTokenStream();
  TSqlTokenStream(const TSqlTokenStream&) = delete;
  TSqlTokenStream& operator=(const TSqlTokenStream&) = delete;

  // The token numbered index, or nullptr when the script has fewer tokens. Raises TSqlScriptError, as
  // TokenizeSql does, when reading on meets a comment, string or name the text never closes.
  const TSqlToken* At(std::size_t index);
  // Forgets the tokens numbered below index.
  void Release(std::size_t index);
  // The line and column of the last token read (1 and 1 before any), and how many were read.
  const TSqlToken& Last() const { return FLast; }
  std::size_t Count() const { return FFirst + FWindow.size(); }

 private:
  class TScanner;
  std::unique_ptr<TScanner> FScanner;
  std::deque<TSqlToken> FWindow;  // the tokens numbered FFirst, FFirst + 1, ...
  std::size_t FFirst = 0;
  TSqlToken FLast;  // only its line and column
};

// Text as "第 L 行第 C 列" for messages about a place in the script.
std::string SqlPlace(int line, int column);
