#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "generation/FileOperate.h"
#include "generation/GbkText.h"
#include "support/FileBytes.h"
#include "support/TempCatalogue.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder per test (the catalogue in it stays unused).
class FileOperateTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& relative) const { return FTemp.Folder() + "/" + relative; }
  void Put(const std::string& relative, const std::string& bytes) const {
    fs::create_directories(fs::path(Path(relative)).parent_path());
    WriteFileBytes(Path(relative), bytes);
  }
  std::string Bytes(const std::string& relative) const { return ReadFileBytes(Path(relative)); }

  TTempCatalogue FTemp;
  const fs::path FStartFolder = fs::current_path();
};

}  // namespace

TEST_F(FileOperateTest, WriteTextFileReplacesTheWholeFileWithGbkBytes) {
  TFileOperate::WriteTextFile(Path("a/b"), Path("a/b/x.cs"), "a much longer first text\r\n");
  TFileOperate::WriteTextFile(Path("a/b"), Path("a/b/x.cs"), "图书\r\n");
  // GBK for 图书, no byte-order mark, nothing of the first text left behind.
  EXPECT_EQ(Bytes("a/b/x.cs"), "\xCD\xBC\xCA\xE9\r\n");

  TFileOperate::WriteTextFile(Path("a/b"), Path("a/b/x.cs"), "");
  EXPECT_TRUE(fs::exists(Path("a/b/x.cs")));
  EXPECT_EQ(fs::file_size(Path("a/b/x.cs")), 0u);
}

TEST_F(FileOperateTest, WriteTextFileCreatesMissingFoldersAndKeepsExistingOnes) {
  Put("site/keep.txt", "kept");
  TFileOperate::WriteTextFile(Path("site"), Path("site/new.cs"), "x");
  TFileOperate::WriteTextFile(Path("deep/er/est"), Path("deep/er/est/n.cs"), "y");
  EXPECT_EQ(Bytes("site/keep.txt"), "kept");
  EXPECT_EQ(Bytes("site/new.cs"), "x");
  EXPECT_EQ(Bytes("deep/er/est/n.cs"), "y");
}

TEST_F(FileOperateTest, TextGbkCannotHoldLeavesTheFileAsItWas) {
  Put("out/old.cs", "old content");
  const std::string file = Path("out/old.cs");
  try {
    TFileOperate::WriteTextFile(Path("out"), file, "/*表情😀*/\r\n");
    FAIL() << "no error raised";
  } catch (const TGbkEncodingError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find(file), std::string::npos) << message;
    EXPECT_NE(message.find("😀"), std::string::npos) << message;
  }
  EXPECT_EQ(Bytes("out/old.cs"), "old content");

  // Nor is a file or folder created for a text that cannot be written.
  EXPECT_THROW(TFileOperate::WriteTextFile(Path("fresh"), Path("fresh/new.cs"), "😀"), TGbkEncodingError);
  EXPECT_FALSE(fs::exists(Path("fresh")));
}

TEST_F(FileOperateTest, WriteTextFileReportsTheSystemError) {
  // The folder to ensure and the file are separate arguments: the file's own folder is missing.
  try {
    TFileOperate::WriteTextFile(Path("here"), Path("elsewhere/x.cs"), "x");
    FAIL() << "no error raised";
  } catch (const TFileError& error) {
    EXPECT_EQ(error.Code(), ENOENT);
    EXPECT_NE(std::string(error.what()).find(Path("elsewhere/x.cs")), std::string::npos) << error.what();
  }
  EXPECT_TRUE(fs::is_directory(Path("here")));
}

TEST_F(FileOperateTest, CopyDirectoryCopiesTheWholeTree) {
  Put("bak/Admin/top.aspx", "top");
  Put("bak/Admin/.hidden", "hidden");
  Put("bak/Admin/css/site.css", "css");
  Put("bak/Admin/css/img/logo.png", "png");
  fs::create_directories(Path("bak/Admin/empty/inner"));

  EXPECT_NO_THROW(TFileOperate::CopyDirectory(Path("bak/Admin"), Path("projects/Shop/Admin"), true));

  EXPECT_EQ(Bytes("projects/Shop/Admin/top.aspx"), "top");
  EXPECT_EQ(Bytes("projects/Shop/Admin/.hidden"), "hidden");
  EXPECT_EQ(Bytes("projects/Shop/Admin/css/site.css"), "css");
  EXPECT_EQ(Bytes("projects/Shop/Admin/css/img/logo.png"), "png");
  EXPECT_TRUE(fs::is_directory(Path("projects/Shop/Admin/empty/inner")));
  EXPECT_EQ(fs::current_path(), FStartFolder);
}

TEST_F(FileOperateTest, FailIfExistsKeepsOnlyTheTopFolderFiles) {
  Put("bak/App_Code/DAL/DBHelp.cs", "template");
  Put("bak/App_Code/DAL/sub/Helper.cs", "template");
  Put("site/DAL/DBHelp.cs", "generated");
  Put("site/DAL/sub/Helper.cs", "old");

  EXPECT_NO_THROW(TFileOperate::CopyDirectory(Path("bak/App_Code/DAL"), Path("site/DAL"), true));
  EXPECT_EQ(Bytes("site/DAL/DBHelp.cs"), "generated");
  EXPECT_EQ(Bytes("site/DAL/sub/Helper.cs"), "template");

  Put("site/DAL/sub/Helper.cs", "old");
  EXPECT_NO_THROW(TFileOperate::CopyDirectory(Path("bak/App_Code/DAL"), Path("site/DAL"), false));
  EXPECT_EQ(Bytes("site/DAL/DBHelp.cs"), "template");
  EXPECT_EQ(Bytes("site/DAL/sub/Helper.cs"), "template");
}

TEST_F(FileOperateTest, CopyDirectoryOfAnEmptyFolderCreatesTheTarget) {
  fs::create_directories(Path("bak/Bin"));
  EXPECT_NO_THROW(TFileOperate::CopyDirectory(Path("bak/Bin"), Path("projects/Shop/Bin"), true));
  EXPECT_TRUE(fs::is_directory(Path("projects/Shop/Bin")));
  EXPECT_TRUE(fs::is_empty(Path("projects/Shop/Bin")));
}

TEST_F(FileOperateTest, CopyDirectoryRaisesForASourceThatIsNoFolder) {
  Put("bak/web.config", "x");
  for (const std::string& source : {Path("bak/Missing"), Path("bak/web.config")}) {
    EXPECT_THROW(TFileOperate::CopyDirectory(source, Path("target"), true), TFileError) << source;
    EXPECT_FALSE(fs::exists(Path("target")));
    EXPECT_EQ(fs::current_path(), FStartFolder);
  }
}

TEST_F(FileOperateTest, CopyDirectoryRaisesForAFolderItCannotList) {
  if (::geteuid() == 0) GTEST_SKIP() << "root can list any folder";
  Put("bak/Locked/a.txt", "a");
  fs::permissions(Path("bak/Locked"), fs::perms::none);
  EXPECT_THROW(TFileOperate::CopyDirectory(Path("bak/Locked"), Path("target"), true), TFileError);
  fs::permissions(Path("bak/Locked"), fs::perms::owner_all);
  EXPECT_FALSE(fs::exists(Path("target")));
  EXPECT_EQ(fs::current_path(), FStartFolder);
}

TEST_F(FileOperateTest, CopyDirectoryEndsOnLinksBackAndTargetsInsideTheSource) {
  Put("bak/Admin/a.txt", "a");
  fs::create_directory_symlink(Path("bak"), Path("bak/Admin/up"));
  EXPECT_NO_THROW(TFileOperate::CopyDirectory(Path("bak"), Path("bak/Admin/copy"), false));
  EXPECT_EQ(Bytes("bak/Admin/copy/Admin/a.txt"), "a");
  EXPECT_FALSE(fs::exists(Path("bak/Admin/copy/Admin/copy")));
}
