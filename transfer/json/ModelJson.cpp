#include "transfer/json/ModelJson.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

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

// The first bracket that opens a nesting deeper than kMaxNesting, named by its line and column (bytes,
// from 1); empty when there is none. Brackets inside strings do not count.
std::string NestingProblem(const std::string& text) {
  int depth = 0;
  std::size_t line = 1, lineStart = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n') {
      ++line;
      lineStart = i + 1;
    } else if (c == '"') {
      for (++i; i < text.size() && text[i] != '"' && text[i] != '\n'; ++i)
        if (text[i] == '\\') ++i;
      if (i < text.size() && text[i] == '\n') --i;  // counted as a line above; the parser names the string
    } else if (c == '{' || c == '[') {
      if (++depth > kMaxNesting)
        return LineAndColumn(line, i - lineStart + 1) + "嵌套超过" + std::to_string(kMaxNesting) +
               "层，不是本程序的工程文件";
    } else if (c == '}' || c == ']') {
      if (depth > 0) --depth;
    }
  }
  return "";
}

// Where the parser stopped at a number out of range: the document parser throws it without a position,
// so the text is read once more by a handler that only takes the position.
struct TPositionOnly : nlohmann::json_sax<TJson> {
  explicit TPositionOnly(const std::string& text) : FText(text) {}
  std::string problem;
  bool null() override { return true; }
  bool boolean(bool) override { return true; }
  bool number_integer(number_integer_t) override { return true; }
  bool number_unsigned(number_unsigned_t) override { return true; }
  bool number_float(number_float_t, const string_t&) override { return true; }
  bool string(string_t&) override { return true; }
  bool binary(binary_t&) override { return true; }
  bool start_object(std::size_t) override { return true; }
  bool key(string_t&) override { return true; }
  bool end_object() override { return true; }
  bool start_array(std::size_t) override { return true; }
  bool end_array() override { return true; }
  bool parse_error(std::size_t position, const std::string& token, const nlohmann::detail::exception&) override {
    // The position is just past the token; the message names where the number starts.
    const std::size_t end = std::min(position, FText.size());
    const std::size_t start = end >= token.size() ? end - token.size() : 0;
    const std::size_t lineStart = start == 0 ? 0 : FText.rfind('\n', start - 1) + 1;
    const std::size_t line = 1 + static_cast<std::size_t>(std::count(FText.begin(), FText.begin() + start, '\n'));
    problem = LineAndColumn(line, start - lineStart + 1) + "不是合法的JSON（数值" + NameRules::Printable(token.substr(0, 40)) +
              "超出范围）";
    return false;
  }

 private:
  const std::string& FText;
};

// Where things are in the file's text. The parsed document says nothing about positions, so the text is
// scanned once more: every object gets an ordinal in the order its brace appears (the order a depth-first walk
// of the document meets it) with the line of the brace and of each of its keys in order.
struct TTextLines {
  std::vector<int> objectLine;
  std::vector<std::vector<int>> keyLines;
  std::vector<std::string> duplicates;  // problems: a key given twice in one object
};

TTextLines ScanLines(const std::string& text) {
  struct TFrame {
    bool isObject;
    bool expectKey;
    std::unordered_set<std::string> keys;
    std::size_t ordinal;
  };
  TTextLines lines;
  std::vector<TFrame> stack;
  int line = 1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n') {
      ++line;
    } else if (c == '{') {
      stack.push_back({true, true, {}, lines.objectLine.size()});
      lines.objectLine.push_back(line);
      lines.keyLines.emplace_back();
    } else if (c == '[') {
      stack.push_back({false, false, {}, 0});
    } else if (c == '}' || c == ']') {
      if (!stack.empty()) stack.pop_back();
    } else if (c == ',') {
      if (!stack.empty() && stack.back().isObject) stack.back().expectKey = true;
    } else if (c == '"') {
      const std::size_t begin = ++i;
      while (i < text.size() && text[i] != '"') i += text[i] == '\\' ? 2 : 1;
      if (stack.empty() || !stack.back().isObject || !stack.back().expectKey) continue;
      TFrame& frame = stack.back();
      frame.expectKey = false;
      lines.keyLines[frame.ordinal].push_back(line);
      const std::string key = text.substr(begin, std::min(i, text.size()) - begin);
      if (!frame.keys.insert(key).second) lines.duplicates.push_back(Line(line) + "字段“" + NameRules::Printable(key) + "”重复出现");
    }
  }
  return lines;
}

// Walks the document and builds the model, naming every field that is missing, mistyped or unknown.
class TReader {
 public:
  // withIds: a version file, whose format name is its own and which carries the catalogue ids.
  TReader(const TJson& root, const TTextLines& lines, const TModelJsonFormat& format)
      : FLines(lines), FFormat(format), FWithIds(format.withIds) {
    Number(root);
  }

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
    if (version != nullptr &&
        (!version->is_number_integer() || version->get<long long>() != FFormat.version)) {
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
    return found == FOrdinal.end() ? 1 : FLines.objectLine[found->second];
  }

  // The line of the key in the object; the object's own line when it lacks the key.
  int KeyLine(const TJson& object, const std::string& key) const {
    const auto found = FOrdinal.find(&object);
    if (found == FOrdinal.end()) return 1;
    const std::vector<int>& keys = FLines.keyLines[found->second];
    std::size_t index = 0;
    for (const auto& item : object.items()) {
      if (item.key() == key) return index < keys.size() ? keys[index] : FLines.objectLine[found->second];
      ++index;
    }
    return FLines.objectLine[found->second];
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

  const TTextLines& FLines;
  const TModelJsonFormat FFormat;
  const bool FWithIds;
  std::unordered_map<const TJson*, std::size_t> FOrdinal;
};

// The parser's own account of malformed text, as one line that starts with the line and column.
std::string ParseProblem(const nlohmann::json::parse_error& error) {
  const std::string what = error.what();
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

std::string ExportText(const TProjectModel& project, const TModelJsonFormat& format) {
  const bool withIds = format.withIds;
  // Written out directly rather than through a document: a large project would otherwise be held three
  // times (model, document, text). The layout is fixed here: two-space indents, one key per line.
  std::string where = "工程名";
  const auto text = [&where](const std::string& value) {
    try {
      return TJson(value).dump(-1, ' ', false, TJson::error_handler_t::strict);
    } catch (const nlohmann::json::type_error&) {
      // A catalogue written by another tool may hold any bytes; say whose text it is.
      throw std::runtime_error(where + "含有不是UTF-8编码的文本，无法导出");
    }
  };
  std::string out = "{\n  \"format\": \"" + std::string(format.name) +
                    "\",\n  \"version\": " + std::to_string(format.version) + ",\n  ";
  if (withIds) out += "\"projectId\": " + std::to_string(project.projectId) + ",\n  ";
  out += "\"projectName\": " + text(project.projectName) + ",\n  \"classes\": [";
  for (std::size_t c = 0; c < project.classes.size(); ++c) {
    const TClassModel& entry = project.classes[c];
    where = "类“" + NameRules::Printable(entry.className) + "”";
    out += c == 0 ? "\n" : ",\n";
    out += "    {\n      ";
    if (withIds) out += "\"classId\": " + std::to_string(entry.classId) + ",\n      ";
    out += "\"className\": " + text(entry.className) +
           ",\n      \"friendName\": " + text(entry.friendName) + ",\n      \"members\": [";
    for (std::size_t i = 0; i < entry.members.size(); ++i) {
      const TMember& m = entry.members[i];
      where = "类“" + NameRules::Printable(entry.className) + "”的成员“" + NameRules::Printable(m.GetMemberName()) + "”";
      out += i == 0 ? "\n" : ",\n";
      out += "        {\n          ";
      if (withIds) out += "\"memberId\": " + std::to_string(m.GetMemberId()) + ",\n          ";
      out += "\"memberName\": " + text(m.GetMemberName()) +
             ",\n          \"memberType\": " + text(m.GetMemberType()) +
             ",\n          \"memberLength\": " + std::to_string(m.GetMemberLength()) +
             ",\n          \"memberIsPri\": " + std::to_string(m.GetMemberIsPri()) +
             ",\n          \"memberComment\": " + text(m.GetMemberComment()) +
             ",\n          \"memberIsMust\": " + std::to_string(m.GetMemberIsMust()) +
             ",\n          \"memberIsInteger\": " + std::to_string(m.GetMemberIsInteger()) +
             ",\n          \"memberIsFloat\": " + std::to_string(m.GetMemberIsFloat()) +
             ",\n          \"queryFlag\": " + std::to_string(m.GetQueryFlag()) +
             ",\n          \"memberIsDisplay\": " + std::to_string(m.GetMemberIsDisplay()) +
             ",\n          \"memberQueryDisplay\": " + std::to_string(m.GetMemberQueryDisplay()) + "\n        }";
    }
    out += entry.members.empty() ? "]\n    }" : "\n      ]\n    }";
  }
  out += project.classes.empty() ? "]\n}\n" : "\n  ]\n}\n";
  return out;
}

TModelJsonResult ImportText(const std::string& text, const std::string& projectName,
                            const TModelJsonFormat& format) {
  TModelJsonResult result;
  const std::string tooDeep = NestingProblem(text);
  if (!tooDeep.empty()) {
    result.problems.push_back(tooDeep);
    return result;
  }
  TJson root;
  try {
    root = TJson::parse(text);
  } catch (const nlohmann::json::parse_error& error) {
    result.problems.push_back(ParseProblem(error));
    return result;
  } catch (const nlohmann::json::out_of_range&) {
    // A number no double holds (1e400).
    TPositionOnly position(text);
    TJson::sax_parse(text, &position);
    result.problems.push_back(position.problem.empty() ? "不是合法的JSON（数值超出范围）" : position.problem);
    return result;
  }
  const TTextLines lines = ScanLines(text);
  if (!lines.duplicates.empty()) {
    // A repeated key hides the first value, and the document's objects no longer match the braces of the text.
    result.problems = lines.duplicates;
    return result;
  }
  TReader reader(root, lines, format);
  const bool known = reader.ReadProject(root, result.project);
  result.problems = std::move(reader.problems);
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

std::string ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("无法读取文件“" + path + "”：" + std::strerror(errno));
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) throw std::runtime_error("无法读取文件“" + path + "”：" + std::strerror(errno));
  return text;
}

}  // namespace

std::string TModelJson::Export(const TProjectModel& project) {
  return ExportText(project, {kFormatName, kFormatVersion, false});
}

TModelJsonResult TModelJson::Import(const std::string& text, const std::string& projectName) {
  return ImportText(text, projectName, {kFormatName, kFormatVersion, false});
}

std::string TModelJson::Export(const TProjectModel& project, const TModelJsonFormat& format) {
  return ExportText(project, format);
}

TModelJsonResult TModelJson::Import(const std::string& text, const TModelJsonFormat& format) {
  return ImportText(text, "", format);
}

bool TModelJson::HasFormat(const std::string& text, const char* formatName) {
  try {
    const TJson root = TJson::parse(text);
    const auto format = root.is_object() ? root.find("format") : root.end();
    return root.is_object() && format != root.end() && format->is_string() &&
           format->get<std::string>() == formatName;
  } catch (const nlohmann::json::exception&) {
    return false;
  }
}

TModelJsonResult TModelJson::ImportFile(const std::string& path, const std::string& projectName) {
  return Import(ReadWholeFile(path), projectName);
}
