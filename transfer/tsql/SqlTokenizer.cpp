#include "transfer/tsql/SqlTokenizer.h"

#include <strings.h>

#include <cctype>

namespace {

bool IsBlank(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool IsDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}

// Letters of bare names; every byte of a non-ASCII character counts, so Chinese bare names stay whole.
bool StartsWord(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '#' || c >= 0x80;
}

bool ContinuesWord(unsigned char c) {
  return StartsWord(c) || IsDigit(c) || c == '@' || c == '$';
}

}  // namespace

class TSqlTokenStream::TScanner {
 public:
  explicit TScanner(const std::string& text) : FText(text) {}

  // The next token into token; false at the end of the text.
  bool Next(TSqlToken& token) {
    while (FAt < FText.size()) {
      const unsigned char c = Peek();
      if (IsBlank(c)) {
        if (c == '\n') FLineStart = true;
        Advance();
        continue;
      }
      if (c == '-' && Peek(1) == '-') {
        while (FAt < FText.size() && Peek() != '\n') Advance();
        continue;
      }
      if (c == '/' && Peek(1) == '*') {
        SkipBlockComment();
        continue;
      }
      token = TSqlToken();
      token.line = FLine;
      token.column = FColumn;
      token.firstOnLine = FLineStart;
      FLineStart = false;
      if (c == '\'' || ((c == 'N' || c == 'n') && Peek(1) == '\'')) {
        if (c != '\'') Advance();
        token.kind = TSqlTokenKind::String;
        token.text = Delimited('\'', token, "字符串没有结束");
      } else if (c == '[') {
        token.kind = TSqlTokenKind::Quoted;
        token.text = Delimited(']', token, "方括号中的名称没有结束");
      } else if (c == '"') {
        token.kind = TSqlTokenKind::Quoted;
        token.text = Delimited('"', token, "双引号中的名称没有结束");
      } else if (IsDigit(c) || (c == '.' && IsDigit(Peek(1)))) {
        token.kind = TSqlTokenKind::Number;
        token.text = NumberText();
      } else if (c == '@') {
        token.kind = TSqlTokenKind::Variable;
        const std::size_t start = FAt;
        Advance();
        while (FAt < FText.size() && ContinuesWord(Peek())) Advance();
        token.text = FText.substr(start, FAt - start);
      } else if (StartsWord(c)) {
        token.kind = TSqlTokenKind::Word;
        const std::size_t start = FAt;
        while (FAt < FText.size() && ContinuesWord(Peek())) Advance();
        token.text = FText.substr(start, FAt - start);
      } else {
        token.kind = TSqlTokenKind::Symbol;
        token.text = std::string(1, static_cast<char>(c));
        Advance();
      }
      return true;
    }
    return false;
  }

 private:
  unsigned char Peek(std::size_t ahead = 0) const {
    return FAt + ahead < FText.size() ? static_cast<unsigned char>(FText[FAt + ahead]) : 0;
  }

  // Moves one byte on; the column counts characters, so continuation bytes of UTF-8 do not count.
  void Advance() {
    const unsigned char c = Peek();
    ++FAt;
    if (c == '\n') {
      ++FLine;
      FColumn = 1;
    } else if ((c & 0xC0) != 0x80) {
      ++FColumn;
    }
  }

  void SkipBlockComment() {
    const int line = FLine;
    const int column = FColumn;
    int depth = 0;
    do {
      if (FAt >= FText.size()) throw TSqlScriptError(SqlPlace(line, column) + ": 注释 /* 没有结束");
      if (Peek() == '/' && Peek(1) == '*') {
        ++depth;
        Advance();
        Advance();
      } else if (Peek() == '*' && Peek(1) == '/') {
        --depth;
        Advance();
        Advance();
      } else {
        Advance();
      }
    } while (depth > 0);
  }

  // The text between the opening and closing character; a doubled closing character stands for one.
  std::string Delimited(char close, const TSqlToken& token, const char* unterminated) {
    Advance();
    std::string text;
    for (;;) {
      if (FAt >= FText.size()) throw TSqlScriptError(SqlPlace(token.line, token.column) + ": " + unterminated);
      const char c = static_cast<char>(Peek());
      Advance();
      if (c == close) {
        if (static_cast<char>(Peek()) != close) return text;
        Advance();
      }
      text += c;
    }
  }

  std::string NumberText() {
    const std::size_t start = FAt;
    if (Peek() == '0' && (Peek(1) == 'x' || Peek(1) == 'X')) {
      Advance();
      Advance();
      while (FAt < FText.size() && std::isxdigit(Peek())) Advance();
      return FText.substr(start, FAt - start);
    }
    while (FAt < FText.size() && (IsDigit(Peek()) || Peek() == '.')) Advance();
    if ((Peek() == 'e' || Peek() == 'E') &&
        (IsDigit(Peek(1)) || ((Peek(1) == '+' || Peek(1) == '-') && IsDigit(Peek(2))))) {
      Advance();
      Advance();
      while (FAt < FText.size() && IsDigit(Peek())) Advance();
    }
    return FText.substr(start, FAt - start);
  }

  const std::string& FText;
  std::size_t FAt = 0;
  int FLine = 1;
  int FColumn = 1;
  bool FLineStart = true;
};

bool TSqlToken::Is(const char* keyword) const {
  return kind == TSqlTokenKind::Word && strcasecmp(text.c_str(), keyword) == 0;
}

std::vector<TSqlToken> TokenizeSql(const std::string& text) {
  TSqlTokenStream stream(text);
  std::vector<TSqlToken> tokens;
  for (std::size_t at = 0; const TSqlToken* token = stream.At(at); ++at) {
    tokens.push_back(*token);
    stream.Release(at + 1);
  }
  return tokens;
}

TSqlTokenStream::TSqlTokenStream(const std::string& text) : FScanner(std::make_unique<TScanner>(text)) {}

TSqlTokenStream::~TSqlTokenStream() = default;

const TSqlToken* TSqlTokenStream::At(std::size_t index) {
  if (index < FFirst) throw std::logic_error("a released token was asked for");
  while (index - FFirst >= FWindow.size()) {
    if (!FScanner) return nullptr;
    TSqlToken token;
    if (!FScanner->Next(token)) {
      FScanner.reset();  // the text is read to its end; the scanner's reference to it is not needed
      return nullptr;
    }
    FLast.line = token.line;
    FLast.column = token.column;
    FWindow.push_back(std::move(token));
  }
  return &FWindow[index - FFirst];
}

void TSqlTokenStream::Release(std::size_t index) {
  while (FFirst < index && !FWindow.empty()) {
    FWindow.pop_front();
    ++FFirst;
  }
}

std::string SqlPlace(int line, int column) {
  return "第 " + std::to_string(line) + " 行第 " + std::to_string(column) + " 列";
}
