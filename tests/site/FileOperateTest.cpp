#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "site/FileOperate.h"
#include "support/CatalogueSeed.h"
#include "support/FileBytes.h"
#include "support/FileSafety.h"
#include "support/TempCatalogue.h"
#include "support/WriteFaults.h"
#include "text/GbkText.h"

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

TEST_F(FileOperateTest, CopyDirectoryRaisesForAnythingItCannotReadOrWrite) {
  OpenToEveryone(FTemp.Folder(), true);
  Put("bak/Locked/a.txt", "a");
  Put("bak/Secret/b.txt", "b");
  Put("bak/Fine/c.txt", "c");
  fs::permissions(Path("bak/Locked"), fs::perms::none);
  fs::permissions(Path("bak/Secret/b.txt"), fs::perms::none);
  OpenToEveryone(Path("bak"), false);
  OpenToEveryone(Path("bak/Secret"), false);
  OpenToEveryone(Path("bak/Fine"), false);
  fs::create_directory(Path("out"));
  OpenToEveryone(Path("out"), true);
  Put("out/readonly.txt", "kept");
  fs::permissions(Path("out/readonly.txt"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  {
    TUnprivilegedScope nobody;
    // A file the user may not write is not replaced, even in a folder where it could be.
    EXPECT_THROW(TFileOperate::WriteFileBytes(Path("out/readonly.txt"), "new"), TFileError);
    EXPECT_EQ(Bytes("out/readonly.txt"), "kept");
    EXPECT_THROW(TFileOperate::CopyDirectory(Path("bak/Locked"), Path("out/locked"), true), TFileError);
    EXPECT_FALSE(fs::exists(Path("out/locked")));
    const std::string message =
        ErrorOf<TFileError>([&] { TFileOperate::CopyDirectory(Path("bak/Secret"), Path("out/secret"), true); });
    EXPECT_NE(message.find(Path("bak/Secret/b.txt")), std::string::npos) << message;
    // A target folder that cannot be created names the folder and the real cause.
    const std::string denied =
        ErrorOf<TFileError>([&] { TFileOperate::CopyDirectory(Path("bak/Fine"), Path("bak/new/deeper"), true); });
    EXPECT_NE(denied.find("无法创建文件夹“" + Path("bak/new") + "”"), std::string::npos) << denied;
    EXPECT_NE(denied.find("Permission denied"), std::string::npos) << denied;
  }
  fs::permissions(Path("bak/Locked"), fs::perms::owner_all);
  EXPECT_EQ(fs::current_path(), FStartFolder);
}

TEST_F(FileOperateTest, WriteFileBytesReplacesWholeFilesAndWritesThroughEverythingElse) {
  // An existing file keeps its mode; a new one gets the mode of a newly created file.
  Put("out/kept.txt", "old");
  fs::permissions(Path("out/kept.txt"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  TFileOperate::WriteFileBytes(Path("out/kept.txt"), "new");
  EXPECT_EQ(Bytes("out/kept.txt"), "new");
  EXPECT_EQ(fs::status(Path("out/kept.txt")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  TFileOperate::WriteFileBytes(Path("out/fresh.txt"), "x");
  Put("out/plain.txt", "x");
  EXPECT_EQ(fs::status(Path("out/fresh.txt")).permissions(), fs::status(Path("out/plain.txt")).permissions());

  // A link is written through and stays a link, even one that points nowhere yet.
  fs::create_symlink("kept.txt", Path("out/link.txt"));
  fs::create_symlink("later.txt", Path("out/dangling.txt"));
  TFileOperate::WriteFileBytes(Path("out/link.txt"), "via link");
  TFileOperate::WriteFileBytes(Path("out/dangling.txt"), "made");
  EXPECT_TRUE(fs::is_symlink(Path("out/link.txt")));
  EXPECT_TRUE(fs::is_symlink(Path("out/dangling.txt")));
  EXPECT_EQ(Bytes("out/kept.txt"), "via link");
  EXPECT_EQ(Bytes("out/later.txt"), "made");

  // Devices and FIFOs are written into, never replaced by a regular file.
  TFileOperate::WriteFileBytes("/dev/null", "discarded");
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  ASSERT_EQ(::mkfifo(Path("out/pipe").c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = ReadFileBytes(Path("out/pipe")); });
  TFileOperate::WriteFileBytes(Path("out/pipe"), "through the pipe");
  reader.join();
  EXPECT_EQ(received, "through the pipe");
  EXPECT_TRUE(fs::is_fifo(Path("out/pipe")));

  // No temporary file is left beside the targets.
  EXPECT_EQ(ListTree(Path("out")), (std::set<std::string>{"dangling.txt", "fresh.txt", "kept.txt", "later.txt",
                                                          "link.txt", "pipe", "plain.txt"}));
  EXPECT_THROW(TFileOperate::WriteFileBytes(Path("out"), "a folder"), TFileError);
}

TEST_F(FileOperateTest, WriteFileBytesNeverReplacesAProtectedFileOrFolder) {
  Put("data/projects.mdb", "catalogue bytes");
  Put("bak/App_Code/DAL/DBHelp.cs", "template bytes");
  fs::create_symlink(Path("data/projects.mdb"), Path("cat-link"));
  fs::create_hard_link(Path("data/projects.mdb"), Path("cat-hard"));
  fs::create_directory_symlink(Path("bak/App_Code"), Path("code-link"));
  const TProtectedPaths protectedPaths = TProtectedPaths::Of(Path("data/projects.mdb"), Path("bak"));
  const std::set<std::string> before = ListTree(FTemp.Folder());

  const std::string relative = fs::relative(Path("data/projects.mdb"), fs::current_path()).string();
  for (const std::string& target :
       {Path("data/projects.mdb"), relative, Path("data/../data/projects.mdb"), Path("cat-link"), Path("cat-hard"),
        Path("bak/App_Code/DAL/DBHelp.cs"), Path("bak/new.cs"), Path("code-link/DAL/DBHelp.cs")}) {
    const std::string message =
        ErrorOf<TFileError>([&] { TFileOperate::WriteFileBytes(target, "script", protectedPaths); });
    EXPECT_NE(message.find("不能写入“" + target + "”"), std::string::npos) << target << ": " << message;
  }
  EXPECT_EQ(Bytes("data/projects.mdb"), "catalogue bytes");
  EXPECT_EQ(Bytes("bak/App_Code/DAL/DBHelp.cs"), "template bytes");
  EXPECT_EQ(ListTree(FTemp.Folder()), before);
  // Beside them everything may be written.
  TFileOperate::WriteFileBytes(Path("data/projects.sql"), "script", protectedPaths);
  EXPECT_EQ(Bytes("data/projects.sql"), "script");
}

TEST_F(FileOperateTest, AFullDiskLeavesTheOldFileWhole) {
  if (!IsRoot()) GTEST_SKIP() << "mounting a small disk needs root";
  TSmallDisk disk(Path("disk"), "64k");
  if (!disk.Mounted()) GTEST_SKIP() << "mounting is not allowed here";
  const std::string good(10000, 'g');
  TFileOperate::WriteFileBytes(Path("disk/Publisher.cs"), good);
  disk.Fill();
  EXPECT_THROW(TFileOperate::WriteFileBytes(Path("disk/Publisher.cs"), std::string(20000, 'n')), TFileError);
  EXPECT_EQ(Bytes("disk/Publisher.cs"), good);
  EXPECT_EQ(ListTree(Path("disk")), (std::set<std::string>{"Publisher.cs", "filler", "filler2"}));
  EXPECT_THROW(TFileOperate::CopyDirectory(CORVANTHEL_SOURCE_DIR "/template/bak", Path("disk/site"), true), TFileError);
}

TEST_F(FileOperateTest, CopyDirectoryEndsOnLinksBackAndTargetsInsideTheSource) {
  Put("bak/Admin/a.txt", "a");
  fs::create_directory_symlink(Path("bak"), Path("bak/Admin/up"));
  EXPECT_NO_THROW(TFileOperate::CopyDirectory(Path("bak"), Path("bak/Admin/copy"), false));
  EXPECT_EQ(Bytes("bak/Admin/copy/Admin/a.txt"), "a");
  EXPECT_FALSE(fs::exists(Path("bak/Admin/copy/Admin/copy")));
}

TEST_F(FileOperateTest, TheCatalogueCompanionsAreRefusedBeforeSQLiteMakesThem) {
  Put("data/projects.mdb", "catalogue bytes");
  fs::create_directory_symlink(Path("data"), Path("data-link"));
  const TProtectedPaths protectedPaths = TProtectedPaths::Of(Path("data/projects.mdb"), Path("bak"));
  // None of the companions exists: SQLite would still take one made here for its own, and
  // replay or delete it at the next open.
  for (const std::string& target :
       {Path("data/projects.mdb-wal"), Path("data/projects.mdb-shm"), Path("data/projects.mdb-journal"),
        Path("data-link/projects.mdb-journal"), Path("data/./projects.mdb-wal")}) {
    const std::string message =
        ErrorOf<TFileError>([&] { TFileOperate::WriteFileBytes(target, "export", protectedPaths); });
    EXPECT_NE(message.find("不能写入“" + target + "”"), std::string::npos) << target << ": " << message;
  }
  EXPECT_EQ(ListTree(Path("data")), std::set<std::string>{"projects.mdb"});
  // Names that only look alike are the user's.
  TFileOperate::WriteFileBytes(Path("data/projects.mdb-wal.json"), "export", protectedPaths);
  TFileOperate::WriteFileBytes(Path("projects.mdb-wal"), "export", protectedPaths);
  EXPECT_EQ(Bytes("projects.mdb-wal"), "export");
}

TEST_F(FileOperateTest, AFolderFoundSafeForOneTemplateIsCheckedAgainForAnother) {
  Put("data/projects.mdb", "catalogue bytes");
  fs::create_directories(Path("bak/Admin"));
  fs::create_directories(Path("other"));
  // The first write finds bak/Admin outside the template "other" and remembers that ...
  TFileOperate::WriteFileBytes(Path("bak/Admin/a.aspx"), "a",
                               TProtectedPaths::Of(Path("data/projects.mdb"), Path("other")));
  // ... which says nothing about the template bak, nor about the same folder reached by another way.
  const TProtectedPaths bak = TProtectedPaths::Of(Path("data/projects.mdb"), Path("bak"));
  fs::create_directory_symlink(Path("bak/Admin"), Path("admin-link"));
  for (const std::string& target : {Path("bak/Admin/b.aspx"), Path("admin-link/b.aspx")})
    EXPECT_THROW(TFileOperate::WriteFileBytes(target, "b", bak), TFileError) << target;
  EXPECT_FALSE(fs::exists(Path("bak/Admin/b.aspx")));
  // And a folder refused once is not taken as safe later for the same set.
  EXPECT_THROW(TFileOperate::WriteFileBytes(Path("bak/Admin/c.aspx"), "c", bak), TFileError);

  // Nor is a folder found safe by one write taken as safe by the next with the same set: the window
  // exports again and again from one thread, and the user may have moved the folder into the template.
  fs::create_directories(Path("exports"));
  TFileOperate::WriteFileBytes(Path("exports/a.json"), "a", bak);
  fs::rename(Path("exports"), Path("bak/exports"));
  EXPECT_THROW(TFileOperate::WriteFileBytes(Path("bak/exports/b.json"), "b", bak), TFileError);
  EXPECT_EQ(ListTree(Path("bak/exports")), std::set<std::string>{"a.json"});
}

namespace {

// Leaves the process no descriptor to open for as long as it lives.
class TNoDescriptorsLeft {
 public:
  TNoDescriptorsLeft() {
    ::getrlimit(RLIMIT_NOFILE, &FSaved);
    struct rlimit low = FSaved;
    low.rlim_cur = 64;
    ::setrlimit(RLIMIT_NOFILE, &low);
    for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) FFillers.push_back(fd);
  }
  ~TNoDescriptorsLeft() {
    for (const int fd : FFillers) ::close(fd);
    ::setrlimit(RLIMIT_NOFILE, &FSaved);
  }
  TNoDescriptorsLeft(const TNoDescriptorsLeft&) = delete;
  TNoDescriptorsLeft& operator=(const TNoDescriptorsLeft&) = delete;

 private:
  struct rlimit FSaved {};
  std::vector<int> FFillers;
};

}  // namespace

TEST_F(FileOperateTest, AFolderWhoseAncestorsCannotBeWalkedIsNoSafeFolder) {
  Put("data/projects.mdb", "catalogue bytes");
  fs::create_directories(Path("bak/Admin"));
  const TProtectedIdentities bak =
      TProtectedIdentities::Of(TProtectedPaths::Of(Path("data/projects.mdb"), Path("bak")));
  const int folder = ::open(Path("bak/Admin").c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(folder, 0);
  // Refused with descriptors to spare first: the undefined-behaviour checker of the sanitized build
  // looks at an exception's type the first time it meets it through a pipe, which it cannot open
  // once the descriptors are gone.
  EXPECT_THROW(TFileOperate::CheckNotProtectedAt(folder, "a.aspx", "a.aspx", bak), TFileError);
  {
    // The walk up from the folder needs a descriptor per level: without one the check cannot be made,
    // and a check that was not made refuses.
    const TNoDescriptorsLeft exhausted;
    EXPECT_THROW(TFileOperate::CheckNotProtectedAt(folder, "a.aspx", "a.aspx", bak), TFileError);
  }
  ::close(folder);
}

namespace {

// Makes the temporary file's write or close fail for as long as it lives.
class TFailingWrites {
 public:
  enum TFault { Write, ShortThenWrite, Close };
  explicit TFailingWrites(TFault fault) : FReplaced(&FailingWrite, &FailingClose) {
    sFault = fault;
    sWrites = 0;
  }

 private:
  static ssize_t FailingWrite(int fd, const void* data, std::size_t size) {
    if (sFault == Close) return ::write(fd, data, size);
    // A disk that takes some bytes and then is full.
    if (sFault == ShortThenWrite && sWrites++ == 0) return ::write(fd, data, size / 2);
    errno = ENOSPC;
    return -1;
  }
  static int FailingClose(int fd) {
    ::close(fd);
    if (sFault != Close) return 0;
    errno = EIO;  // a network or full disk reports the lost bytes only here
    return -1;
  }

  static inline TFault sFault = Write;
  static inline int sWrites = 0;
  const TWriteCallsReplaced FReplaced;
};

}  // namespace

TEST_F(FileOperateTest, AFailingWriteOrCloseOfTheTemporaryFileLeavesTheOldFileWhole) {
  const std::string old(5000, 'o');
  struct TCase {
    TFailingWrites::TFault fault;
    int code;
  };
  for (const TCase& fault : {TCase{TFailingWrites::Write, ENOSPC}, TCase{TFailingWrites::ShortThenWrite, ENOSPC},
                             TCase{TFailingWrites::Close, EIO}}) {
    SCOPED_TRACE(fault.code);
    Put("out/Book.cs", old);
    int code = 0;
    {
      const TFailingWrites failing(fault.fault);
      try {
        TFileOperate::WriteFileBytes(Path("out/Book.cs"), std::string(8000, 'n'));
      } catch (const TFileError& error) {
        code = error.Code();
        EXPECT_NE(std::string(error.what()).find(Path("out/Book.cs")), std::string::npos) << error.what();
      }
      // A file that was not there is not made half either.
      EXPECT_THROW(TFileOperate::WriteFileBytes(Path("out/New.cs"), "new"), TFileError);
    }
    EXPECT_EQ(code, fault.code);
    EXPECT_EQ(Bytes("out/Book.cs"), old);
    EXPECT_EQ(ListTree(Path("out")), std::set<std::string>{"Book.cs"});
  }
  TFileOperate::WriteFileBytes(Path("out/Book.cs"), "fine again");
  EXPECT_EQ(Bytes("out/Book.cs"), "fine again");
}

TEST_F(FileOperateTest, AFileMadeInPartsIsWrittenWholeOrNotAtAll) {
  const std::string old(5000, 'o');
  const std::string parts[] = {std::string(5000, 'a'), std::string(5000, 'b'), std::string(5000, 'c')};
  int asked = 0;  // parts the maker has handed over
  bool failAfterFirst = false;
  const TFileContent::TMaker maker = [&](const TFileContent::TSink& sink) {
    for (const std::string& part : parts) {
      if (failAfterFirst && asked == 1) throw std::runtime_error("made no more");
      ++asked;
      sink(part);
    }
  };
  const auto write = [this, &maker](const std::string& name) {
    const int folder = ::open(Path("out").c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    try {
      TFileOperate::ReplaceFileAt(folder, name, Path("out/" + name), TFileContent(maker), 0666);
    } catch (...) {
      ::close(folder);
      throw;
    }
    ::close(folder);
  };
  struct TCase {
    const char* what;
    std::optional<TFailingWrites::TFault> fault;
    bool makerFails;
    int asked;  // parts asked for by each write
  };
  const TCase cases[] = {{"a failing write", TFailingWrites::Write, false, 1},
                         {"a short write, then a failing one", TFailingWrites::ShortThenWrite, false, 1},
                         {"a failing close", TFailingWrites::Close, false, 3},
                         {"a maker that fails", std::nullopt, true, 1}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    Put("out/Book.cs", old);
    failAfterFirst = c.makerFails;
    for (const char* name : {"Book.cs", "New.cs"}) {
      asked = 0;
      std::optional<TFailingWrites> failing;
      if (c.fault) failing.emplace(*c.fault);
      try {
        write(name);
        ADD_FAILURE() << name << " written";
      } catch (const TFileError& error) {
        EXPECT_FALSE(c.makerFails) << error.what();
        EXPECT_NE(std::string(error.what()).find(Path(std::string("out/") + name)), std::string::npos);
      } catch (const std::runtime_error& error) {
        EXPECT_TRUE(c.makerFails);
        EXPECT_STREQ(error.what(), "made no more");
      }
      EXPECT_EQ(asked, c.asked) << name;
    }
    EXPECT_EQ(Bytes("out/Book.cs"), old);
    EXPECT_EQ(ListTree(Path("out")), std::set<std::string>{"Book.cs"});
  }
  failAfterFirst = false;
  for (const char* name : {"Book.cs", "New.cs"}) write(name);
  EXPECT_EQ(Bytes("out/Book.cs"), parts[0] + parts[1] + parts[2]);
  EXPECT_EQ(Bytes("out/New.cs"), parts[0] + parts[1] + parts[2]);
}
