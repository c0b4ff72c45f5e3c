#include "site/SiteManifest.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <type_traits>

namespace {

const char kHeader[] = "# corvanthel site manifest 1";
const char kHeader2[] = "# corvanthel site manifest 2";
const char kProjectPrefix[] = "# project: ";
const char kInputsPrefix[] = "# inputs: ";
const char kFactsPrefix[] = "#= ";
const char kCataloguePrefix[] = "# catalogue: ";
const char kHex[] = "0123456789abcdef";

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

// The value of each lower-case hexadecimal digit, and 16 for every other byte: a record holds 6,000 digests
// for a site of 1,000 classes, each checked a character at a time.
constexpr std::array<unsigned char, 256> kNibble = [] {
  std::array<unsigned char, 256> table{};
  for (unsigned char& value : table) value = 16;
  for (int c = '0'; c <= '9'; ++c) table[static_cast<std::size_t>(c)] = static_cast<unsigned char>(c - '0');
  for (int c = 'a'; c <= 'f'; ++c) table[static_cast<std::size_t>(c)] = static_cast<unsigned char>(c - 'a' + 10);
  return table;
}();

unsigned char NibbleOf(char c) {
  return kNibble[static_cast<unsigned char>(c)];
}

bool IsDigestAt(std::string_view text, std::size_t at) {
  if (text.size() < at + 64) return false;
  unsigned char outside = 0;
  for (std::size_t i = at; i < at + 64; ++i) outside |= NibbleOf(text[i]);
  return (outside & 16) == 0;
}

bool IsDigest(std::string_view text) {
  return text.size() == 64 && IsDigestAt(text, 0);
}

void AppendHex(const std::array<unsigned char, 32>& bytes, std::string& text) {
  for (const unsigned char byte : bytes) {
    text += kHex[byte >> 4];
    text += kHex[byte & 15];
  }
}

bool ReadHex(std::string_view hex, std::array<unsigned char, 32>& bytes) {
  if (hex.size() != 64) return false;
  unsigned char outside = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char high = NibbleOf(hex[2 * i]);
    const unsigned char low = NibbleOf(hex[2 * i + 1]);
    outside |= high | low;
    bytes[i] = static_cast<unsigned char>(high << 4 | (low & 15));
  }
  return (outside & 16) == 0;
}

// A number of the facts line as std::to_string writes it: decimal digits without a leading zero, a minus
// sign first for a time before 1970, within the type.
template <typename T>
bool ReadNumber(std::string_view text, T& value) {
  const bool negative = std::is_signed<T>::value && !text.empty() && text[0] == '-';
  const std::string_view digits = negative ? text.substr(1) : text;
  if (digits.empty() || (digits.size() > 1 && digits[0] == '0') || (negative && digits == "0")) return false;
  std::uint64_t number = 0;
  for (const char c : digits) {
    const auto digit = static_cast<std::uint64_t>(static_cast<unsigned char>(c - '0'));
    // Two stamps a file in a record of thousands: no division per digit.
    if (digit > 9 || __builtin_mul_overflow(number, 10u, &number) || __builtin_add_overflow(number, digit, &number))
      return false;
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
  const bool second = !inputs.empty() || !checked.empty() || !facts.empty() || catalogue.has_value();
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
  text.reserve(text.size() + digests.size() * (second ? 220 : 100));
  auto fact = facts.begin();
  for (const auto& [path, digest] : digests) {
    if (NeedsEscape(path)) text += '\\';
    text += digest;
    text += "  ";
    text += Escape(path);
    text += '\n';
    while (fact != facts.end() && fact->first < path) ++fact;
    if (fact == facts.end() || fact->first != path) continue;
    const TFileFacts& known = fact->second;
    if (!known.stamped && !known.made) continue;
    text += kFactsPrefix;
    if (known.stamped) {
      AppendStamp(known.stamp, text);
      text += ' ';
    } else {
      text += "- - - - ";
    }
    if (known.made)
      AppendHex(known.inputs, text);
    else
      text += '-';
    text += '\n';
  }
  return text;
}

bool TSiteManifest::Parse(const std::string& text, TSiteManifest& manifest, std::string& error) {
  return Parse(text, manifest, error, false);
}

bool TSiteManifest::ParseHeader(const std::string& text, TSiteManifest& manifest, std::string& error) {
  return Parse(text, manifest, error, true);
}

bool TSiteManifest::Parse(const std::string& text, TSiteManifest& manifest, std::string& error, bool headerOnly) {
  manifest = TSiteManifest();
  if (!text.empty() && text.back() != '\n') {
    error = "文件不完整";
    return false;
  }
  bool second = false;
  std::size_t headerLines = 2;  // 3 with the line of the shared inputs
  std::size_t lineNumber = 0;
  std::size_t start = 0;
  std::string path;
  const std::string* lastPath = nullptr;  // the file the line before named; a facts line may follow it
  const std::string_view all(text);
  while (start < all.size()) {
    const std::size_t end = all.find('\n', start);
    const std::string_view line = all.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    const auto where = [lineNumber] { return "第" + std::to_string(lineNumber) + "行"; };
    if (lineNumber == 1) {
      second = line == kHeader2;
      if (line != kHeader && !second) {
        error = "不是本程序的生成记录";
        return false;
      }
      continue;
    }
    if (lineNumber == 2) {
      if (!StartsWith(line, kProjectPrefix) ||
          !Unescape(line.substr(sizeof kProjectPrefix - 1), manifest.projectName)) {
        error = where() + "不是工程名称";
        return false;
      }
      continue;
    }
    // Version 2 needs the line of the shared inputs; a version-1 header before version-2 lines reads too.
    if (lineNumber == 3 && (second || StartsWith(line, kInputsPrefix))) {
      const std::string_view both = line.substr(std::min(line.size(), sizeof kInputsPrefix - 1));
      const std::size_t space = both.find(' ');
      const std::string_view inputs = both.substr(0, space);
      const std::string_view checked = space == std::string_view::npos ? std::string_view() : both.substr(space + 1);
      if (!StartsWith(line, kInputsPrefix) || !(inputs == "-" || IsDigest(inputs)) ||
          !(checked == "-" || IsDigest(checked))) {
        error = where() + "无法识别";
        return false;
      }
      if (inputs != "-") manifest.inputs = inputs;
      if (checked != "-") manifest.checked = checked;
      headerLines = 3;
      continue;
    }
    // Then, in version 2, the catalogue's stamp may follow.
    if (lineNumber == 4 && headerLines == 3 && StartsWith(line, kCataloguePrefix)) {
      TCatalogueStamp catalogue;
      if (!ReadCatalogue(line.substr(sizeof kCataloguePrefix - 1), catalogue)) {
        error = where() + "无法识别";
        return false;
      }
      manifest.catalogue = catalogue;
      headerLines = 4;
      continue;
    }
    if (headerOnly) return true;
    if (StartsWith(line, kFactsPrefix)) {
      TFileFacts facts;
      if (lastPath == nullptr || !ReadFacts(line.substr(sizeof kFactsPrefix - 1), facts)) {
        error = where() + "无法识别";
        return false;
      }
      manifest.facts.emplace_hint(manifest.facts.end(), *lastPath, facts);
      lastPath = nullptr;
      continue;
    }
    const bool escaped = !line.empty() && line[0] == '\\';
    const std::size_t at = escaped ? 1 : 0;
    bool sound = line.size() >= at + 67 && IsDigestAt(line, at) && line.substr(at + 64, 2) == "  ";
    if (sound) {
      if (escaped)
        sound = Unescape(line.substr(at + 66), path);
      else
        path.assign(line.substr(at + 66));
    }
    // Paths come sorted, as Text writes them, so each goes in at the end.
    const std::string_view digest = sound ? line.substr(at, 64) : std::string_view();
    const auto added = sound && IsSitePath(path)
                           ? manifest.digests.emplace_hint(manifest.digests.end(), path, std::string(digest))
                           : manifest.digests.end();
    if (added == manifest.digests.end() || added->first != path || added->second != digest ||
        manifest.digests.size() != lineNumber - headerLines - manifest.facts.size()) {
      error = where() + "无法识别";
      return false;
    }
    lastPath = &added->first;
  }
  if (lineNumber < (second ? 3u : 2u)) {
    error = lineNumber == 0 ? "文件是空的" : lineNumber == 1 ? "缺少工程名称" : "缺少输入摘要";
    return false;
  }
  return true;
}
