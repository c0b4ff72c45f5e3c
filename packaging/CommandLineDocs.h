#pragma once

// The manual pages and the bash completion, written at build time from the definitions the programs
// parse their arguments with, so that neither can drift from --help:
//   corvanthel-cli: the CLI11 definition itself (app/cli.cpp is built a second time with this main);
//   corvanthel:     the option list of its --help, as Qt's command-line parser prints it.
// The hand-written parts of each page (description, exit status, files, examples) are in
// packaging/man/NAME.1.in; the writer fills in the generated parts.

#include <string>
#include <utility>
#include <vector>

namespace CLI {
class App;
}

namespace CommandLineDocs {

// One command-line argument as a manual page and a completion see it.
struct TArgument {
  std::vector<std::string> names;  // "-o", "--dry-run"; a positional's one name ("PROJECT")
  std::string value;               // what an option takes ("FILE"); empty for a flag
  std::string description;
  bool positional = false;
  std::vector<std::string> words;  // the only values it takes, when it names them
};

// One command of the program: its name, its arguments' synopsis as the usage shows it, its summary
// and its arguments in the order it takes them.
struct TCommand {
  std::string name;
  std::string synopsis;
  std::string summary;
  std::vector<TArgument> arguments;
};

// The commands and the program's own options of a CLI11 definition; commands in the order given.
struct TProgram {
  std::string name;
  std::vector<TCommand> commands;
  std::vector<TArgument> options;
};
TProgram FromCli11(const CLI::App& app, const std::vector<std::pair<std::string, std::string>>& synopses);

// The options of a --help text in the layout of Qt's command-line parser ("  -v, --version  Displays ...").
TProgram FromQtHelp(const std::string& name, const std::string& help);

// Roff text: a synopsis ("PROJECT [-o FILE]") with options bold and placeholders in italics.
std::string RoffSynopsis(const std::string& synopsis);
// The manual page: the template with @SYNOPSIS@, @COMMANDS@, @OPTIONS@, @VERSION@ and @DATE@ filled in.
std::string ManPage(const TProgram& program, const std::string& pageTemplate, const std::string& version,
                    const std::string& date);
// A bash completion for the program's commands, options, files, folders and project names.
std::string BashCompletion(const TProgram& program);

// The build tool's main:  man TEMPLATE OUTPUT | completion OUTPUT | qt-man PROGRAM HELP_FILE TEMPLATE OUTPUT.
int Main(const CLI::App& app, const std::vector<std::pair<std::string, std::string>>& synopses, int argc, char** argv);

}  // namespace CommandLineDocs
