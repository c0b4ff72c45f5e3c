#include "transfer/json/ModelJson.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "model/NameRules.h"
#include "model/ProjectChecker.h"

namespace {

using TJson = nlohmann::ordered_json;

std::string Line(int line) {
  return "第" + std::to_string(line) + "行：";
}

std::string LineAndColumn(std::size_t line, std::size_t column) {
  return "第" + std::to_string(line) + "行第" + std::to_string(column) + "列：";
}

// A project file nests five deep (file, classes, class, members, member); this leaves room for a value
// of another shape to be named as mistyped, and keeps every walk of the document far from the stack's end.
constexpr int kMaxNesting = 64;

// The bytes of a project file, read from memory or, a part at a time, from a file; any number of times
// over, so that a file is never held whole.
class TByteSource {
 public:
  explicit TByteSource(const std::string& text) : FText(&text) {}
  struct TFile {
    std::string path;
  };
  explicit TByteSource(TFile file) : FPath(std::move(file.path)) {
    FFd = ::open(FPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (FFd < 0) Fail(errno);
  }
  ~TByteSource() {
    if (FFd >= 0) ::close(FFd);
  }
  TByteSource(const TByteSource&) = delete;
  TByteSource& operator=(const TByteSource&) = delete;

  // Back to the first byte.
  void Restart() {
    FAt = FEnd = 0;
    FOffset = 0;
    if (FFd >= 0 && ::lseek(FFd, 0, SEEK_SET) < 0) Fail(errno);
  }
  // The next byte (0 to 255); -1 after the last.
  int Next() {
    if (FText != nullptr) return FOffset < FText->size() ? static_cast<unsigned char>((*FText)[FOffset++]) : -1;
    if (FAt == FEnd && !Fill()) return -1;
    ++FOffset;
    return static_cast<unsigned char>(FBuffer[FAt++]);
  }
  // How many bytes Next has given since the start.
  std::size_t Offset() const { return FOffset; }

 private:
  bool Fill() {
    for (;;) {
      const ssize_t got = ::read(FFd, FBuffer, sizeof FBuffer);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) Fail(errno);
      FAt = 0;
      FEnd = static_cast<std::size_t>(got);
      return got > 0;
    }
  }
  [[noreturn]] void Fail(int code) const {
    throw std::runtime_error("无法读取文件“" + FPath + "”：" + std::strerror(code));
  }

  const std::string* FText = nullptr;
  std::string FPath;
  int FFd = -1;
  char FBuffer[65536];
  std::size_t FAt = 0, FEnd = 0, FOffset = 0;
};

// What the text says before it is parsed: the first bracket that opens a nesting deeper than kMaxNesting,
// named by its line and column (bytes, from 1), and every key given twice in one object (in the order the
// braces and keys of the text come, the line being that of the repeated key). Both are found on the text
// itself, brackets and quotes inside strings left out; the repeated keys count only for text that parses.
struct TTextScan {
  std::string tooDeep;
  std::vector<std::string> duplicates;
};

TTextScan ScanText(TByteSource& source) {
  TTextScan scan;
  // The nesting: a string ends at its closing quote or at a line break; a backslash hides the next byte.
  enum class TMode { Text, String, Escape };
  TMode nesting = TMode::Text;
  int depth = 0;
  std::size_t line = 1, lineStart = 0;
  // The keys: a string ends only at its closing quote; line breaks inside strings are not counted.
  struct TFrame {
    bool isObject;
    bool expectKey;
    std::unordered_set<std::string> keys;
  };
  std::vector<TFrame> frames;
  TMode keys = TMode::Text;
  std::string key;
  int keyLine = 1;
  for (int c = source.Next(); c >= 0; c = source.Next()) {
    const std::size_t at = source.Offset() - 1;
    if (nesting == TMode::Escape) {
      nesting = TMode::String;
    } else if (nesting == TMode::String && c == '\\') {
      nesting = TMode::Escape;
    } else if (nesting == TMode::String && c != '"' && c != '\n') {
    } else {
      if (nesting == TMode::String && c == '"') {
        nesting = TMode::Text;
      } else if (c == '\n') {
        nesting = TMode::Text;
        ++line;
        lineStart = at + 1;
      } else if (c == '"') {
        nesting = TMode::String;
      } else if (c == '{' || c == '[') {
        if (++depth > kMaxNesting) {
          scan.tooDeep = LineAndColumn(line, at - lineStart + 1) + "嵌套超过" + std::to_string(kMaxNesting) +
                         "层，不是本程序的工程文件";
          return scan;
        }
      } else if ((c == '}' || c == ']') && depth > 0) {
        --depth;
      }
    }

    if (keys == TMode::Escape) {
      key += static_cast<char>(c);
      keys = TMode::String;
      continue;
    }
    if (keys == TMode::String) {
      if (c == '\\') {
        key += static_cast<char>(c);
        keys = TMode::Escape;
        continue;
      }
      if (c != '"') {
        key += static_cast<char>(c);
        continue;
      }
      keys = TMode::Text;
      if (frames.empty() || !frames.back().isObject || !frames.back().expectKey) continue;
      frames.back().expectKey = false;
      if (!frames.back().keys.insert(key).second)
        scan.duplicates.push_back(Line(keyLine) + "字段“" + NameRules::Printable(key) + "”重复出现");
      continue;
    }
    if (c == '\n') {
      ++keyLine;
    } else if (c == '{') {
      frames.push_back({true, true, {}});
    } else if (c == '[') {
      frames.push_back({false, false, {}});
    } else if (c == '}' || c == ']') {
      if (!frames.empty()) frames.pop_back();
    } else if (c == ',') {
      if (!frames.empty() && frames.back().isObject) frames.back().expectKey = true;
    } else if (c == '"') {
      keys = TMode::String;
      key.clear();
    }
  }
  // A key whose string the text never closes is still a key.
  if (keys != TMode::Text && !frames.empty() && frames.back().isObject && frames.back().expectKey &&
      !frames.back().keys.insert(key).second)
    scan.duplicates.push_back(Line(keyLine) + "字段“" + NameRules::Printable(key) + "”重复出现");
  return scan;
}

// Where the parser stopped at a number out of range: the parser names no position for it, so the text is
// read once more up to the number. end: the offset just past it.
std::string NumberOutOfRange(TByteSource& source, std::size_t end, const std::string& token) {
  const std::size_t start = end >= token.size() ? end - token.size() : 0;
  source.Restart();
  std::size_t line = 1, lineStart = 0;
  for (std::size_t at = 0; at < start; ++at) {
    const int c = source.Next();
    if (c < 0) break;
    if (c == '\n') {
      ++line;
      lineStart = at + 1;
    }
  }
  return LineAndColumn(line, start - lineStart + 1) + "不是合法的JSON（数值" +
         NameRules::Printable(token.substr(0, 40)) + "超出范围）";
}

// Where things are in the file's text: every object of a value gets an ordinal in the order its brace
// appears (the order a depth-first walk of the value meets it) with the line of the brace and of each of
// its keys in order.
struct TTextLines {
  std::vector<int> objectLine;
  std::vector<std::vector<int>> keyLines;
};

// Walks the document and builds the model, naming every field that is missing, mistyped or unknown.
class TReader {
 public:
  // withIds: a version file, whose format name is its own and which carries the catalogue ids.
  explicit TReader(const TModelJsonFormat& format) : FFormat(format), FWithIds(format.withIds) {}

  // Where the objects of the value given next are: its lines, as the text scan found them.
  void Use(const TJson& value, const TTextLines& lines) {
    FLines = &lines;
    FOrdinal.clear();
    Number(value);
  }

  // One class of the file's list, read on its own as the file is read (the classes are never held as a
  // document all together): its problems go to classProblems, the class into the project.
  void ReadClassOf(const TJson& value, const TTextLines& lines, std::size_t index, TProjectModel& project) {
    Use(value, lines);
    std::vector<std::string> saved = std::move(problems);
    problems.clear();
    ReadClass(value, index, project);
    for (std::string& problem : problems) classProblems.push_back(std::move(problem));
    problems = std::move(saved);
  }
  std::vector<std::string> classProblems;

  std::vector<std::string> problems;
  std::vector<int> classLines;                // the line of each class's name
  std::vector<std::vector<int>> memberLines;  // the line of each member's name
  int projectLine = 1;

  // False when the file is no project file of a version this program reads; nothing more is said then.
  bool ReadProject(const TJson& root, TProjectModel& project) {
    if (!root.is_object()) {
      problems.push_back(Line(1) + "文件应为一个JSON对象");
      return false;
    }
    const TJson* format = Field(root, "format", "");
    const TJson* version = Field(root, "version", "");
    const char* const formatName = FFormat.name;
    if (format != nullptr && (!format->is_string() || format->get<std::string>() != formatName)) {
      problems.push_back(Line(KeyLine(root, "format")) + "文件格式“" + Shown(*format) + "”无法识别，应为“" +
                         formatName + "”");
      return false;
    }
    if (version != nullptr && (!version->is_number_integer() || version->get<long long>() != FFormat.version)) {
      problems.push_back(Line(KeyLine(root, "version")) + "格式版本“" + Shown(*version) + "”无法识别，本程序读取版本" +
                         std::to_string(FFormat.version));
      return false;
    }
    if (format == nullptr || version == nullptr) return false;
    if (FWithIds) {
      Unknown(root, {"format", "version", "projectId", "projectName", "classes"}, "");
      Integer(root, "projectId", "", project.projectId);
    } else {
      Unknown(root, {"format", "version", "projectName", "classes"}, "");
    }
    projectLine = KeyLine(root, "projectName");
    Text(root, "projectName", "", project.projectName);
    const TJson* classes = Field(root, "classes", "");
    if (classes == nullptr) return true;
    if (!classes->is_array()) {
      Mistyped(root, "classes", "", "数组");
      return true;
    }
    for (std::size_t i = 0; i < classes->size(); ++i) ReadClass((*classes)[i], i, project);
    return true;
  }

 private:
  void Number(const TJson& value) {
    if (value.is_object()) {
      FOrdinal.emplace(&value, FOrdinal.size());
      for (const auto& item : value.items()) Number(item.value());
    } else if (value.is_array()) {
      for (const TJson& item : value) Number(item);
    }
  }

  int ObjectLine(const TJson& object) const {
    const auto found = FOrdinal.find(&object);
    return found == FOrdinal.end() ? 1 : FLines->objectLine[found->second];
  }

  // The line of the key in the object; the object's own line when it lacks the key.
  int KeyLine(const TJson& object, const std::string& key) const {
    const auto found = FOrdinal.find(&object);
    if (found == FOrdinal.end()) return 1;
    const std::vector<int>& keys = FLines->keyLines[found->second];
    std::size_t index = 0;
    for (const auto& item : object.items()) {
      if (item.key() == key) return index < keys.size() ? keys[index] : FLines->objectLine[found->second];
      ++index;
    }
    return FLines->objectLine[found->second];
  }

  // What a message repeats from the file is in its printable form: no control character or escape
  // sequence of the file reaches the terminal.
  static std::string Shown(const TJson& value) {
    return NameRules::Printable(value.is_string() ? value.get<std::string>() : value.dump());
  }

  // "字段“k”" of the project itself, or "<owner>的字段“k”".
  static std::string FieldName(const std::string& owner, const std::string& key) {
    return (owner.empty() ? "" : owner + "的") + "字段“" + NameRules::Printable(key) + "”";
  }

  const TJson* Field(const TJson& object, const std::string& key, const std::string& owner) {
    const auto found = object.find(key);
    if (found != object.end()) return &*found;
    problems.push_back(Line(ObjectLine(object)) + owner + "缺少字段“" + key + "”");
    return nullptr;
  }

  void Mistyped(const TJson& object, const std::string& key, const std::string& owner, const char* type) {
    problems.push_back(Line(KeyLine(object, key)) + FieldName(owner, key) + "应为" + type);
  }

  void Unknown(const TJson& object, std::initializer_list<const char*> known, const std::string& owner) {
    for (const auto& item : object.items()) {
      bool isKnown = false;
      for (const char* key : known) isKnown = isKnown || item.key() == key;
      if (!isKnown) problems.push_back(Line(KeyLine(object, item.key())) + FieldName(owner, item.key()) + "无法识别");
    }
  }

  void Text(const TJson& object, const std::string& key, const std::string& owner, std::string& into) {
    const TJson* value = Field(object, key, owner);
    if (value == nullptr) return;
    if (value->is_string())
      into = value->get<std::string>();
    else
      Mistyped(object, key, owner, "文本");
  }

  void Integer(const TJson& object, const std::string& key, const std::string& owner, int& into) {
    const TJson* value = Field(object, key, owner);
    if (value == nullptr) return;
    if (value->is_number_integer() && value->get<long long>() >= INT_MIN && value->get<long long>() <= INT_MAX &&
        !(value->is_number_unsigned() && value->get<unsigned long long>() > INT_MAX))
      into = static_cast<int>(value->get<long long>());
    else
      Mistyped(object, key, owner, "整数");
  }

  void ReadClass(const TJson& value, std::size_t index, TProjectModel& project) {
    project.classes.emplace_back();
    TClassModel& entry = project.classes.back();
    classLines.push_back(value.is_object() ? KeyLine(value, "className") : 1);
    memberLines.emplace_back();
    std::string owner = "第" + std::to_string(index + 1) + "个类";
    if (!value.is_object()) {
      problems.push_back(Line(1) + owner + "应为一个JSON对象");
      return;
    }
    const auto name = value.find("className");
    if (name != value.end() && name->is_string() && !name->get<std::string>().empty())
      owner = "类“" + NameRules::Printable(name->get<std::string>()) + "”";
    if (FWithIds) {
      Unknown(value, {"classId", "className", "friendName", "members"}, owner);
      Integer(value, "classId", owner, entry.classId);
    } else {
      Unknown(value, {"className", "friendName", "members"}, owner);
    }
    Text(value, "className", owner, entry.className);
    Text(value, "friendName", owner, entry.friendName);
    const TJson* members = Field(value, "members", owner);
    if (members == nullptr) return;
    if (!members->is_array()) {
      Mistyped(value, "members", owner, "数组");
      return;
    }
    for (std::size_t i = 0; i < members->size(); ++i) ReadMember((*members)[i], i, owner, entry);
  }

  void ReadMember(const TJson& value, std::size_t index, const std::string& classOwner, TClassModel& entry) {
    entry.members.emplace_back();
    TMember& member = entry.members.back();
    memberLines.back().push_back(value.is_object() ? KeyLine(value, "memberName") : ObjectLine(value));
    std::string owner = classOwner + "的第" + std::to_string(index + 1) + "个成员";
    if (!value.is_object()) {
      problems.push_back(Line(1) + owner + "应为一个JSON对象");
      return;
    }
    const auto name = value.find("memberName");
    if (name != value.end() && name->is_string() && !name->get<std::string>().empty())
      owner = classOwner + "的成员“" + NameRules::Printable(name->get<std::string>()) + "”";
    if (FWithIds)
      Unknown(value,
              {"memberId", "memberName", "memberType", "memberLength", "memberIsPri", "memberComment", "memberIsMust",
               "memberIsInteger", "memberIsFloat", "queryFlag", "memberIsDisplay", "memberQueryDisplay"},
              owner);
    else
      Unknown(value,
              {"memberName", "memberType", "memberLength", "memberIsPri", "memberComment", "memberIsMust",
               "memberIsInteger", "memberIsFloat", "queryFlag", "memberIsDisplay", "memberQueryDisplay"},
              owner);
    std::string text;
    int number = 0;
    if (FWithIds) {
      Integer(value, "memberId", owner, number);
      member.SetMemberId(number);
    }
    Text(value, "memberName", owner, text);
    member.SetMemberName(text);
    Text(value, "memberType", owner, text = "");
    member.SetMemberType(text);
    Integer(value, "memberLength", owner, number = 0);
    member.SetMemberLength(number);
    Integer(value, "memberIsPri", owner, number = 0);
    member.SetMemberIsPri(number);
    Text(value, "memberComment", owner, text = "");
    member.SetMemberComment(text);
    Integer(value, "memberIsMust", owner, number = 0);
    member.SetMemberIsMust(number);
    Integer(value, "memberIsInteger", owner, number = 0);
    member.SetMemberIsInteger(number);
    Integer(value, "memberIsFloat", owner, number = 0);
    member.SetMemberIsFloat(number);
    Integer(value, "queryFlag", owner, number = 0);
    member.SetQueryFlag(number);
    Integer(value, "memberIsDisplay", owner, number = 0);
    member.SetMemberIsDisplay(number);
    Integer(value, "memberQueryDisplay", owner, number = 1);
    member.SetMemberQueryDisplay(number);
  }

  const TTextLines* FLines = nullptr;
  const TModelJsonFormat FFormat;
  const bool FWithIds;
  std::unordered_map<const TJson*, std::size_t> FOrdinal;
};

// The parser's own account of malformed text, as one line that starts with the line and column.
std::string ParseProblem(const std::string& what) {
  int line = 0, column = 0;
  const std::size_t at = what.find("at line ");
  if (at != std::string::npos && std::sscanf(what.c_str() + at, "at line %d, column %d", &line, &column) == 2) {
    std::string detail = what.substr(what.find(": ", at) + 2);
    // The echo of the text read may end inside a character; the reason before it is enough.
    const std::size_t echo = detail.find("; last read:");
    if (echo != std::string::npos) detail.erase(echo);
    return "第" + std::to_string(line) + "行第" + std::to_string(column) + "列：不是合法的JSON（" + detail + "）";
  }
  return "不是合法的JSON（" + what + "）";
}

}  // namespace

namespace {

// True when the text is well-formed UTF-8 (no overlong form, no surrogate, nothing past U+10FFFF) without a
// control character, quote or backslash: JSON holds it between quotes as it is.
bool IsPlainJsonText(const std::string& text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  for (std::size_t i = 0; i < size;) {
    const unsigned char c = bytes[i];
    if (c < 0x80) {
      if (c < 0x20 || c == '"' || c == '\\') return false;
      ++i;
      continue;
    }
    std::size_t length = 0;
    unsigned point = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      length = 2, point = c & 0x1Fu;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3, point = c & 0x0Fu;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4, point = c & 0x07u;
    } else {
      return false;
    }
    if (i + length > size) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((bytes[i + k] & 0xC0) != 0x80) return false;
      point = point << 6 | (bytes[i + k] & 0x3Fu);
    }
    if ((length == 3 && (point < 0x800 || (point >= 0xD800 && point <= 0xDFFF))) ||
        (length == 4 && (point < 0x10000 || point > 0x10FFFF)))
      return false;
    i += length;
  }
  return true;
}

// Where the export's text goes: TCountedText only counts its bytes, TGrownText appends them. The export is
// written twice, counting first, so that the text is made in one allocation of its exact size: grown by
// doubling, a large project's text (80 MB for 10,000 classes) would at its last growth be held twice and a
// half over, and the pieces joined with + would each be made and copied once more.
struct TCountedText {
  std::size_t size = 0;
  void Append(const char* /*bytes*/, std::size_t count) { size += count; }
};

struct TGrownText {
  std::string& text;
  void Append(const char* bytes, std::size_t count) { text.append(bytes, count); }
};

// Hands the text on in blocks of kBlock bytes (the last one shorter): the export is made once and never held
// whole. The export appends a few bytes at a time, millions of times for a large project: each append that
// fits is one copy.
struct TBlockText {
  static constexpr std::size_t kBlock = 64 * 1024;
  const std::function<void(std::string_view)>& part;
  std::vector<char> block = std::vector<char>(kBlock);
  std::size_t used = 0;
  void Append(const char* bytes, std::size_t count) {
    while (count > kBlock - used) {
      const std::size_t taken = kBlock - used;
      std::memcpy(block.data() + used, bytes, taken);
      used = kBlock;
      bytes += taken;
      count -= taken;
      Flush();
    }
    std::memcpy(block.data() + used, bytes, count);
    used += count;
  }
  void Flush() {
    if (used == 0) return;
    part(std::string_view(block.data(), used));
    used = 0;
  }
};

template <class TOut, std::size_t N>
void Put(TOut& out, const char (&literal)[N]) {
  out.Append(literal, N - 1);
}

template <class TOut>
void PutInteger(TOut& out, long long value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.Append(digits, static_cast<std::size_t>(end - digits));
}

template <class TOut>
void WriteExport(const TProjectModel& project, const TModelJsonFormat& format, TOut& out) {
  const bool withIds = format.withIds;
  // Written out directly rather than through a document: a large project would otherwise be held three
  // times (model, document, text). The layout is fixed here: two-space indents, one key per line.
  // Whose texts are being written, named only in the message of a text that is not UTF-8.
  const TClassModel* whereClass = nullptr;
  const TMember* whereMember = nullptr;
  const auto where = [&whereClass, &whereMember]() -> std::string {
    if (whereClass == nullptr) return "工程名";
    const std::string owner = "类“" + NameRules::Printable(whereClass->className) + "”";
    if (whereMember == nullptr) return owner;
    return owner + "的成员“" + NameRules::Printable(whereMember->GetMemberName()) + "”";
  };
  const auto text = [&where, &out](const std::string& value) {
    // Most texts need no escape: written as they are, which is what the JSON library would write.
    if (IsPlainJsonText(value)) {
      Put(out, "\"");
      out.Append(value.data(), value.size());
      Put(out, "\"");
      return;
    }
    std::string escaped;
    try {
      escaped = TJson(value).dump(-1, ' ', false, TJson::error_handler_t::strict);
    } catch (const nlohmann::json::type_error&) {
      // A catalogue written by another tool may hold any bytes; say whose text it is.
      throw std::runtime_error(where() + "含有不是UTF-8编码的文本，无法导出");
    }
    out.Append(escaped.data(), escaped.size());
  };
  // A catalogue id, then the indent of the next key: only version files carry ids.
  const auto id = [&out, withIds](std::string_view key, long long value, std::string_view indent) {
    if (!withIds) return;
    out.Append(key.data(), key.size());
    PutInteger(out, value);
    out.Append(indent.data(), indent.size());
  };
  Put(out, "{\n  \"format\": \"");
  out.Append(format.name, std::strlen(format.name));
  Put(out, "\",\n  \"version\": ");
  PutInteger(out, format.version);
  Put(out, ",\n  ");
  id("\"projectId\": ", project.projectId, ",\n  ");
  Put(out, "\"projectName\": ");
  text(project.projectName);
  Put(out, ",\n  \"classes\": [");
  for (std::size_t c = 0; c < project.classes.size(); ++c) {
    const TClassModel& entry = project.classes[c];
    whereClass = &entry;
    whereMember = nullptr;
    if (c != 0) Put(out, ",");
    Put(out, "\n    {\n      ");
    id("\"classId\": ", entry.classId, ",\n      ");
    Put(out, "\"className\": ");
    text(entry.className);
    Put(out, ",\n      \"friendName\": ");
    text(entry.friendName);
    Put(out, ",\n      \"members\": [");
    for (std::size_t i = 0; i < entry.members.size(); ++i) {
      const TMember& m = entry.members[i];
      whereMember = &m;
      if (i != 0) Put(out, ",");
      Put(out, "\n        {\n          ");
      id("\"memberId\": ", m.GetMemberId(), ",\n          ");
      Put(out, "\"memberName\": ");
      text(m.GetMemberName());
      Put(out, ",\n          \"memberType\": ");
      text(m.GetMemberType());
      Put(out, ",\n          \"memberLength\": ");
      PutInteger(out, m.GetMemberLength());
      Put(out, ",\n          \"memberIsPri\": ");
      PutInteger(out, m.GetMemberIsPri());
      Put(out, ",\n          \"memberComment\": ");
      text(m.GetMemberComment());
      const std::pair<std::string_view, int> flags[] = {
          {",\n          \"memberIsMust\": ", m.GetMemberIsMust()},
          {",\n          \"memberIsInteger\": ", m.GetMemberIsInteger()},
          {",\n          \"memberIsFloat\": ", m.GetMemberIsFloat()},
          {",\n          \"queryFlag\": ", m.GetQueryFlag()},
          {",\n          \"memberIsDisplay\": ", m.GetMemberIsDisplay()},
          {",\n          \"memberQueryDisplay\": ", m.GetMemberQueryDisplay()}};
      for (const auto& [key, value] : flags) {
        out.Append(key.data(), key.size());
        PutInteger(out, value);
      }
      Put(out, "\n        }");
    }
    if (entry.members.empty()) {
      Put(out, "]\n    }");
    } else {
      Put(out, "\n      ]\n    }");
    }
  }
  if (project.classes.empty()) {
    Put(out, "]\n}\n");
  } else {
    Put(out, "\n  ]\n}\n");
  }
}

std::string ExportText(const TProjectModel& project, const TModelJsonFormat& format) {
  TCountedText counted;
  WriteExport(project, format, counted);
  std::string text;
  text.reserve(counted.size);
  TGrownText grown{text};
  WriteExport(project, format, grown);
  return text;
}

// Feeds the parser the source's bytes and knows the line of the last byte it took.
class TCountingInput {
 public:
  explicit TCountingInput(TByteSource& source) : FSource(source), FCurrent(source.Next()) {}
  int Current() const { return FCurrent; }
  void Advance() {
    if (FCurrent == '\n') ++FLine;
    FCurrent = FSource.Next();
  }
  // The line of the last byte the parser took (a brace, or the quote that closes a key).
  int Line() const { return FLine; }

 private:
  TByteSource& FSource;
  int FCurrent;
  int FLine = 1;
};

class TCountingIterator {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = char;

  TCountingIterator() = default;
  explicit TCountingIterator(TCountingInput* input) : FInput(input) {}
  char operator*() const { return static_cast<char>(FInput->Current()); }
  TCountingIterator& operator++() {
    FInput->Advance();
    return *this;
  }
  bool operator==(const TCountingIterator& other) const { return AtEnd() == other.AtEnd(); }
  bool operator!=(const TCountingIterator& other) const { return !(*this == other); }

 private:
  bool AtEnd() const { return FInput == nullptr || FInput->Current() < 0; }
  TCountingInput* FInput = nullptr;
};

// Builds one JSON value from the parser's events, noting the lines of its objects and their keys.
class TValueBuilder {
 public:
  TValueBuilder(TTextLines& lines, const TCountingInput& input) : FLines(lines), FInput(input) {}

  bool Done() const { return FDone; }
  TJson& Value() { return FValue; }

  void Scalar(TJson value) { Place(std::move(value)); }
  void StartObject() {
    FLines.objectLine.push_back(FInput.Line());
    FLines.keyLines.emplace_back();
    FOrdinals.push_back(FLines.objectLine.size() - 1);
    FOpen.push_back(Place(TJson::object()));
  }
  void StartArray() {
    FOrdinals.push_back(kNoObject);
    FOpen.push_back(Place(TJson::array()));
  }
  void Key(std::string key) {
    FLines.keyLines[FOrdinals.back()].push_back(FInput.Line());
    FKey = std::move(key);
  }
  void End() {
    FOpen.pop_back();
    FOrdinals.pop_back();
    FDone = FOpen.empty();
  }

 private:
  static constexpr std::size_t kNoObject = static_cast<std::size_t>(-1);

  TJson* Place(TJson value) {
    if (FOpen.empty()) {
      FValue = std::move(value);
      FDone = !FValue.is_object() && !FValue.is_array();
      return &FValue;
    }
    TJson& parent = *FOpen.back();
    if (parent.is_array()) {
      parent.push_back(std::move(value));
      return &parent.back();
    }
    TJson& slot = parent[FKey];
    slot = std::move(value);
    return &slot;
  }

  TTextLines& FLines;
  const TCountingInput& FInput;
  TJson FValue;
  std::vector<TJson*> FOpen;
  std::vector<std::size_t> FOrdinals;
  std::string FKey;
  bool FDone = false;
};

// Reads the file's value as the parser goes: the top object's fields other than the class list as a
// document, each class of the list as a document of its own, read into the project and let go before the
// next; so a large file is never held whole, as text or as a document.
class TStreamingReader : public nlohmann::json_sax<TJson> {
 public:
  TStreamingReader(TReader& reader, TProjectModel& project, const TCountingInput& input)
      : FReader(reader), FProject(project), FInput(input) {}

  TJson root;            // the top object, its class list an empty placeholder
  TTextLines rootLines;  // the lines of the top object and the objects in its other fields
  bool rootIsObject = false;
  // The parser's complaint, when it had one.
  bool failed = false;
  std::string failure;      // a parse error's message
  bool outOfRange = false;  // a number no double holds: failureAt and failureToken say where
  std::size_t failureAt = 0;
  std::string failureToken;

  bool null() override { return Scalar(nullptr); }
  bool boolean(bool value) override { return Scalar(value); }
  bool number_integer(number_integer_t value) override { return Scalar(value); }
  bool number_unsigned(number_unsigned_t value) override { return Scalar(value); }
  bool number_float(number_float_t value, const string_t&) override { return Scalar(value); }
  bool string(string_t& value) override { return Scalar(std::move(value)); }
  bool binary(binary_t&) override { return true; }
  bool start_object(std::size_t) override {
    ++FDepth;
    if (FDepth == 1) {
      rootIsObject = true;
      root = TJson::object();
      rootLines.objectLine.push_back(FInput.Line());
      rootLines.keyLines.emplace_back();
      return true;
    }
    if (Builder() != nullptr) Builder()->StartObject();
    return true;
  }
  bool start_array(std::size_t) override {
    ++FDepth;
    if (FDepth == 2 && rootIsObject && FKey == "classes" && !FValue) {
      // The class list: its elements are read one at a time.
      root[FKey] = TJson::array();
      FInClasses = true;
      return true;
    }
    if (Builder() != nullptr) Builder()->StartArray();
    return true;
  }
  bool key(string_t& key) override {
    if (FDepth == 1 && rootIsObject) {
      rootLines.keyLines[0].push_back(FInput.Line());
      FKey = key;
      return true;
    }
    if (Builder() != nullptr) Builder()->Key(key);
    return true;
  }
  bool end_object() override { return End(); }
  bool end_array() override {
    if (FDepth == 2 && FInClasses) {
      FInClasses = false;
      --FDepth;
      return true;
    }
    return End();
  }
  bool parse_error(std::size_t position, const std::string& token, const nlohmann::detail::exception& error) override {
    failed = true;
    outOfRange = dynamic_cast<const nlohmann::json::parse_error*>(&error) == nullptr;
    failure = error.what();
    failureAt = position;
    failureToken = token;
    return false;
  }

 private:
  // The builder of the value being read: a field of the top object, or a class of the list; nullptr for
  // anything outside the top object (the top object's own keys and end are taken care of apart).
  TValueBuilder* Builder() {
    if (!rootIsObject || FDepth < 1) return nullptr;
    if (!FValue) {
      FValue = std::make_unique<TValueBuilder>(FInClasses ? FClassLines : rootLines, FInput);
      if (FInClasses) FClassLines = TTextLines();
    }
    return FValue.get();
  }

  bool Scalar(TJson value) {
    if (FDepth == 0) return true;  // a file that is a single value
    if (Builder() != nullptr) Builder()->Scalar(std::move(value));
    return Finish();
  }

  bool End() {
    if (FValue) FValue->End();
    --FDepth;
    return Finish();
  }

  // A value read whole goes where it belongs.
  bool Finish() {
    if (!FValue || !FValue->Done()) return true;
    if (FInClasses) {
      FReader.ReadClassOf(FValue->Value(), FClassLines, FClassIndex++, FProject);
    } else {
      root[FKey] = std::move(FValue->Value());
    }
    FValue.reset();
    return true;
  }

  TReader& FReader;
  TProjectModel& FProject;
  const TCountingInput& FInput;
  int FDepth = 0;
  std::string FKey;
  bool FInClasses = false;
  std::size_t FClassIndex = 0;
  TTextLines FClassLines;
  std::unique_ptr<TValueBuilder> FValue;
};

TModelJsonResult ImportText(TByteSource& source, const std::string& projectName, const TModelJsonFormat& format) {
  TModelJsonResult result;
  const TTextScan scan = ScanText(source);
  if (!scan.tooDeep.empty()) {
    result.problems.push_back(scan.tooDeep);
    return result;
  }
  source.Restart();
  TReader reader(format);
  TCountingInput input(source);
  TStreamingReader streaming(reader, result.project, input);
  TJson::sax_parse(TCountingIterator(&input), TCountingIterator(), &streaming);
  if (streaming.failed) {
    result.project = TProjectModel();
    if (!streaming.outOfRange) {
      result.problems.push_back(ParseProblem(streaming.failure));
    } else {
      // A number no double holds (1e400).
      result.problems.push_back(NumberOutOfRange(source, streaming.failureAt, streaming.failureToken));
    }
    return result;
  }
  if (!scan.duplicates.empty()) {
    // A repeated key hides the first value, and the document's objects no longer match the braces of the text.
    result.project = TProjectModel();
    result.problems = scan.duplicates;
    return result;
  }
  if (!streaming.rootIsObject) {
    result.project = TProjectModel();
    result.problems.push_back(Line(1) + "文件应为一个JSON对象");
    return result;
  }
  // The classes were read as they came; the top object's own fields are read now, and come first.
  std::vector<TClassModel> classes = std::move(result.project.classes);
  result.project.classes.clear();
  reader.Use(streaming.root, streaming.rootLines);
  const bool known = reader.ReadProject(streaming.root, result.project);
  result.problems = std::move(reader.problems);
  const auto list = streaming.root.find("classes");
  if (known && list != streaming.root.end() && list->is_array()) {
    result.project.classes = std::move(classes);
    for (std::string& problem : reader.classProblems) result.problems.push_back(std::move(problem));
  }
  if (!known || !result.problems.empty()) return result;
  if (!projectName.empty()) result.project.projectName = projectName;

  // The checker names classes by id: number them in file order for the time of the check.
  std::vector<int> fileIds;
  for (std::size_t i = 0; i < result.project.classes.size(); ++i) {
    fileIds.push_back(result.project.classes[i].classId);
    result.project.classes[i].classId = static_cast<int>(i + 1);
  }
  for (const TProblem& problem : CheckProject(result.project)) {
    int line = reader.projectLine;
    const std::size_t index = static_cast<std::size_t>(problem.classId - 1);
    if (problem.classId > 0 && index < result.project.classes.size()) {
      line = reader.classLines[index];
      const std::vector<TMember>& members = result.project.classes[index].members;
      for (std::size_t m = 0; !problem.memberName.empty() && m < members.size(); ++m)
        if (members[m].GetMemberName() == problem.memberName) {
          line = reader.memberLines[index][m];
          break;
        }
    }
    result.problems.push_back(Line(line) + problem.message);
    if (!IsUnsafe(problem.kind)) result.runProblems.push_back(result.problems.back());
  }
  for (std::size_t i = 0; i < result.project.classes.size(); ++i) result.project.classes[i].classId = fileIds[i];
  return result;
}

}  // namespace

std::string TModelJson::Export(const TProjectModel& project) {
  return ExportText(project, {kFormatName, kFormatVersion, false});
}

void TModelJson::Export(const TProjectModel& project, const std::function<void(std::string_view)>& part) {
  Export(project, {kFormatName, kFormatVersion, false}, part);
}

TModelJsonResult TModelJson::Import(const std::string& text, const std::string& projectName) {
  TByteSource source(text);
  return ImportText(source, projectName, {kFormatName, kFormatVersion, false});
}

std::string TModelJson::Export(const TProjectModel& project, const TModelJsonFormat& format) {
  return ExportText(project, format);
}

void TModelJson::Export(const TProjectModel& project, const TModelJsonFormat& format,
                        const std::function<void(std::string_view)>& part) {
  TBlockText out{part};
  WriteExport(project, format, out);
  out.Flush();
}

TModelJsonResult TModelJson::Import(const std::string& text, const TModelJsonFormat& format) {
  TByteSource source(text);
  return ImportText(source, "", format);
}

bool TModelJson::HasFormat(const std::string& text, const char* formatName) {
  try {
    const TJson root = TJson::parse(text);
    const auto format = root.is_object() ? root.find("format") : root.end();
    return root.is_object() && format != root.end() && format->is_string() && format->get<std::string>() == formatName;
  } catch (const nlohmann::json::exception&) {
    return false;
  }
}

TModelJsonResult TModelJson::ImportFile(const std::string& path, const std::string& projectName) {
  // Read in parts, twice (the text's own scan, then the parser): never held whole.
  TByteSource source(TByteSource::TFile{path});
  return ImportText(source, projectName, {kFormatName, kFormatVersion, false});
}
