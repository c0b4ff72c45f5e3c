#include <gtest/gtest.h>

#include <string>

#include "model/NameRules.h"

using namespace NameRules;

TEST(NameRules, ClassAndMemberNamesAreIdentifiersInTheDialogsCase) {
  for (const char* name : {"Book", "B", "Book_2", "PublishHouse"}) EXPECT_EQ(ClassNameProblem(name), "") << name;
  for (const char* name : {"book", "1Book", "_Book", "", " Book", "图书"})
    EXPECT_EQ(ClassNameProblem(name), kClassFirstLetterMessage) << name;
  for (const char* name : {"Bo ok", "Book-1", "Book.cs", "B]", "B'", "Book\r\n", "Boök"})
    EXPECT_EQ(ClassNameProblem(name), kClassNameCharsMessage) << name;
  // A catalogue made elsewhere may start a class with a small letter; it still has to be an identifier.
  EXPECT_EQ(ClassNameProblem("tag", false), "");
  for (const char* name : {"", "_tag", "9tag", "../../../../bak/App_Code/DAL/DBHelp"})
    EXPECT_EQ(ClassNameProblem(name, false), kClassNameCharsMessage) << name;
  EXPECT_EQ(ClassNameProblem(std::string("Book\0", 5), false), kClassNameCharsMessage);

  EXPECT_EQ(MemberNameProblem("title", "Book"), "");
  EXPECT_EQ(MemberNameProblem("Title", "Book"), kMemberFirstLetterMessage);
  EXPECT_EQ(MemberNameProblem("ti tle", "Book"), kMemberNameCharsMessage);
  EXPECT_EQ(MemberNameProblem("class", "Book"), kMemberNameCharsMessage);
  // C# refuses a member named like its enclosing type; another case is another name.
  EXPECT_EQ(MemberNameProblem("book", "Book"), "");
  EXPECT_EQ(MemberNameProblem("tag", "tag"), kMemberLikeClassMessage);
  EXPECT_EQ(MemberNameProblem("Book", "Book", false), kMemberLikeClassMessage);
}

TEST(NameRules, KeywordsAndTheGeneratedCodesOwnNamesAreRefused) {
  // C# keywords compare with case; T-SQL keywords and the generated code's names without.
  EXPECT_TRUE(IsCSharpKeyword("class"));
  EXPECT_FALSE(IsCSharpKeyword("Class"));
  for (const char* name : {"Order", "USER", "group", "Table", "select", "Key", "Primary", "Identity_Insert", "Tran",
                           "Writetext", "Current_Timestamp", "Top", "Percent", "File", "Rule"}) {
    EXPECT_TRUE(IsSqlKeyword(name)) << name;
    EXPECT_EQ(ClassNameProblem(name, false), kSqlKeywordMessage) << name;
  }
  for (const char* name : {"Orders", "Users", "Category", "name", "title", "code", "Within", "Date", "Text"})
    EXPECT_FALSE(IsSqlKeyword(name)) << name;
  for (const char* name : {"ENTITY", "BLL", "DAL", "DBHelp", "CusUsers", "CusUsersHelp", "Entity", "cususers"}) {
    EXPECT_EQ(ClassNameProblem(name, false), kGeneratedNameMessage) << name;
    EXPECT_EQ(MemberNameProblem(name, "Book", false), kGeneratedNameMessage) << name;
  }
  EXPECT_EQ(MemberNameProblem("order", "Book"), kSqlKeywordMessage);
  EXPECT_EQ(ClassNameProblem("DALs"), "");
}

TEST(NameRules, ProjectNamesMustBeSafeFolderNames) {
  for (const char* name : {"Shop", "书店", "my shop", "Shop.v2", "..Shop", "a-b_c"})
    EXPECT_EQ(ProjectNameProblem(name), "") << name;
  EXPECT_EQ(ProjectNameProblem(""), kProjectNameEmptyMessage);
  for (const char* name : {".", "..", "../../ESC", "a/b", "a\\b", "C:", "a*", "a?", "a\"b", "<a>", "a|b", " Shop",
                           "Shop ", "Shop\t", "\xE3\x80\x80Shop", "Shop\xC2\xA0", "Sh\nop", "Sh\x7Fop", "Sh\xC2\x85op"})
    EXPECT_EQ(ProjectNameProblem(name), kProjectNameMessage) << Printable(name);
  EXPECT_EQ(ProjectNameProblem(std::string("Shop\0", 5)), kProjectNameMessage);
  EXPECT_EQ(ProjectNameProblem("Shop\xF0\x9F\x98\x80"), kGbkMessage);
  for (const char* name : {"Sh\xFFop", "Shop\xE4\xB9", "\xC0\xAF", "\xED\xA0\x80"})
    EXPECT_EQ(ProjectNameProblem(name), kUtf8Message) << Printable(name);
}

TEST(NameRules, TextsAndLengthsThatWouldBreakTheOutput) {
  // SQL Server takes table and column names of up to 128 characters.
  EXPECT_EQ(ClassNameProblem("B" + std::string(127, 'o')), "");
  EXPECT_EQ(ClassNameProblem("B" + std::string(128, 'o')), kNameLengthMessage);
  EXPECT_EQ(MemberNameProblem("b" + std::string(127, 'o'), "Book"), "");
  EXPECT_EQ(MemberNameProblem("b" + std::string(1000000, 'o'), "Book"), kNameLengthMessage);
  EXPECT_EQ(TextProblem(""), "");
  EXPECT_EQ(TextProblem("图书 / 书名 * 注释"), "");
  EXPECT_EQ(TextProblem("图书*/ class X {"), kCommentEndMessage);
  EXPECT_EQ(TextProblem("\xE2\x82\xA9"), kGbkMessage);
  EXPECT_EQ(TextProblem("\xB0\xA1"), kUtf8Message);  // GBK bytes are not UTF-8
  // Whatever would end a line or a // comment of the generated code; a tab stays allowed.
  EXPECT_EQ(TextProblem("书名\t(必填)"), "");
  for (const std::string& text : {std::string("a\r\nb"), std::string("a\nb"), std::string("a\rb"),
                                  std::string("a\0b", 3), std::string("\x1B[31m"), std::string("a\x7F"),
                                  std::string("a\xC2\x85"), std::string("a\xE2\x80\xA8"),
                                  std::string("\xE2\x80\xA9"), std::string("*/\n")}) {
    EXPECT_TRUE(HasControlCharacter(text)) << Printable(text);
    EXPECT_EQ(TextProblem(text), kControlCharacterMessage) << Printable(text);
  }
  EXPECT_FALSE(HasControlCharacter("图书\t\xC2\xA0\xE2\x80\xA7"));  // tab, no-break space, U+2027

  for (int length : {1, 50, 8000}) EXPECT_EQ(StringLengthProblem(length), "") << length;
  for (int length : {0, -5, 8001}) EXPECT_EQ(StringLengthProblem(length), kStringLengthMessage) << length;
}

TEST(NameRules, PrintableShowsNoRawBytesOrLineBreaks) {
  EXPECT_EQ(Printable("书店 Shop"), "书店 Shop");
  EXPECT_EQ(Printable(std::string("Book\0", 5)), "Book\\x00");
  EXPECT_EQ(Printable("a\r\nb"), "a\\x0D\\x0Ab");
  EXPECT_EQ(Printable("a\xFF\xE4\xB9z"), "a\\xFF\\xE4\\xB9z");
  EXPECT_EQ(Printable("\xC2\x85"), "\\xC2\\x85");
}

TEST(NameRules, SameNameIgnoringCaseAndWholeNumbers) {
  EXPECT_TRUE(SameNameIgnoringCase("Category", "cATEGORY"));
  EXPECT_FALSE(SameNameIgnoringCase("Category", "Categor"));
  EXPECT_FALSE(SameNameIgnoringCase("书", "書"));

  int value = 7;
  EXPECT_TRUE(ParseWholeNumber("-12", value));
  EXPECT_EQ(value, -12);
  EXPECT_TRUE(ParseWholeNumber("+2147483647", value));
  EXPECT_EQ(value, 2147483647);
  for (const char* text : {"", "+", "1 ", " 1", "1.5", "2147483648", "-2147483649", "99999999999999999999"})
    EXPECT_FALSE(ParseWholeNumber(text, value)) << text;
  EXPECT_EQ(value, 2147483647);
}

TEST(NameRules, FoldControlsPutsEveryTextOnOneLine) {
  const struct {
    std::string text, folded;
  } cases[] = {
      {"a\r\nb", "a b"},                          // one blank for a run, not one per character
      {"a\tb", "a\tb"},                            // a tab breaks no line
      {"a\x7f\x01" "b", "a b"},                    // DEL and the rest of C0
      {"a\u2028b\u2029c\u0085d", "a b c d"},     // the line ends of C# and Unicode
      {"备注\n", "备注 "},
      {"\xe2\x80", "\xe2\x80"},                      // a cut-off sequence is left for the UTF-8 check
  };
  for (const auto& c : cases) EXPECT_EQ(NameRules::FoldControls(c.text), c.folded) << c.text;
}
