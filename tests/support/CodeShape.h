#pragma once

#include <string>

// The code of a generated text with its comments and literals taken out: what a compiler or a browser
// acts on. Two texts that differ only in what their comments and strings say have the same shape; a text
// whose comment or string ends early (a line break after //, a "*/", an unescaped quote) does not. A
// string that a line end breaks shows as <<broken>>.
namespace CodeShape {

namespace Detail {

// The length of the line end at text[i] as C# counts them (CR, LF, U+0085, U+2028, U+2029); 0 otherwise.
inline std::size_t CSharpLineEnd(const std::string& text, std::size_t i) {
  const auto at = [&](std::size_t k) { return k < text.size() ? static_cast<unsigned char>(text[k]) : 0u; };
  if (at(i) == '\r' || at(i) == '\n') return 1;
  if (at(i) == 0xC2 && at(i + 1) == 0x85) return 2;
  if (at(i) == 0xE2 && at(i + 1) == 0x80 && (at(i + 2) == 0xA8 || at(i + 2) == 0xA9)) return 3;
  return 0;
}

}  // namespace Detail

// C#: // and /* */ comments, "..." with backslash escapes, @"..." with "" inside, and 'c' literals.
inline std::string CSharp(const std::string& text) {
  std::string shape;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (c == '/' && next == '/') {
      while (i < text.size() && Detail::CSharpLineEnd(text, i) == 0) ++i;
    } else if (c == '/' && next == '*') {
      const std::size_t end = text.find("*/", i + 2);
      i = end == std::string::npos ? text.size() : end + 2;
      shape += ' ';
    } else if (c == '@' && next == '"') {
      for (i += 2; i < text.size(); ++i) {
        if (text[i] == '"' && i + 1 < text.size() && text[i + 1] == '"') {
          ++i;
        } else if (text[i] == '"') {
          break;
        }
      }
      ++i;
      shape += "@\"\"";
    } else if (c == '"' || c == '\'') {
      bool broken = true;
      for (++i; i < text.size(); ++i) {
        if (Detail::CSharpLineEnd(text, i) > 0) break;
        if (text[i] == '\\') {
          ++i;
        } else if (text[i] == c) {
          broken = false;
          ++i;
          break;
        }
      }
      shape += broken ? std::string("<<broken>>") : std::string(2, c);
    } else {
      const std::size_t lineEnd = Detail::CSharpLineEnd(text, i);
      // Every line end counts as one, so a U+2028 that became a line shows as a new line.
      if (lineEnd > 0) {
        shape += '\n';
        i += lineEnd;
      } else {
        shape += c;
        ++i;
      }
    }
  }
  return shape;
}

// Transact-SQL: -- comments, nested /* */ comments and '...' strings with '' inside.
inline std::string Sql(const std::string& text) {
  std::string shape;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (c == '-' && next == '-') {
      while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
    } else if (c == '/' && next == '*') {
      int depth = 0;
      while (i < text.size()) {
        if (text.compare(i, 2, "/*") == 0) {
          ++depth, i += 2;
        } else if (text.compare(i, 2, "*/") == 0) {
          i += 2;
          if (--depth == 0) break;
        } else {
          ++i;
        }
      }
      shape += ' ';
    } else if (c == '\'') {
      bool broken = true;
      for (++i; i < text.size(); ++i) {
        if (text[i] == '\'' && i + 1 < text.size() && text[i + 1] == '\'') {
          ++i;
        } else if (text[i] == '\'') {
          broken = false;
          ++i;
          break;
        }
      }
      shape += broken ? "<<broken>>" : "''";
    } else {
      shape += c;
      ++i;
    }
  }
  return shape;
}

// Markup (.aspx, .config, .css): the tags with their attribute values emptied; the text between tags
// counts only by its line ends. A "<" that a text let through becomes a tag and changes the shape.
inline std::string Markup(const std::string& text) {
  std::string shape;
  bool inTag = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (!inTag) {
      if (c == '<') {
        inTag = true;
        shape += c;
      } else if (c == '\n') {
        shape += c;
      }
      continue;
    }
    if (c == '"' || c == '\'') {
      const std::size_t end = text.find(c, i + 1);
      if (end == std::string::npos) return shape + "<<broken>>";
      shape += std::string(2, c);
      i = end;
    } else {
      if (c == '>') inTag = false;
      shape += c;
    }
  }
  return shape;
}

// The shape by the file's name: .cs as C#, .sql as Transact-SQL, anything else as markup.
inline std::string Of(const std::string& path, const std::string& text) {
  const auto endsWith = [&](const std::string& tail) {
    return path.size() >= tail.size() && path.compare(path.size() - tail.size(), tail.size(), tail) == 0;
  };
  if (endsWith(".cs")) return CSharp(text);
  if (endsWith(".sql")) return Sql(text);
  return Markup(text);
}

}  // namespace CodeShape
