#include "site/SiteLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace {

[[noreturn]] void Raise(const std::string& what, const std::string& path, int code) {
  throw TFileError(what + "“" + path + "”：" + std::generic_category().message(code), code);
}

int OpenFolder(const std::string& path) {
  // flock needs a real descriptor: one opened with O_PATH refuses it.
  return ::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

int Flock(int fd, int operation) {
  int result = 0;
  while ((result = ::flock(fd, operation)) != 0 && errno == EINTR) {
  }
  return result;
}

// The folder the sites live in, locked while one operation opens and locks a site in it or removes a site it
// made. Held for a few system calls only, so taking it waits (never long) instead of failing.
class TParentLock {
 public:
  explicit TParentLock(const std::string& path) {
    // A folder removed between its opening and its lock (by an operation that made it and found it empty
    // again) is opened afresh.
    for (int attempt = 0; attempt < 8; ++attempt) {
      FFd = OpenFolder(path);
      if (FFd < 0) {
        FError = errno;
        return;
      }
      struct stat info {};
      // A file system without locks has no other operation to wait for either.
      Flock(FFd, LOCK_EX);
      if (::fstat(FFd, &info) != 0 || info.st_nlink > 0) return;
      ::close(FFd);
      FFd = -1;
    }
    FError = ENOENT;
  }
  ~TParentLock() {
    if (FFd >= 0) ::close(FFd);
  }
  TParentLock(const TParentLock&) = delete;
  TParentLock& operator=(const TParentLock&) = delete;

  bool Held() const { return FFd >= 0; }
  int Error() const { return FError; }

 private:
  int FFd = -1;
  int FError = 0;
};

}  // namespace

namespace SiteTexts {

std::string Busy(const std::string& shownSite) {
  return "网站文件夹“" + shownSite + "”正由另一次生成或升级使用，请稍后再试。";
}

}  // namespace SiteTexts

TSiteBusyError::TSiteBusyError(const std::string& shownSite) : TFileError(SiteTexts::Busy(shownSite), EWOULDBLOCK) {}

TSiteLock::TSiteLock(const TGenerationTarget& target, TSiteUse use)
    : FParent(SitesFolderOf(target)),
      FSite(SiteFolderOf(target)) {
  const bool write = use == TSiteUse::Write;
  struct stat info {};
  if (write && ::stat(FParent.c_str(), &info) != 0 && errno == ENOENT) {
    TFileOperate::CreateFolders(FParent);
    FCreatedParent = true;
  }
  TParentLock parent(FParent);
  if (!parent.Held()) {
    // No sites at all: a reader has nothing to share.
    if (!write && parent.Error() == ENOENT) return;
    // A folder that may be passed but not listed cannot be locked; the site in it works as it always has.
    if (parent.Error() != EACCES) Raise("无法进入文件夹", FParent, parent.Error());
  }
  int fd = OpenFolder(FSite);
  if (fd < 0 && errno == ENOENT) {
    if (!write) return;
    // Made here, under the parent's lock, so no other operation can lock it first.
    if (::mkdir(FSite.c_str(), 0777) == 0)
      FCreated = true;
    else if (errno != EEXIST)
      Raise("无法创建文件夹", FSite, errno);
    fd = OpenFolder(FSite);
  }
  if (fd < 0 && errno == EACCES) return;
  if (fd < 0) Raise("无法进入文件夹", FSite, errno);
  if (Flock(fd, (write ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    ::close(fd);
    throw TSiteBusyError(ShownSiteOf(target));
  }
  // Any other failure means a file system without locks: the site works there as it always has.
  FFolder = fd;
}

TSiteLock::~TSiteLock() {
  if (FFolder < 0) return;
  if (FCreated) {
    // Under the parent's lock, so that no operation opens the folder as it goes; only an empty one goes.
    TParentLock parent(FParent);
    if (::rmdir(FSite.c_str()) == 0 && FCreatedParent) ::rmdir(FParent.c_str());
  }
  ::close(FFolder);
}
