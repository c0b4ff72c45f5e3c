#include "generation/TemplateSet.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <system_error>

#include "generation/BuiltInTemplateFiles.h"
#include "site/FileOperate.h"
#include "text/Sha256.h"

namespace {

constexpr const char* kSuffix = ".mustache";

struct TKnownTemplate {
  const char* name;
  TViewScope scope;
  const char* makes;
};

// What each built-in template is rendered for. A file of generation/templates missing here is a fault
// of the build (BuiltInTemplates says so).
const TKnownTemplate kKnown[] = {
    {"Entity.cs", TViewScope::Class, "App_Code/ENTITY/<类>.cs"},
    {"BLL.cs", TViewScope::Class, "App_Code/BLL/bll<类>.cs"},
    {"DAL.cs", TViewScope::Class, "App_Code/DAL/dal<类>.cs"},
    {"sql/Script.sql", TViewScope::Project, "the whole table script (sql)"},
    {"sql/ClassScript.sql", TViewScope::Class, "one class's share of the table script (preview)"},
    {"sql/Table.sql", TViewScope::Class, "a class's table, part of both scripts"},
    {"sql/ForeignKeys.sql", TViewScope::Class, "a class's foreign keys, part of both scripts"},
    {"sql/Upgrade.sql", TViewScope::Upgrade, "the upgrade script (upgrade-sql)"},
};

// "{{! NAME revision N }}" on the first line; 0 when there is none. (Read by hand: compiling a regular
// expression would cost more than everything else a preview does.)
int RevisionOf(const std::string& text) {
  const std::string line = text.substr(0, text.find('\n'));
  std::size_t at = 0;
  const auto blanks = [&line, &at] {
    const std::size_t start = at;
    while (at < line.size() && std::isspace(static_cast<unsigned char>(line[at]))) ++at;
    return at - start;
  };
  const auto word = [&line, &at] {
    const std::size_t start = at;
    while (at < line.size() && !std::isspace(static_cast<unsigned char>(line[at]))) ++at;
    return line.substr(start, at - start);
  };
  if (line.compare(0, 3, "{{!") != 0) return 0;
  at = 3;
  blanks();
  if (word().empty() || blanks() == 0 || word() != "revision" || blanks() == 0) return 0;
  const std::size_t digits = at;
  while (at < line.size() && line[at] >= '0' && line[at] <= '9') ++at;
  if (at == digits || at - digits > 10) return 0;
  const long long number = std::stoll(line.substr(digits, at - digits));
  if (number > INT_MAX) return 0;
  const int revision = static_cast<int>(number);
  blanks();
  return line.compare(at, 2, "}}") == 0 ? revision : 0;
}

std::string ReadFileText(const std::filesystem::path& path, const std::string& shown) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (!in && !in.eof()) throw TTemplateError("模板 " + shown + " 无法读取", shown, 0, 0, "");
  return bytes.str();
}

// True when no tag of the tree reads beyond its class (the project's classes, the members of other classes
// that refer to it): a class's template that does not makes a text of its class alone.
bool ReadsOnlyItsClass(const std::vector<TTemplateNode>& nodes) {
  for (const TTemplateNode& node : nodes) {
    if (node.variable != nullptr && ViewModel::ReadsOtherClasses(*node.variable)) return false;
    if (!ReadsOnlyItsClass(node.children)) return false;
  }
  return true;
}

}  // namespace

namespace TemplateTexts {

std::string StatusLine(const std::string& folder, int replaced) {
  if (replaced == 0) return "模板: 内置";
  return "模板: " + folder + " (替换 " + std::to_string(replaced) + " 个)";
}

std::string OlderRevision(const TTemplateStatus& status) {
  const std::string written =
      status.userRevision > 0 ? "是为修订 " + std::to_string(status.userRevision) + " 写的" : "没有注明修订";
  return "警告: 模板 " + status.path + written + "，内置模板 " + status.name + " 已是修订 " +
         std::to_string(status.builtInRevision) + "；请对照 corvanthel-cli templates export 导出的新版本检查它";
}

}  // namespace TemplateTexts

const std::vector<TBuiltInTemplate>& TTemplateSet::BuiltInTemplates() {
  static const std::vector<TBuiltInTemplate> templates = [] {
    std::vector<TBuiltInTemplate> all;
    for (const TBuiltInTemplateFile& file : BuiltInTemplateFiles()) {
      std::string name = file.path;
      name.resize(name.size() - std::char_traits<char>::length(kSuffix));
      const auto known = std::find_if(std::begin(kKnown), std::end(kKnown),
                                      [&name](const TKnownTemplate& k) { return name == k.name; });
      TBuiltInTemplate entry;
      entry.name = name;
      if (known != std::end(kKnown)) {
        entry.scope = known->scope;
        entry.makes = known->makes;
      } else if (name.rfind("pages/", 0) == 0) {
        // The page templates: a class's pages, or the files a site has once.
        static const char* const perClass[] = {"pages/List.aspx",   "pages/List.aspx.cs", "pages/Edit.aspx",
                                               "pages/Edit.aspx.cs", "pages/Show.aspx",    "pages/Show.aspx.cs",
                                               "pages/dalPages.cs"};
        const bool classPage = std::find(std::begin(perClass), std::end(perClass), name) != std::end(perClass);
        entry.scope = classPage ? TViewScope::Class : TViewScope::Project;
        entry.makes = "admin pages (generate --pages)";
      } else {
        throw std::logic_error("built-in template " + name + " has no scope");
      }
      entry.revision = RevisionOf(file.text);
      entry.text = file.text;
      all.push_back(std::move(entry));
    }
    return all;
  }();
  return templates;
}

std::string TTemplateSet::ExportText(const TBuiltInTemplate& entry) {
  return entry.text;
}

std::vector<std::string> TTemplateSet::TakenByExport(const std::string& folder) {
  namespace fs = std::filesystem;
  std::vector<std::string> taken;
  for (const TBuiltInTemplate& entry : BuiltInTemplates()) {
    const fs::path path = fs::path(folder) / (entry.name + kSuffix);
    std::error_code error;
    if (fs::symlink_status(path, error).type() != fs::file_type::not_found) taken.push_back(path.string());
  }
  return taken;
}

std::vector<std::string> TTemplateSet::Export(const std::string& folder, const TProtectedPaths& protectedPaths) {
  namespace fs = std::filesystem;
  // Templates put into the template site would be copied into every generated site.
  TFileOperate::CheckFolderNotProtected(folder, protectedPaths);
  std::vector<std::string> written;
  for (const TBuiltInTemplate& entry : BuiltInTemplates()) {
    const fs::path path = fs::path(folder) / (entry.name + kSuffix);
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    TFileOperate::WriteFileBytes(path.string(), ExportText(entry), protectedPaths);
    written.push_back(path.string());
  }
  return written;
}

int TTemplateSet::CountReplaced(const std::string& folder) {
  namespace fs = std::filesystem;
  int count = 0;
  for (const TBuiltInTemplate& entry : BuiltInTemplates()) {
    std::error_code error;
    if (fs::is_regular_file(fs::path(folder) / (entry.name + kSuffix), error)) ++count;
  }
  return count;
}

TTemplateSet::TTemplateSet() {
  Load();
}

TTemplateSet::TTemplateSet(const std::string& userFolder) : FFolder(userFolder) {
  ReadFolder();
  Load();
}

const TTemplateSet& TTemplateSet::BuiltIn() {
  static const TTemplateSet set;
  return set;
}

void TTemplateSet::ReadFolder() {
  namespace fs = std::filesystem;
  std::error_code error;
  if (FFolder.empty() || !fs::is_directory(FFolder, error)) return;
  fs::recursive_directory_iterator it(FFolder, error);
  if (error) throw TTemplateError("模板文件夹 " + FFolder + " 无法读取: " + error.message(), FFolder, 0, 0, "");
  std::vector<fs::path> files;
  for (; it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (error) throw TTemplateError("模板文件夹 " + FFolder + " 无法读取: " + error.message(), FFolder, 0, 0, "");
    const std::string file = it->path().filename().string();
    if (file.size() > std::char_traits<char>::length(kSuffix) &&
        file.compare(file.size() - std::char_traits<char>::length(kSuffix), std::string::npos, kSuffix) == 0 &&
        !it->is_directory(error))
      files.push_back(it->path());
  }
  for (const fs::path& path : files) {
    std::string name = path.lexically_relative(FFolder).generic_string();
    name.resize(name.size() - std::char_traits<char>::length(kSuffix));
    auto source = std::make_unique<TTemplateSource>();
    source->name = name;
    source->shown = path.string();
    source->text = TemplateEngine::NormalizeLineEnds(ReadFileText(path, source->shown));
    source->user = true;
    FExtra[name] = std::move(source);
  }
}

void TTemplateSet::Load() {
  for (const TBuiltInTemplate& builtIn : BuiltInTemplates()) {
    TEntry& entry = FEntries[builtIn.name];
    entry.builtIn = &builtIn;
    const auto user = FExtra.find(builtIn.name);
    if (user != FExtra.end()) {
      entry.source = std::move(user->second);
      FExtra.erase(user);
    } else {
      entry.source = std::make_unique<TTemplateSource>();
      entry.source->name = builtIn.name;
      entry.source->shown = "内置模板 " + builtIn.name;
      entry.source->text = TemplateEngine::NormalizeLineEnds(builtIn.text);
    }
  }
  const TemplateEngine::TVariableLookup variables = ViewModel::Find;
  const TemplateEngine::TPartialLookup partials = [this](const std::string& name) { return FindSource(name); };
  for (auto& [name, entry] : FEntries) {
    std::vector<TViewScope> scopes{TViewScope::Project};
    if (entry.builtIn->scope != TViewScope::Project) scopes.push_back(entry.builtIn->scope);
    entry.parsed = TemplateEngine::Parse(*entry.source, scopes, variables, partials);
    entry.onlyItsClass = entry.builtIn->scope == TViewScope::Class && ReadsOnlyItsClass(entry.parsed.nodes);
  }
}

const std::string& TTemplateSet::Digest() const {
  std::call_once(FDigestOnce, [this] {
    // Every text a template is made of, each with its name and length so that no two sets run together. A
    // built-in text is part of the program, which the run's shared inputs name already (its build): it
    // counts by its name alone, and its bytes need not be hashed on every run.
    std::string sources;
    for (const auto& [name, entry] : FEntries)
      for (const TTemplateSource* source : entry.parsed.sources)
        sources += name + '\0' + source->name + '\0' +
                   (source->user ? std::to_string(source->text.size()) + '\0' + source->text : std::string("built-in"));
    FDigest = Sha256::HexDigest(sources);
  });
  return FDigest;
}

const TTemplateSource* TTemplateSet::FindSource(const std::string& name) const {
  const auto entry = FEntries.find(name);
  if (entry != FEntries.end()) return entry->second.source.get();
  const auto extra = FExtra.find(name);
  return extra != FExtra.end() ? extra->second.get() : nullptr;
}

const TTemplateSet::TEntry& TTemplateSet::Entry(const std::string& name) const {
  const auto entry = FEntries.find(name);
  if (entry == FEntries.end()) throw std::logic_error("no template " + name);
  return entry->second;
}

int TTemplateSet::Replaced() const {
  return static_cast<int>(std::count_if(FEntries.begin(), FEntries.end(),
                                        [](const auto& entry) { return entry.second.source->user; }));
}

std::vector<TTemplateStatus> TTemplateSet::Status() const {
  std::vector<TTemplateStatus> all;
  for (const TBuiltInTemplate& builtIn : BuiltInTemplates()) {
    const TEntry& entry = Entry(builtIn.name);
    TTemplateStatus status{builtIn.name, TTemplateState::BuiltIn, "", builtIn.revision, 0};
    if (entry.source->user) {
      status.path = entry.source->shown;
      status.userRevision = RevisionOf(entry.source->text);
      status.state = status.userRevision < builtIn.revision ? TTemplateState::UserOlder : TTemplateState::User;
    }
    all.push_back(status);
  }
  return all;
}

std::vector<std::string> TTemplateSet::Warnings() const {
  std::vector<std::string> warnings;
  for (const TTemplateStatus& status : Status())
    if (status.state == TTemplateState::UserOlder) warnings.push_back(TemplateTexts::OlderRevision(status));
  return warnings;
}

bool TTemplateSet::Render(const std::string& name, const TProjectView& project, const TClassView* entry,
                          std::string& out) const {
  const TEntry& found = Entry(name);
  std::vector<TViewFrame> frames;
  frames.reserve(8);
  frames.push_back({&project, 0, 1});
  if (found.builtIn->scope == TViewScope::Upgrade) throw std::logic_error("template " + name + " needs an upgrade");
  if (found.builtIn->scope == TViewScope::Class) {
    if (entry == nullptr) throw std::logic_error("template " + name + " needs a class");
    frames.push_back({entry, 0, 1});
  }
  TemplateEngine::Render(found.parsed, frames, out);
  return found.parsed.MadeByUser();
}

std::string TTemplateSet::Render(const std::string& name, const TProjectView& project, const TClassView* entry) const {
  std::string out;
  Render(name, project, entry, out);
  return out;
}

std::string TTemplateSet::Render(const std::string& name, const TProjectView& project,
                                 const TUpgradeView& upgrade) const {
  const TEntry& found = Entry(name);
  if (found.builtIn->scope != TViewScope::Upgrade) throw std::logic_error("template " + name + " is no upgrade's");
  std::vector<TViewFrame> frames{{&project, 0, 1}, {&upgrade, 0, 1}};
  std::string out;
  TemplateEngine::Render(found.parsed, frames, out);
  return out;
}

bool TTemplateSet::MadeByUser(const std::string& name) const {
  return Entry(name).parsed.MadeByUser();
}

bool TTemplateSet::MakesTextOfItsClass(const std::string& name) const {
  return Entry(name).onlyItsClass;
}

const std::string& TTemplateSet::InputsOf(const std::string& name, const TProjectView& project,
                                          const TClassModel& entry) const {
  static const std::string none;
  return MakesTextOfItsClass(name) ? project.InputsOf(entry) : none;
}
