#include "site/FileOperate.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <system_error>

#include "text/GbkText.h"

namespace fs = std::filesystem;

namespace {

[[noreturn]] void RaiseFileError(const std::string& what, const std::string& path, int code) {
  throw TFileError(what + "“" + path + "”：" + std::generic_category().message(code), code);
}

// The path with every symbolic link of its last component followed, so that a link
// is written through and stays a link. A dangling link yields the path it points to.
fs::path FollowLinks(fs::path path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::error_code error;
    const fs::path to = fs::read_symlink(path, error);
    if (error) return path;
    path = to.is_absolute() ? to : path.parent_path() / to;
  }
  throw TFileError("无法写入文件“" + path.string() + "”：" + std::generic_category().message(ELOOP), ELOOP);
}

// A descriptor closed when it goes out of scope.
class TFd {
 public:
  explicit TFd(int fd = -1) : FFd(fd) {}
  ~TFd() {
    if (FFd >= 0) ::close(FFd);
  }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  int Get() const { return FFd; }

 private:
  int FFd;
};

TProtectedIdentities::TId IdOf(const struct stat& info) {
  return {info.st_dev, info.st_ino};
}

// Writes every byte to fd; false with errno set on a failure.
bool WriteAll(int fd, std::string_view bytes) {
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t written = TFileWriteCalls::Current().write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  return true;
}

// Thrown by the sink of TFileContent::WriteTo to stop the maker at the first failed write.
struct TWriteStopped {
  int code;
};

}  // namespace

bool TFileContent::WriteTo(int fd) const {
  if (FBytes != nullptr) return WriteAll(fd, *FBytes);
  try {
    (*FMaker)([fd](std::string_view part) {
      if (!WriteAll(fd, part)) throw TWriteStopped{errno};
    });
  } catch (const TWriteStopped& stopped) {
    errno = stopped.code;
    return false;
  }
  return true;
}

std::string TFileContent::Whole() const {
  if (FBytes != nullptr) return *FBytes;
  std::string whole;
  (*FMaker)([&whole](std::string_view part) { whole.append(part); });
  return whole;
}

namespace {

// A name for a temporary file beside name: hidden, unlikely to be taken, different on each call.
std::string TemporaryName(const std::string& name) {
  thread_local std::minstd_rand generator(
      static_cast<unsigned>(static_cast<std::uintptr_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                            (static_cast<std::uintptr_t>(::getpid()) << 16) ^ reinterpret_cast<std::uintptr_t>(&name)));
  static const char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string temporary = "." + name + ".";
  for (int i = 0; i < 6; ++i) temporary += kDigits[generator() % (sizeof kDigits - 1)];
  return temporary;
}

// Writes into a target that is not a regular file (a device, a FIFO) without replacing it.
void WriteThrough(const std::string& shown, const fs::path& target, const std::string& bytes) {
  const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) RaiseFileError("无法写入文件", shown, errno);
  if (!WriteAll(fd, bytes)) {
    const int code = errno;
    ::close(fd);
    RaiseFileError("无法写入文件", shown, code);
  }
  if (::close(fd) != 0) RaiseFileError("无法写入文件", shown, errno);
}

// What stays the same for every level of one folder copy.
struct TCopyWalk {
  TCopyDestination* destination = nullptr;
  fs::path targetRoot;
  // Folders being walked right now, so that a link back to one of them (or a target
  // inside the source) cannot make the copy run forever.
  std::set<fs::path> openFolders;
};

fs::path Canonical(const fs::path& path) {
  std::error_code ignored;
  fs::path result = fs::weakly_canonical(path, ignored);
  return result.empty() ? path : result;
}

std::string Below(const std::string& folder, const std::string& name) {
  return folder.empty() ? name : folder + "/" + name;
}

void CopyTree(TCopyWalk& walk, const fs::path& source, const std::string& target, bool failIfExists) {
  std::error_code error;
  fs::directory_iterator entries(source, error);
  if (error) RaiseFileError("无法读取文件夹", source.string(), error.value());

  walk.destination->MakeFolder(target);
  const fs::path self = Canonical(source);
  walk.openFolders.insert(self);

  for (; entries != fs::directory_iterator(); entries.increment(error)) {
    const fs::directory_entry& entry = *entries;
    const std::string name = entry.path().filename().string();
    std::error_code statusError;
    const fs::file_status status = entry.status(statusError);
    if (status.type() == fs::file_type::not_found) continue;  // a dangling link: nothing to copy
    if (statusError) RaiseFileError("无法读取文件", entry.path().string(), statusError.value());
    if (fs::is_directory(status)) {
      const fs::path child = Canonical(entry.path());
      if (walk.openFolders.count(child) != 0 || child == walk.targetRoot) continue;
      // Below the top folder existing files are always replaced.
      CopyTree(walk, entry.path(), Below(target, name), false);
    } else if (fs::is_regular_file(status)) {
      const std::string file = Below(target, name);
      if (failIfExists && walk.destination->Exists(file)) {
        walk.destination->KeepExisting(file);
        continue;
      }
      walk.destination->PutFile(entry.path().string(), file);
    }
    // Sockets, FIFOs and devices are no part of a site.
  }
  if (error) RaiseFileError("无法读取文件夹", source.string(), error.value());

  walk.openFolders.erase(self);
}

// The plain copy: every folder and file lands under one target folder.
class TFolderDestination : public TCopyDestination {
 public:
  TFolderDestination(fs::path root, const TProtectedPaths& protectedPaths)
      : FRoot(std::move(root)), FProtectedPaths(protectedPaths) {}

  std::string Root() const override { return FRoot.string(); }
  void MakeFolder(const std::string& relative) override { TFileOperate::CreateFolders(Path(relative)); }
  bool Exists(const std::string& relative) override {
    std::error_code ignored;
    return fs::exists(fs::symlink_status(Path(relative), ignored));
  }
  void PutFile(const std::string& source, const std::string& relative) override {
    TFileOperate::CopyFile(source, Path(relative), FProtectedPaths);
  }

 private:
  std::string Path(const std::string& relative) const {
    return relative.empty() ? FRoot.string() : (FRoot / relative).string();
  }

  const fs::path FRoot;
  const TProtectedPaths& FProtectedPaths;
};

}  // namespace

TProtectedPaths TProtectedPaths::Of(const std::string& catalogueFile, const std::string& templateFolder) {
  TProtectedPaths paths;
  paths.files = {catalogueFile, catalogueFile + "-wal", catalogueFile + "-shm", catalogueFile + "-journal"};
  paths.folders = {templateFolder};
  return paths;
}

TFileWriteCalls& TFileWriteCalls::Current() {
  static TFileWriteCalls calls{::write, ::close};
  return calls;
}

TProtectedIdentities TProtectedIdentities::Of(const TProtectedPaths& paths) {
  TProtectedIdentities identities;
  for (const std::string& file : paths.files) {
    struct stat info {};
    if (::stat(file.c_str(), &info) == 0) identities.files.emplace_back(IdOf(info), file);
    const fs::path path(file);
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    if (::stat(folder.c_str(), &info) == 0) identities.names.push_back({IdOf(info), path.filename().string(), file});
  }
  for (const std::string& folder : paths.folders) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) identities.folders.emplace_back(IdOf(info), folder);
  }
  return identities;
}

void TFileOperate::CheckNotProtectedAt(int folderFd, const std::string& name, const std::string& shown,
                                       const TProtectedIdentities& protectedPaths) {
  struct stat folderInfo {};
  if (::fstat(folderFd, &folderInfo) != 0) RaiseFileError("无法写入文件", shown, errno);
  struct stat targetInfo {};
  const bool found = !protectedPaths.files.empty() && ::fstatat(folderFd, name.c_str(), &targetInfo, 0) == 0;
  CheckNotProtectedAt(folderFd, folderInfo, name, found ? &targetInfo : nullptr, shown, protectedPaths);
}

void TFileOperate::CheckNotProtectedAt(int folderFd, const struct stat& folderInfo, const std::string& name,
                                       const struct stat* target, const std::string& shown,
                                       const TProtectedIdentities& protectedPaths) {
  const TProtectedIdentities::TId folder = IdOf(folderInfo);
  for (const TProtectedIdentities::TNamed& file : protectedPaths.names)
    if (file.folder == folder && file.name == name)
      throw TFileError("不能写入“" + shown + "”：它就是目录文件“" + file.shown + "”", EPERM);
  if (target != nullptr) {
    for (const auto& [id, path] : protectedPaths.files)
      if (id == IdOf(*target)) throw TFileError("不能写入“" + shown + "”：它就是目录文件“" + path + "”", EPERM);
  }
  if (protectedPaths.folders.empty()) return;
  // A run writes many files into a few folders: a folder found outside every protected folder is
  // remembered with this snapshot of them, so its ancestors are not walked again for the next file. The
  // answer belongs to the snapshot: another set of protected paths, or the same set looked up again
  // later (when the folder may have been moved into one of them), walks again.
  for (const TProtectedIdentities::TId& safe : protectedPaths.safeFolders)
    if (safe == folder) return;
  // Up from the folder through "..", which is each folder's real parent however it was reached. A
  // level that cannot be opened or looked at fails the write: an unfinished walk proves nothing.
  struct stat info = folderInfo;
  int level = -1;  // the descriptor of the level above folderFd being looked at
  bool atRoot = false;
  for (int depth = 0; !atRoot && depth < 4096; ++depth) {
    for (const auto& [id, path] : protectedPaths.folders)
      if (id == IdOf(info)) {
        if (level >= 0) ::close(level);
        throw TFileError("不能写入“" + shown + "”：它位于模板文件夹“" + path + "”之内", EPERM);
      }
    const int parent = ::openat(level >= 0 ? level : folderFd, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
    int code = parent < 0 ? errno : 0;
    if (level >= 0) ::close(level);
    level = parent;
    struct stat parentInfo {};
    if (level >= 0 && ::fstat(level, &parentInfo) != 0) code = errno;
    if (level < 0 || code != 0) {
      if (level >= 0) ::close(level);
      RaiseFileError("无法写入文件", shown, code);
    }
    atRoot = IdOf(parentInfo) == IdOf(info);  // the root is its own parent
    info = parentInfo;
  }
  if (level >= 0) ::close(level);
  if (!atRoot) RaiseFileError("无法写入文件", shown, ELOOP);
  protectedPaths.safeFolders.push_back(folder);
}

void TFileOperate::CheckFolderNotProtected(const std::string& folder, const TProtectedPaths& protectedPaths) {
  std::error_code error;
  fs::path existing = fs::absolute(folder, error);
  if (error) RaiseFileError("无法创建文件夹", folder, error.value());
  while (!fs::is_directory(existing, error) && existing.has_relative_path()) existing = existing.parent_path();
  const TFd fd(::open(existing.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (fd.Get() < 0) RaiseFileError("无法创建文件夹", folder, errno);
  // No name in the folder is a protected file's: only the folder and its ancestors are looked at.
  CheckNotProtectedAt(fd.Get(), "", folder, TProtectedIdentities::Of(protectedPaths));
}

namespace {

// A file that is not there yet: written as an unnamed file of the folder (O_TMPFILE) and linked under its
// name only when whole, so that neither a full disk nor a killed process leaves part of it, nor a
// temporary name, behind; the link fails rather than replace anything that took the name meanwhile. False,
// with nothing left behind, where that cannot be done (a file system without unnamed files, no /proc, the
// name taken): the caller then writes through a temporary name. Raises TFileError when the bytes cannot
// be written.
bool CreateUnnamedAt(int folderFd, const std::string& name, const std::string& shown, const TFileContent& bytes,
                     mode_t newFileMode, struct stat* written) {
  const int fd = ::openat(folderFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, newFileMode & 07777);
  if (fd < 0) return false;
  int code = 0;
  try {
    if (!bytes.WriteTo(fd)) code = errno;
  } catch (...) {
    // The maker failed: the unnamed file goes with its descriptor.
    TFileWriteCalls::Current().close(fd);
    throw;
  }
  if (code == 0) {
    char self[32];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
    if (::linkat(AT_FDCWD, self, folderFd, name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      code = errno;
      if (code == EEXIST || code == ENOENT || code == EPERM || code == EACCES || code == EXDEV) {
        TFileWriteCalls::Current().close(fd);
        return false;
      }
    }
  }
  // Linked: the new name now holds the whole file; its stamp as the link left it.
  if (code == 0 && written != nullptr && ::fstat(fd, written) != 0) *written = {};
  if (TFileWriteCalls::Current().close(fd) != 0 && code == 0) {
    // The bytes may not have reached the disk after all: the name the file just got goes again.
    code = errno;
    ::unlinkat(folderFd, name.c_str(), 0);
  }
  if (code != 0) RaiseFileError("无法写入文件", shown, code);
  return true;
}

}  // namespace

void TFileOperate::ReplaceFileAt(int folderFd, const std::string& name, const std::string& shown,
                                 const TFileContent& bytes, mode_t newFileMode, struct stat* written,
                                 const struct stat* known) {
  struct stat existing {};
  bool exists = false;
  if (known != nullptr) {
    existing = *known;
    exists = existing.st_mode != 0;
  } else {
    exists = ::fstatat(folderFd, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
  }
  if (exists && S_ISDIR(existing.st_mode)) RaiseFileError("无法写入文件", shown, EISDIR);
  if (!exists && CreateUnnamedAt(folderFd, name, shown, bytes, newFileMode, written)) return;
  // Whatever else is there (a link, a device that appeared since the caller looked) is only a
  // name in this folder: the rename replaces the name and touches nothing it pointed to.
  exists = exists && S_ISREG(existing.st_mode);
  // A file the user may not write stays as it is, as it would with a plain overwrite.
  if (exists && ::faccessat(folderFd, name.c_str(), W_OK, AT_EACCESS) != 0)
    RaiseFileError("无法写入文件", shown, errno);

  std::string temporary;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temporary = TemporaryName(name);
    // A new file is created with its final mode (the kernel takes the umask off); a replacement
    // starts private and takes the mode of the file it replaces.
    fd = ::openat(folderFd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                  exists ? 0600 : newFileMode & 07777);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) RaiseFileError("无法创建文件", shown, errno);
  int code = 0;
  if (exists) {
    // The replacement keeps the owner of the file it replaces where the user may set
    // it; where not, the file was the user's own anyway.
    const int ignored = ::fchown(fd, existing.st_uid, existing.st_gid);
    (void)ignored;
    if (::fchmod(fd, existing.st_mode & 07777) != 0) code = errno;
  }
  try {
    if (code == 0 && !bytes.WriteTo(fd)) code = errno;
  } catch (...) {
    // The maker failed: the temporary file goes, the entry stays as it was.
    TFileWriteCalls::Current().close(fd);
    ::unlinkat(folderFd, temporary.c_str(), 0);
    throw;
  }
  if (TFileWriteCalls::Current().close(fd) != 0 && code == 0) code = errno;
  if (code == 0 && ::renameat(folderFd, temporary.c_str(), folderFd, name.c_str()) != 0) code = errno;
  if (code != 0) {
    ::unlinkat(folderFd, temporary.c_str(), 0);
    RaiseFileError("无法写入文件", shown, code);
  }
  if (written != nullptr && ::fstatat(folderFd, name.c_str(), written, AT_SYMLINK_NOFOLLOW) != 0)
    *written = {};  // unknown: the next run reads the file to compare
}

void TFileOperate::WriteFileBytes(const std::string& path, const TFileContent& bytes,
                                  const TProtectedPaths& protectedPaths, mode_t newFileMode) {
  const fs::path target = FollowLinks(path);
  const fs::path folderPath = target.has_parent_path() ? target.parent_path() : fs::path(".");
  const std::string name = target.filename().string();
  const TFd folder(::open(folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (folder.Get() < 0) RaiseFileError("无法创建文件", path, errno);
  CheckNotProtectedAt(folder.Get(), name, path, TProtectedIdentities::Of(protectedPaths));

  struct stat existing {};
  if (::fstatat(folder.Get(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(existing.st_mode) &&
      !S_ISDIR(existing.st_mode) && !S_ISLNK(existing.st_mode))
    return WriteThrough(path, target, bytes.Whole());
  ReplaceFileAt(folder.Get(), name, path, bytes, newFileMode);
}

void TFileOperate::WriteTextFile(const std::string& dirPath, const std::string& fileName,
                                 const std::string& utf8Content, const TProtectedPaths& protectedPaths) {
  const std::string bytes = GbkBytesOf(fileName, utf8Content);
  CreateFolders(dirPath);
  WriteFileBytes(fileName, bytes, protectedPaths);
}

std::string TFileOperate::GbkBytesOf(const std::string& fileName, const std::string& utf8Content) {
  try {
    return GbkText::FromUtf8(utf8Content);
  } catch (const TGbkEncodingError& error) {
    throw TGbkEncodingError("无法写入文件“" + fileName + "”：" + error.what());
  }
}

void TFileOperate::CreateFolders(const std::string& folder) {
  std::error_code error;
  if (fs::is_directory(folder, error)) return;
  // Create one level at a time, so the error names the level that failed and its real cause.
  fs::path partial;
  for (const fs::path& part : fs::path(folder)) {
    partial /= part;
    if (part.empty() || part == "/" || part == "." || part == "..") continue;
    if (::mkdir(partial.c_str(), 0777) == 0) continue;
    const int code = errno;
    struct stat info {};
    if (code == EEXIST && ::stat(partial.c_str(), &info) == 0) {
      if (S_ISDIR(info.st_mode)) continue;
      RaiseFileError("无法创建文件夹", partial.string(), ENOTDIR);
    }
    RaiseFileError("无法创建文件夹", partial.string(), code);
  }
}

std::string TFileOperate::ReadFileBytes(const std::string& path, mode_t* mode) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) RaiseFileError("无法读取文件", path, errno);
  struct stat info {};
  std::string bytes;
  int code = ::fstat(fd, &info) != 0 ? errno : 0;
  if (code == 0 && S_ISREG(info.st_mode)) bytes.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  while (code == 0) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) code = errno;
    if (got <= 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  if (code != 0) RaiseFileError("无法读取文件", path, code);
  if (mode != nullptr) *mode = info.st_mode & 07777;
  return bytes;
}

void TFileOperate::CopyFile(const std::string& source, const std::string& target,
                            const TProtectedPaths& protectedPaths) {
  mode_t mode = 0;
  const std::string bytes = ReadFileBytes(source, &mode);
  WriteFileBytes(target, bytes, protectedPaths, mode);
}

void TFileOperate::CopyDirectory(const std::string& sourceDir, const std::string& targetDir, bool failIfExists,
                                 const TProtectedPaths& protectedPaths) {
  std::error_code error;
  const fs::path target = fs::absolute(targetDir, error);
  if (error) RaiseFileError("无法创建文件夹", targetDir, error.value());
  TFolderDestination destination(target, protectedPaths);
  CopyDirectory(sourceDir, destination, failIfExists);
}

void TFileOperate::CopyDirectory(const std::string& sourceDir, TCopyDestination& destination, bool failIfExists) {
  // Relative paths are taken against the current directory once, here; from then on
  // the walk uses absolute paths only.
  std::error_code error;
  const fs::path source = fs::absolute(sourceDir, error);
  if (error) RaiseFileError("无法进入文件夹", sourceDir, error.value());
  const fs::file_status status = fs::status(source, error);
  if (!fs::is_directory(status)) {
    const int code = error ? error.value() : status.type() == fs::file_type::not_found ? ENOENT : ENOTDIR;
    RaiseFileError("无法进入文件夹", sourceDir, code);
  }

  TCopyWalk walk;
  walk.destination = &destination;
  walk.targetRoot = Canonical(destination.Root());
  CopyTree(walk, source, "", failIfExists);
}
