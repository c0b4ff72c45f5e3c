#include "site/SiteFolder.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <deque>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

[[noreturn]] void RaiseFileError(const std::string& what, const std::string& path, int code) {
  throw TFileError(what + "“" + path + "”：" + std::generic_category().message(code), code);
}

// The parts of a relative path, empty parts (doubled or trailing slashes) left out.
std::deque<std::string> PartsOf(const std::string& path) {
  std::deque<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    if (slash > start) parts.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  return parts;
}

std::string Below(const std::string& folder, const std::string& name) {
  return folder.empty() ? name : folder + "/" + name;
}

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The text of the link name in the folder; empty when it cannot be read.
std::string LinkText(int folder, const std::string& name) {
  std::string text(256, '\0');
  for (;;) {
    const ssize_t length = ::readlinkat(folder, name.c_str(), text.data(), text.size());
    if (length < 0) return std::string();
    if (static_cast<std::size_t>(length) < text.size()) {
      text.resize(static_cast<std::size_t>(length));
      return text;
    }
    text.resize(text.size() * 2);
  }
}

// Links followed on the way to one entry before the walk gives up, as the kernel does.
constexpr int kMaxLinks = 40;

}  // namespace

TSiteFolder::TSiteFolder(std::string path, const TProtectedPaths& protectedPaths)
    : FPath(std::move(path)), FProtectedPaths(protectedPaths) {}

TSiteFolder::~TSiteFolder() {
  for (const auto& [path, fd] : FFolders) ::close(fd);
}

std::string TSiteFolder::FullPath(const std::string& relative) const {
  return relative.empty() ? FPath : FPath + "/" + relative;
}

bool TSiteFolder::Open(bool create) {
  if (FRoot >= 0) return true;
  if (create) TFileOperate::CreateFolders(FPath);
  const int fd = ::open(FPath.empty() ? "." : FPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT && !create) return false;
    RaiseFileError("无法进入文件夹", FPath, errno);
  }
  FRoot = fd;
  FFolders[""] = fd;
  // Where the descriptor really is, so that an absolute link into the site is known as one.
  char real[PATH_MAX];
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  const ssize_t length = ::readlink(self.c_str(), real, sizeof real - 1);
  if (length > 0) {
    FRealPath.assign(real, static_cast<std::size_t>(length));
  } else if (::realpath(FPath.c_str(), real) != nullptr) {
    FRealPath = real;
  }
  FProtected = TProtectedIdentities::Of(FProtectedPaths);
  return true;
}

int TSiteFolder::FolderAt(const std::string& path) const {
  return FFolders.at(path);
}

void TSiteFolder::RaiseOutside(const std::string& action, const std::string& relative, const std::string& link) const {
  if (link.empty())
    throw TFileError("不能" + action + "“" + FullPath(relative) + "”：它不在网站文件夹“" + FPath + "”之内", EXDEV);
  throw TFileError("不能" + action + "“" + FullPath(relative) + "”：其中的链接“" + FullPath(link) + "”指向网站文件夹“" +
                       FPath + "”之外",
                   EXDEV);
}

TSiteFolder::TResolved TSiteFolder::Resolve(const std::string& relative, bool createFolders, bool followLast,
                                            const std::string& action, bool wholeIsFolder) {
  // The common case: a file in a folder walked before, its name no link to follow.
  std::size_t nameAt = 0;
  const int known = wholeIsFolder ? -1 : KnownFolderOf(relative, nameAt);
  if (known >= 0) {
    struct stat info {};
    if (!LookIn(known, relative, nameAt, info)) return {known, relative.substr(nameAt), relative, true, false, {}};
    if (!S_ISLNK(info.st_mode) || !followLast) return {known, relative.substr(nameAt), relative, true, true, info};
  }
  std::deque<std::string> pending = PartsOf(relative);
  std::string at;  // the folder reached so far, inside the site, without links
  std::string lastLink;
  int links = 0;
  while (!pending.empty()) {
    const std::string part = pending.front();
    pending.pop_front();
    if (part == ".") continue;
    if (part == "..") {
      if (at.empty()) RaiseOutside(action, relative, lastLink);
      at = ParentOf(at);
      continue;
    }
    const bool last = pending.empty() && !wholeIsFolder;
    const std::string child = Below(at, part);
    if (!last && FFolders.count(child) != 0) {
      at = child;
      continue;
    }
    const int folder = FolderAt(at);
    struct stat info {};
    if (::fstatat(folder, part.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno != ENOENT) RaiseFileError("无法读取文件", FullPath(child), errno);
      if (last) return {folder, part, child, true, false, {}};
      if (!createFolders) return {-1, part, child, false};
      if (::mkdirat(folder, part.c_str(), 0777) != 0 && errno != EEXIST)
        RaiseFileError("无法创建文件夹", FullPath(child), errno);
      pending.push_front(part);  // and look again at what is there now
      continue;
    }
    if (S_ISLNK(info.st_mode) && (!last || followLast)) {
      if (++links > kMaxLinks) RaiseFileError("无法读取文件", FullPath(relative), ELOOP);
      std::string target = LinkText(folder, part);
      if (target.empty()) RaiseFileError("无法读取文件", FullPath(child), errno != 0 ? errno : EINVAL);
      lastLink = child;
      if (target[0] == '/') {
        // An absolute link is inside the site only when it names the site's own folder or below.
        if (FRealPath.empty() || target.compare(0, FRealPath.size(), FRealPath) != 0 ||
            (target.size() > FRealPath.size() && target[FRealPath.size()] != '/'))
          RaiseOutside(action, relative, lastLink);
        target.erase(0, FRealPath.size());
        at.clear();
      }
      std::deque<std::string> parts = PartsOf(target);
      pending.insert(pending.begin(), parts.begin(), parts.end());
      continue;
    }
    if (last) return {folder, part, child, true, true, info};
    if (!S_ISDIR(info.st_mode)) RaiseFileError("无法创建文件夹", FullPath(child), ENOTDIR);
    const int fd = ::openat(folder, part.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
      // Swapped for a link or a file since it was looked at: look again.
      if ((errno == ELOOP || errno == ENOTDIR || errno == ENOENT) && ++links <= kMaxLinks) {
        pending.push_front(part);
        continue;
      }
      RaiseFileError("无法进入文件夹", FullPath(child), errno);
    }
    FFolders[child] = fd;
    at = child;
  }
  return {FolderAt(at), std::string(), at, true, false, {}};
}

int TSiteFolder::KnownFolderOf(const std::string& relative, std::size_t& nameAt) const {
  const std::size_t slash = relative.rfind('/');
  if (slash == std::string::npos || slash + 1 == relative.size()) return -1;
  const std::string_view path(relative);
  const std::string_view name = path.substr(slash + 1);
  if (name == "." || name == "..") return -1;
  const auto known = FFolders.find(path.substr(0, slash));
  if (known == FFolders.end()) return -1;
  nameAt = slash + 1;
  return known->second;
}

bool TSiteFolder::LookIn(int folder, const std::string& relative, std::size_t nameAt, struct stat& info) const {
  if (::fstatat(folder, relative.c_str() + nameAt, &info, AT_SYMLINK_NOFOLLOW) == 0) return true;
  if (errno != ENOENT) RaiseFileError("无法读取文件", FullPath(relative), errno);
  return false;
}

bool TSiteFolder::Stat(const std::string& relative, struct stat& info, bool followLast) {
  if (!IsOpen()) return false;
  // A look at a link itself keeps nothing for a write: in a folder walked before it is one system call.
  std::size_t nameAt = 0;
  const int known = followLast ? -1 : KnownFolderOf(relative, nameAt);
  if (known >= 0) {
    FLookedAt.clear();
    return LookIn(known, relative, nameAt, info);
  }
  TResolved entry = Resolve(relative, false, followLast, "读取");
  FLookedAt.clear();
  if (!entry.found) return false;
  if (entry.name.empty()) return ::fstat(entry.folder, &info) == 0;
  // The walk looked at the entry already.
  if (entry.exists) info = entry.info;
  const bool exists = entry.exists;
  if (followLast) {
    FLookedAt = relative;
    FLook = std::move(entry);
  }
  return exists;
}

int TSiteFolder::OpenToRead(const std::string& relative, struct stat& info) {
  if (!IsOpen()) RaiseFileError("无法读取文件", FullPath(relative), ENOENT);
  const TResolved entry = Resolve(relative, false, true, "读取");
  if (!entry.found) RaiseFileError("无法读取文件", FullPath(relative), ENOENT);
  if (entry.name.empty()) RaiseFileError("无法读取文件", FullPath(relative), EISDIR);
  // Never blocks: a FIFO opens at once and is refused below, unread.
  const int fd = ::openat(entry.folder, entry.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) RaiseFileError("无法读取文件", FullPath(relative), errno);
  const int code = ::fstat(fd, &info) != 0 ? errno : 0;
  if (code != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    if (code != 0) RaiseFileError("无法读取文件", FullPath(relative), code);
    throw TFileError("无法读取文件“" + FullPath(relative) + "”：它不是普通文件", EINVAL);
  }
  return fd;
}

void TSiteFolder::ReadInParts(const std::string& relative, const std::function<void(std::string_view)>& part) {
  struct stat info {};
  const int fd = OpenToRead(relative, info);
  // One block, used again for each part: its pages are touched once, however large the file.
  char block[65536];
  int code = 0;
  try {
    for (;;) {
      const ssize_t n = ::read(fd, block, sizeof block);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) code = errno;
      if (n <= 0) break;
      part(std::string_view(block, static_cast<std::size_t>(n)));
    }
  } catch (...) {
    ::close(fd);
    throw;
  }
  ::close(fd);
  if (code != 0) RaiseFileError("无法读取文件", FullPath(relative), code);
}

std::string TSiteFolder::Read(const std::string& relative, std::size_t limit) {
  struct stat info {};
  const int fd = OpenToRead(relative, info);
  int code = 0;
  // The size the file has now, then whatever it grew by since (read in steps, never cleared ahead).
  std::string bytes;
  bytes.resize(std::min(static_cast<std::size_t>(info.st_size), limit));
  std::size_t got = 0;
  char more[16384];
  while (code == 0 && got < limit) {
    const bool inPlace = got < bytes.size();
    const ssize_t n = inPlace ? ::read(fd, &bytes[got], bytes.size() - got) : ::read(fd, more, sizeof more);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) code = errno;
    if (n <= 0) break;
    if (!inPlace) bytes.append(more, static_cast<std::size_t>(n));
    got += static_cast<std::size_t>(n);
  }
  got = std::min(got, limit);
  ::close(fd);
  if (code != 0) RaiseFileError("无法读取文件", FullPath(relative), code);
  bytes.resize(got);
  return bytes;
}

void TSiteFolder::MakeFolders(const std::string& relative) {
  Open(true);
  Resolve(relative, true, true, "写入", true);
}

bool TSiteFolder::Remove(const std::string& relative) {
  if (!IsOpen()) return false;
  FLookedAt.clear();  // what Stat found there goes
  const TResolved entry = Resolve(relative, false, false, "删除");
  return entry.found && !entry.name.empty() && ::unlinkat(entry.folder, entry.name.c_str(), 0) == 0;
}

const struct stat& TSiteFolder::FolderInfo(int folder, const std::string& shown) {
  const auto known = FFolderInfo.find(folder);
  if (known != FFolderInfo.end()) return known->second;
  struct stat info {};
  if (::fstat(folder, &info) != 0) RaiseFileError("无法写入文件", shown, errno);
  return FFolderInfo[folder] = info;
}

void TSiteFolder::Write(const std::string& relative, const TFileContent& bytes, mode_t newFileMode,
                        struct stat* written) {
  Open(true);
  const std::string shown = FullPath(relative);
  // What Stat just found, when it looked at this path; the rename of the write is atomic all the same.
  const TResolved entry = !FLookedAt.empty() && FLookedAt == relative ? FLook : Resolve(relative, true, true, "写入");
  FLookedAt.clear();
  if (entry.name.empty()) RaiseFileError("无法写入文件", shown, EISDIR);
  TFileOperate::CheckNotProtectedAt(entry.folder, FolderInfo(entry.folder, shown), entry.name,
                                    entry.exists ? &entry.info : nullptr, shown, FProtected);
  if (entry.exists && !S_ISREG(entry.info.st_mode) && !S_ISDIR(entry.info.st_mode) && !S_ISLNK(entry.info.st_mode))
    throw TFileError("无法写入文件“" + shown + "”：它不是普通文件", EINVAL);
  struct stat existing {};
  if (entry.exists) existing = entry.info;
  TFileOperate::ReplaceFileAt(entry.folder, entry.name, shown, bytes, newFileMode, written, &existing);
}
