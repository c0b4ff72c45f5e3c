#include "generation/FileOperate.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <system_error>

#include "generation/GbkText.h"

namespace fs = std::filesystem;

namespace {

[[noreturn]] void RaiseFileError(const std::string& what, const std::string& path, int code) {
  throw TFileError(what + "“" + path + "”：" + std::generic_category().message(code), code);
}

// What stays the same for every level of one folder copy.
struct TCopyWalk {
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

bool CopyTree(TCopyWalk& walk, const fs::path& source, const fs::path& target, bool failIfExists) {
  std::error_code error;
  fs::directory_iterator entries(source, error);
  if (error) return false;

  fs::create_directories(target, error);
  const fs::path self = Canonical(source);
  walk.openFolders.insert(self);

  for (; entries != fs::directory_iterator(); entries.increment(error)) {
    const fs::directory_entry& entry = *entries;
    const fs::path name = entry.path().filename();
    std::error_code ignored;
    if (entry.is_directory(ignored)) {
      const fs::path child = Canonical(entry.path());
      if (walk.openFolders.count(child) != 0 || child == walk.targetRoot) continue;
      fs::create_directories(target / name, ignored);
      // Below the top folder existing files are always replaced.
      CopyTree(walk, entry.path(), target / name, false);
    } else {
      const auto option = failIfExists ? fs::copy_options::skip_existing : fs::copy_options::overwrite_existing;
      fs::copy_file(entry.path(), target / name, option, ignored);
    }
  }
  // A listing that breaks off part-way ends the walk of this folder like its last entry.

  walk.openFolders.erase(self);
  return true;
}

}  // namespace

void TFileOperate::WriteTextFile(const std::string& dirPath, const std::string& fileName,
                                 const std::string& utf8Content) {
  // Encode before anything touches the disk, so a text GBK cannot hold leaves the
  // existing file exactly as it was.
  std::string bytes;
  try {
    bytes = GbkText::FromUtf8(utf8Content);
  } catch (const TGbkEncodingError& error) {
    throw TGbkEncodingError("无法写入文件“" + fileName + "”：" + error.what());
  }

  std::error_code ignored;
  fs::create_directories(dirPath, ignored);

  const int fd = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) RaiseFileError("无法创建文件", fileName, errno);

  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t written = ::write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      const int code = errno;
      ::close(fd);
      RaiseFileError("无法写入文件", fileName, code);
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  if (::close(fd) != 0) RaiseFileError("无法写入文件", fileName, errno);
}

bool TFileOperate::CopyDirectory(const std::string& sourceDir, const std::string& targetDir, bool failIfExists) {
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
  const fs::path target = fs::absolute(targetDir, error);
  if (error) RaiseFileError("无法创建文件夹", targetDir, error.value());

  TCopyWalk walk;
  walk.targetRoot = Canonical(target);
  return CopyTree(walk, source, target, failIfExists);
}
