// The version-2 record of a site: what it says of each file beyond its digest, how the writer uses it to
// take a file as unchanged without reading it, and what makes it stop trusting that.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "site/SiteManifest.h"
#include "site/SiteWriter.h"
#include "support/FileBytes.h"
#include "support/FileSafety.h"
#include "support/TempCatalogue.h"
#include "text/Sha256.h"

namespace fs = std::filesystem;

namespace {

TFileFacts Facts(bool stamped, bool made) {
  TFileFacts facts;
  facts.stamped = stamped;
  facts.stamp = {1234, 1733740000123456789, -5, 18446744073709551615ull};
  facts.made = made;
  facts.inputs.fill(0xab);
  return facts;
}

}  // namespace

TEST(SiteRecordText, SaysWhatItKnowsOfEachFileAndRefusesAnythingElse) {
  TSiteManifest manifest;
  manifest.projectName = "P";
  manifest.inputs = std::string(64, 'c');
  manifest.files["a.cs"].digest.fill(0x11);
  manifest.files["b.cs"].digest.fill(0x22);
  manifest.files["c.cs"].digest.fill(0x33);
  manifest.files["a.cs"].facts = Facts(true, true);
  manifest.files["c.cs"].facts = Facts(false, true);
  std::string ab;
  for (int i = 0; i < 32; ++i) ab += "ab";
  const std::string text = manifest.Text();
  EXPECT_EQ(text, "# corvanthel site manifest 2\n# project: P\n# inputs: " + std::string(64, 'c') + " -\n" +
                      std::string(64, '1') + "  a.cs\n#= 1234 1733740000123456789 -5 18446744073709551615 " + ab +
                      "\n" + std::string(64, '2') + "  b.cs\n" + std::string(64, '3') + "  c.cs\n#= - - - - " + ab +
                      "\n");
  TSiteManifest read;
  std::string error;
  ASSERT_TRUE(TSiteManifest::Parse(text, read, error)) << error;
  EXPECT_EQ(read.inputs, manifest.inputs);
  EXPECT_EQ(read.files, manifest.files);

  // The catalogue's stamp comes fourth, a log that holds nothing as dashes.
  const std::string inputsLine = "# inputs: " + std::string(64, 'c') + " -\n";
  for (const TFileStamp log : {TFileStamp(), TFileStamp{1, 2, 3, 4}}) {
    manifest.catalogue = TCatalogueStamp{2049, {10, 11, -12, 13}, log};
    const std::string stamped = manifest.Text();
    const std::string logText = log.size == 0 ? "- - - -" : "1 2 3 4";
    EXPECT_EQ(stamped.substr(0, stamped.find(std::string(64, '1'))),
              "# corvanthel site manifest 2\n# project: P\n" + inputsLine + "# catalogue: 2049 10 11 -12 13 " +
                  logText + "\n");
    ASSERT_TRUE(TSiteManifest::Parse(stamped, read, error)) << error;
    EXPECT_EQ(read.catalogue, manifest.catalogue);
    EXPECT_EQ(read.files, manifest.files);
  }
  manifest.catalogue.reset();

  // Without facts it is the first version's text, which older programs read too.
  manifest.inputs.clear();
  for (auto& entry : manifest.files) entry.second.facts = TFileFacts();
  EXPECT_EQ(manifest.Text().substr(0, 29), "# corvanthel site manifest 1\n");

  const std::string head = "# corvanthel site manifest 2\n# project: P\n# inputs: - -\n";
  const std::string line = std::string(64, '1') + "  a.cs\n";
  ASSERT_TRUE(TSiteManifest::Parse(head + line + "#= 1 2 3 4 -\n", read, error)) << error;
  EXPECT_FALSE(read.catalogue);
  // The header alone is read whatever follows it; the whole record is not believed.
  const std::string stampedHead = head + "# catalogue: 9 1 2 3 4 - - - -\n";
  ASSERT_TRUE(TSiteManifest::ParseHeader(stampedHead + "not a line of a record\n", read, error)) << error;
  ASSERT_TRUE(read.catalogue);
  EXPECT_EQ(read.catalogue->device, 9u);
  EXPECT_FALSE(TSiteManifest::Parse(stampedHead + "not a line of a record\n", read, error));
  for (const std::string& damaged :
       {head + "#= 1 2 3 4 -\n" + line, head + line + "#= 1 2 3 4 -\n#= 1 2 3 4 -\n", head + line + "#= - - - - -\n",
        head + line + "#= 1 2 3 -\n", head + line + "#= 01 2 3 4 -\n", head + line + "#= 1 -0 3 4 -\n",
        head + line + "#= -1 2 3 4 -\n", head + line + "#= 1 2 3 -4 -\n", head + line + "#= 1 2 3 4 " + ab + "0\n",
        head + line + "#= 1 2 3 4 99999999999999999999\n", head + line + "#= 1 2 - 4 -\n",
        // Numbers one past their type: 2^64 wraps to nothing, 2^63 to a negative time.
        head + line + "#= 1 2 3 18446744073709551616 -\n", head + line + "#= 1 9223372036854775808 3 4 -\n",
        head + line + "#= 1 2 36893488147419103232 4 -\n", head + line + "#=  1 2 3 4 -\n",
        std::string("# corvanthel site manifest 2\n# project: P\n# inputs: - x\n"),
        std::string("# corvanthel site manifest 2\n# project: P\n# inputs: -\n"),
        std::string("# corvanthel site manifest 2\n# project: P\n") + line,
        // A digest or inputs with one character that is no lower-case hexadecimal digit, first or last.
        head + line + "#= 1 2 3 4 " + ab.substr(0, 63) + "B\n", head + line + "#= 1 2 3 4 g" + ab.substr(1) + "\n",
        head + line + "#= 1 2 3 4 " + ab.substr(0, 63) + "\xe6\n", head + std::string(63, '1') + "F  a.cs\n",
        head + ":" + std::string(63, '1') + "  a.cs\n",
        "# corvanthel site manifest 2\n# project: P\n# inputs: " + std::string(63, 'c') + "G -\n",
        // A catalogue line anywhere but fourth, twice, short, without the database's stamp, or with a log of
        // nothing written as numbers.
        head + line + "# catalogue: 1 1 2 3 4 - - - -\n",
        head + "# catalogue: 1 1 2 3 4 - - - -\n# catalogue: 1 1 2 3 4 - - - -\n" + line,
        head + "# catalogue: 1 1 2 3 4 - - -\n", head + "# catalogue: 1 - - - - 1 2 3 4\n",
        head + "# catalogue: 1 1 2 3 4 0 0 0 0\n", head + "# catalogue: - 1 2 3 4 - - - -\n"}) {
    EXPECT_FALSE(TSiteManifest::Parse(damaged, read, error)) << damaged;
  }
}

// Digests are read eight digits at a time: every byte at every place of a digest must be told apart from a
// lower-case hexadecimal digit, and the digits read as the bytes they spell. The same is asked of a file's
// inputs, read by the same code, on the facts line.
TEST(SiteRecordText, ReadsEveryDigitOfADigestAndNothingElse) {
  const std::string head = "# corvanthel site manifest 2\n# project: P\n# inputs: - -\n";
  const std::string digits = "0123456789abcdef";
  // A digest of every digit, each at four places; each place then takes every byte in turn.
  std::string hex;
  for (int i = 0; i < 64; ++i) hex += digits[static_cast<std::size_t>((i * 7 + i / 16) % 16)];
  const auto bytesOf = [](const std::string& text) {
    Sha256::TDigest bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
      bytes[i] = static_cast<unsigned char>(std::stoi(text.substr(2 * i, 2), nullptr, 16));
    return bytes;
  };
  TSiteManifest read;
  std::string error;
  for (std::size_t at = 0; at < 64; ++at) {
    for (int byte = 0; byte < 256; ++byte) {
      if (byte == '\n') continue;
      std::string digest = hex;
      digest[at] = static_cast<char>(byte);
      const bool digit = digits.find(static_cast<char>(byte)) != std::string::npos;
      const std::string line = digest + "  a.cs\n";
      ASSERT_EQ(TSiteManifest::Parse(head + line, read, error), digit) << at << " " << byte;
      if (digit) {
        ASSERT_EQ(read.files.at("a.cs").digest, bytesOf(digest)) << digest;
      }
      const std::string facts = hex + "  a.cs\n#= - - - - " + digest + "\n";
      ASSERT_EQ(TSiteManifest::Parse(head + facts, read, error), digit) << at << " " << byte;
      if (digit) {
        ASSERT_EQ(read.files.at("a.cs").facts.inputs, bytesOf(digest)) << digest;
      }
    }
  }
}

TEST(SiteRecordText, ReadsEveryDigitOfAStampNumberAndNothingElse) {
  const std::string head = "# corvanthel site manifest 2\n# project: P\n# inputs: - -\n" + std::string(64, '0') + "  a.cs\n";
  TSiteManifest read;
  std::string error;
  // Numbers of every length a 64-bit stamp takes, of mixed digits; each place then takes every byte in turn.
  for (std::size_t length = 1; length <= 19; ++length) {
    const std::string number = std::string("9876501234567890123").substr(0, length);
    for (std::size_t at = 0; at < length; ++at) {
      for (int byte = 0; byte < 256; ++byte) {
        if (byte == '\n' || byte == ' ' || (at == 0 && byte == '-')) continue;
        std::string changed = number;
        changed[at] = static_cast<char>(byte);
        // A time is a signed 64-bit number: 19 digits may be too many.
        const bool sound = byte >= '0' && byte <= '9' && !(at == 0 && byte == '0' && length > 1) &&
                           std::stoull(changed) <= static_cast<unsigned long long>(INT64_MAX);
        const std::string text = head + "#= 1 " + changed + " 2 3 -\n";
        ASSERT_EQ(TSiteManifest::Parse(text, read, error), sound) << length << " " << at << " " << byte;
        if (sound) {
          ASSERT_EQ(read.files.at("a.cs").facts.stamp.modified, std::stoll(changed)) << changed;
        }
      }
    }
  }
}

// The record is read from its file a block at a time: however the text is cut, a line running across the cuts
// included, the reader says what Parse says of the whole text, and the same error.
TEST(SiteRecordText, ReadsTheSameInPartsAsWhole) {
  TSiteManifest manifest;
  manifest.projectName = "P\\Q";
  manifest.inputs = std::string(64, 'c');
  manifest.catalogue = TCatalogueStamp{2049, {10, 11, -12, 13}, {}};
  manifest.files["a.cs"].digest.fill(0x11);
  manifest.files["a.cs"].facts = Facts(true, true);
  manifest.files["b\\c\nd.cs"].digest.fill(0x22);
  manifest.files["c.cs"].facts = Facts(false, true);
  const std::string text = manifest.Text();
  const std::string line = std::string(64, '1') + "  z.cs\n";
  for (const std::string& whole :
       {text, text + line + line, text.substr(0, text.size() - 1), text + '\0', text + "#= 1 2 3 4 -\n" + line,
        line + text, std::string(), std::string("\n"), std::string("# corvanthel site manifest 1\n")}) {
    TSiteManifest expected;
    std::string expectedError;
    const bool expectedRead = TSiteManifest::Parse(whole, expected, expectedError);
    for (std::size_t size = 1; size <= whole.size() + 1; size += size < 80 ? 1 : 37) {
      SCOPED_TRACE(whole + " in parts of " + std::to_string(size));
      TSiteManifest read;
      TSiteManifest::TReader reader(read);
      for (std::size_t at = 0; at < whole.size(); at += size) reader.Feed(std::string_view(whole).substr(at, size));
      ASSERT_EQ(reader.Finish(), expectedRead);
      EXPECT_EQ(reader.Error(), expectedError);
      if (expectedRead) {
        EXPECT_EQ(read.files, expected.files);
        EXPECT_EQ(read.projectName, expected.projectName);
        EXPECT_EQ(read.catalogue, expected.catalogue);
      }
    }
  }
}

// The record is written as it is made: in parts that end at line ends, none of them much over 64 KB, that
// join to a record reading back as the one written.
TEST(SiteRecordText, IsMadeInPartsThatEndAtLineEnds) {
  constexpr std::size_t kPart = 64 * 1024;
  for (const int files : {0, 1, 300, 3000}) {
    SCOPED_TRACE(std::to_string(files) + " files");
    TSiteManifest manifest;
    manifest.projectName = "P";
    for (int i = 0; i < files; ++i) {
      TFileRecord& file = manifest.files["App_Code/BLL/bllClass" + std::to_string(i) + ".cs"];
      file.digest.fill(static_cast<unsigned char>(i));
      file.facts = Facts(i % 3 != 0, i % 2 == 0);
    }
    std::vector<std::string> parts;
    manifest.Text([&parts](std::string_view part) { parts.emplace_back(part); });
    ASSERT_FALSE(parts.empty());
    std::string joined;
    for (std::size_t i = 0; i < parts.size(); ++i) {
      EXPECT_EQ(parts[i].back(), '\n');
      EXPECT_LT(parts[i].size(), kPart + 512);
      if (i + 1 < parts.size()) {
        EXPECT_GE(parts[i].size(), kPart);
      }
      joined += parts[i];
    }
    EXPECT_EQ(parts.size(), joined.size() / kPart + 1);
    TSiteManifest read;
    std::string error;
    ASSERT_TRUE(TSiteManifest::Parse(joined, read, error)) << error;
    EXPECT_EQ(read.files, manifest.files);
  }
}

class SiteRecordTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(FCatalogue.Folder() + "/bak"); }

  TGenerationTarget Target() const { return {1, "P", FCatalogue.Folder()}; }
  std::string File(const std::string& path) const { return FCatalogue.Folder() + "/projects/P/" + path; }

  // One run writing a.cs from the inputs given, with the shared inputs given.
  void Run(const std::string& shared, const std::string& inputs, const std::string& bytes = "text") {
    TSiteWriter site(Target(), {});
    site.SetSharedInputs(shared);
    if (!site.Keep("a.cs", inputs)) site.Write("a.cs", bytes, 0666, inputs);
    site.Finish();
  }

  bool Keeps(const std::string& shared, const std::string& inputs) {
    TSiteWriter site(Target(), {true, false});
    site.SetSharedInputs(shared);
    return site.Keep("a.cs", inputs);
  }

  // Moves the record's time on, as if it were written well after the files.
  void AgeFiles() const {
    const auto past = fs::file_time_type::clock::now() - std::chrono::hours(1);
    fs::last_write_time(File("a.cs"), past);
  }

  TTempCatalogue FCatalogue;
};

TEST_F(SiteRecordTest, AFileIsKeptOnlyWhileItsInputsAndItsStampAreAsRecorded) {
  const std::string inputs(32, 'i'), shared(64, 'a');
  Run(shared, inputs);
  // Written in the same clock step as the record, the stamp is not trusted yet: the file is read.
  TSiteManifest record;
  std::string error;
  ASSERT_TRUE(TSiteManifest::Parse(ReadFileBytes(File(TSiteManifest::kPath)), record, error)) << error;
  ASSERT_TRUE(record.files.at("a.cs").facts.stamped);
  ASSERT_TRUE(record.files.at("a.cs").facts.made);
  EXPECT_EQ(record.inputs, shared);

  // A file changed since it was recorded: written again with the same bytes and size (a new inode), or with
  // its time set back by hand (the change time still moves).
  struct TCase {
    const char* what;
    std::function<void()> change;
    std::string shared, inputs;
    bool kept;
  };
  const TCase cases[] = {
      {"as recorded", [] {}, shared, inputs, true},
      {"other inputs", [] {}, shared, std::string(32, 'j'), false},
      {"other shared inputs", [] {}, std::string(64, 'b'), inputs, false},
      {"rewritten with the same bytes", [this] { WriteFileBytes(File("a.cs"), "text"); }, shared, inputs, false},
      {"edited in place, its time put back",
       [this] {
         struct stat before {};
         ::stat(File("a.cs").c_str(), &before);
         WriteFileBytes(File("a.cs"), "TEXT");
         const struct timespec times[2] = {before.st_atim, before.st_mtim};
         ::utimensat(AT_FDCWD, File("a.cs").c_str(), times, 0);
       },
       shared, inputs, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(FCatalogue.Folder() + "/projects");
    Run(shared, inputs);
    // The record is written after the file; move the file's times back so that its stamp counts.
    {
      TSiteManifest written;
      ASSERT_TRUE(TSiteManifest::Parse(ReadFileBytes(File(TSiteManifest::kPath)), written, error)) << error;
      AgeFiles();
      struct stat info {};
      ::stat(File("a.cs").c_str(), &info);
      TFileFacts& facts = written.files.at("a.cs").facts;
      facts.stamp.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
      facts.stamp.changed = static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      WriteFileBytes(File(TSiteManifest::kPath), written.Text());
    }
    c.change();
    EXPECT_EQ(Keeps(c.shared, c.inputs), c.kept);
  }
  // A hand edit that kept the size and the time is still seen: the change time gave it away.
  TSiteWriter site(Target(), {true, false});
  site.SetSharedInputs(shared);
  EXPECT_EQ(site.Write("a.cs", "text", 0666, inputs), TSiteFileState::Edited);
}

TEST_F(SiteRecordTest, AFileWrittenInPartsIsRecordedAsIfWrittenWhole) {
  const std::string parts[] = {std::string(70000, 'a'), "", std::string(3, 'b'), std::string(65536, 'c')};
  std::string whole;
  for (const std::string& part : parts) whole += part;
  const TFileContent::TMaker maker = [&parts](const TFileContent::TSink& sink) {
    for (const std::string& part : parts) sink(part);
  };
  const auto run = [this, &maker](bool dryRun) {
    TSiteWriter site(Target(), {dryRun, false});
    const TSiteFileState state = site.WriteInParts("v/000.json", maker);
    site.Finish();
    return state;
  };
  // A dry run writes nothing; the run writes the parts in order and records their digest and stamp.
  EXPECT_EQ(run(true), TSiteFileState::New);
  EXPECT_FALSE(fs::exists(File("v")));
  EXPECT_EQ(run(false), TSiteFileState::New);
  EXPECT_EQ(ReadFileBytes(File("v/000.json")), whole);
  EXPECT_EQ(ListTree(File("v")), std::set<std::string>{"000.json"});
  TSiteManifest record;
  std::string error;
  ASSERT_TRUE(TSiteManifest::Parse(ReadFileBytes(File(TSiteManifest::kPath)), record, error)) << error;
  EXPECT_EQ(record.files.at("v/000.json").digest, Sha256::Of(whole));
  EXPECT_TRUE(record.files.at("v/000.json").facts.stamped);
  // A file that is there is compared as Write compares it: the same bytes are left alone, a hand edit is seen.
  EXPECT_EQ(run(false), TSiteFileState::Unchanged);
  WriteFileBytes(File("v/000.json"), "edited");
  {
    TSiteWriter site(Target(), {true, true});
    EXPECT_EQ(site.WriteInParts("v/000.json", maker), TSiteFileState::Edited);
  }

  // Another program takes the name while the file is made: the unnamed file cannot be linked, so the text is
  // made again and written under a temporary name. The record holds the digest of that one text.
  int makings = 0;
  const TFileContent::TMaker raced = [&](const TFileContent::TSink& sink) {
    if (++makings == 1) WriteFileBytes(File("v/001.json"), "taken");
    maker(sink);
  };
  {
    TSiteWriter racing(Target(), {});
    EXPECT_EQ(racing.WriteInParts("v/001.json", raced), TSiteFileState::New);
    racing.Finish();
  }
  EXPECT_EQ(makings, 2);
  EXPECT_EQ(ReadFileBytes(File("v/001.json")), whole);
  EXPECT_EQ(ListTree(File("v")), (std::set<std::string>{"000.json", "001.json"}));
  ASSERT_TRUE(TSiteManifest::Parse(ReadFileBytes(File(TSiteManifest::kPath)), record, error)) << error;
  EXPECT_EQ(record.files.at("v/001.json").digest, Sha256::Of(whole));
}

TEST(CatalogueStamp, IsTakenOnlyOnceTheCatalogueHasGoneUnwrittenAndChangesWithEveryWrite) {
  TTempCatalogue folder;
  const std::string file = folder.File();
  const std::string log = file + "-wal";
  // Sets a file's modification time so many seconds before now (its change time becomes now).
  const auto age = [](const std::string& path, int seconds) {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const struct timespec times[2] = {{0, UTIME_OMIT}, {now.tv_sec - seconds, now.tv_nsec}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
  };
  EXPECT_FALSE(SettledCatalogueStamp(file)) << "no catalogue";
  WriteFileBytes(file, "database");
  EXPECT_FALSE(SettledCatalogueStamp(file)) << "written just now";
  age(file, 1);
  EXPECT_FALSE(SettledCatalogueStamp(file)) << "written a second ago";
  age(file, 3);
  const std::optional<TCatalogueStamp> alone = SettledCatalogueStamp(file);
  ASSERT_TRUE(alone);
  EXPECT_EQ(alone->log, TFileStamp());

  // An empty log, however fresh, holds no change: the same stamp as none.
  WriteFileBytes(log, "");
  EXPECT_EQ(SettledCatalogueStamp(file), alone);
  WriteFileBytes(log, "frame");
  EXPECT_FALSE(SettledCatalogueStamp(file)) << "a log written just now";
  age(log, 3);
  const std::optional<TCatalogueStamp> logged = SettledCatalogueStamp(file);
  ASSERT_TRUE(logged);
  EXPECT_NE(logged, alone);
  // Put back to the same modification time after a write of the same size, the log still tells: its change
  // time moved.
  struct stat before {};
  ::stat(log.c_str(), &before);
  WriteFileBytes(log, "FRAME");
  const struct timespec times[2] = {before.st_atim, before.st_mtim};
  ::utimensat(AT_FDCWD, log.c_str(), times, 0);
  EXPECT_NE(SettledCatalogueStamp(file), logged);

  fs::remove(log);
  fs::create_directory(log);
  EXPECT_FALSE(SettledCatalogueStamp(file)) << "a log that is no file";
}

TEST_F(SiteRecordTest, TheRecordVouchesForARunOnlyWithTheCatalogueAndTheSharedInputsItWasMadeWith) {
  const std::string inputs(32, 'i'), shared(64, 'a');
  TCatalogueStamp stamp{7, {1, 2, 3, 4}, {}};
  {
    TSiteWriter site(Target(), {});
    site.SetSharedInputs(shared);
    site.SetCheckedProject(std::string(64, 'e'));
    site.SetCatalogueStamp(stamp);
    site.Write("a.cs", "text", 0666, inputs);
    site.Finish();
  }
  AgeFiles();
  // The file's stamp as it is now, with the record written after it.
  TSiteManifest record;
  std::string error;
  ASSERT_TRUE(TSiteManifest::Parse(ReadFileBytes(File(TSiteManifest::kPath)), record, error)) << error;
  EXPECT_EQ(record.catalogue, stamp);
  struct stat info {};
  ::stat(File("a.cs").c_str(), &info);
  record.files.at("a.cs").facts.stamp.modified =
      static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  record.files.at("a.cs").facts.stamp.changed =
      static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  WriteFileBytes(File(TSiteManifest::kPath), record.Text());

  struct TCase {
    const char* what;
    std::string shared;
    TCatalogueStamp stamp;
    bool trusted;
  };
  TCatalogueStamp otherLog = stamp;
  otherLog.log = {1, 2, 3, 4};
  TCatalogueStamp otherChange = stamp;
  otherChange.file.changed = 5;
  const TCase cases[] = {
      {"as recorded", shared, stamp, true},
      {"other shared inputs", std::string(64, 'b'), stamp, false},
      {"a log since", shared, otherLog, false},
      {"the change time moved", shared, otherChange, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    TSiteWriter site(Target(), {true, false});
    site.SetSharedInputs(c.shared);
    EXPECT_EQ(site.TrustRecord(c.stamp), c.trusted);
    // The inputs as recorded count only in a run the record vouches for.
    EXPECT_EQ(site.Keep("a.cs", TSiteWriter::InputsAsRecorded()), c.trusted);
  }

  // A run that fails part-way keeps the catalogue's stamp only when it read the catalogue with that stamp:
  // the files it did not reach were made from the catalogue as the stamp has it.
  for (const bool same : {true, false}) {
    TSiteWriter site(Target(), {});
    site.SetSharedInputs(shared);
    site.SetCatalogueStamp(same ? stamp : otherChange);
    site.Write("b.cs", same ? "more" : "other", 0666, inputs);
    site.RecordAfterFailure();
    ASSERT_TRUE(TSiteManifest::Parse(ReadFileBytes(File(TSiteManifest::kPath)), record, error)) << error;
    EXPECT_EQ(record.catalogue.has_value(), same);
  }
}
