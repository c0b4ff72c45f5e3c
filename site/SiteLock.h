#pragma once

#include <string>

#include "site/FileOperate.h"
#include "site/GenerationTarget.h"

// What an operation does with a site while it holds the site's lock.
enum class TSiteUse {
  Read,   // reads the record and the files, writes nothing (a dry run): shares the site with other readers
  Write,  // reads the record and writes files and record: the only one at the site; makes the site's folder
};

// Raised when another operation (another process, or another run of the window) holds the site.
class TSiteBusyError : public TFileError {
 public:
  explicit TSiteBusyError(const std::string& shownSite);
};

// The one writer of a site at a time. An operation that writes a site's files or record holds this lock from
// before it reads the record until after it has written it, so no other run's record can overwrite what it
// recorded, nor its record drop what another run added (a version, say). A run that only reads (a dry run)
// holds it shared: it never sees a record half-way through another run.
//
// The lock is flock(2) on a descriptor of the site's folder itself: advisory, released by the system when the
// process ends however it ends, and nothing is written for it. A site that is not there yet is made here, under
// a short lock of its parent folder (projects/) that every operation takes while it opens and locks a site, so
// that two runs creating the same site cannot both go ahead; when the operation ends with the folder it made
// still empty (the run failed its checks, say), the folder goes again, so a run that wrote nothing leaves
// nothing. A site that is busy is refused at once (TSiteBusyError), nothing written.
class TSiteLock {
 public:
  explicit TSiteLock(const TGenerationTarget& target, TSiteUse use);
  ~TSiteLock();
  TSiteLock(const TSiteLock&) = delete;
  TSiteLock& operator=(const TSiteLock&) = delete;

  // True when the site's folder was not there and this lock made it: the operation creates the site.
  bool Created() const { return FCreated; }

 private:
  const std::string FParent;  // the folder the sites live in (projects/)
  const std::string FSite;    // the site's folder
  int FFolder = -1;           // the locked descriptor of the site's folder; -1 for a reader of no site
  bool FCreated = false;
  bool FCreatedParent = false;
};

namespace SiteTexts {
// A site another run is using.
std::string Busy(const std::string& shownSite);
}  // namespace SiteTexts
