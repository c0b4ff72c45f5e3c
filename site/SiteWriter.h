#pragma once

#include <sys/types.h>

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "site/FileOperate.h"
#include "site/GenerationTarget.h"
#include "site/SiteFolder.h"
#include "site/SiteLock.h"
#include "site/SiteManifest.h"

// What a run does, or in a dry run would do, with one file of the site.
enum class TSiteFileState {
  New,        // not there yet: written
  Changed,    // there with other bytes, as the last run left them (or with no record of it): replaced
  Unchanged,  // holds exactly the new bytes already: not touched, its modification time stays
  Edited,     // changed by hand since the last run: replaced, or with keepEdits left as it is
  LeftOver,   // written by an earlier run but no longer part of the site (its class is gone): left as it is
};

// "new", "changed", "unchanged", "edited", "left-over": how the command line spells the states.
const char* SiteFileStateName(TSiteFileState state);

struct TSiteFile {
  std::string path;  // relative to the site, with forward slashes
  TSiteFileState state;
};

// Everything a run did (or would do) to the site's files.
struct TSiteReport {
  std::vector<TSiteFile> files;        // in the order the run came to them; left-overs last
  std::vector<std::string> keptEdits;  // edited files left alone, their new bytes beside them as NAME.new
  std::string freshStart;              // why the last run's record was not used; empty when it was or there was no site
  std::string siteName;                // the site as the progress log names it: "projects/<P>"
  std::set<std::string> userTemplateFiles;  // the files a user's template made (not the built-in one)

  int Count(TSiteFileState state) const;
  // A file's name as the progress log shows it: "projects/<P>/web.config".
  std::string Shown(const std::string& path) const { return siteName + "/" + path; }
};

struct TSiteOptions {
  bool dryRun = false;     // decide every file's state, write nothing at all
  bool keepEdits = false;  // never replace a file changed by hand: write NAME.new beside it
  bool pages = false;      // the run also writes the admin pages of every class (list, form, show)
};

// The versions of the site's database, kept in App_Data/upgrades/: 000.json for the first, then for each later
// one NNN.sql (the script from the one before) and NNN.json (its model). The writer reads and checks them;
// what the files hold is the reader's business.
struct TSiteVersion {
  int number = 0;
  std::string model;   // NNN.json's bytes
  std::string script;  // NNN.sql's bytes; empty for 000
};

struct TSiteVersions {
  std::vector<TSiteVersion> versions;  // 000 first, in order; empty when the site has none
  std::string damage;                  // why they cannot be trusted; empty when they can
};

namespace SiteVersionPaths {
inline constexpr char kFolder[] = "App_Data/upgrades";
std::string Model(int number);   // "App_Data/upgrades/003.json"
std::string Script(int number);  // "App_Data/upgrades/003.sql"
// A path below App_Data/upgrades/: version files are never rewritten, and every run keeps their record.
bool IsVersionFile(const std::string& relative);
}  // namespace SiteVersionPaths

// Every write of a generation run into its site goes through here. It compares each file's new
// bytes with the bytes on disk and with what the last run recorded in the site's manifest, writes
// only what differs, keeps hand edits when asked, and at the end records the manifest of this run.
//
// A file without a record (no earlier manifest, a damaged one, one of another project, or a file
// the last run did not write) is never taken as edited, except under keepEdits: there a file whose
// bytes differ from the new ones might hold the user's work, so it is kept like an edited one.
class TSiteWriter {
 public:
  // Reads the manifest of the site target names (programFolder/projects/<projectName>), holding the site's
  // lock (TSiteLock) for the writer's life: shared in a dry run, else exclusive. Raises TSiteBusyError when
  // another operation holds the site.
  TSiteWriter(const TGenerationTarget& target, TSiteOptions options);
  // The same under the lock the operation holds already, for an operation that makes more than one writer
  // (a run that first looks for edited files). The lock must outlive the writer.
  TSiteWriter(const TGenerationTarget& target, TSiteOptions options, const TSiteLock& lock);
  ~TSiteWriter();

  const TSiteOptions& Options() const { return FOptions; }
  const TSiteReport& Report() const { return FReport; }
  // The report handed over whole, for a writer that is done.
  TSiteReport TakeReport() { return std::move(FReport); }
  // True when the site holds a sound record of the last run of this project: only then can a file
  // be told to have been edited by hand.
  bool HasRecord() const { return FHaveLast; }
  // The file's absolute path, and its name as the progress log shows it ("projects/P/web.config").
  std::string FullPath(const std::string& relative) const;
  std::string Shown(const std::string& relative) const;

  // Writes one file of the site unless it holds the bytes already. With keepEdits an edited
  // file stays and the bytes go to NAME.new instead. Returns the file's state. A failure to
  // write raises TFileError, naming the file; nothing is written in a dry run. inputs: the
  // digest (32 bytes) of what generated text was made from, recorded for Keep; empty for a copy.
  TSiteFileState Write(const std::string& relative, const std::string& bytes, mode_t newFileMode = 0666,
                       const std::string& inputs = {});
  // The same for a text made in parts: a file not there yet is written as the parts are made and hashed on
  // the way, in one pass, so that a large text (the site's first version: 80 MB at 10,000 classes) is never
  // held whole. A file that is there is compared as Write compares it, the text made whole.
  TSiteFileState WriteInParts(const std::string& relative, const TFileContent::TMaker& maker,
                              mode_t newFileMode = 0666);

  // The digest (hex) of what every generated file of this run depends on besides its own inputs
  // (the program, the templates, the project's name). A record made with other shared inputs lets no
  // file be kept by Keep.
  void SetSharedInputs(const std::string& inputs) { FInputs = inputs; }

  // The digest (hex) of the project as the run checks it (the program and every class's inputs). The
  // record keeps it for the next run, whose checks would find what this run's found: nothing, as this
  // run writes only after they passed.
  void SetCheckedProject(const std::string& digest) { FChecked = digest; }
  // True when the record says that a run checked this very project and went on to write: the checks
  // would pass again.
  bool Checked(const std::string& digest) const { return FHaveLast && !digest.empty() && FLast.checked == digest; }

  // True when the record shows the file generated from exactly these inputs (and the same shared ones)
  // and the file is on disk just as the record left it (size, times and inode): its text would be the
  // same again, so the file counts as unchanged without being made, read or written. False when any
  // of that is not known; the caller then makes the text and hands it to Write. inputs may be
  // InputsAsRecorded(): in a run the record vouches for (TrustRecord) the inputs the record shows.
  bool Keep(const std::string& relative, const std::string& inputs);

  // The catalogue's stamp as this run found it before it read the catalogue, or none when it was not settled:
  // kept in the record (when the record is written) for the next run's TrustRecord.
  void SetCatalogueStamp(const std::optional<TCatalogueStamp>& stamp);
  // True when the record was made by a run of the same shared inputs (SetSharedInputs first) that read the
  // catalogue with this very stamp and checked the project: the catalogue still holds what that run read, so
  // each file's recorded inputs are its inputs now and the checks would pass again. From then on Keep takes
  // InputsAsRecorded(), and the run counts as having checked the project.
  bool TrustRecord(const TCatalogueStamp& stamp);
  // The catalogue's stamp the site's record of this project holds, from its first lines alone: a quick look,
  // without the site's lock, before a run that the record may vouch for. None when there is no such record.
  static std::optional<TCatalogueStamp> RecordedCatalogue(const TGenerationTarget& target);
  // What a run the record vouches for hands Keep instead of a file's inputs (no digest looks like it).
  static const std::string& InputsAsRecorded();

  // After Finish of a dry run: true when the run it stands for would write nothing at all (every file
  // unchanged or left over, no folder made, the record as it is).
  bool ChangesNothing() const;

  // Notes that a user's template made the file's text, for the report.
  void NoteUserTemplate(const std::string& relative) { FReport.userTemplateFiles.insert(relative); }

  // Copies a folder of the template into the site folder relative (failIfExists as
  // TFileOperate::CopyDirectory) or one template file, through Write. Every file kept as
  // edited gets its progress line.
  void CopyFolder(const std::string& sourceDir, const std::string& relative, bool failIfExists,
                  const TProgressCallback& progress);
  void CopyFile(const std::string& source, const std::string& relative, const TProgressCallback& progress);

  // Ends the run: lists the left-over files and, unless in a dry run, records the manifest
  // (not rewritten when it would not change). The version files keep their record, listed as unchanged
  // when they are there; a run never writes one but the first version of a new site.
  void Finish();

  // True when the site's folder was not there when the writer was made: this run creates the site.
  bool CreatesSite() const { return FCreatesSite; }

  // The site's versions, each file checked against the record: a version file missing, changed since it was
  // written, not on record, or out of sequence makes them damaged, and damage says which file and why.
  TSiteVersions ReadVersions();

  // Adds the next version (number one past the last) as NNN.sql and NNN.json and records them with every
  // other file's record kept. Raises TFileError when a file of that number is there already or a write fails.
  void AddVersion(int number, const std::string& script, const std::string& model);

  // Ends a run that failed part-way: records what is on disk now (the files this run wrote with
  // their new digests, every other one as the last run recorded it), so that the next run tells
  // them from hand edits as it should. Does nothing when the run wrote nothing; never throws.
  void RecordAfterFailure() noexcept;

 private:
  class TTemplateCopy;

  bool OnDisk(const std::string& relative);
  // Where the file is in the last record (FLastFiles), or kNotRecorded.
  static constexpr std::size_t kNotRecorded = static_cast<std::size_t>(-1);
  std::size_t Recorded(std::string_view relative) const;
  // Notes the file as seen by this run (last: where it is in the last record, or kNotRecorded); false when it
  // was seen already.
  bool Saw(const std::string& relative, std::size_t last);
  bool Seen(const std::string& relative) const;
  // True when the file is on disk as the record's stamp says, with a stamp older than the record itself
  // (a file changed in the same clock step as its stamp was taken could otherwise pass unseen).
  bool AsRecorded(const TFileFacts& facts, const struct stat& info) const;
  // The record of a run that stopped before Finish: the last one, with what this run wrote over it.
  TSiteManifest MergedRecord() const;
  // Replaces the site's record with this one, written as its text is made.
  void WriteRecord(const TSiteManifest& record);
  // The facts of a file carried over from the last record, its inputs left out when the shared inputs
  // changed since.
  void CarryOver(const std::string& relative);
  // True when this run's record says nothing the last one did not, new stamps of FRestamped aside.
  bool RecordUnchanged() const;
  bool ReadExisting(const std::string& relative, std::string& bytes, bool& readable);
  void WriteUnlessEqual(const std::string& relative, const std::string& bytes, mode_t newFileMode);
  void ReadManifest();

  TSiteWriter(const TGenerationTarget& target, TSiteOptions options, const TSiteLock* lock);

  std::unique_ptr<TSiteLock> FOwnLock;  // the writer's own lock, when the operation holds none
  const std::string FProjectName;
  const std::string FSite;       // absolute or relative to the current folder, no trailing slash
  const std::string FShownSite;  // "projects/<P>"
  const TProtectedPaths FProtected;
  const TSiteOptions FOptions;
  TSiteFolder FFolder;  // every read and write below the site goes through it
  bool FWroteAny = false;
  TSiteManifest FLast;  // the last run's record; empty when there is none to trust
  bool FHaveLast = false;
  struct timespec FRecordTime {};  // when the last record was written
  std::string FInputs;             // this run's shared inputs (hex); empty when not given
  std::string FChecked;            // the project this run checked (hex); empty when not given
  bool FTrusted = false;           // TrustRecord vouched for the record
  bool FCatalogueGiven = false;    // SetCatalogueStamp was called
  bool FWouldMakeFolder = false;   // a dry run found a folder of the template missing in the site
  bool FCreatesSite = false;
  TSiteManifest FNext;  // this run's record
  // The last record's files in its order (by path), looked up by a binary search, and which of them this run
  // wrote, planned or kept: a run after no change comes to thousands of files, each noted without an
  // allocation or a hash. FLast does not change once read, so the paths stay valid.
  struct TLastFile {
    const std::string* path;
    const TFileRecord* record;
    bool seen;
  };
  std::vector<TLastFile> FLastFiles;
  // Files this run wrote or planned that the last record does not name, under their copies in FSeenNames.
  std::unordered_set<std::string_view> FSeen;
  std::deque<std::string> FSeenNames;
  // Files found unchanged by reading them, whose stamp the record did not know: their new stamps go into the
  // record only when it is written for another reason (a run after no change writes nothing at all).
  std::set<std::string> FRestamped;
  TSiteReport FReport;
};

// The catalogue's stamp (the database file at catalogueFile and its log), or none when it cannot be taken or
// is not settled: when either file was written less than two seconds ago. A stamp older than that changes
// with any later write, whose modification time is then later than the stamp's, even on a file system that
// keeps times in steps of up to two seconds; a fresher one could stay the same through a write in its step.
std::optional<TCatalogueStamp> SettledCatalogueStamp(const std::string& catalogueFile);

// The texts the run shows about the site's files, shared by the window and the command line.
namespace SiteTexts {
// The progress line of a file kept as edited.
std::string KeptEdit(const std::string& shownPath);
// The end of a run that kept edited files: what happened and every file's shown path, one per line.
std::string KeptEdits(const std::vector<std::string>& shownPaths);
}  // namespace SiteTexts
