#include "text/GbkText.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// One iconv conversion descriptor. Opening one costs far more than converting a name, so
// each thread keeps one per direction for its whole life (a descriptor holds the state of
// a conversion and must not be shared between threads).
class TConverter {
 public:
  TConverter(const char* to, const char* from) : FHandle(iconv_open(to, from)), FTo(to), FFrom(from) {}
  ~TConverter() {
    if (FHandle != reinterpret_cast<iconv_t>(-1)) iconv_close(FHandle);
  }
  TConverter(const TConverter&) = delete;
  TConverter& operator=(const TConverter&) = delete;

  // Converts all of input[0, size); on a character it cannot convert returns false and sets
  // failedAt to that character's offset. Appends to output.
  bool Convert(const char* input, std::size_t size, std::string& output, std::size_t& failedAt) {
    if (FHandle == reinterpret_cast<iconv_t>(-1))
      throw TGbkEncodingError(std::string("iconv cannot convert from ") + FFrom + " to " + FTo);
    // Back to the initial state: an earlier call may have stopped in the middle of a character.
    iconv(FHandle, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(input);
    std::size_t inLeft = size;
    char buffer[4096];
    while (inLeft > 0) {
      char* out = buffer;
      std::size_t outLeft = sizeof buffer;
      const std::size_t rc = iconv(FHandle, &in, &inLeft, &out, &outLeft);
      output.append(buffer, sizeof buffer - outLeft);
      if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
        failedAt = size - inLeft;
        return false;
      }
    }
    return true;
  }

 private:
  iconv_t FHandle;
  const char* FTo;
  const char* FFrom;
};

TConverter& ToGbk() {
  thread_local TConverter converter("CP936", "UTF-8");
  return converter;
}

TConverter& FromGbk() {
  thread_local TConverter converter("UTF-8", "CP936");
  return converter;
}

// Length of the UTF-8 sequence that starts with this byte (1 for a stray byte).
std::size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

std::string DescribeCharacter(const std::string& utf8, std::size_t at) {
  const auto lead = static_cast<unsigned char>(utf8[at]);
  const std::size_t length = SequenceLength(lead);
  if (at + length > utf8.size() || lead < 0xC0) {
    char text[64];
    std::snprintf(text, sizeof text, "字节0x%02X不是有效的UTF-8文本", lead);
    return text;
  }
  unsigned codePoint = length == 2 ? (lead & 0x1Fu) : length == 3 ? (lead & 0x0Fu) : (lead & 0x07u);
  for (std::size_t i = 1; i < length; ++i)
    codePoint = (codePoint << 6) | (static_cast<unsigned char>(utf8[at + i]) & 0x3Fu);
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", codePoint);
  return "字符“" + utf8.substr(at, length) + "”(" + code + ")无法用GBK编码";
}

// What GBK makes of each character of the Basic Multilingual Plane, learnt from iconv one character at a
// time as a thread first meets it: generated text uses a few hundred characters over and over, and a look-up
// in the table costs far less than a call of iconv. An entry is 0 while not known, 1 for a character GBK
// cannot hold, the byte itself below 0x100, and lead byte * 256 + trail byte for two bytes (a lead byte is
// at least 0x81, so the kinds cannot be confused).
class TGbkTable {
 public:
  // Appends the GBK bytes of the character (a code point of the BMP at or above 0x80); false when GBK has none.
  bool Append(char32_t point, std::string* out) {
    std::uint16_t& entry = FEntries[point];
    if (entry == 0) entry = Learn(point);
    if (entry == 1) return false;
    if (out != nullptr) {
      if (entry >= 0x100) *out += static_cast<char>(entry >> 8);
      *out += static_cast<char>(entry & 0xFF);
    }
    return true;
  }

 private:
  static std::uint16_t Learn(char32_t point) {
    char utf8[3];
    std::size_t size = 0;
    if (point < 0x800) {
      utf8[size++] = static_cast<char>(0xC0 | (point >> 6));
    } else {
      utf8[size++] = static_cast<char>(0xE0 | (point >> 12));
      utf8[size++] = static_cast<char>(0x80 | ((point >> 6) & 0x3F));
    }
    utf8[size++] = static_cast<char>(0x80 | (point & 0x3F));
    std::string gbk;
    std::size_t failedAt = 0;
    if (!ToGbk().Convert(utf8, size, gbk, failedAt) || gbk.empty() || gbk.size() > 2) return 1;
    const auto first = static_cast<unsigned char>(gbk[0]);
    if (gbk.size() == 1) return first >= 2 ? first : 1;
    if (first < 0x81) return 1;
    return static_cast<std::uint16_t>(first << 8 | static_cast<unsigned char>(gbk[1]));
  }

  std::vector<std::uint16_t> FEntries = std::vector<std::uint16_t>(0x10000, 0);
};

TGbkTable& Table() {
  thread_local TGbkTable table;
  return table;
}

// The code point of the well-formed UTF-8 sequence of two or three bytes at text[at] (the BMP without the
// surrogates) and its length; 0 for anything else, which goes to iconv to be converted or named as it says.
std::size_t DecodeBmp(const std::string& text, std::size_t at, char32_t& point) {
  const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead >= 0xC2 && lead < 0xE0 && at + 1 < text.size() && (byte(at + 1) & 0xC0) == 0x80) {
    point = static_cast<char32_t>((lead & 0x1F) << 6 | (byte(at + 1) & 0x3F));
    return 2;
  }
  if (lead >= 0xE0 && lead < 0xF0 && at + 2 < text.size() && (byte(at + 1) & 0xC0) == 0x80 &&
      (byte(at + 2) & 0xC0) == 0x80) {
    point = static_cast<char32_t>((lead & 0x0F) << 12 | (byte(at + 1) & 0x3F) << 6 | (byte(at + 2) & 0x3F));
    if (point >= 0x800 && (point < 0xD800 || point > 0xDFFF)) return 3;
  }
  return 0;
}

// UTF-8 to GBK (into gbk; nullptr only checks). ASCII is the same byte in both and makes up most of a generated file,
// so only the runs of other characters go through iconv; a run ends only at an ASCII byte, which no multi-byte sequence
// contains, so no character is split. On a character GBK cannot hold returns false and sets failedAt to its offset in
// utf8.
bool EncodeGbk(const std::string& utf8, std::string* gbk, std::size_t& failedAt) {
  std::string ignored;
  std::string& out = gbk != nullptr ? *gbk : ignored;
  out.clear();
  if (gbk != nullptr) out.reserve(utf8.size());
  std::size_t at = 0;
  while (at < utf8.size()) {
    std::size_t end = at;
    while (end < utf8.size() && static_cast<unsigned char>(utf8[end]) < 0x80) ++end;
    if (gbk != nullptr) out.append(utf8, at, end - at);
    at = end;
    while (end < utf8.size() && static_cast<unsigned char>(utf8[end]) >= 0x80) ++end;
    if (end == at) break;
    // The run's characters through the table; from the first one the table does not cover (or cannot
    // encode), the rest of the run through iconv, whose account of a fault is the one given.
    while (at < end) {
      char32_t point = 0;
      const std::size_t length = DecodeBmp(utf8, at, point);
      if (length == 0 || !Table().Append(point, gbk)) break;
      at += length;
    }
    if (at == end) continue;
    std::size_t failedInRun = 0;
    if (gbk == nullptr) out.clear();  // a check keeps nothing of what it converts
    if (!ToGbk().Convert(utf8.data() + at, end - at, out, failedInRun)) {
      failedAt = at + failedInRun;
      return false;
    }
    at = end;
  }
  return true;
}

}  // namespace

namespace GbkText {

std::string FromUtf8(const std::string& utf8) {
  std::string gbk;
  std::size_t failedAt = 0;
  if (!EncodeGbk(utf8, &gbk, failedAt)) throw TGbkEncodingError(DescribeCharacter(utf8, failedAt));
  return gbk;
}

std::string ToUtf8(const std::string& gbk) {
  std::string utf8;
  std::size_t failedAt = 0;
  if (!FromGbk().Convert(gbk.data(), gbk.size(), utf8, failedAt)) {
    char text[64];
    std::snprintf(text, sizeof text, "第%zu个字节处的内容不是GBK文本", failedAt + 1);
    throw TGbkEncodingError(text);
  }
  return utf8;
}

bool CanEncode(const std::string& utf8) {
  std::size_t failedAt = 0;
  return EncodeGbk(utf8, nullptr, failedAt);
}

}  // namespace GbkText
