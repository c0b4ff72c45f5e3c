#include "site/SiteManifest.h"

namespace {

const char kHeader[] = "# corvanthel site manifest 1";
const char kProjectPrefix[] = "# project: ";

bool NeedsEscape(const std::string& name) {
  return name.find_first_of("\\\n\r") != std::string::npos;
}

std::string Escape(const std::string& name) {
  std::string escaped;
  for (const char c : name) {
    if (c == '\\') {
      escaped += "\\\\";
    } else if (c == '\n') {
      escaped += "\\n";
    } else if (c == '\r') {
      escaped += "\\r";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

bool Unescape(const std::string& text, std::string& name) {
  name.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      name += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case '\\':
        name += '\\';
        break;
      case 'n':
        name += '\n';
        break;
      case 'r':
        name += '\r';
        break;
      default:
        return false;
    }
  }
  return true;
}

// A path inside the site: relative, without empty, "." or ".." parts. A record naming
// anything else was not written by a run and is not believed.
bool IsSitePath(const std::string& path) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t slash = path.find('/', start);
    const std::string part = path.substr(start, slash - start);
    if (part.empty() || part == "." || part == "..") return false;
    if (slash == std::string::npos) return true;
    start = slash + 1;
  }
}

bool IsDigest(const std::string& text) {
  if (text.size() != 64) return false;
  for (const char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

}  // namespace

std::string TSiteManifest::Text() const {
  std::string text = std::string(kHeader) + "\n" + kProjectPrefix + Escape(projectName) + "\n";
  for (const auto& [path, digest] : digests) {
    if (NeedsEscape(path)) text += '\\';
    text += digest + "  " + Escape(path) + "\n";
  }
  return text;
}

bool TSiteManifest::Parse(const std::string& text, TSiteManifest& manifest, std::string& error) {
  manifest = TSiteManifest();
  if (!text.empty() && text.back() != '\n') {
    error = "文件不完整";
    return false;
  }
  std::size_t lineNumber = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    const std::string where = "第" + std::to_string(lineNumber) + "行";
    if (lineNumber == 1) {
      if (line != kHeader) {
        error = "不是本程序的生成记录";
        return false;
      }
      continue;
    }
    if (lineNumber == 2) {
      if (line.rfind(kProjectPrefix, 0) != 0 ||
          !Unescape(line.substr(sizeof kProjectPrefix - 1), manifest.projectName)) {
        error = where + "不是工程名称";
        return false;
      }
      continue;
    }
    const bool escaped = !line.empty() && line[0] == '\\';
    const std::string entry = escaped ? line.substr(1) : line;
    std::string path;
    if (entry.size() < 67 || !IsDigest(entry.substr(0, 64)) || entry.compare(64, 2, "  ") != 0 ||
        !(escaped ? Unescape(entry.substr(66), path) : (path = entry.substr(66), true)) || !IsSitePath(path) ||
        !manifest.digests.emplace(path, entry.substr(0, 64)).second) {
      error = where + "无法识别";
      return false;
    }
  }
  if (lineNumber < 2) {
    error = lineNumber == 0 ? "文件是空的" : "缺少工程名称";
    return false;
  }
  return true;
}
