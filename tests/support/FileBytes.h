#pragma once

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "text/GbkText.h"

// The bytes of a file, unchanged; empty when it cannot be read.
inline std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes bytes to a file as they are, replacing what was there.
inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// Empty when the two GBK byte strings are equal; otherwise where they first differ:
// the line number and both versions of that line, shown as UTF-8 with CR and LF visible.
inline std::string FirstDifference(const std::string& actual, const std::string& expected) {
  if (actual == expected) return "";
  std::size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  const std::size_t newline = at == 0 ? std::string::npos : actual.rfind('\n', at - 1);
  const std::size_t lineStart = newline == std::string::npos ? 0 : newline + 1;
  const auto lineAt = [lineStart](const std::string& text) {
    if (lineStart >= text.size()) return std::string("<end of file>");
    const std::size_t end = text.find('\n', lineStart);
    std::string line = text.substr(lineStart, end == std::string::npos ? end : end - lineStart + 1);
    try {
      line = GbkText::ToUtf8(line);
    } catch (const TGbkEncodingError&) {
      // Shown as raw bytes.
    }
    std::string shown;
    for (char c : line) shown += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
    return "[" + shown + "]";
  };
  std::ostringstream out;
  out << "first difference at byte " << at << ", line "
      << 1 + std::count(actual.begin(), actual.begin() + static_cast<std::ptrdiff_t>(lineStart), '\n')
      << "\n  expected: " << lineAt(expected) << "\n  actual:   " << lineAt(actual);
  return out.str();
}
