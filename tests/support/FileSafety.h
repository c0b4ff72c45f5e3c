#pragma once

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/RunProgram.h"

// Every file, folder and link below the folder, as paths relative to it (links are
// listed, never followed).
inline void ListTreeInto(const std::filesystem::path& root, const std::filesystem::path& folder,
                         std::set<std::string>& entries) {
  std::error_code ignored;
  for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(folder, ignored)) {
    entries.insert(entry.path().lexically_relative(root).string());
    if (entry.symlink_status(ignored).type() == std::filesystem::file_type::directory)
      ListTreeInto(root, entry.path(), entries);
  }
}

inline std::set<std::string> ListTree(const std::string& folder) {
  std::set<std::string> entries;
  ListTreeInto(folder, folder, entries);
  return entries;
}

// The user the permission cases run as: root reads and writes everything, so as root
// they run as nobody (65534) instead of being skipped.
constexpr uid_t kUnprivilegedId = 65534;

inline bool IsRoot() {
  return ::geteuid() == 0;
}

// Runs the command line as an unprivileged user: through setpriv when the tests run
// as root, directly otherwise. Redirections are made by the (root) shell.
inline TProgramResult RunCliUnprivileged(const std::vector<std::string>& args, const std::string& scratchFolder) {
  if (!IsRoot()) return RunProgram(CliPath(), args, scratchFolder);
  std::vector<std::string> all = {"--reuid=65534", "--regid=65534", "--clear-groups", CliPath()};
  all.insert(all.end(), args.begin(), args.end());
  return RunProgram("setpriv", all, scratchFolder);
}

// Within its scope the test process acts as nobody for file access (root only;
// otherwise it already is unprivileged). The tests are single-threaded while it lives.
class TUnprivilegedScope {
 public:
  TUnprivilegedScope() {
    if (!IsRoot()) return;
    if (::setegid(kUnprivilegedId) != 0 || ::seteuid(kUnprivilegedId) != 0)
      throw std::runtime_error("cannot drop privileges");
    FDropped = true;
  }
  ~TUnprivilegedScope() {
    if (!FDropped) return;
    if (::seteuid(0) != 0 || ::setegid(0) != 0) std::terminate();
  }
  TUnprivilegedScope(const TUnprivilegedScope&) = delete;
  TUnprivilegedScope& operator=(const TUnprivilegedScope&) = delete;

 private:
  bool FDropped = false;
};

// Lets the unprivileged user reach (and, with write, change) the folder.
inline void OpenToEveryone(const std::string& path, bool write) {
  ::chmod(path.c_str(), write ? 0777 : 0755);
}

// A small tmpfs mounted on a folder for disk-full cases; Mounted() is false where
// mounting is not allowed, and the test should skip.
class TSmallDisk {
 public:
  TSmallDisk(const std::string& folder, const std::string& size) : FFolder(folder) {
    std::filesystem::create_directories(folder);
    const std::string options = "size=" + size + ",mode=0777";
    FMounted = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
  }
  ~TSmallDisk() {
    if (FMounted) ::umount2(FFolder.c_str(), MNT_DETACH);
  }
  TSmallDisk(const TSmallDisk&) = delete;
  TSmallDisk& operator=(const TSmallDisk&) = delete;

  bool Mounted() const { return FMounted; }

  // Fills the rest of the disk with one file, so that the next write fails with ENOSPC.
  void Fill() const {
    const std::string filler = FFolder + "/filler";
    FILE* file = std::fopen(filler.c_str(), "wb");
    if (file == nullptr) return;
    const std::string block(4096, 'f');
    while (std::fwrite(block.data(), 1, block.size(), file) == block.size() && std::fflush(file) == 0) {
    }
    std::fclose(file);
    // Any bytes still free (less than a block) go too.
    file = std::fopen((filler + "2").c_str(), "wb");
    if (file != nullptr) {
      while (std::fputc('f', file) != EOF && std::fflush(file) == 0) {
      }
      std::fclose(file);
    }
  }

 private:
  std::string FFolder;
  bool FMounted = false;
};
