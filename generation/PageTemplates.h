#pragma once

#include <string>
#include <vector>

// The built-in page templates, compiled into the program from generation/templates/pages.
struct TPageTemplate {
  const char* name;  // "pages/List.aspx.mustache"
  const char* text;  // UTF-8, LF line ends
};

const std::vector<TPageTemplate>& PageTemplates();
