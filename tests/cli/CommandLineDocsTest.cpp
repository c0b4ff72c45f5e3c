// The manual pages and the bash completion the build writes: every command and option that --help
// shows is in the manual page, and the completion offers what a user would expect at each point.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

#include "catalogue/ProjectDAO.h"
#include "support/FileBytes.h"
#include "support/RunProgram.h"
#include "support/TempCatalogue.h"

namespace {

// The manual page's source with the font changes taken out and minus signs as typed.
std::string PageText(const std::string& name) {
  std::string page = ReadFileBytes(std::string(CORVANTHEL_MAN_DIR) + "/" + name);
  page = std::regex_replace(page, std::regex(R"(\\f[BIRP])"), "");
  page = std::regex_replace(page, std::regex(R"(\\-)"), "-");
  return page;
}

// The options a help text names (-o, --dry-run), and the placeholders of its positionals (PROJECT).
std::set<std::string> Named(const std::string& help) {
  std::set<std::string> names;
  static const std::regex option(R"((?:^|[\s\[|,])(--?[a-z][a-z-]*))");
  for (std::sregex_iterator it(help.begin(), help.end(), option), end; it != end; ++it) names.insert((*it)[1]);
  const std::size_t positionals = help.find("Positionals:");
  if (positionals != std::string::npos) {
    static const std::regex placeholder(R"(\n  ([A-Z]+) )");
    const std::string part = help.substr(positionals, help.find("Options:") - positionals);
    for (std::sregex_iterator it(part.begin(), part.end(), placeholder), end; it != end; ++it) names.insert((*it)[1]);
  }
  return names;
}

bool HasWord(const std::string& text, const std::string& word) {
  // Option names and placeholders hold letters and hyphens only, nothing a regular expression reads.
  const std::regex pattern("(^|[^-a-zA-Z])" + word + "([^-a-zA-Z]|$)");
  return std::regex_search(text, pattern);
}

}  // namespace

TEST(CommandLineDocs, TheCliManualPageHasEveryCommandAndOptionOfItsHelp) {
  TTempCatalogue scratch;
  const std::string page = PageText("corvanthel-cli.1");
  const TProgramResult help = RunProgram(CliPath(), {"--help"}, scratch.Folder());
  ASSERT_EQ(help.exitCode, 0);
  static const std::regex commandLine(R"(corvanthel-cli \[--dir FOLDER\] ([a-z-]+))");
  std::vector<std::string> commands;
  for (std::sregex_iterator it(help.out.begin(), help.out.end(), commandLine), end; it != end; ++it)
    commands.push_back((*it)[1]);
  ASSERT_GE(commands.size(), 10u) << help.out;
  for (const std::string& name : Named(help.out)) EXPECT_TRUE(HasWord(page, name)) << name;
  const std::size_t commandsAt = page.find(".SH COMMANDS"), optionsAt = page.find(".SH OPTIONS");
  ASSERT_LT(commandsAt, optionsAt);
  // Each command has its entry, in the order of the usage, and its entry names everything its own --help names.
  std::vector<std::size_t> entries;
  for (const std::string& command : commands) {
    entries.push_back(page.find(".TP\n" + command + " ", commandsAt));
    ASSERT_LT(entries.back(), optionsAt) << command;
  }
  entries.push_back(optionsAt);
  for (std::size_t i = 0; i < commands.size(); ++i) {
    const std::string& command = commands[i];
    ASSERT_LT(entries[i], entries[i + 1]) << command;
    const std::string entry = page.substr(entries[i], entries[i + 1] - entries[i]);
    const TProgramResult own = RunProgram(CliPath(), {command, "--help"}, scratch.Folder());
    ASSERT_EQ(own.exitCode, 0) << command;
    for (const std::string& name : Named(own.out)) {
      if (name == "-h" || name == "--help") continue;
      EXPECT_TRUE(HasWord(entry, name)) << command << " " << name << "\n" << entry;
    }
  }
  for (const char* section :
       {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXIT STATUS", "ENVIRONMENT", "FILES", "EXAMPLES", "SEE ALSO"})
    EXPECT_NE(page.find(std::string(".SH ") + section + "\n"), std::string::npos) << section;
  EXPECT_NE(page.find(std::string("\"corvanthel ") + CORVANTHEL_VERSION + "\""), std::string::npos);
}

TEST(CommandLineDocs, TheWindowManualPageHasEveryOptionOfItsHelp) {
  const std::string program = std::string(CORVANTHEL_BIN_DIR) + "/corvanthel";
  if (!std::filesystem::exists(program)) GTEST_SKIP() << "built without the window program";
  TTempCatalogue scratch;
  const TProgramResult help = RunProgram("env", {"QT_QPA_PLATFORM=offscreen", program, "--help"}, scratch.Folder());
  ASSERT_EQ(help.exitCode, 0) << help.err;
  const std::set<std::string> names = Named(help.out);
  for (const char* expected : {"--help", "--version", "--dir", "--quit-after"}) EXPECT_EQ(names.count(expected), 1u);
  const std::string page = PageText("corvanthel.1");
  for (const std::string& name : names) EXPECT_TRUE(HasWord(page, name)) << name;
  EXPECT_NE(page.find(".SH EXIT STATUS\n"), std::string::npos);
}

// What the completion offers: the words it puts in COMPREPLY after the words typed so far (the last
// being the one completed), one per line.
class CompletionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TProjectDAO projects;
    projects.AddProject("Shop");
    projects.AddProject("书店");
    projects.AddProject("My Shop");
    std::filesystem::create_directory(FCatalogue.Folder() + "/sub folder");
    WriteFileBytes(FCatalogue.Folder() + "/shop.sql", "");
  }

  std::string Complete(std::vector<std::string> words) {
    for (std::string& word : words)
      if (word == "DIR") word = FCatalogue.Folder();
    words.insert(words.begin(), CliPath());
    std::vector<std::string> args = {
        "LC_ALL=C.UTF-8",
        "bash",
        "-c",
        "cd \"$1\" && shift && source \"$0\" && COMP_WORDS=(\"$@\") && COMP_CWORD=$(($# - 1)) && _corvanthel_cli && "
        "printf '%s\\n' \"${COMPREPLY[@]}\"",
        std::string(CORVANTHEL_MAN_DIR) + "/corvanthel-cli.bash",
        FCatalogue.Folder()};
    args.insert(args.end(), words.begin(), words.end());
    const TProgramResult result = RunProgram("env", args, FCatalogue.Folder());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return result.out;
  }

  TTempCatalogue FCatalogue;
};

TEST_F(CompletionTest, OffersCommandsOptionsProjectsFilesAndWords) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"im"}, "import\nimport-sql\n"},
      {{"--"}, "--help\n--dir\n--version\n"},
      {{"--dir", "DIR", "generate", ""}, "Shop\n书店\nMy\\ Shop\n"},
      {{"--dir", "DIR", "sql", "M"}, "My\\ Shop\n"},
      {{"--dir", "DIR", "generate", "Shop", "--"}, "--help\n--templates\n--dry-run\n--keep-edits\n--pages\n"},
      {{"--dir", "DIR", "generate", "--templates", "su"}, "sub folder\n"},
      {{"--dir", "DIR", "sql", "Shop", "-o", "sh"}, "shop.sql\n"},
      {{"--dir", "DIR", "preview", "Shop", "Book", "d"}, "dal\n"},
      {{"templates", "s"}, "status\n"},
      {{"templates", "export", "su"}, "sub folder\n"},
      {{"--dir", "DIR", "import-sql", "sh"}, "shop.sql\n"},
      {{"--dir", "DIR", "import-sql", "shop.sql", "--project", ""}, "\n"},  // a new name: nothing to offer
      {{"--dir", "DIR", "check", "--file", "sh"}, "shop.sql\n"},
  };
  for (const auto& [words, offered] : cases) {
    std::string typed;
    for (const std::string& word : words) typed += "'" + word + "' ";
    EXPECT_EQ(Complete(words), offered) << typed;
  }
}
