#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/FileBytes.h"
#include "support/RunProgram.h"

// Drives a copy of a generated site through the page host (tests/support/pagehost): Mono's ASP.NET
// runtime in an application domain of the copy's own, its DBHelp swapped for the stand-in that runs
// every statement on a SQLite file built from the site's table script and records it.

struct TPageResponse {
  std::string method;
  std::string path;
  int status = 0;
  std::string location;
  std::vector<std::string> setCookies;  // the Set-Cookie headers' values
  std::string body;                     // UTF-8
};

class TPageSite {
 public:
  // Copies the site into folder/site and swaps in the stand-in DBHelp. The original stays as it is.
  TPageSite(const std::string& site, const std::string& folder) : FFolder(folder) {
    std::filesystem::create_directories(folder);
    std::filesystem::copy(site, Copy(), std::filesystem::copy_options::recursive);
    std::filesystem::copy_file(CORVANTHEL_PAGE_STANDIN, Copy() + "/App_Code/DAL/DBHelp.cs",
                               std::filesystem::copy_options::overwrite_existing);
  }

  std::string Copy() const { return FFolder + "/site"; }
  std::string Database() const { return FFolder + "/site.sqlite"; }
  std::string LogFile() const { return FFolder + "/statements.log"; }

  // Builds the database from a table script (GBK bytes); false, with the host's message, when SQLite refused it.
  bool BuildDatabase(const std::string& scriptBytes, std::string* message = nullptr) {
    WriteFileBytes(FFolder + "/script.sql", scriptBytes);
    const TProgramResult result =
        RunProgram("mono", {CORVANTHEL_PAGE_HOST, "initdb", FFolder + "/script.sql", Database()}, FFolder);
    if (message != nullptr) *message = result.err;
    return result.exitCode == 0;
  }

  // Runs statements on the database with the sqlite3 shell (to set up rows a scenario needs).
  bool RunSql(const std::string& sql) { return RunProgram("sqlite3", {Database(), sql}, FFolder).exitCode == 0; }
  // The rows a query gives, one line per row, columns separated by '|'.
  std::string Query(const std::string& sql) { return RunProgram("sqlite3", {Database(), sql}, FFolder).out; }

  // Runs a scenario (the host's commands, without the site, db and log lines, which come from here);
  // withDatabase false points the stand-in at a file that does not exist.
  std::vector<TPageResponse> Run(const std::string& scenario, bool withDatabase = true, std::string* errors = nullptr) {
    const std::string file = FFolder + "/scenario.txt";
    WriteFileBytes(file, "site " + Copy() + "\n" + "db " + (withDatabase ? Database() : FFolder + "/none.sqlite") +
                             "\n" + "log " + LogFile() + "\n" + scenario);
    const TProgramResult result = RunProgram("mono", {CORVANTHEL_PAGE_HOST, "run", file}, FFolder);
    if (errors != nullptr) *errors = result.err;
    std::vector<TPageResponse> responses;
    std::size_t at = 0;
    const std::string& out = result.out;
    while ((at = out.find("=== ", at)) != std::string::npos) {
      const std::size_t lineEnd = out.find('\n', at);
      std::vector<std::string> words;
      std::string word;
      for (char c : out.substr(at + 4, lineEnd - at - 4)) {
        if (c == ' ') {
          words.push_back(word);
          word.clear();
        } else {
          word += c;
        }
      }
      words.push_back(word);
      std::size_t next = out.find("\n=== ", lineEnd);
      TPageResponse response;
      if (words.size() >= 4) {
        response.method = words[1];
        response.path = words[2];
        response.status = std::atoi(words[3].c_str());
        if (words.size() >= 5) response.location = words[4];
      }
      std::size_t bodyAt = lineEnd + 1;
      while (out.compare(bodyAt, 12, "Set-Cookie: ") == 0) {
        const std::size_t end = out.find('\n', bodyAt);
        response.setCookies.push_back(out.substr(bodyAt + 12, end - bodyAt - 12));
        bodyAt = end + 1;
      }
      if (out.compare(bodyAt, 1, "\n") == 0) ++bodyAt;
      response.body = out.substr(bodyAt, next == std::string::npos ? std::string::npos : next - bodyAt);
      responses.push_back(response);
      if (next == std::string::npos) break;
      at = next + 1;
    }
    return responses;
  }

  // The statements recorded so far: "SQL\t..." and "PARAM\t@name\ttype\tvalue" lines.
  std::string Statements() const { return ReadFileBytes(LogFile()); }

 private:
  std::string FFolder;
};
