#pragma once

#include <string>

// A T-SQL file's text as UTF-8, and the encoding it was read in.
struct TSqlScriptText {
  std::string utf8;
  std::string encoding;  // "UTF-8", "UTF-8 (BOM)", "UTF-16 LE (BOM)" or "GBK"
};

// Reads the bytes of a script file: UTF-8 with or without a byte-order mark, UTF-16 little-endian with
// one (what the management studio saves), or else GBK. Raises TSqlScriptError for bytes that are none
// of these or that hold control characters a script never has (a binary file).
TSqlScriptText DecodeSqlScript(const std::string& bytes);
