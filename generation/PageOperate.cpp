#include "generation/PageOperate.h"

#include "generation/LayerCommon.h"
#include "site/SiteWriter.h"

namespace TPageOperate {

namespace {

void Render(const TTemplateSet& templates, const std::string& name, const TProjectView& project,
            const TClassView* entry, const std::string& path, std::vector<TPageFile>& files) {
  TPageFile file;
  file.path = path;
  file.madeByUser = templates.Render("pages/" + name, project, entry, file.text);
  files.push_back(std::move(file));
}

void ClassFiles(const TTemplateSet& templates, const TClassView& entry, const std::vector<std::string>& kinds,
                std::vector<TPageFile>& files) {
  // Every referenced class and the class's own key are known: the run checked the project first.
  LayerCommon::KeyMemberOf(entry.model);
  entry.RequireTypes();
  const std::string& c = entry.model.className;
  for (const std::string& kind : kinds) {
    Render(templates, kind + ".aspx", entry.project, &entry, "Admin/" + c + kind + ".aspx", files);
    Render(templates, kind + ".aspx.cs", entry.project, &entry, "Admin/" + c + kind + ".aspx.cs", files);
  }
  Render(templates, "dalPages.cs", entry.project, &entry, "App_Code/DAL/dal" + c + "Pages.cs", files);
}

}  // namespace

std::vector<TPageFile> MakePages(const TProjectModel& project, const TTemplateSet& templates) {
  return MakePages(TProjectView(project), templates);
}

std::vector<TPageFile> MakePages(const TProjectView& project, const TTemplateSet& templates) {
  std::vector<TPageFile> files;
  for (const TClassModel& entry : project.model.classes)
    ClassFiles(templates, project.ClassOf(entry), {"List", "Edit", "Show"}, files);
  const std::pair<const char*, const char*> shared[] = {
      {"Default.aspx", "Admin/Default.aspx"},
      {"Default.aspx.cs", "Admin/Default.aspx.cs"},
      {"ChangePassword.aspx", "Admin/ChangePassword.aspx"},
      {"ChangePassword.aspx.cs", "Admin/ChangePassword.aspx.cs"},
      {"pages.css", "Admin/pages.css"},
      {"AdminPage.cs", "App_Code/BLL/AdminPage.cs"},
      {"AdminPagesHelp.cs", "App_Code/DAL/AdminPagesHelp.cs"},
      {"Upload.web.config", "Upload/web.config"},
  };
  for (const auto& [name, path] : shared) Render(templates, name, project, nullptr, path, files);
  return files;
}

std::vector<TPageFile> MakeClassPage(const TProjectModel& project, const TClassModel& entry, const std::string& kind,
                                     const TTemplateSet& templates) {
  std::vector<std::string> kinds;
  if (kind == "list") kinds = {"List"};
  if (kind == "add" || kind == "edit") kinds = {"Edit"};
  if (kind == "show") kinds = {"Show"};
  if (kinds.empty()) return {};
  const TProjectView view(project);
  std::vector<TPageFile> files;
  ClassFiles(templates, TClassView(view, entry), kinds, files);
  return files;
}

std::string PreviewText(const TProjectModel& project, const TClassModel& entry, const std::string& kind,
                        const TTemplateSet& templates) {
  std::string text;
  for (const TPageFile& file : MakeClassPage(project, entry, kind, templates))
    text += "==> " + file.path + " <==\r\n" + file.text + "\r\n";
  return text;
}

void MakePageFiles(const TProjectView& project, const TTemplateSet& templates, TSiteWriter& site,
                   const TProgressCallback& progress) {
  for (const TPageFile& file : MakePages(project, templates)) {
    const std::size_t slash = file.path.rfind('/');
    LayerCommon::WriteLayerFile(site, file.path.substr(0, slash), file.path.substr(slash + 1), file.text, progress,
                                file.madeByUser);
  }
}

}  // namespace TPageOperate
