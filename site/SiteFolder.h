#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "site/FileOperate.h"

// A generated site's folder, as one run reads and writes it. The folder's own path is
// resolved once, when it is opened (links on the way to it are the user's choice: a
// projects/<P> or projects/ that is a link to a deploy folder works); every path below it
// is then walked from that folder's descriptor, one name at a time, without following a
// link blindly. A link that stays inside the site is followed; one that leads out of it
// (an absolute path elsewhere, or ".." past the site's folder) raises TFileError, and
// nothing outside the site is read or written. Because every step starts from a descriptor
// and not from a path, a folder swapped for a link while the run goes on cannot send a
// write elsewhere either.
//
// Paths are relative to the site, with forward slashes ("App_Code/DAL/dalBook.cs").
// Errors name the file by its full path (the site's path joined with the relative one).
class TSiteFolder {
 public:
  TSiteFolder(std::string path, const TProtectedPaths& protectedPaths);
  ~TSiteFolder();
  TSiteFolder(const TSiteFolder&) = delete;
  TSiteFolder& operator=(const TSiteFolder&) = delete;

  // Opens the site's folder; with create, makes it first (with its parents) when missing.
  // False when it is not there and not to be made. Raises TFileError when it cannot be
  // made or opened.
  bool Open(bool create);
  bool IsOpen() const { return FRoot >= 0; }
  const std::string& Path() const { return FPath; }
  std::string FullPath(const std::string& relative) const;

  // What is at the path, links inside the site followed (lstat of the final link when
  // followLast is false). False when nothing is there, the site's folder included.
  bool Stat(const std::string& relative, struct stat& info, bool followLast = true);

  // A regular file's bytes (its first limit bytes at the most). Raises TFileError for anything else (a FIFO
  // is never opened for reading, so it cannot hold the run).
  std::string Read(const std::string& relative, std::size_t limit = std::string::npos);
  // The same bytes handed to part a block at a time as they are read (each block valid during the call
  // only): a large file is never held whole.
  void ReadInParts(const std::string& relative, const std::function<void(std::string_view)>& part);

  // Creates the folder (with its parents inside the site).
  void MakeFolders(const std::string& relative);

  // Writes a regular file through a temporary file and a rename (TFileOperate::ReplaceFileAt),
  // its folders created first. A link at the path that stays inside the site is written
  // through and stays; a special file there (FIFO, device) is refused, as are the protected
  // paths. Opens the site's folder, creating it, when that has not been done.
  // written, when given, receives what the file is on disk after the write. Right after Stat of the same
  // path, what Stat found is taken as it is, which saves looking again.
  void Write(const std::string& relative, const TFileContent& bytes, mode_t newFileMode,
             struct stat* written = nullptr);

  // Removes the entry at the path (a link itself, never what it leads to). False when nothing was removed.
  // Raises TFileError as Resolve does for a path that leads out of the site.
  bool Remove(const std::string& relative);

 private:
  struct TResolved {
    int folder = -1;      // descriptor of the folder holding the entry (owned by the cache)
    std::string name;     // the entry's name in it
    std::string path;     // the entry's path inside the site, links resolved
    bool found = false;   // the folders on the way exist (the entry itself may not)
    bool exists = false;  // the entry is there; info is what lstat says of it
    struct stat info {};
  };

  // A descriptor of the regular file at relative, open for reading, and what fstat says of it; raises
  // TFileError as Read does.
  int OpenToRead(const std::string& relative, struct stat& info);

  // Walks to the entry at relative. createFolders makes missing folders on the way; followLast
  // follows a link that is the last part too; wholeIsFolder takes every part as a folder.
  TResolved Resolve(const std::string& relative, bool createFolders, bool followLast, const std::string& action,
                    bool wholeIsFolder = false);
  // The identity of a folder the walk opened, looked up once.
  const struct stat& FolderInfo(int folder, const std::string& shown);
  int FolderAt(const std::string& path) const;
  [[noreturn]] void RaiseOutside(const std::string& action, const std::string& relative, const std::string& link) const;

  const std::string FPath;
  const TProtectedPaths FProtectedPaths;
  TProtectedIdentities FProtected;
  std::string FRealPath;  // the site's folder with every link resolved, for absolute links
  int FRoot = -1;
  // The folder holding the entry at relative when a walk has been there before: its descriptor, and where the
  // entry's name starts in relative. -1 when only a whole walk can tell (the name is "." or "..", say).
  int KnownFolderOf(const std::string& relative, std::size_t& nameAt) const;
  // What lstat says of the entry whose name starts at nameAt in relative, in that folder; false when nothing is
  // there. Raises TFileError for any other failure.
  bool LookIn(int folder, const std::string& relative, std::size_t nameAt, struct stat& info) const;

  std::map<std::string, int, std::less<>> FFolders;  // folders inside the site (links resolved) -> descriptor
  std::map<int, struct stat> FFolderInfo;            // descriptor -> what fstat said of it
  // What the last Stat (links followed) found, for a Write of the same path that follows it.
  std::string FLookedAt;
  TResolved FLook;
};
