#include <gtest/gtest.h>
#include <iconv.h>

#include "text/GbkText.h"

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

// Text is encoded run by run (ASCII copied, the rest through iconv): the bytes and the
// reported character must be those of converting the whole text at once.
TEST(GbkText, EncodingRunByRunGivesTheBytesAndErrorsOfTheWholeText) {
  const auto whole = [](const std::string& utf8) {
    iconv_t handle = iconv_open("CP936", "UTF-8");
    std::string out(utf8.size() * 2 + 8, '\0');
    char* in = const_cast<char*>(utf8.data());
    char* to = out.data();
    std::size_t inLeft = utf8.size();
    std::size_t outLeft = out.size();
    const std::size_t rc = iconv(handle, &in, &inLeft, &to, &outLeft);
    iconv_close(handle);
    out.resize(out.size() - outLeft);
    return rc == static_cast<std::size_t>(-1) ? std::string("error") : out;
  };
  for (const std::string text :
       {"书名", "a书", "书a", "a\r\n书名\r\nb", "  /*价格*/\r\n  €x€", "x", "图书 Book 出版社(code) 编号;", "\t\x01"}) {
    EXPECT_EQ(GbkText::FromUtf8(text), whole(text)) << text;
    EXPECT_TRUE(GbkText::CanEncode(text)) << text;
  }
  // The first bad character is named, wherever the runs around it begin and end.
  const auto errorOf = [](const std::string& text) {
    try {
      GbkText::FromUtf8(text);
    } catch (const TGbkEncodingError& error) {
      return std::string(error.what());
    }
    return std::string();
  };
  EXPECT_NE(errorOf("ab书😀c").find("U+1F600"), std::string::npos);
  EXPECT_NE(errorOf("书名\xFF").find("0xFF"), std::string::npos);
  EXPECT_NE(errorOf("书\xE4\xB9").find("0xE4"), std::string::npos);  // cut off at the end
  EXPECT_FALSE(errorOf("a\xE4\xB9z").empty());  // cut off by an ASCII byte
  EXPECT_FALSE(GbkText::CanEncode("书😀"));
}
