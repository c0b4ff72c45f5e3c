#include "site/SiteWriter.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <set>
#include <string_view>
#include <system_error>

#include "catalogue/DbHelper.h"
#include "text/Sha256.h"

namespace fs = std::filesystem;

namespace {

// Tells whether keys asked in ascending order are in a map, in one walk over it: the end of a run asks this
// of every file of the record, which a look-up each would make a search each.
template <class TValue>
class TAscendingLookup {
 public:
  explicit TAscendingLookup(const std::map<std::string, TValue>& sorted) : FAt(sorted.begin()), FEnd(sorted.end()) {}
  bool Has(const std::string& key) {
    while (FAt != FEnd && FAt->first < key) ++FAt;
    return FAt != FEnd && FAt->first == key;
  }

 private:
  typename std::map<std::string, TValue>::const_iterator FAt;
  typename std::map<std::string, TValue>::const_iterator FEnd;
};

std::int64_t Nanoseconds(const struct timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

TFileStamp StampOf(const struct stat& info) {
  TFileStamp stamp;
  stamp.size = static_cast<std::int64_t>(info.st_size);
  stamp.modified = Nanoseconds(info.st_mtim);
  stamp.changed = Nanoseconds(info.st_ctim);
  stamp.inode = static_cast<std::uint64_t>(info.st_ino);
  return stamp;
}

std::string TemplateFolderOf(const TGenerationTarget& target) {
  if (!target.templateFolder.empty()) return target.templateFolder;
  return target.programFolder.empty() ? std::string("bak") : target.programFolder + "/bak";
}

}  // namespace

std::optional<TCatalogueStamp> SettledCatalogueStamp(const std::string& catalogueFile) {
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const std::int64_t settledBefore = Nanoseconds(now) - 2000000000;
  struct stat file {};
  if (::stat(catalogueFile.c_str(), &file) != 0 || !S_ISREG(file.st_mode)) return std::nullopt;
  TCatalogueStamp stamp;
  stamp.device = static_cast<std::uint64_t>(file.st_dev);
  stamp.file = StampOf(file);
  // A log that holds nothing holds no change either: it is the same as none (each connection of the program
  // keeps an empty one open, and removes it when the catalogue's last connection closes).
  struct stat log {};
  if (::stat((catalogueFile + "-wal").c_str(), &log) == 0) {
    if (!S_ISREG(log.st_mode)) return std::nullopt;
    if (log.st_size > 0) stamp.log = StampOf(log);
  } else if (errno != ENOENT) {
    return std::nullopt;
  }
  if (stamp.file.modified > settledBefore || stamp.log.modified > settledBefore) return std::nullopt;
  return stamp;
}

const char* SiteFileStateName(TSiteFileState state) {
  switch (state) {
    case TSiteFileState::New:
      return "new";
    case TSiteFileState::Changed:
      return "changed";
    case TSiteFileState::Unchanged:
      return "unchanged";
    case TSiteFileState::Edited:
      return "edited";
    case TSiteFileState::LeftOver:
      break;
  }
  return "left-over";
}

int TSiteReport::Count(TSiteFileState state) const {
  int count = 0;
  for (const TSiteFile& file : files) count += file.state == state ? 1 : 0;
  return count;
}

namespace SiteVersionPaths {

namespace {
std::string Numbered(int number, const char* extension) {
  std::string digits = std::to_string(number);
  if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
  return std::string(kFolder) + "/" + digits + extension;
}
}  // namespace

std::string Model(int number) {
  return Numbered(number, ".json");
}

std::string Script(int number) {
  return Numbered(number, ".sql");
}

bool IsVersionFile(const std::string& relative) {
  // Asked of every file of the record at the end of each run: no string is made for it.
  constexpr std::string_view kPrefix = "App_Data/upgrades/";
  static_assert(kPrefix.substr(0, kPrefix.size() - 1) == std::string_view(kFolder), "the folder and a slash");
  return std::string_view(relative).substr(0, kPrefix.size()) == kPrefix;
}

}  // namespace SiteVersionPaths

namespace SiteTexts {

std::string KeptEdit(const std::string& shownPath) {
  const std::size_t slash = shownPath.rfind('/');
  const std::string name = slash == std::string::npos ? shownPath : shownPath.substr(slash + 1);
  return shownPath + "在上次生成后被手工修改，保留原文件，新内容写入" + name + ".new";
}

std::string KeptEdits(const std::vector<std::string>& shownPaths) {
  std::string text = "以下文件在上次生成后被手工修改，已保留原样，新内容写在同一文件夹的同名.new文件中:";
  for (const std::string& path : shownPaths) text += "\n" + path;
  return text;
}

}  // namespace SiteTexts

// Hands the template's folders and files to the writer, below one folder of the site.
class TSiteWriter::TTemplateCopy : public TCopyDestination {
 public:
  TTemplateCopy(TSiteWriter& site, std::string folder, const TProgressCallback& progress)
      : FSite(site), FFolder(std::move(folder)), FProgress(progress) {}

  std::string Root() const override { return FSite.FullPath(FFolder); }
  void MakeFolder(const std::string& relative) override {
    if (!FSite.FOptions.dryRun) {
      FSite.FFolder.MakeFolders(Path(relative));
      return;
    }
    struct stat info {};
    if (!FSite.FFolder.Stat(Path(relative), info) || !S_ISDIR(info.st_mode)) FSite.FWouldMakeFolder = true;
  }
  bool Exists(const std::string& relative) override {
    const std::string path = Path(relative);
    return FSite.Seen(path) || FSite.OnDisk(path);
  }
  void KeepExisting(const std::string& relative) override {
    const std::string path = Path(relative);
    // A file this run wrote itself (the generated admin home) keeps the record of what it wrote; only a
    // file the run left as it was takes its record over from the last run.
    if (!FSite.Saw(path, FSite.Recorded(path))) return;
    FSite.CarryOver(path);
  }
  void PutFile(const std::string& source, const std::string& relative) override {
    FSite.CopyFile(source, Path(relative), FProgress);
  }

 private:
  std::string Path(const std::string& relative) const { return relative.empty() ? FFolder : FFolder + "/" + relative; }

  TSiteWriter& FSite;
  const std::string FFolder;
  const TProgressCallback& FProgress;
};

TSiteWriter::TSiteWriter(const TGenerationTarget& target, TSiteOptions options)
    : TSiteWriter(target, options, nullptr) {}

TSiteWriter::TSiteWriter(const TGenerationTarget& target, TSiteOptions options, const TSiteLock& lock)
    : TSiteWriter(target, options, &lock) {}

TSiteWriter::~TSiteWriter() = default;

TSiteWriter::TSiteWriter(const TGenerationTarget& target, TSiteOptions options, const TSiteLock* lock)
    : FOwnLock(lock != nullptr
                   ? nullptr
                   : std::make_unique<TSiteLock>(target, options.dryRun ? TSiteUse::Read : TSiteUse::Write)),
      FProjectName(target.projectName),
      FSite(SiteFolderOf(target)),
      FShownSite(ShownSiteOf(target)),
      FProtected(TProtectedPaths::Of(TDbHelper::CatalogueFile(), TemplateFolderOf(target))),
      FOptions(options),
      FFolder(FSite, FProtected) {
  FNext.projectName = FProjectName;
  FReport.siteName = FShownSite;
  // The site's folder is resolved here, once, for the whole run. The lock of a run that writes makes the
  // folder when it is not there yet, and says so.
  if (lock == nullptr) lock = FOwnLock.get();
  FCreatesSite = !FFolder.Open(false) || lock->Created();
  ReadManifest();
}

std::string TSiteWriter::FullPath(const std::string& relative) const {
  return relative.empty() ? FSite : FSite + "/" + relative;
}

std::string TSiteWriter::Shown(const std::string& relative) const {
  // Built in one piece, with room for the words a progress line adds after it: a run shows thousands.
  std::string shown;
  shown.reserve(FShownSite.size() + 1 + relative.size() + 32);
  shown += FShownSite;
  shown += '/';
  shown += relative;
  return shown;
}

std::size_t TSiteWriter::Recorded(std::string_view relative) const {
  const auto at = std::lower_bound(FLastFiles.begin(), FLastFiles.end(), relative,
                                   [](const TLastFile& file, std::string_view path) { return *file.path < path; });
  return at != FLastFiles.end() && *at->path == relative ? static_cast<std::size_t>(at - FLastFiles.begin())
                                                         : kNotRecorded;
}

bool TSiteWriter::Saw(const std::string& relative, std::size_t last) {
  if (last != kNotRecorded) {
    if (FLastFiles[last].seen) return false;
    FLastFiles[last].seen = true;
    return true;
  }
  if (FSeen.count(relative) != 0) return false;
  FSeen.insert(FSeenNames.emplace_back(relative));
  return true;
}

bool TSiteWriter::Seen(const std::string& relative) const {
  const std::size_t last = Recorded(relative);
  return last != kNotRecorded ? FLastFiles[last].seen : FSeen.count(relative) != 0;
}

bool TSiteWriter::OnDisk(const std::string& relative) {
  struct stat info {};
  return FFolder.Stat(relative, info, false);
}

// A regular file's bytes. False when nothing is there; readable is false when something is
// there that cannot be compared (no permission, a folder, a device or FIFO that must not be read).
bool TSiteWriter::ReadExisting(const std::string& relative, std::string& bytes, bool& readable) {
  readable = false;
  struct stat info {};
  // Nothing there (a dangling link inside the site included: the write creates the file it points to).
  if (!FFolder.Stat(relative, info)) return false;
  if (!S_ISREG(info.st_mode)) return true;
  try {
    bytes = FFolder.Read(relative);
    readable = true;
  } catch (const TFileError&) {
    // Left to the write, which names the file and the reason when it fails too.
  }
  return true;
}

void TSiteWriter::ReadManifest() {
  const std::string shown = "“" + Shown(TSiteManifest::kPath) + "”";
  std::string reason;
  try {
    struct stat info {};
    if (!FFolder.Stat(TSiteManifest::kPath, info)) {
      // A site that is not there yet has no earlier run to speak of.
      if (!FCreatesSite) FReport.freshStart = "没有找到上次生成的记录" + shown + "，本次从头开始。";
      return;
    }
    FRecordTime = info.st_mtim;
    // Read refuses anything but a regular file (a FIFO there would hold the run forever). The record is read a
    // block at a time: a site of thousands of files has one of hundreds of kilobytes.
    TSiteManifest::TReader record(FLast);
    FFolder.ReadInParts(TSiteManifest::kPath, [&record](std::string_view part) { record.Feed(part); });
    if (!record.Finish())
      reason = record.Error();
    else if (FLast.projectName != FProjectName)
      reason = "属于工程“" + FLast.projectName + "”";
  } catch (const TFileError& error) {
    reason = error.what();
  }
  if (reason.empty()) {
    FHaveLast = true;
    // A run comes to about as many files as the last one did.
    FReport.files.reserve(FLast.files.size());
    FLastFiles.reserve(FLast.files.size());
    for (const auto& [path, file] : FLast.files) FLastFiles.push_back({&path, &file, false});
    return;
  }
  FLast = TSiteManifest();
  FReport.freshStart = "上次生成的记录" + shown + "无法使用(" + reason + ")，本次从头开始。";
}

bool TSiteWriter::AsRecorded(const TFileFacts& facts, const struct stat& info) const {
  if (!facts.stamped || !S_ISREG(info.st_mode)) return false;
  const TFileStamp& stamp = facts.stamp;
  const std::int64_t recordTime = Nanoseconds(FRecordTime);
  return stamp.modified < recordTime && stamp.changed < recordTime && StampOf(info) == stamp;
}

void TSiteWriter::CarryOver(const std::string& relative) {
  const auto last = FLast.files.find(relative);
  if (last == FLast.files.end()) return;
  TFileRecord& carried = FNext.files[relative];
  carried = last->second;
  // What the file was made from counts only against the shared inputs it was made with.
  if (FLast.inputs != FInputs) carried.facts.made = false;
}

const std::string& TSiteWriter::InputsAsRecorded() {
  static const std::string asRecorded = "as recorded";
  return asRecorded;
}

void TSiteWriter::SetCatalogueStamp(const std::optional<TCatalogueStamp>& stamp) {
  FNext.catalogue = stamp;
  FCatalogueGiven = true;
}

std::optional<TCatalogueStamp> TSiteWriter::RecordedCatalogue(const TGenerationTarget& target) {
  TSiteFolder folder(SiteFolderOf(target), TProtectedPaths::Of(TDbHelper::CatalogueFile(), TemplateFolderOf(target)));
  TSiteManifest record;
  std::string error;
  try {
    struct stat info {};
    if (!folder.Open(false) || !folder.Stat(TSiteManifest::kPath, info)) return std::nullopt;
    // The header's lines are a few hundred bytes; the lines after them do not count.
    std::string head = folder.Read(TSiteManifest::kPath, 4096);
    head.resize(head.rfind('\n') + 1);
    if (!TSiteManifest::ParseHeader(head, record, error) || record.projectName != target.projectName)
      return std::nullopt;
  } catch (const TFileError&) {
    return std::nullopt;
  }
  return record.catalogue;
}

bool TSiteWriter::TrustRecord(const TCatalogueStamp& stamp) {
  FTrusted =
      FHaveLast && FLast.catalogue == stamp && !FInputs.empty() && FLast.inputs == FInputs && !FLast.checked.empty();
  if (FTrusted) {
    FChecked = FLast.checked;
    SetCatalogueStamp(stamp);
  }
  return FTrusted;
}

bool TSiteWriter::Keep(const std::string& relative, const std::string& inputs) {
  if (!FHaveLast || FInputs.empty() || FLast.inputs != FInputs) return false;
  const bool asRecorded = inputs == InputsAsRecorded();
  if (asRecorded ? !FTrusted : inputs.size() != 32) return false;
  const std::size_t last = Recorded(relative);
  if (last == kNotRecorded) return false;
  const TFileFacts& facts = FLastFiles[last].record->facts;
  if (!facts.made ||
      (!asRecorded && inputs.compare(0, 32, reinterpret_cast<const char*>(facts.inputs.data()), 32) != 0))
    return false;
  // A link is never as recorded: only a regular file is.
  struct stat info {};
  if (!FFolder.Stat(relative, info, false) || !AsRecorded(facts, info)) return false;
  // Its record stays as it is: taken over from the last one only when the record is written at all.
  Saw(relative, last);
  FReport.files.push_back({relative, TSiteFileState::Unchanged});
  return true;
}

TSiteFileState TSiteWriter::Write(const std::string& relative, const std::string& bytes, mode_t newFileMode,
                                  const std::string& inputs) {
  struct stat info {};
  const bool exists = FFolder.Stat(relative, info);
  const Sha256::TDigest digest = Sha256::Of(bytes);
  const std::size_t lastAt = Recorded(relative);
  const bool recorded = lastAt != kNotRecorded;
  const TFileRecord* last = recorded ? FLastFiles[lastAt].record : nullptr;
  TFileFacts facts;

  TSiteFileState state = TSiteFileState::Changed;
  if (!exists) {
    state = TSiteFileState::New;
  } else if (recorded && AsRecorded(last->facts, info)) {
    // The file holds what the record says without being read: the last run's bytes.
    if (digest == last->digest) {
      state = TSiteFileState::Unchanged;
      facts.stamped = true;
      facts.stamp = StampOf(info);
    }
  } else {
    // Nothing there (a dangling link inside the site included: the write creates the file it points to);
    // something that cannot be compared (no permission, a device or FIFO that must not be read) is left to
    // the write, which names the file and the reason when it fails too.
    std::string disk;
    bool readable = false;
    if (S_ISREG(info.st_mode)) {
      try {
        disk = FFolder.Read(relative);
        readable = true;
      } catch (const TFileError&) {
      }
    }
    if (readable && disk == bytes) {
      state = TSiteFileState::Unchanged;
      // Taken before the bytes were read: a change since shows in the stamp.
      facts.stamped = true;
      facts.stamp = StampOf(info);
      FRestamped.insert(relative);
    } else if (readable && recorded) {
      if (Sha256::Of(disk) != last->digest) state = TSiteFileState::Edited;
    } else if (readable && FOptions.keepEdits) {
      // Without a record a differing file can only be told from a hand edit by trusting that it
      // is none; under keepEdits nothing is risked on that.
      state = TSiteFileState::Edited;
    }
  }

  Saw(relative, lastAt);
  FReport.files.push_back({relative, state});
  const bool keep = state == TSiteFileState::Edited && FOptions.keepEdits;
  if (keep) FReport.keptEdits.push_back(relative);
  if (!FOptions.dryRun && state != TSiteFileState::Unchanged) {
    if (keep) {
      WriteUnlessEqual(relative + ".new", bytes, newFileMode);
    } else {
      struct stat written {};
      FFolder.Write(relative, bytes, newFileMode, &written);
      facts.stamped = written.st_ino != 0;
      facts.stamp = StampOf(written);
    }
    FWroteAny = true;
  }
  // The record is always the text generated for the path, written or put beside a kept file: a kept
  // file counts as edited as long as it differs from it, and once the user has taken the generated text
  // over unchanged, the next run may replace it again. It is noted only once the write is done, so
  // that the record of a run that fails holds what is on disk.
  if (inputs.size() == 32) {
    facts.made = true;
    std::copy(inputs.begin(), inputs.end(), facts.inputs.begin());
  }
  FNext.files[relative] = {digest, facts};
  return state;
}

TSiteFileState TSiteWriter::WriteInParts(const std::string& relative, const TFileContent::TMaker& maker,
                                         mode_t newFileMode) {
  struct stat info {};
  if (FFolder.Stat(relative, info)) {
    return Write(relative, TFileContent(maker).Whole(), newFileMode);
  }
  Saw(relative, Recorded(relative));
  FReport.files.push_back({relative, TSiteFileState::New});
  Sha256::THasher hasher;
  TFileFacts facts;
  if (FOptions.dryRun) {
    maker([&hasher](std::string_view part) { hasher.Add(part); });
  } else {
    // The write may make the text more than once (a file system without unnamed files is written again
    // under a temporary name): each making is hashed afresh.
    const TFileContent::TMaker hashed = [&maker, &hasher](const TFileContent::TSink& sink) {
      hasher = Sha256::THasher();
      maker([&hasher, &sink](std::string_view part) {
        hasher.Add(part);
        sink(part);
      });
    };
    struct stat written {};
    FFolder.Write(relative, TFileContent(hashed), newFileMode, &written);
    facts.stamped = written.st_ino != 0;
    facts.stamp = StampOf(written);
    FWroteAny = true;
  }
  FNext.files[relative] = {hasher.Finish(), facts};
  return TSiteFileState::New;
}

void TSiteWriter::WriteUnlessEqual(const std::string& relative, const std::string& bytes, mode_t newFileMode) {
  std::string disk;
  bool readable = false;
  if (ReadExisting(relative, disk, readable) && readable && disk == bytes) return;
  FFolder.Write(relative, bytes, newFileMode);
}

void TSiteWriter::CopyFolder(const std::string& sourceDir, const std::string& relative, bool failIfExists,
                             const TProgressCallback& progress) {
  TTemplateCopy destination(*this, relative, progress);
  TFileOperate::CopyDirectory(sourceDir, destination, failIfExists);
}

void TSiteWriter::CopyFile(const std::string& source, const std::string& relative, const TProgressCallback& progress) {
  // The run's own record is never replaced by a template file of the same name.
  if (relative == TSiteManifest::kPath) return;
  mode_t mode = 0;
  const std::string bytes = TFileOperate::ReadFileBytes(source, &mode);
  const TSiteFileState state = Write(relative, bytes, mode);
  if (state == TSiteFileState::Edited && FOptions.keepEdits && progress) progress(SiteTexts::KeptEdit(Shown(relative)));
}

void TSiteWriter::Finish() {
  FNext.inputs = FInputs;
  FNext.checked = FChecked;
  for (const TLastFile& file : FLastFiles) {
    const std::string& path = *file.path;
    if (file.seen || !SiteVersionPaths::IsVersionFile(path)) continue;
    // Kept on record even when missing, so that the upgrade reports it gone instead of starting afresh.
    CarryOver(path);
    if (OnDisk(path)) FReport.files.push_back({path, TSiteFileState::Unchanged});
  }
  for (const TLastFile& file : FLastFiles) {
    const std::string& path = *file.path;
    if (file.seen || SiteVersionPaths::IsVersionFile(path) || !OnDisk(path)) continue;
    // Never deleted: it may be the user's now. It stays on record, so it is reported again.
    FReport.files.push_back({path, TSiteFileState::LeftOver});
    CarryOver(path);
  }
  if (FOptions.dryRun) return;
  // A record that would say the same is left as it is (a run after no change writes nothing).
  if (RecordUnchanged()) return;
  // Files kept on their record (Keep) have it from the last one.
  for (const TLastFile& file : FLastFiles)
    if (file.seen && FNext.files.count(*file.path) == 0) CarryOver(*file.path);
  WriteRecord(FNext);
}

void TSiteWriter::WriteRecord(const TSiteManifest& record) {
  const TFileContent::TMaker text = [&record](const TFileContent::TSink& part) { record.Text(part); };
  FFolder.Write(TSiteManifest::kPath, TFileContent(text), 0666);
}

bool TSiteWriter::ChangesNothing() const {
  if (FWouldMakeFolder || !FReport.keptEdits.empty()) return false;
  for (const TSiteFile& file : FReport.files)
    if (file.state != TSiteFileState::Unchanged && file.state != TSiteFileState::LeftOver) return false;
  return RecordUnchanged();
}

// The catalogue's stamp of the record is left out: it goes in only when the record is written for another
// reason (a run after no change writes nothing at all).
bool TSiteWriter::RecordUnchanged() const {
  if (!FHaveLast || FNext.projectName != FLast.projectName || FNext.inputs != FLast.inputs ||
      FNext.checked != FLast.checked)
    return false;
  // Every file of the last record is still on record: noted by this run, or kept on its record.
  TAscendingLookup<TFileRecord> noted(FNext.files);
  for (const TLastFile& file : FLastFiles)
    if (!file.seen && !noted.Has(*file.path)) return false;
  // What this run noted says what the last record did, new stamps of files read again aside; a file kept
  // on its record (Keep) says the same by definition.
  for (const auto& [path, next] : FNext.files) {
    const auto last = FLast.files.find(path);
    if (last == FLast.files.end() || last->second.digest != next.digest) return false;
    TFileFacts a = next.facts;
    TFileFacts b = last->second.facts;
    if (FRestamped.count(path) != 0) a.stamped = b.stamped = false;
    if (a != b) return false;
  }
  return true;
}

TSiteManifest TSiteWriter::MergedRecord() const {
  // Every file keeps its record from the last run unless this run wrote it: a failed write left
  // the file's old bytes, and the files not reached are as the last run left them.
  TSiteManifest record = FLast;
  record.projectName = FProjectName;
  // What this run wrote was made from the catalogue as it read it: the stamp of the last record still holds
  // for the whole record only when this run read the catalogue with that very stamp (a run that did not
  // read it, as one that adds a version, changed no file made from it).
  if (FCatalogueGiven && FNext.catalogue != FLast.catalogue) record.catalogue.reset();
  if (!FChecked.empty()) record.checked = FChecked;
  if (!FInputs.empty() && FInputs != FLast.inputs) {
    // The files not reached were made with other shared inputs: what they were made from no longer counts.
    record.inputs = FInputs;
    for (auto& [path, file] : record.files) file.facts.made = false;
  }
  for (const auto& [path, file] : FNext.files) record.files[path] = file;
  return record;
}

void TSiteWriter::RecordAfterFailure() noexcept {
  if (FOptions.dryRun || !FWroteAny) return;
  try {
    WriteRecord(MergedRecord());
  } catch (const std::exception&) {
    // The run's own failure is what the user is told; with no record the next run starts afresh.
  }
}

TSiteVersions TSiteWriter::ReadVersions() {
  TSiteVersions result;
  // Every version file the record or the folder knows of; each must be one of the sequence.
  std::set<std::string> known;
  for (const auto& entry : FLast.files)
    if (SiteVersionPaths::IsVersionFile(entry.first)) known.insert(entry.first);
  std::error_code error;
  for (fs::directory_iterator it(FullPath(SiteVersionPaths::kFolder), error), end; !error && it != end;
       it.increment(error))
    known.insert(std::string(SiteVersionPaths::kFolder) + "/" + it->path().filename().string());
  if (known.empty()) return result;

  const auto damaged = [this, &result](const std::string& relative, const std::string& why) {
    result.versions.clear();
    result.damage = "版本文件“" + Shown(relative) + "”" + why +
                    "：网站的版本记录已损坏，请恢复该文件，或在命令行用 upgrade-sql --from FILE "
                    "指定数据库现在的版本";
    return result;
  };
  // One file of a version: on record, on disk, and with the bytes recorded.
  const auto read = [this](const std::string& relative, std::string& bytes) -> std::string {
    const auto last = FLast.files.find(relative);
    if (!OnDisk(relative)) return "不见了";
    if (!FHaveLast || last == FLast.files.end()) return "不在生成记录中";
    try {
      bytes = FFolder.Read(relative);
    } catch (const TFileError& failure) {
      return std::string("无法读取(") + failure.what() + ")";
    }
    if (Sha256::Of(bytes) != last->second.digest) return "在写入后被改动过";
    return "";
  };
  for (int number = 0;; ++number) {
    const std::string model = SiteVersionPaths::Model(number);
    const std::string script = SiteVersionPaths::Script(number);
    const bool any = known.erase(model) + known.erase(script) != 0;
    if (!any) break;
    TSiteVersion version;
    version.number = number;
    std::string why = read(model, version.model);
    if (!why.empty()) return damaged(model, why);
    if (number == 0) {
      if (OnDisk(script)) return damaged(script, "不应存在(第一个版本没有升级脚本)");
    } else if (!(why = read(script, version.script)).empty()) {
      return damaged(script, why);
    }
    result.versions.push_back(std::move(version));
  }
  // What is left is out of the sequence: a gap before it, or a name no version has.
  if (!known.empty()) return damaged(*known.begin(), "不在版本序列中");
  return result;
}

void TSiteWriter::AddVersion(int number, const std::string& script, const std::string& model) {
  for (const std::string& path : {SiteVersionPaths::Script(number), SiteVersionPaths::Model(number)})
    if (OnDisk(path) || FLast.files.count(path) != 0)
      throw TFileError("版本文件“" + Shown(path) + "”已存在，版本文件不会被改写", EEXIST);
  std::vector<std::string> written;
  try {
    if (!script.empty()) {
      Write(SiteVersionPaths::Script(number), script);
      written.push_back(SiteVersionPaths::Script(number));
    }
    Write(SiteVersionPaths::Model(number), model);
    written.push_back(SiteVersionPaths::Model(number));
    if (FOptions.dryRun) return;
    WriteRecord(MergedRecord());
  } catch (const std::exception&) {
    // Half a version, or one off the record, would read as damaged until removed by hand: the files written
    // here go again (they were not there before; a dry run wrote none).
    for (const std::string& path : written) {
      try {
        FFolder.Remove(path);
      } catch (const std::exception&) {
        // The write's failure is what the user is told.
      }
    }
    throw;
  }
}
