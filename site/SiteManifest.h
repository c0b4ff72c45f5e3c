#pragma once

#include <map>
#include <string>

// What a generation run wrote into a site, kept in the site for the next run: the
// project's name and, for every file of the site the run wrote (path relative to the
// site, with forward slashes), the SHA-256 of the bytes it wrote. A file whose bytes
// no longer have that digest was changed by hand since.
//
// The text is the format of sha256sum, so `sha256sum -c` run in the site folder checks
// it, after two comment lines naming the format and the project:
//   # corvanthel site manifest 1
//   # project: Shop
//   <64 hex digits>  App_Code/ENTITY/Book.cs
// A name holding a backslash or a line break is escaped as sha256sum does (the line then
// starts with a backslash). Lines end in LF and are sorted by path, so two runs that
// write the same files leave the same bytes.
struct TSiteManifest {
  // Where the manifest lives, relative to the site: App_Data is never served by the web server.
  static constexpr const char* kPath = "App_Data/corvanthel-manifest.sha256";

  std::string projectName;
  std::map<std::string, std::string> digests;  // site-relative path -> SHA-256 (hex)

  std::string Text() const;

  // Reads a manifest's text. Returns false and says why in error when the text is not
  // exactly a manifest (a damaged or truncated file is not half believed).
  static bool Parse(const std::string& text, TSiteManifest& manifest, std::string& error);
};
