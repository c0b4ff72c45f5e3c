#include "text/GbkText.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>

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
