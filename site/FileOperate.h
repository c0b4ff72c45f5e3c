#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A file-system failure while writing generated output: names the file or folder
// and carries the operating system's error code and message.
class TFileError : public std::runtime_error {
 public:
  TFileError(const std::string& message, int code) : std::runtime_error(message), FCode(code) {}
  int Code() const { return FCode; }

 private:
  int FCode;
};

// The bytes a file is written with: a text held whole, or one made in parts while it is written, so that a
// large file is never held at once. A maker hands its parts, in order, to the sink it is given; a part is
// needed only during that call. An exception from the maker ends the write as a failed one does.
class TFileContent {
 public:
  using TSink = std::function<void(std::string_view)>;
  using TMaker = std::function<void(const TSink&)>;

  TFileContent(const std::string& bytes) : FBytes(&bytes) {}  // NOLINT: a text stands for its content
  explicit TFileContent(const TMaker& maker) : FMaker(&maker) {}

  // Writes every byte to fd. False with errno set when a write fails; the maker is not asked for more.
  bool WriteTo(int fd) const;
  // Every byte in one text, the maker asked for all of them first.
  std::string Whole() const;

 private:
  const std::string* FBytes = nullptr;
  const TMaker* FMaker = nullptr;
};

// Files and folders that a write for the user must never replace: the catalogue
// (with its journal files) and the template site. Files are compared by device and
// inode, so no spelling of a path (relative, through a link, a hard link) reaches them,
// and by name within their folder, so a journal file that is not there yet cannot be
// made either (SQLite would take it for its own and delete or replay it); a folder
// protects everything below it.
struct TProtectedPaths {
  std::vector<std::string> files;
  std::vector<std::string> folders;

  // The catalogue file with its -wal, -shm and -journal companions, and the template folder.
  static TProtectedPaths Of(const std::string& catalogueFile, const std::string& templateFolder);
};

// The protected paths as found on disk at one moment, for many checks in a row (a run
// writing thousands of files looks them up once).
struct TProtectedIdentities {
  struct TId {
    dev_t device;
    ino_t inode;
    bool operator==(const TId& other) const { return device == other.device && inode == other.inode; }
  };
  struct TNamed {
    TId folder;        // the folder the protected file is in (or would be)
    std::string name;  // its name there
    std::string shown;
  };
  std::vector<std::pair<TId, std::string>> files;    // files that exist, with their paths
  std::vector<TNamed> names;                         // every protected file, by folder and name
  std::vector<std::pair<TId, std::string>> folders;  // folders that exist, with their paths
  // Folders CheckNotProtectedAt has found outside every protected folder: true of this snapshot only.
  mutable std::vector<TId> safeFolders;

  static TProtectedIdentities Of(const TProtectedPaths& paths);
};

// Where a folder copy puts what it finds. Every path is relative to the copy's target
// folder ("" is that folder itself, "css/site.css" a file below it).
class TCopyDestination {
 public:
  virtual ~TCopyDestination() = default;
  // The absolute target folder; a source folder that is this folder is never walked into.
  virtual std::string Root() const = 0;
  // A folder of the source tree (empty ones included).
  virtual void MakeFolder(const std::string& relative) = 0;
  // True when a file is there already (a copy that keeps existing files asks first).
  virtual bool Exists(const std::string& relative) = 0;
  // A file the copy leaves as it is because it exists.
  virtual void KeepExisting(const std::string& /*relative*/) {}
  // Copies the source file, with its bytes and mode.
  virtual void PutFile(const std::string& source, const std::string& relative) = 0;
};

// The system calls that put a temporary file's bytes on disk. Tests replace them to make
// a write or a close fail; everything else uses the system's own.
struct TFileWriteCalls {
  ssize_t (*write)(int fd, const void* data, std::size_t size);
  int (*close)(int fd);
  static TFileWriteCalls& Current();
};

// The only place where the program writes files for the user.
class TFileOperate {
 public:
  // The one way every file for the user is written (generated files, template
  // copies, -o outputs). A symbolic link is followed: the file it points to is
  // written and the link stays. A target that exists and is not a regular file (a
  // character device such as /dev/null, a FIFO) is written through, never replaced.
  // Otherwise the bytes go to a temporary file in the target's folder that is renamed
  // over the target only when complete, so after any failure the target holds either
  // its old bytes or the new ones. An existing target keeps its mode (and its owner
  // where allowed) and is refused when the user may not write it; a new one gets
  // newFileMode (less the umask). A target that is, or lies inside, one of the
  // protected paths raises TFileError (EPERM) before anything is written; any I/O
  // failure raises TFileError naming the path. Bytes made in parts are written as they are made, except to a
  // target written through, which gets them all at once (nothing of a maker that fails reaches it); an
  // exception of the maker comes out as it is, with the target as it was.
  static void WriteFileBytes(const std::string& path, const TFileContent& bytes,
                             const TProtectedPaths& protectedPaths = {}, mode_t newFileMode = 0666);
  static void WriteFileBytes(const std::string& path, const std::string& bytes,
                             const TProtectedPaths& protectedPaths = {}, mode_t newFileMode = 0666) {
    WriteFileBytes(path, TFileContent(bytes), protectedPaths, newFileMode);
  }

  // Writes one generated source file. The UTF-8 text is first encoded to GBK as a
  // whole; only then is dirPath created (with its parents) and fileName written byte
  // for byte through WriteFileBytes: no byte-order mark, no added line end. fileName
  // is used exactly as given, independently of dirPath. A character GBK cannot hold
  // raises TGbkEncodingError naming the file and the character, and leaves an existing
  // file untouched. A folder that cannot be created or an I/O failure raises TFileError.
  static void WriteTextFile(const std::string& dirPath, const std::string& fileName, const std::string& utf8Content,
                            const TProtectedPaths& protectedPaths = {});

  // The GBK bytes of a generated file's UTF-8 text. A character GBK cannot hold raises
  // TGbkEncodingError naming the file and the character. Encoding comes before anything
  // touches the disk, so such a text leaves an existing file exactly as it was.
  static std::string GbkBytesOf(const std::string& fileName, const std::string& utf8Content);

  // Copies the folder tree sourceDir into targetDir (created with its parents when
  // missing). failIfExists keeps the files that already exist directly in targetDir;
  // files in sub-folders, at any depth, always replace existing ones. Empty sub-folders
  // are created, hidden files copied; every file goes through WriteFileBytes with the
  // source file's mode. Raises TFileError when sourceDir does not exist or is no
  // folder, and on any failure to list a folder, read a file, create a folder or write
  // a file. Works on absolute paths and never changes the process's current directory.
  static void CopyDirectory(const std::string& sourceDir, const std::string& targetDir, bool failIfExists,
                            const TProtectedPaths& protectedPaths = {});

  // The same walk, handing each folder and file to destination instead of writing it.
  // The folder itself is handed over first, as "".
  static void CopyDirectory(const std::string& sourceDir, TCopyDestination& destination, bool failIfExists);

  // The whole file's bytes and its mode. Raises TFileError when it cannot be read.
  static std::string ReadFileBytes(const std::string& path, mode_t* mode = nullptr);

  // Copies one file through WriteFileBytes (the source file's mode for a new target).
  // Raises TFileError when the source cannot be read or the target cannot be written.
  static void CopyFile(const std::string& source, const std::string& target,
                       const TProtectedPaths& protectedPaths = {});

  // Replaces the entry name of the folder open as folderFd (any descriptor that names a folder,
  // O_PATH included) with a regular file of these bytes: they go to a temporary file in the same
  // folder, renamed over the entry only when complete. A regular file there keeps its mode (and owner
  // where allowed) and is refused when the user may not write it; a folder there raises EISDIR. A new
  // file gets newFileMode less the umask. shown names the file in errors. Links are not followed:
  // the caller has resolved them. Raises TFileError naming shown on any failure, leaving the entry
  // as it was. written, when given, receives what the new file is on disk once in place.
  // A new file is written unnamed and linked under its name only when whole, where the file system allows
  // (else through a temporary name too). existing, when given, is what the caller found at the name just
  // before (st_mode 0: nothing), saving a look.
  static void ReplaceFileAt(int folderFd, const std::string& name, const std::string& shown, const TFileContent& bytes,
                            mode_t newFileMode, struct stat* written = nullptr, const struct stat* existing = nullptr);

  // Refuses (TFileError, EPERM) a target in the folder open as folderFd, named name, that is a
  // protected file or lies inside a protected folder. shown names the target in the message.
  // The folder itself is checked once per snapshot of the protected paths: the next target in the same
  // folder costs one look-up. A folder whose ancestors cannot all be looked at is refused too.
  static void CheckNotProtectedAt(int folderFd, const std::string& name, const std::string& shown,
                                  const TProtectedIdentities& protectedPaths);
  // The same check with what the caller knows: the folder's identity, and what is at the name (nullptr:
  // nothing). Costs no system call for a folder found safe before.
  static void CheckNotProtectedAt(int folderFd, const struct stat& folderInfo, const std::string& name,
                                  const struct stat* target, const std::string& shown,
                                  const TProtectedIdentities& protectedPaths);

  // Refuses (TFileError, EPERM) a folder that is, or once made would lie, inside a protected folder,
  // before anything of it is made: the nearest folder on its path that exists is checked.
  static void CheckFolderNotProtected(const std::string& folder, const TProtectedPaths& protectedPaths);

  // Creates the folder with its parents. A failure raises TFileError naming the
  // folder that could not be created and the real cause (no permission, a file in the way).
  static void CreateFolders(const std::string& folder);
};
