#include <gtest/gtest.h>

#include "generation/GbkText.h"

TEST(GbkText, ConvertsChineseBothWaysAndLeavesAsciiAlone) {
  // 书名 in code page 936, with CR LF kept as they are.
  EXPECT_EQ(GbkText::FromUtf8("a\r\n书名"), std::string("a\r\n\xCA\xE9\xC3\xFB"));
  EXPECT_EQ(GbkText::ToUtf8("\xCA\xE9\xC3\xFB"), "书名");
  EXPECT_EQ(GbkText::FromUtf8(""), "");
  // Code page 936 has the euro sign at 0x80.
  EXPECT_EQ(GbkText::FromUtf8("€"), "\x80");
}

TEST(GbkText, NamesTheCharacterGbkCannotHold) {
  EXPECT_FALSE(GbkText::CanEncode("ok😀"));
  EXPECT_TRUE(GbkText::CanEncode("图书 Book"));
  try {
    GbkText::FromUtf8("ab😀c");
    FAIL() << "no error raised";
  } catch (const TGbkEncodingError& error) {
    EXPECT_NE(std::string(error.what()).find("😀"), std::string::npos) << error.what();
    EXPECT_NE(std::string(error.what()).find("U+1F600"), std::string::npos) << error.what();
  }
  EXPECT_THROW(GbkText::FromUtf8("bad \xFF byte"), TGbkEncodingError);
}
