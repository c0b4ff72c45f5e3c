#include "transfer/tsql/SqlScriptText.h"

#include "text/GbkText.h"
#include "transfer/tsql/SqlTokenizer.h"

namespace {

const char* const kNotText = "这不是文本文件（不是 UTF-8、UTF-16 LE 或 GBK 编码的 SQL 脚本）";

void AppendUtf8(std::string& out, unsigned long code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

std::string Utf16LeToUtf8(const std::string& bytes, std::size_t start) {
  if ((bytes.size() - start) % 2 != 0) throw TSqlScriptError(std::string(kNotText) + "：UTF-16 字节数不成对");
  std::string out;
  out.reserve((bytes.size() - start) * 3 / 2);
  const auto unit = [&bytes](std::size_t at) {
    return static_cast<unsigned long>(static_cast<unsigned char>(bytes[at])) |
           static_cast<unsigned long>(static_cast<unsigned char>(bytes[at + 1])) << 8;
  };
  for (std::size_t at = start; at < bytes.size(); at += 2) {
    unsigned long code = unit(at);
    if (code >= 0xD800 && code <= 0xDBFF && at + 3 < bytes.size()) {
      const unsigned long low = unit(at + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        at += 2;
      }
    }
    if (code >= 0xD800 && code <= 0xDFFF) throw TSqlScriptError(std::string(kNotText) + "：UTF-16 代理项不成对");
    AppendUtf8(out, code);
  }
  return out;
}

bool IsUtf8(const std::string& bytes) {
  std::size_t at = 0;
  while (at < bytes.size()) {
    const unsigned char c = static_cast<unsigned char>(bytes[at]);
    int follow = 0;
    unsigned long code = 0;
    if (c < 0x80) {
      ++at;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      follow = 1;
      code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      follow = 2;
      code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      follow = 3;
      code = c & 0x07;
    } else {
      return false;
    }
    if (at + follow >= bytes.size()) return false;
    for (int i = 1; i <= follow; ++i) {
      const unsigned char next = static_cast<unsigned char>(bytes[at + i]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    if ((follow == 2 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
        (follow == 3 && (code < 0x10000 || code > 0x10FFFF)))
      return false;
    at += follow + 1;
  }
  return true;
}

// Scripts hold tabs and line ends but no other control characters; a file with them is binary.
void RequireText(const std::string& utf8) {
  for (char c : utf8) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b < 0x20 && b != '\t' && b != '\r' && b != '\n' && b != '\f' && b != '\v' && b != 0x1A)
      throw TSqlScriptError(kNotText);
  }
}

}  // namespace

TSqlScriptText DecodeSqlScript(const std::string& bytes) {
  TSqlScriptText text;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    text.encoding = "UTF-16 LE (BOM)";
    text.utf8 = Utf16LeToUtf8(bytes, 2);
  } else if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE &&
             static_cast<unsigned char>(bytes[1]) == 0xFF) {
    throw TSqlScriptError("不支持 UTF-16 BE 编码，请存为 UTF-8 或 UTF-16 LE");
  } else if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    text.encoding = "UTF-8 (BOM)";
    text.utf8 = bytes.substr(3);
    if (!IsUtf8(text.utf8)) throw TSqlScriptError(std::string(kNotText) + "：带 UTF-8 BOM 却不是 UTF-8");
  } else if (IsUtf8(bytes)) {
    text.encoding = "UTF-8";
    text.utf8 = bytes;
  } else {
    try {
      text.utf8 = GbkText::ToUtf8(bytes);
    } catch (const TGbkEncodingError&) {
      throw TSqlScriptError(kNotText);
    }
    text.encoding = "GBK";
  }
  RequireText(text.utf8);
  return text;
}
