#pragma once

#include <stdexcept>
#include <string>

// A file-system failure while writing generated output: names the file or folder
// and carries the operating system's error code and message.
class TFileError : public std::runtime_error {
 public:
  TFileError(const std::string& message, int code) : std::runtime_error(message), FCode(code) {}
  int Code() const { return FCode; }

 private:
  int FCode;
};

// The only place where the code generators write to the file system.
class TFileOperate {
 public:
  // Writes one generated source file. The UTF-8 text is first encoded to GBK as a
  // whole; only then is dirPath created (with its parents, outcome unchecked) and
  // fileName created or truncated and written byte for byte: no byte-order mark, no
  // added line end. fileName is opened exactly as given, independently of dirPath.
  // A character GBK cannot hold raises TGbkEncodingError naming the file and the
  // character, and leaves an existing file untouched. An I/O failure raises TFileError.
  static void WriteTextFile(const std::string& dirPath, const std::string& fileName, const std::string& utf8Content);

  // Copies the folder tree sourceDir into targetDir (created with its parents when
  // missing). failIfExists keeps the files that already exist directly in targetDir;
  // files in sub-folders, at any depth, always replace existing ones. Empty sub-folders
  // are created, hidden files copied. Failures to create a folder or copy a file are
  // skipped. Raises TFileError when sourceDir does not exist or is no folder; returns
  // false when it cannot be listed, true otherwise. Works on absolute paths and never
  // changes the process's current directory.
  static bool CopyDirectory(const std::string& sourceDir, const std::string& targetDir, bool failIfExists);
};
