#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/ProjectModel.h"

// What reading a project file gave: the project and every problem found on the way.
struct TModelJsonResult {
  TProjectModel project;              // ids are all 0: the file carries none
  std::vector<std::string> problems;  // one whole line each, in file order; empty when the file can be stored
  // The lines of `problems` that only stop a generation run (a class's key or display member, an unknown
  // reference): a catalogue may hold them, as the window edits such projects.
  std::vector<std::string> runProblems;
};

// A file format built on the project file's: its name and version, and whether it carries the catalogue ids
// (the project's, each class's and each member's, first in their objects).
struct TModelJsonFormat {
  const char* name;
  int version;
  bool withIds;
};

// A project as JSON text, for version control, review and moving projects between machines. The text is
// UTF-8, starts with the format name and version, and holds the classes and members in catalogue order with
// the catalogue's column names as keys, one key per line, so the same project always gives the same bytes and
// changing one value changes one line.
class TModelJson {
 public:
  static constexpr const char* kFormatName = "corvanthel-project";
  static constexpr int kFormatVersion = 1;

  // The file's text, ending with a newline. Raises std::runtime_error naming the class and member when a text
  // of the project is not valid UTF-8.
  std::string Export(const TProjectModel& project);
  // The same text in blocks, as the Export in another format below gives it.
  void Export(const TProjectModel& project, const std::function<void(std::string_view)>& part);

  // Reads a whole file's text and collects every problem: malformed JSON with its line and column, a missing,
  // mistyped, repeated or unknown field, an unknown format or version, and, when the file is otherwise sound,
  // every problem of the project checker. Each problem is one line that names the class and member and starts
  // with the file's line. A non-empty projectName stands in for the file's own (import under another name).
  TModelJsonResult Import(const std::string& text, const std::string& projectName = "");

  // Import() of a file's bytes; raises std::runtime_error with the system's message when it cannot be read.
  TModelJsonResult ImportFile(const std::string& path, const std::string& projectName = "");

  // The same text and reading in another format of the same layout (a site's database version).
  std::string Export(const TProjectModel& project, const TModelJsonFormat& format);
  // The same text handed to part in blocks of at most 64 KB (each valid during the call only), in order: a
  // large project's text (80 MB at 10,000 classes) is never held whole. Raises as Export does, after the
  // blocks before the text at fault.
  void Export(const TProjectModel& project, const TModelJsonFormat& format,
              const std::function<void(std::string_view)>& part);
  TModelJsonResult Import(const std::string& text, const TModelJsonFormat& format);
  // True when the text is JSON whose "format" is formatName, whatever else it holds.
  static bool HasFormat(const std::string& text, const char* formatName);
};
