#pragma once

#include <vector>

// The files of generation/templates, compiled into the program by CMake.
struct TBuiltInTemplateFile {
  const char* path;  // below generation/templates: "Entity.cs.mustache", "pages/List.aspx.mustache"
  const char* text;  // UTF-8, as in the sources
};

const std::vector<TBuiltInTemplateFile>& BuiltInTemplateFiles();
