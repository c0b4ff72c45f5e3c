#include <gtest/gtest.h>

#include <sstream>

#include "transfer/json/ModelJson.h"
#include "support/CatalogueSeed.h"

namespace {

TProjectModel OneClassProject() {
  TProjectModel project;
  project.projectId = 7;
  project.projectName = "Shop";
  project.classes.resize(1);
  TClassModel& book = project.classes[0];
  book.classId = 9;
  book.className = "Book";
  book.friendName = "图书 \"精选\"";
  TMember id = NewMember(7, 9, "id", "整型");
  id.SetMemberIsPri(1);
  id.SetMemberIsMust(1);
  id.SetMemberIsInteger(1);
  id.SetMemberComment("编号");
  book.members.push_back(id);
  return project;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A project file with the given text in place of the one member's object.
std::string FileWithMember(const std::string& member) {
  return "{\n"
         "  \"format\": \"corvanthel-project\",\n"
         "  \"version\": 1,\n"
         "  \"projectName\": \"Shop\",\n"
         "  \"classes\": [\n"
         "    {\n"
         "      \"className\": \"Book\",\n"
         "      \"friendName\": \"\",\n"
         "      \"members\": [\n" +
         member +
         "\n      ]\n"
         "    }\n"
         "  ]\n"
         "}\n";
}

const char* const kSoundMember =
    "        {\n"
    "          \"memberName\": \"id\",\n"
    "          \"memberType\": \"整型\",\n"
    "          \"memberLength\": 0,\n"
    "          \"memberIsPri\": 1,\n"
    "          \"memberComment\": \"\",\n"
    "          \"memberIsMust\": 1,\n"
    "          \"memberIsInteger\": 1,\n"
    "          \"memberIsFloat\": 0,\n"
    "          \"queryFlag\": 0,\n"
    "          \"memberIsDisplay\": 1,\n"
    "          \"memberQueryDisplay\": 1\n"
    "        }";

std::string Joined(const std::vector<std::string>& problems) {
  std::string text;
  for (const std::string& problem : problems) text += problem + "\n";
  return text;
}

}  // namespace

TEST(ModelJson, ExportsOneKeyPerLineInAFixedOrderWithoutIds) {
  const std::string expected =
      "{\n"
      "  \"format\": \"corvanthel-project\",\n"
      "  \"version\": 1,\n"
      "  \"projectName\": \"Shop\",\n"
      "  \"classes\": [\n"
      "    {\n"
      "      \"className\": \"Book\",\n"
      "      \"friendName\": \"图书 \\\"精选\\\"\",\n"
      "      \"members\": [\n"
      "        {\n"
      "          \"memberName\": \"id\",\n"
      "          \"memberType\": \"整型\",\n"
      "          \"memberLength\": 0,\n"
      "          \"memberIsPri\": 1,\n"
      "          \"memberComment\": \"编号\",\n"
      "          \"memberIsMust\": 1,\n"
      "          \"memberIsInteger\": 1,\n"
      "          \"memberIsFloat\": 0,\n"
      "          \"queryFlag\": 0,\n"
      "          \"memberIsDisplay\": 0,\n"
      "          \"memberQueryDisplay\": 1\n"
      "        }\n"
      "      ]\n"
      "    }\n"
      "  ]\n"
      "}\n";
  EXPECT_EQ(TModelJson().Export(OneClassProject()), expected);

  TProjectModel empty;
  empty.projectName = "Empty";
  EXPECT_NE(TModelJson().Export(empty).find("\"classes\": []\n}\n"), std::string::npos);
  empty.classes.resize(2);
  const std::string noMembers = TModelJson().Export(empty);
  EXPECT_NE(noMembers.find("\"members\": []\n    },\n    {\n"), std::string::npos) << noMembers;
  EXPECT_EQ(TModelJson().Export(TModelJson().Import(noMembers).project), noMembers);
}

TEST(ModelJson, ChangingOneMembersTypeChangesOneLineAndTheTextReadsBackAsItWasWritten) {
  TProjectModel project = OneClassProject();
  project.classes[0].members[0].SetMemberIsDisplay(1);
  project.classes[0].members.push_back(NewMember(7, 9, "title", "字符串"));
  project.classes[0].members[1].SetMemberLength(50);
  project.classes.push_back(project.classes[0]);
  project.classes[1].className = "Copy";
  const std::string before = TModelJson().Export(project);
  project.classes[1].members[1].SetMemberType("Book");
  const std::string after = TModelJson().Export(project);

  const std::vector<std::string> a = Lines(before), b = Lines(after);
  ASSERT_EQ(a.size(), b.size());
  int changed = 0;
  for (std::size_t i = 0; i < a.size(); ++i) changed += a[i] != b[i] ? 1 : 0;
  EXPECT_EQ(changed, 1);

  const TModelJsonResult read = TModelJson().Import(after);
  EXPECT_EQ(Joined(read.problems), "");
  EXPECT_EQ(TModelJson().Export(read.project), after);
  EXPECT_EQ(read.project.projectId, 0);
  EXPECT_EQ(read.project.classes[1].classId, 0);
  EXPECT_EQ(TModelJson().Import(after, "Other").project.projectName, "Other");
}

TEST(ModelJsonImport, GivesEachProblemOfTheCheckerTheLineOfItsClassOrMember) {
  TProjectModel project = OneClassProject();                                 // no display member
  project.classes[0].members.push_back(NewMember(7, 9, "title", "字符串"));  // length 0
  project.classes.push_back(project.classes[0]);
  project.classes[1].className = "Copy";
  project.classes[1].members[1].SetMemberLength(50);
  EXPECT_EQ(Joined(TModelJson().Import(TModelJson().Export(project)).problems),
            "第7行：Book表显示成员设置错误，每个类有且只能设置一个显示成员!\n"
            "第24行：类Book的成员title：字符串类型的长度必须在1到8000之间!\n"
            "第39行：Copy表显示成员设置错误，每个类有且只能设置一个显示成员!\n");
}

TEST(ModelJson, RefusesATextThatIsNotUtf8NamingWhere) {
  TProjectModel project = OneClassProject();
  project.classes[0].members[0].SetMemberComment("\xff\xfe");
  try {
    TModelJson().Export(project);
    FAIL() << "exported";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("类“Book”的成员“id”"), std::string::npos) << error.what();
  }
}

TEST(ModelJson, GivesTheSameTextInBlocksAsWhole) {
  const TModelJsonFormat formats[] = {{TModelJson::kFormatName, TModelJson::kFormatVersion, false},
                                      {"corvanthel-version", 1, true}};
  // Projects whose texts end short of a block, on one, and run over many, with a text longer than a block.
  TProjectModel empty;
  empty.projectName = "Empty";
  TProjectModel many = OneClassProject();
  for (int i = 0; many.classes.size() < 700; ++i) {
    many.classes.push_back(many.classes[0]);
    many.classes.back().className = "C" + std::to_string(i);
  }
  TProjectModel longText = OneClassProject();
  longText.classes[0].friendName = std::string(200000, 'x');
  constexpr std::size_t kBlock = 64 * 1024;
  for (const TModelJsonFormat& format : formats) {
    TProjectModel exact = OneClassProject();
    exact.classes[0].members[0].SetMemberComment("");
    exact.classes[0].members[0].SetMemberComment(std::string(kBlock - TModelJson().Export(exact, format).size(), 'c'));
    for (const TProjectModel* project : {&empty, &many, &longText, &exact}) {
      const std::string whole = TModelJson().Export(*project, format);
      SCOPED_TRACE(whole.size());
      if (project == &exact) {
        ASSERT_EQ(whole.size(), kBlock);
      }
      std::string joined;
      std::vector<std::size_t> sizes;
      TModelJson().Export(*project, format, [&](std::string_view part) {
        joined.append(part);
        sizes.push_back(part.size());
      });
      EXPECT_EQ(joined, whole);
      // Every block but the last is whole, and none is empty.
      ASSERT_FALSE(sizes.empty());
      for (std::size_t i = 0; i + 1 < sizes.size(); ++i) EXPECT_EQ(sizes[i], kBlock);
      EXPECT_GT(sizes.back(), 0u);
      EXPECT_LE(sizes.back(), kBlock);
    }
  }
  // A text that is not UTF-8 stops it with the same message, after the blocks before it.
  many.classes[600].members[0].SetMemberComment("\xff");
  std::size_t handed = 0;
  try {
    TModelJson().Export(many, formats[1], [&handed](std::string_view part) { handed += part.size(); });
    FAIL() << "exported";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("类“C599”的成员“id”"), std::string::npos) << error.what();
  }
  EXPECT_GT(handed, 0u);
}

TEST(ModelJsonImport, NamesTheLineAndColumnOfMalformedText) {
  const TModelJsonResult result =
      TModelJson().Import("{\n  \"format\": \"corvanthel-project\",\n  \"version\": tru,\n  \"projectName\": \"P\"\n}");
  ASSERT_EQ(result.problems.size(), 1u);
  EXPECT_EQ(result.problems[0].rfind("第3行第", 0), 0u) << result.problems[0];
  EXPECT_NE(result.problems[0].find("不是合法的JSON"), std::string::npos);

  for (const std::string& text : {std::string(), std::string("{\"a\":\"\xff\"}"), std::string("[1,")}) {
    const TModelJsonResult bad = TModelJson().Import(text);
    ASSERT_EQ(bad.problems.size(), 1u) << text;
    EXPECT_EQ(bad.problems[0].rfind("第1行第", 0), 0u) << bad.problems[0];
  }
}

TEST(ModelJsonImport, ListsEveryMissingMistypedUnknownFieldWithItsLineAndOwner) {
  std::string member = kSoundMember;
  member.replace(member.find("\"memberLength\": 0"), 17, "\"memberLength\": \"50\"");  // line 13
  member.replace(member.find("\"memberIsPri\": 1"), 16, "\"memberIsPri\": true");      // line 14
  member.replace(member.find("          \"memberComment\": \"\",\n"), 31, "");         // gone
  member.replace(member.find("\"queryFlag\": 0"), 14, "\"queryFlag\": 4294967296");    // line 18
  member.replace(member.find("\"memberIsFloat\""), 15, "\"memberIsfloat\"");           // line 17
  const TModelJsonResult result = TModelJson().Import(FileWithMember(member));
  EXPECT_EQ(Joined(result.problems),
            "第17行：类“Book”的成员“id”的字段“memberIsfloat”无法识别\n"
            "第13行：类“Book”的成员“id”的字段“memberLength”应为整数\n"
            "第14行：类“Book”的成员“id”的字段“memberIsPri”应为整数\n"
            "第10行：类“Book”的成员“id”缺少字段“memberComment”\n"
            "第10行：类“Book”的成员“id”缺少字段“memberIsFloat”\n"
            "第18行：类“Book”的成员“id”的字段“queryFlag”应为整数\n");

  // A member without its name is named by its place; a class that is no object likewise.
  std::string nameless = kSoundMember;
  nameless.replace(nameless.find("\"memberName\": \"id\""), 18, "\"memberName\": 5");
  EXPECT_EQ(Joined(TModelJson().Import(FileWithMember(nameless)).problems),
            "第11行：类“Book”的第1个成员的字段“memberName”应为文本\n");
  EXPECT_EQ(Joined(TModelJson()
                       .Import("{\"format\":\"corvanthel-project\",\"version\":1,\"projectName\":\"P\",\n"
                               "\"classes\":[3],\"extra\":null}")
                       .problems),
            "第2行：字段“extra”无法识别\n第1行：第1个类应为一个JSON对象\n");
  EXPECT_EQ(Joined(TModelJson().Import("{\"format\":\"corvanthel-project\",\"version\":1}").problems),
            "第1行：缺少字段“projectName”\n第1行：缺少字段“classes”\n");
}

TEST(ModelJsonImport, RefusesRepeatedKeysAndUnknownFormatsOrVersions) {
  std::string member = kSoundMember;
  member.replace(member.find("\"memberIsDisplay\": 1"), 20, "\"memberIsPri\": 0");
  EXPECT_EQ(Joined(TModelJson().Import(FileWithMember(member)).problems), "第20行：字段“memberIsPri”重复出现\n");

  std::string file = FileWithMember(kSoundMember);
  EXPECT_EQ(Joined(TModelJson().Import(file).problems), "");
  std::string future = file;
  future.replace(future.find("\"version\": 1"), 12, "\"version\": 2");
  EXPECT_EQ(Joined(TModelJson().Import(future).problems), "第3行：格式版本“2”无法识别，本程序读取版本1\n");
  std::string other = file;
  other.replace(other.find("corvanthel-project"), 18, "something-else");
  EXPECT_EQ(Joined(TModelJson().Import(other).problems),
            "第2行：文件格式“something-else”无法识别，应为“corvanthel-project”\n");
  EXPECT_EQ(Joined(TModelJson().Import("[]").problems), "第1行：文件应为一个JSON对象\n");
}

// Files made to break the reader: each gets one clear problem, and what it repeats from the file is in its
// printable form.
TEST(ModelJsonImport, HostileFilesGetAClearProblemAndNoRawBytes) {
  struct TCase {
    std::string what, text, problem;
  };
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  std::string tooDeep = FileWithMember(kSoundMember);
  tooDeep.replace(tooDeep.find("\"memberLength\": 0"), 17,
                  "\"memberLength\": " + std::string(60, '[') + std::string(60, ']'));
  std::string deepEnough = FileWithMember(kSoundMember);
  deepEnough.replace(deepEnough.find("\"memberLength\": 0"), 17,
                     "\"memberLength\": " + std::string(59, '[') + std::string(59, ']'));
  std::string bracketsInText = FileWithMember(kSoundMember);
  bracketsInText.replace(bracketsInText.find("\"memberComment\": \"\""), 19,
                         "\"memberComment\": \"" + std::string(100, '[') + "\\\"{\"");
  std::string huge = FileWithMember(kSoundMember);
  huge.replace(huge.find("\"memberLength\": 0"), 17, "\"memberLength\": -1e400");
  std::string unknown = FileWithMember(kSoundMember);
  unknown.replace(unknown.find("\"queryFlag\""), 11, "\"\\u001b[2J\\r\\u0007x\"");
  std::string nul = FileWithMember(kSoundMember);
  nul.replace(nul.find("\"memberComment\": \"\""), 19, "\"memberComment\": \"备注\\u0000x\"");
  std::string lineBreak = FileWithMember(kSoundMember);
  lineBreak.replace(lineBreak.find("\"memberComment\": \"\""), 19, "\"memberComment\": \"备注\\r\\nEvil();\"");
  std::string longName = FileWithMember(kSoundMember);
  longName.replace(longName.find("\"Book\""), 6, "\"B" + std::string(1000000, 'o') + "k\"");
  const std::vector<TCase> cases = {
      {"100,000 nested arrays", deep, "第1行第65列：嵌套超过64层，不是本程序的工程文件"},
      {"a value nested 65 deep", tooDeep, "第13行第86列：嵌套超过64层，不是本程序的工程文件"},
      {"a value nested 64 deep", deepEnough, "第13行：类“Book”的成员“id”的字段“memberLength”应为整数"},
      {"brackets inside a text", bracketsInText, ""},
      {"a number no double holds", huge, "第13行第27列：不是合法的JSON（数值-1e400超出范围）"},
      {"an unknown key of escapes", unknown,
       "第19行：类“Book”的成员“id”的字段“\\x1B[2J\\x0D\\x07x”无法识别\n第10行：类“Book”的成员“id”缺少字段“queryFlag”"},
      {"a NUL in a comment", nul, "第11行：类Book的成员id：友好名称和注释中不能包含换行符等控制字符!"},
      {"a line break in a comment", lineBreak, "第11行：类Book的成员id：友好名称和注释中不能包含换行符等控制字符!"},
      {"a name of a million letters", longName, ""},
  };
  for (const TCase& c : cases) {
    const std::string problems = Joined(TModelJson().Import(c.text).problems);
    if (c.what == "a name of a million letters") {
      EXPECT_NE(problems.find("类名和成员名称不能超过128个字符!"), std::string::npos) << c.what;
      continue;
    }
    EXPECT_EQ(problems, c.problem.empty() ? "" : c.problem + "\n") << c.what;
  }
}
