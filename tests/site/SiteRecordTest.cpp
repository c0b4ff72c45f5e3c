// The version-2 record of a site: what it says of each file beyond its digest, how the writer uses it to
// take a file as unchanged without reading it, and what makes it stop trusting that.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "site/SiteManifest.h"
#include "site/SiteWriter.h"
#include "support/FileBytes.h"
#include "support/TempCatalogue.h"

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
  manifest.digests["a.cs"] = std::string(64, '1');
  manifest.digests["b.cs"] = std::string(64, '2');
  manifest.digests["c.cs"] = std::string(64, '3');
  manifest.facts["a.cs"] = Facts(true, true);
  manifest.facts["c.cs"] = Facts(false, true);
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
  EXPECT_EQ(read.digests, manifest.digests);
  EXPECT_EQ(read.facts, manifest.facts);

  // Without facts it is the first version's text, which older programs read too.
  manifest.inputs.clear();
  manifest.facts.clear();
  EXPECT_EQ(manifest.Text().substr(0, 29), "# corvanthel site manifest 1\n");

  const std::string head = "# corvanthel site manifest 2\n# project: P\n# inputs: - -\n";
  const std::string line = std::string(64, '1') + "  a.cs\n";
  ASSERT_TRUE(TSiteManifest::Parse(head + line + "#= 1 2 3 4 -\n", read, error)) << error;
  for (const std::string& damaged :
       {head + "#= 1 2 3 4 -\n" + line, head + line + "#= 1 2 3 4 -\n#= 1 2 3 4 -\n", head + line + "#= - - - - -\n",
        head + line + "#= 1 2 3 -\n", head + line + "#= 01 2 3 4 -\n", head + line + "#= 1 -0 3 4 -\n",
        head + line + "#= -1 2 3 4 -\n", head + line + "#= 1 2 3 -4 -\n", head + line + "#= 1 2 3 4 " + ab + "0\n",
        head + line + "#= 1 2 3 4 99999999999999999999\n", head + line + "#= 1 2 - 4 -\n",
        head + line + "#=  1 2 3 4 -\n", std::string("# corvanthel site manifest 2\n# project: P\n# inputs: - x\n"),
        std::string("# corvanthel site manifest 2\n# project: P\n# inputs: -\n"),
        std::string("# corvanthel site manifest 2\n# project: P\n") + line,
        // A digest or inputs with one character that is no lower-case hexadecimal digit, first or last.
        head + line + "#= 1 2 3 4 " + ab.substr(0, 63) + "B\n", head + line + "#= 1 2 3 4 g" + ab.substr(1) + "\n",
        head + line + "#= 1 2 3 4 " + ab.substr(0, 63) + "\xe6\n", head + std::string(63, '1') + "F  a.cs\n",
        head + ":" + std::string(63, '1') + "  a.cs\n",
        "# corvanthel site manifest 2\n# project: P\n# inputs: " + std::string(63, 'c') + "G -\n"}) {
    EXPECT_FALSE(TSiteManifest::Parse(damaged, read, error)) << damaged;
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
  ASSERT_TRUE(record.facts.at("a.cs").stamped);
  ASSERT_TRUE(record.facts.at("a.cs").made);
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
      TFileFacts& facts = written.facts.at("a.cs");
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
