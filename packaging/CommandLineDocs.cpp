#include "packaging/CommandLineDocs.h"

#include <CLI/CLI.hpp>
#include <fstream>
#include <iostream>
#include <iterator>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace CommandLineDocs {

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator)) parts.push_back(part);
  return parts;
}

std::string Join(const std::vector<std::string>& parts, const std::string& separator) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : separator) + part;
  return text;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

// An option name or a literal word in roff: every hyphen a minus sign, as a user types it.
std::string RoffWord(const std::string& word) {
  std::string text;
  for (const char c : word) text += c == '-' ? "\\-" : c == '\\' ? "\\e" : std::string(1, c);
  return text;
}

// Running text in roff: a hyphen that starts a word is an option's minus sign; no line starts a request.
std::string RoffText(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool wordStart = i == 0 || text[i - 1] == ' ' || text[i - 1] == '(' || text[i - 1] == '-';
    if (c == '\\')
      out += "\\e";
    else if (c == '-' && wordStart)
      out += "\\-";
    else
      out += c;
  }
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out = "\\&" + out;
  return out;
}

bool IsPlaceholder(const std::string& word) {
  if (word.empty()) return false;
  for (const char c : word)
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
  return true;
}

// An argument's tag: "\fB\-o\fR \fIFILE\fR", "\fB\-h\fR, \fB\-\-help\fR", "\fIPROJECT\fR".
std::string RoffTag(const TArgument& argument) {
  if (argument.positional) return "\\fI" + argument.names.front() + "\\fR";
  std::vector<std::string> names;
  for (const std::string& name : argument.names) names.push_back("\\fB" + RoffWord(name) + "\\fR");
  return Join(names, ", ") + (argument.value.empty() ? "" : " \\fI" + argument.value + "\\fR");
}

std::string RoffList(const std::vector<TArgument>& arguments) {
  std::string text;
  for (const TArgument& argument : arguments)
    text += ".TP\n" + RoffTag(argument) + "\n" + RoffText(argument.description) + "\n";
  return text;
}

bool IsFlag(const TArgument& argument) {
  return !argument.positional && argument.value.empty();
}

// The long name of an option, else its short one.
std::string LongName(const TArgument& argument) {
  return argument.names.back();
}

std::string ManSynopsis(const TProgram& program) {
  // The program's options that take a value go before the command; its flags stand alone.
  std::string before;
  std::vector<std::string> flags;
  for (const TArgument& option : program.options) {
    if (IsFlag(option))
      flags.push_back("\\fB" + RoffWord(LongName(option)) + "\\fR");
    else
      before += "[" + RoffTag(option) + "]\n";
  }
  const std::string start = ".SY " + RoffWord(program.name) + "\n";
  std::string text;
  for (const TCommand& command : program.commands)
    text += start + before + "\\fB" + RoffWord(command.name) + "\\fR " + RoffSynopsis(command.synopsis) + "\n.YS\n";
  if (program.commands.empty()) text += start + before + ".YS\n";
  return text + start + Join(flags, " | ") + "\n.YS\n";
}

std::string ManCommands(const TProgram& program) {
  std::string text;
  for (const TCommand& command : program.commands) {
    text += ".TP\n\\fB" + RoffWord(command.name) + "\\fR " + RoffSynopsis(command.synopsis) + "\n";
    text += RoffText(command.summary) + ".\n";
    if (command.arguments.empty()) continue;
    text += ".RS\n" + RoffList(command.arguments) + ".RE\n";
  }
  return text;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
}

// ---- bash completion ----

// What a value is completed with: a project's name, a file, a folder, one of some words, or nothing.
std::string CompletionKind(const std::string& placeholder, const std::vector<std::string>& words) {
  if (!words.empty()) return "words:" + Join(words, " ");
  if (placeholder == "PROJECT") return "project";
  if (placeholder == "FILE") return "file";
  if (placeholder == "DIR" || placeholder == "FOLDER") return "dir";
  return "none";
}

std::string ShellFunctionName(const std::string& program) {
  std::string name = "_" + program;
  for (char& c : name)
    if (c == '-') c = '_';
  return name;
}

}  // namespace

TProgram FromCli11(const CLI::App& app, const std::vector<std::pair<std::string, std::string>>& synopses) {
  const auto argumentOf = [](const CLI::Option& option) {
    TArgument argument;
    argument.description = option.get_description();
    argument.positional = option.get_positional() && !option.nonpositional();
    if (argument.positional) {
      argument.names.push_back(option.get_name());
    } else {
      for (const std::string& name : option.get_snames()) argument.names.push_back("-" + name);
      for (const std::string& name : option.get_lnames()) argument.names.push_back("--" + name);
    }
    // The type name with each validator's description after a colon: "DIR:DIR", "TEXT:{a,b}", "a|b".
    const std::vector<std::string> parts = Split(option.get_type_name(), ':');
    for (const std::string& part : parts) {
      if (part.size() > 1 && part.front() == '{' && part.back() == '}')
        argument.words = Split(part.substr(1, part.size() - 2), ',');
      else if (part.find('|') != std::string::npos)
        argument.words = Split(part, '|');
    }
    if (option.get_type_size_max() > 0 && !argument.positional && !parts.empty()) argument.value = parts.front();
    return argument;
  };
  TProgram program;
  program.name = app.get_name();
  for (const CLI::Option* option : app.get_options())
    if (!option->get_positional()) program.options.push_back(argumentOf(*option));
  for (const auto& [name, synopsis] : synopses) {
    const CLI::App* sub = app.get_subcommand(name);
    TCommand command{name, synopsis, sub->get_description(), {}};
    // Positionals first, in the order they are taken, then the options.
    for (const bool positional : {true, false})
      for (const CLI::Option* option : sub->get_options())
        if (option != sub->get_help_ptr() && option->get_positional() == positional)
          command.arguments.push_back(argumentOf(*option));
    program.commands.push_back(command);
  }
  return program;
}

TProgram FromQtHelp(const std::string& name, const std::string& help) {
  TProgram program;
  program.name = name;
  static const std::regex optionLine(R"(^  (-\S.*?)  +(\S.*)$)");
  bool inOptions = false;
  for (const std::string& line : Split(help, '\n')) {
    std::smatch match;
    if (line == "Options:") {
      inOptions = true;
    } else if (!inOptions || line.empty() || line[0] != ' ') {
      inOptions = inOptions && line.empty();
    } else if (std::regex_match(line, match, optionLine)) {
      TArgument option;
      option.description = match[2];
      for (std::string form : Split(match[1], ',')) {
        while (!form.empty() && form.front() == ' ') form.erase(0, 1);
        const std::size_t value = form.find(" <");
        if (value != std::string::npos) {
          option.value = form.substr(value + 2, form.size() - value - 3);
          form.resize(value);
        }
        option.names.push_back(form);
      }
      program.options.push_back(option);
    } else if (!program.options.empty()) {
      // A description that goes on, indented to its column.
      std::string more = line;
      more.erase(0, more.find_first_not_of(' '));
      program.options.back().description += " " + more;
    }
  }
  return program;
}

std::string RoffSynopsis(const std::string& synopsis) {
  std::string text;
  std::string word;
  const auto flush = [&] {
    if (word.empty()) return;
    if (word[0] == '-' || !IsPlaceholder(word))
      text += "\\fB" + RoffWord(word) + "\\fR";
    else
      text += "\\fI" + word + "\\fR";
    word.clear();
  };
  for (const char c : synopsis) {
    if (c == ' ' || c == '[' || c == ']' || c == '|') {
      flush();
      text += c;
    } else {
      word += c;
    }
  }
  flush();
  return text;
}

std::string ManPage(const TProgram& program, const std::string& pageTemplate, const std::string& version,
                    const std::string& date) {
  std::string page = pageTemplate;
  ReplaceAll(page, "@SYNOPSIS@\n", ManSynopsis(program));
  ReplaceAll(page, "@COMMANDS@\n", ManCommands(program));
  ReplaceAll(page, "@OPTIONS@\n", RoffList(program.options));
  ReplaceAll(page, "@VERSION@", version);
  ReplaceAll(page, "@DATE@", date);
  if (page.find('@') != std::string::npos) {
    const std::size_t at = page.find('@');
    throw std::runtime_error("the man page template holds an unknown placeholder: " + page.substr(at, 20));
  }
  return page;
}

std::string BashCompletion(const TProgram& program) {
  const std::string function = ShellFunctionName(program.name);
  std::string commands;
  std::string options = "    '') echo '";
  std::string values;
  std::string positionals;
  std::vector<std::string> programOptions;
  for (const TArgument& option : program.options) {
    programOptions.insert(programOptions.end(), option.names.begin(), option.names.end());
    if (IsFlag(option)) continue;
    for (const std::string& name : option.names)
      values += "    ' " + name + "') echo " + CompletionKind(option.value, option.words) + " ;;\n";
  }
  options += Join(programOptions, " ") + "' ;;\n";
  for (const TCommand& command : program.commands) {
    commands += (commands.empty() ? "" : " ") + command.name;
    std::vector<std::string> names{"-h", "--help"};
    int index = 0;
    for (const TArgument& argument : command.arguments) {
      if (argument.positional) {
        positionals += "    '" + command.name + " " + std::to_string(index++) + "') echo '" +
                       CompletionKind(argument.names.front(), argument.words) + "' ;;\n";
        continue;
      }
      names.insert(names.end(), argument.names.begin(), argument.names.end());
      if (IsFlag(argument)) continue;
      for (const std::string& name : argument.names)
        values +=
            "    '" + command.name + " " + name + "') echo " + CompletionKind(argument.value, argument.words) + " ;;\n";
    }
    options += "    " + command.name + ") echo '" + Join(names, " ") + "' ;;\n";
  }

  std::string script =
      "# bash completion for @PROGRAM@: its commands, their options, files and folders where they take them,\n"
      "# and the names of the catalogue's projects (@PROGRAM@ list). Made at build time from the program's\n"
      "# own definition of its command line.\n"
      "\n"
      "# The options of a command ('' for the program's own).\n"
      "@FUNCTION@_options() {\n"
      "  case $1 in\n" +
      options +
      "  esac\n"
      "}\n"
      "\n"
      "# How the value of an option is completed: project, file, dir, words:..., none; empty for a flag.\n"
      "@FUNCTION@_value() {\n"
      "  case \"$1 $2\" in\n" +
      values +
      "  esac\n"
      "}\n"
      "\n"
      "# How the command's positional argument number $2 (from 0) is completed.\n"
      "@FUNCTION@_positional() {\n"
      "  case \"$1 $2\" in\n" +
      positionals +
      "  esac\n"
      "}\n"
      "\n"
      "@FUNCTION@_complete() {\n"
      "  local kind=$1 cur=$2 dir=$3 name IFS=$'\\n'\n"
      "  case $kind in\n"
      "    project)\n"
      "      local folder=()\n"
      "      [[ -n $dir ]] && folder=(--dir \"$dir\")\n"
      "      while IFS= read -r name; do\n"
      "        [[ $name == \"$cur\"* ]] && COMPREPLY+=(\"$(printf '%q' \"$name\")\")\n"
      "      done < <(\"${COMP_WORDS[0]}\" \"${folder[@]}\" list 2>/dev/null)\n"
      "      ;;\n"
      "    file)\n"
      "      compopt -o filenames 2>/dev/null\n"
      "      COMPREPLY=($(compgen -f -- \"$cur\"))\n"
      "      ;;\n"
      "    dir)\n"
      "      compopt -o filenames 2>/dev/null\n"
      "      COMPREPLY=($(compgen -d -- \"$cur\"))\n"
      "      ;;\n"
      "    words:*)\n"
      "      IFS=$' \\t\\n'\n"
      "      COMPREPLY=($(compgen -W \"${kind#words:}\" -- \"$cur\"))\n"
      "      ;;\n"
      "  esac\n"
      "}\n"
      "\n"
      "@FUNCTION@() {\n"
      "  local cur=${COMP_WORDS[COMP_CWORD]} command= dir= count=0 i word kind\n"
      "  COMPREPLY=()\n"
      "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
      "    word=${COMP_WORDS[i]}\n"
      "    kind=$(@FUNCTION@_value \"$command\" \"$word\")\n"
      "    if [[ -n $kind ]]; then\n"
      "      if ((i + 1 == COMP_CWORD)); then\n"
      "        # The word being completed is this option's value.\n"
      "        @FUNCTION@_complete \"$kind\" \"$cur\" \"$dir\"\n"
      "        return 0\n"
      "      fi\n"
      "      [[ -z $command && $word == --dir ]] && dir=${COMP_WORDS[i + 1]/#\\~/$HOME}\n"
      "      ((i++))\n"
      "    elif [[ $word == -* ]]; then\n"
      "      :\n"
      "    elif [[ -z $command ]]; then\n"
      "      command=$word\n"
      "    else\n"
      "      count=$((count + 1))\n"
      "    fi\n"
      "  done\n"
      "  if [[ $cur == -* ]]; then\n"
      "    COMPREPLY=($(compgen -W \"$(@FUNCTION@_options \"$command\")\" -- \"$cur\"))\n"
      "  elif [[ -z $command ]]; then\n"
      "    COMPREPLY=($(compgen -W '@COMMANDS@' -- \"$cur\"))\n"
      "  else\n"
      "    @FUNCTION@_complete \"$(@FUNCTION@_positional \"$command\" \"$count\")\" \"$cur\" \"$dir\"\n"
      "  fi\n"
      "  return 0\n"
      "}\n"
      "\n"
      "complete -F @FUNCTION@ @PROGRAM@\n";
  ReplaceAll(script, "@FUNCTION@", function);
  ReplaceAll(script, "@PROGRAM@", program.name);
  ReplaceAll(script, "@COMMANDS@", commands);
  return script;
}

int Main(const CLI::App& app, const std::vector<std::pair<std::string, std::string>>& synopses, int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  try {
    if (args.size() == 3 && args[0] == "man") {
      WriteFile(args[2],
                ManPage(FromCli11(app, synopses), ReadFile(args[1]), CORVANTHEL_VERSION, CORVANTHEL_RELEASE_DATE));
    } else if (args.size() == 2 && args[0] == "completion") {
      WriteFile(args[1], BashCompletion(FromCli11(app, synopses)));
    } else if (args.size() == 5 && args[0] == "qt-man") {
      WriteFile(args[4], ManPage(FromQtHelp(args[1], ReadFile(args[2])), ReadFile(args[3]), CORVANTHEL_VERSION,
                                 CORVANTHEL_RELEASE_DATE));
    } else {
      std::cerr << "usage: " << argv[0]
                << " man TEMPLATE OUTPUT | completion OUTPUT | qt-man PROGRAM HELP_FILE TEMPLATE OUTPUT\n";
      return 2;
    }
  } catch (const std::exception& error) {
    std::cerr << argv[0] << ": " << error.what() << '\n';
    return 2;
  }
  return 0;
}

}  // namespace CommandLineDocs
