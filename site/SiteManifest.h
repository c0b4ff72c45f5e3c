#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "text/Sha256.h"

// How a file was on disk when its digest was taken: size, modification and change times (ns) and
// inode. A file whose stamp is still the same holds the same bytes, so it need not be read and hashed
// again; any write, rename over it, copy or restore changes at least one of them.
struct TFileStamp {
  std::int64_t size = 0;
  std::int64_t modified = 0;  // ns since the epoch
  std::int64_t changed = 0;   // ns since the epoch
  std::uint64_t inode = 0;

  bool operator==(const TFileStamp& other) const {
    return size == other.size && modified == other.modified && changed == other.changed && inode == other.inode;
  }
  bool operator!=(const TFileStamp& other) const { return !(*this == other); }
};

// How the catalogue's files were on disk when a run began to read it: the database file (and the device it is
// on) and its write-ahead log beside it ("-wal"; all zero when there is none or it holds nothing). Every change
// committed to the catalogue writes one of the two files, and so changes this stamp, as long as the stamp was
// taken when both files had gone unwritten for a while (see TSiteWriter::SettledCatalogueStamp).
struct TCatalogueStamp {
  std::uint64_t device = 0;
  TFileStamp file;
  TFileStamp log;

  bool operator==(const TCatalogueStamp& other) const {
    return device == other.device && file == other.file && log == other.log;
  }
  bool operator!=(const TCatalogueStamp& other) const { return !(*this == other); }
};

// What a version-2 record knows of a file beyond its digest.
struct TFileFacts {
  bool stamped = false;  // stamp is known: the file had the recorded bytes when it had this stamp
  TFileStamp stamp;
  bool made = false;                       // inputs is known: the file is generated text made from these inputs
  std::array<unsigned char, 32> inputs{};  // SHA-256 of what the text was made from

  bool operator==(const TFileFacts& other) const {
    return stamped == other.stamped && (!stamped || stamp == other.stamp) && made == other.made &&
           (!made || inputs == other.inputs);
  }
  bool operator!=(const TFileFacts& other) const { return !(*this == other); }
};

// What a record holds of one file: the digest of the bytes a run wrote, and what else version 2 knows of it
// (nothing when its facts are neither stamped nor made).
struct TFileRecord {
  Sha256::TDigest digest{};
  TFileFacts facts;

  bool Known() const { return facts.stamped || facts.made; }
  bool operator==(const TFileRecord& other) const { return digest == other.digest && facts == other.facts; }
  bool operator!=(const TFileRecord& other) const { return !(*this == other); }
};

// What a generation run wrote into a site, kept in the site for the next run: the
// project's name and, for every file of the site the run wrote (path relative to the
// site, with forward slashes), the SHA-256 of the bytes it wrote. A file whose bytes
// no longer have that digest was changed by hand since.
//
// The text is the format of sha256sum, so `sha256sum -c` run in the site folder checks
// it, after comment lines naming the format and the project:
//   # corvanthel site manifest 1
//   # project: Shop
//   <64 hex digits>  App_Code/ENTITY/Book.cs
// A name holding a backslash or a line break is escaped as sha256sum does (the line then
// starts with a backslash). Lines end in LF and are sorted by path, so two runs that
// write the same files leave the same bytes.
//
// Version 2 adds, on a third line, the digest of what every generated file depends on besides its own
// class (the program, the templates, the project's name) and the digest of the project the run checked
// (the program and every class), and after a file's line a comment line (which sha256sum skips) with what
// else is known of it: its stamp, and the digest of the inputs its text was made from, each "-" when
// unknown:
//   # corvanthel site manifest 2
//   # project: Shop
//   # inputs: <64 hex digits> <64 hex digits>
//   <64 hex digits>  App_Code/ENTITY/Book.cs
//   #= 1234 1733740000123456789 1733740000123456789 524301 <64 hex digits>
// A version-2 record may hold, on a fourth line, the stamp of the catalogue as the run read it (device, then
// size, modification and change times and inode of the database file and of its log, "- - - -" for a log
// that holds nothing):
//   # catalogue: 2049 1228800 1733740000123456789 1733740000123456789 524300 - - - -
// A record without any of these facts is written as version 1; both versions are read (and a version-1
// header before version-2 lines).
struct TSiteManifest {
  // Where the manifest lives, relative to the site: App_Data is never served by the web server.
  static constexpr const char* kPath = "App_Data/corvanthel-manifest.sha256";

  std::string projectName;
  // Site-relative path -> its digest and facts: one entry per file, so a record of thousands of files is read
  // into one node each (Parse takes a facts line only after the digest of its file).
  std::map<std::string, TFileRecord> files;
  // Version 2: the inputs every generated file shares (SHA-256, hex; empty when not recorded) and the project
  // the run checked before it wrote (TSiteWriter::Checked).
  std::string inputs;
  std::string checked;
  // The catalogue as the run that made this record read it, when that run read it whole and its stamp was
  // settled: the facts' inputs of the files it made are what the catalogue holds while its stamp is the same.
  std::optional<TCatalogueStamp> catalogue;

  std::string Text() const;
  // The same text in parts of about 64 KB, in order: the record of 30,000 files is 6.3 MB, never held whole.
  void Text(const std::function<void(std::string_view)>& part) const;

  // Reads a manifest's text. Returns false and says why in error when the text is not
  // exactly a manifest (a damaged or truncated file is not half believed).
  static bool Parse(const std::string& text, TSiteManifest& manifest, std::string& error);
  // Reads the header lines alone (the project, the shared inputs, the catalogue's stamp), for a look that
  // needs no file's record; what follows them is not looked at.
  static bool ParseHeader(const std::string& text, TSiteManifest& manifest, std::string& error);

  // Reads a manifest's text as Parse does, a part at a time as it comes from its file: the text of a site of
  // thousands of files is hundreds of kilobytes, which need not be held (nor their pages first touched) at
  // once. A line may run across parts.
  class TReader {
   public:
    // Empties manifest, which then takes what the text says; with headerOnly, only its header lines.
    explicit TReader(TSiteManifest& manifest, bool headerOnly = false);
    void Feed(std::string_view part);
    // The end of the text: true when it was a whole manifest, else Error() says why.
    bool Finish();
    const std::string& Error() const { return FError; }

   private:
    enum class TState { Reading, HeaderRead, Failed };
    // One line, without its line feed; false when the text need not be read further.
    bool Line(std::string_view line);
    bool Fail(const char* why);

    TSiteManifest& FManifest;
    const bool FHeaderOnly;
    TState FState = TState::Reading;
    std::string FError;
    std::string FPending;          // the start of a line the last part did not end
    bool FAny = false;             // some of the text came
    char FLastByte = 0;            // the last byte of the text so far
    bool FSecond = false;          // the header says version 2
    std::size_t FHeaderLines = 2;  // 3 with the line of the shared inputs, 4 with the catalogue's
    std::size_t FLineNumber = 0;
    std::size_t FFactsLines = 0;
    std::string FPath;
    TFileRecord* FLastFile = nullptr;  // the file the line before named; a facts line may follow it
  };

 private:
  static bool Parse(const std::string& text, TSiteManifest& manifest, std::string& error, bool headerOnly);
};
