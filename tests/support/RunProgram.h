#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// Runs a program of the build's bin folder and captures what it printed.
struct TProgramResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

inline std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + "'";
}

inline TProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                                 const std::string& scratchFolder) {
  const std::string outFile = scratchFolder + "/stdout.txt";
  const std::string errFile = scratchFolder + "/stderr.txt";
  std::string command = ShellQuote(program);
  for (const std::string& arg : args) command += " " + ShellQuote(arg);
  command += " >" + ShellQuote(outFile) + " 2>" + ShellQuote(errFile) + " </dev/null";
  const int status = std::system(command.c_str());
  TProgramResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  auto slurp = [](const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
  };
  result.out = slurp(outFile);
  result.err = slurp(errFile);
  std::filesystem::remove(outFile);
  std::filesystem::remove(errFile);
  return result;
}

inline std::string CliPath() {
  return std::string(CORVANTHEL_BIN_DIR) + "/corvanthel-cli";
}
