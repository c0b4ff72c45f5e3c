#include "site/SiteManifest.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

namespace {

const char kHeader[] = "# corvanthel site manifest 1";
const char kHeader2[] = "# corvanthel site manifest 2";
const char kProjectPrefix[] = "# project: ";
const char kInputsPrefix[] = "# inputs: ";
const char kFactsPrefix[] = "#= ";
const char kCataloguePrefix[] = "# catalogue: ";

bool NeedsEscape(const std::string& name) {
  return name.find_first_of("\\\n\r") != std::string::npos;
}

std::string Escape(const std::string& name) {
  std::string escaped;
  for (const char c : name) {
    if (c == '\\') {
      escaped += "\\\\";
    } else if (c == '\n') {
      escaped += "\\n";
    } else if (c == '\r') {
      escaped += "\\r";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

bool Unescape(std::string_view text, std::string& name) {
  name.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      name += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case '\\':
        name += '\\';
        break;
      case 'n':
        name += '\n';
        break;
      case 'r':
        name += '\r';
        break;
      default:
        return false;
    }
  }
  return true;
}

// A path inside the site: relative, without empty, "." or ".." parts. A record naming
// anything else was not written by a run and is not believed.
bool IsSitePath(const std::string& path) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t slash = path.find('/', start);
    const std::size_t length = (slash == std::string::npos ? path.size() : slash) - start;
    if (length == 0 || (length == 1 && path[start] == '.') || (length == 2 && path.compare(start, 2, "..") == 0))
      return false;
    if (slash == std::string::npos) return true;
    start = slash + 1;
  }
}

// Eight lower-case hexadecimal digits (the bytes of word, first digit lowest) as the four bytes they spell, first
// byte lowest; false when any byte of word is not such a digit. A run reads two digests a file from its record,
// so the eight digits are checked and converted together: every byte below 0x80 can take a sum of up to 0x50
// without a carry into the next one, so each comparison with a bound is the top bit of a sum.
bool ReadHexWord(std::uint64_t word, std::uint32_t& bytes) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kTops = 0x80 * kOnes;
  if ((word & kTops) != 0) return false;
  const std::uint64_t atLeast0 = word + (0x80 - '0') * kOnes;
  const std::uint64_t past9 = word + (0x80 - '9' - 1) * kOnes;
  const std::uint64_t atLeastA = word + (0x80 - 'a') * kOnes;
  const std::uint64_t pastF = word + (0x80 - 'f' - 1) * kOnes;
  const std::uint64_t letter = atLeastA & ~pastF & kTops;
  if (((atLeast0 & ~past9 & kTops) | letter) != kTops) return false;
  // '0'..'9' end in their value, 'a'..'f' in their value less nine.
  const std::uint64_t nibbles = (word & 0x0f * kOnes) + (letter >> 7) * 9;
  // Each pair of digits into the low byte of its 16 bits, then the four bytes side by side.
  std::uint64_t pairs = ((nibbles << 4) | (nibbles >> 8)) & 0x00ff00ff00ff00ffu;
  pairs = (pairs | (pairs >> 8)) & 0x0000ffff0000ffffu;
  bytes = static_cast<std::uint32_t>(pairs | (pairs >> 16));
  return true;
}

// The eight bytes of text at at as one word, the first byte lowest, as ReadHexWord and ReadDecimalWord take them.
std::uint64_t WordAt(const char* at) {
  std::uint64_t word = 0;
  std::memcpy(&word, at, sizeof word);
  if constexpr (__BYTE_ORDER__ == __ORDER_BIG_ENDIAN__) word = __builtin_bswap64(word);
  return word;
}

bool ReadHex(std::string_view hex, std::array<unsigned char, 32>& bytes) {
  if (hex.size() != 64) return false;
  for (std::size_t i = 0; i < 8; ++i) {
    std::uint32_t four = 0;
    if (!ReadHexWord(WordAt(hex.data() + 8 * i), four)) return false;
    if constexpr (__BYTE_ORDER__ == __ORDER_BIG_ENDIAN__) four = __builtin_bswap32(four);
    std::memcpy(bytes.data() + 4 * i, &four, sizeof four);
  }
  return true;
}

// 64 lower-case hexadecimal digits.
bool IsDigest(std::string_view text) {
  Sha256::TDigest ignored;
  return ReadHex(text, ignored);
}

// Eight decimal digits (the bytes of word, first digit lowest) as the number they spell; false when any byte is
// not a digit. The record's times have 19 digits each, two a file: the bytes are checked and converted together,
// as ReadHexWord does: a byte of 0x30..0x39 has its high half 3 and keeps it when 6 is added to its low half.
bool ReadDecimalWord(std::uint64_t word, std::uint64_t& number) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  if (((word & 0xf0 * kOnes) | (((word + 0x06 * kOnes) & 0xf0 * kOnes) >> 4)) != 0x33 * kOnes) return false;
  // Each byte's value, then pairs of digits in 16 bits, then the two halves of four in 32.
  std::uint64_t digits = word - '0' * kOnes;
  digits = digits * 10 + (digits >> 8);
  digits = (((digits & 0x000000ff000000ffu) * (100 + (1000000ull << 32))) +
            (((digits >> 16) & 0x000000ff000000ffu) * (1 + (10000ull << 32)))) >>
           32;
  number = static_cast<std::uint32_t>(digits);
  return true;
}

// A number of the facts line as std::to_string writes it: decimal digits without a leading zero, a minus
// sign first for a time before 1970, within the type.
template <typename T>
bool ReadNumber(std::string_view text, T& value) {
  const bool negative = std::is_signed<T>::value && !text.empty() && text[0] == '-';
  const std::string_view digits = negative ? text.substr(1) : text;
  if (digits.empty() || (digits.size() > 1 && digits[0] == '0') || (negative && digits == "0")) return false;
  std::uint64_t number = 0;
  // Two stamps a file in a record of thousands: no division per digit, and no test for overflow while the
  // digits are too few to overflow (19 nines fit in 64 bits).
  const bool mayOverflow = digits.size() > 19;
  std::size_t at = 0;
  for (; !mayOverflow && at + 8 <= digits.size(); at += 8) {
    std::uint64_t eight = 0;
    if (!ReadDecimalWord(WordAt(digits.data() + at), eight)) return false;
    number = number * 100000000 + eight;
  }
  for (const char c : digits.substr(at)) {
    const auto digit = static_cast<std::uint64_t>(static_cast<unsigned char>(c - '0'));
    if (digit > 9) return false;
    if (!mayOverflow) {
      number = number * 10 + digit;
    } else if (__builtin_mul_overflow(number, 10u, &number) || __builtin_add_overflow(number, digit, &number)) {
      return false;
    }
  }
  if (std::is_signed<T>::value && number > static_cast<std::uint64_t>(INT64_MAX)) return false;
  value = negative ? static_cast<T>(-static_cast<std::int64_t>(number)) : static_cast<T>(number);
  return true;
}

// Exactly count fields, each ended by one space but the last.
bool SplitFields(std::string_view text, std::string_view* parts, int count) {
  std::size_t start = 0;
  for (int i = 0; i < count; ++i) {
    const std::size_t space = text.find(' ', start);
    if ((space == std::string_view::npos) != (i == count - 1)) return false;
    parts[i] = text.substr(start, space - start);
    start = space + 1;
  }
  return true;
}

// "SIZE MODIFIED CHANGED INODE".
void AppendStamp(const TFileStamp& stamp, std::string& text) {
  text += std::to_string(stamp.size) + ' ' + std::to_string(stamp.modified) + ' ' + std::to_string(stamp.changed) +
          ' ' + std::to_string(stamp.inode);
}

// The four numbers AppendStamp writes; "-" for all four is none (none is true, stamp left as it is).
bool ReadStamp(const std::string_view* parts, TFileStamp& stamp, bool& none) {
  none = parts[0] == "-";
  if (none) return parts[1] == "-" && parts[2] == "-" && parts[3] == "-";
  std::uint64_t size = 0;
  if (!ReadNumber(parts[0], size) || size > static_cast<std::uint64_t>(INT64_MAX) ||
      !ReadNumber(parts[1], stamp.modified) || !ReadNumber(parts[2], stamp.changed) ||
      !ReadNumber(parts[3], stamp.inode))
    return false;
  stamp.size = static_cast<std::int64_t>(size);
  return true;
}

// "SIZE MODIFIED CHANGED INODE INPUTS" with "-" for the four numbers together or for the inputs.
bool ReadFacts(std::string_view text, TFileFacts& facts) {
  std::string_view parts[5];
  if (!SplitFields(text, parts, 5)) return false;
  facts = TFileFacts();
  bool none = false;
  if (!ReadStamp(parts, facts.stamp, none)) return false;
  facts.stamped = !none;
  if (parts[4] != "-") {
    facts.made = ReadHex(parts[4], facts.inputs);
    if (!facts.made) return false;
  }
  return facts.stamped || facts.made;
}

// "DEVICE" and the stamps of the database file and of its log; a log that holds nothing is all zero.
bool ReadCatalogue(std::string_view text, TCatalogueStamp& catalogue) {
  std::string_view parts[9];
  bool none = false;
  if (!SplitFields(text, parts, 9) || !ReadNumber(parts[0], catalogue.device) ||
      !ReadStamp(parts + 1, catalogue.file, none) || none || !ReadStamp(parts + 5, catalogue.log, none))
    return false;
  return none || catalogue.log != TFileStamp();
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::string TSiteManifest::Text() const {
  std::string text;
  Text([&text](std::string_view part) { text.append(part); });
  return text;
}

void TSiteManifest::Text(const std::function<void(std::string_view)>& part) const {
  constexpr std::size_t kPart = 64 * 1024;
  const bool second = !inputs.empty() || !checked.empty() || catalogue.has_value() ||
                      std::any_of(files.begin(), files.end(), [](const auto& file) { return file.second.Known(); });
  std::string text = std::string(second ? kHeader2 : kHeader) + "\n" + kProjectPrefix + Escape(projectName) + "\n";
  if (second)
    text +=
        std::string(kInputsPrefix) + (inputs.empty() ? "-" : inputs) + " " + (checked.empty() ? "-" : checked) + "\n";
  if (catalogue) {
    text += kCataloguePrefix + std::to_string(catalogue->device) + ' ';
    AppendStamp(catalogue->file, text);
    text += ' ';
    if (catalogue->log == TFileStamp())
      text += "- - - -";
    else
      AppendStamp(catalogue->log, text);
    text += '\n';
  }
  // A part ends with the line of the file that takes it to kPart or past.
  text.reserve(kPart + 1024);
  for (const auto& [path, file] : files) {
    if (text.size() >= kPart) {
      part(text);
      text.clear();
    }
    if (NeedsEscape(path)) text += '\\';
    Sha256::AppendHex(file.digest.data(), file.digest.size(), text);
    text += "  ";
    text += Escape(path);
    text += '\n';
    if (!file.Known()) continue;
    const TFileFacts& known = file.facts;
    text += kFactsPrefix;
    if (known.stamped) {
      AppendStamp(known.stamp, text);
      text += ' ';
    } else {
      text += "- - - - ";
    }
    if (known.made)
      Sha256::AppendHex(known.inputs.data(), known.inputs.size(), text);
    else
      text += '-';
    text += '\n';
  }
  part(text);
}

bool TSiteManifest::Parse(const std::string& text, TSiteManifest& manifest, std::string& error) {
  return Parse(text, manifest, error, false);
}

bool TSiteManifest::ParseHeader(const std::string& text, TSiteManifest& manifest, std::string& error) {
  return Parse(text, manifest, error, true);
}

bool TSiteManifest::Parse(const std::string& text, TSiteManifest& manifest, std::string& error, bool headerOnly) {
  TReader reader(manifest, headerOnly);
  reader.Feed(text);
  const bool read = reader.Finish();
  error = reader.Error();
  return read;
}

TSiteManifest::TReader::TReader(TSiteManifest& manifest, bool headerOnly)
    : FManifest(manifest), FHeaderOnly(headerOnly) {
  FManifest = TSiteManifest();
}

void TSiteManifest::TReader::Feed(std::string_view part) {
  if (part.empty()) return;
  FAny = true;
  FLastByte = part.back();
  // Once the text is known not to be a record (or its header is all that was asked for), the rest only
  // counts for whether the text ends with a whole line.
  if (FState != TState::Reading) return;
  std::size_t start = 0;
  if (!FPending.empty()) {
    const std::size_t end = part.find('\n');
    FPending.append(part.substr(0, end));
    if (end == std::string_view::npos) return;
    const std::string line = std::move(FPending);
    FPending.clear();
    if (!Line(line)) return;
    start = end + 1;
  }
  while (start < part.size()) {
    const std::size_t end = part.find('\n', start);
    if (end == std::string_view::npos) {
      FPending.assign(part.substr(start));
      return;
    }
    if (!Line(part.substr(start, end - start))) return;
    start = end + 1;
  }
}

bool TSiteManifest::TReader::Finish() {
  if (FAny && FLastByte != '\n') {
    FError = "文件不完整";
    return false;
  }
  if (FState == TState::Failed) return false;
  if (FState == TState::Reading && FLineNumber < (FSecond ? 3u : 2u)) {
    FError = FLineNumber == 0 ? "文件是空的" : FLineNumber == 1 ? "缺少工程名称" : "缺少输入摘要";
    return false;
  }
  return true;
}

bool TSiteManifest::TReader::Fail(const char* why) {
  FError = "第" + std::to_string(FLineNumber) + "行" + why;
  FState = TState::Failed;
  return false;
}

bool TSiteManifest::TReader::Line(std::string_view line) {
  ++FLineNumber;
  TSiteManifest& manifest = FManifest;
  if (FLineNumber == 1) {
    FSecond = line == kHeader2;
    if (line != kHeader && !FSecond) {
      FError = "不是本程序的生成记录";
      FState = TState::Failed;
      return false;
    }
    return true;
  }
  if (FLineNumber == 2) {
    if (!StartsWith(line, kProjectPrefix) || !Unescape(line.substr(sizeof kProjectPrefix - 1), manifest.projectName))
      return Fail("不是工程名称");
    return true;
  }
  // Version 2 needs the line of the shared inputs; a version-1 header before version-2 lines reads too.
  if (FLineNumber == 3 && (FSecond || StartsWith(line, kInputsPrefix))) {
    const std::string_view both = line.substr(std::min(line.size(), sizeof kInputsPrefix - 1));
    const std::size_t space = both.find(' ');
    const std::string_view inputs = both.substr(0, space);
    const std::string_view checked = space == std::string_view::npos ? std::string_view() : both.substr(space + 1);
    if (!StartsWith(line, kInputsPrefix) || !(inputs == "-" || IsDigest(inputs)) ||
        !(checked == "-" || IsDigest(checked)))
      return Fail("无法识别");
    if (inputs != "-") manifest.inputs = inputs;
    if (checked != "-") manifest.checked = checked;
    FHeaderLines = 3;
    return true;
  }
  // Then, in version 2, the catalogue's stamp may follow.
  if (FLineNumber == 4 && FHeaderLines == 3 && StartsWith(line, kCataloguePrefix)) {
    TCatalogueStamp catalogue;
    if (!ReadCatalogue(line.substr(sizeof kCataloguePrefix - 1), catalogue)) return Fail("无法识别");
    manifest.catalogue = catalogue;
    FHeaderLines = 4;
    return true;
  }
  if (FHeaderOnly) {
    FState = TState::HeaderRead;
    return false;
  }
  if (StartsWith(line, kFactsPrefix)) {
    if (FLastFile == nullptr || !ReadFacts(line.substr(sizeof kFactsPrefix - 1), FLastFile->facts))
      return Fail("无法识别");
    FLastFile = nullptr;
    ++FFactsLines;
    return true;
  }
  const bool escaped = !line.empty() && line[0] == '\\';
  const std::size_t at = escaped ? 1 : 0;
  // The digest's digits are read (and checked) with the path below.
  bool sound = line.size() >= at + 67 && line.substr(at + 64, 2) == "  ";
  if (sound) {
    if (escaped)
      sound = Unescape(line.substr(at + 66), FPath);
    else
      FPath.assign(line.substr(at + 66));
  }
  // Paths come sorted, as Text writes them, so each goes in at the end; one that does not (out of order, or
  // twice) leaves the count of files short of the count of their lines.
  TFileRecord file;
  sound = sound && IsSitePath(FPath) && ReadHex(line.substr(at, 64), file.digest);
  const auto added = sound ? manifest.files.emplace_hint(manifest.files.end(), FPath, file) : manifest.files.end();
  if (added == manifest.files.end() || added->first != FPath || added->second != file ||
      manifest.files.size() != FLineNumber - FHeaderLines - FFactsLines)
    return Fail("无法识别");
  FLastFile = &added->second;
  return true;
}
