#pragma once

#include <string>
#include <vector>

#include "generation/TemplateSet.h"
#include "model/ProjectModel.h"
#include "site/GenerationTarget.h"

class TSiteWriter;

// The admin pages of a site: per class C a list with search and paging (Admin/CList.aspx), one form
// to add and edit a row (Admin/CEdit.aspx), a page that shows one row (Admin/CShow.aspx), each with
// its code-behind, and the data-access methods the pages read and delete through
// (App_Code/DAL/dalCPages.cs). Once per site: the admin home that links every list page
// (Admin/Default.aspx), the password page (Admin/ChangePassword.aspx), their style sheet
// (Admin/pages.css, beside the template's admin.css), the pages' base class
// (App_Code/BLL/AdminPage.cs), the administrator's data access (App_Code/DAL/AdminPagesHelp.cs) and
// the upload folder's web.config (Upload/web.config).
//
// Every text comes from a template of the set given (pages/..., see TTemplateSet) fed the view model:
// the templates hold markup and code, the view model every name and decision.
namespace TPageOperate {

// One generated file: its path in the site and its text (UTF-8, CR LF).
struct TPageFile {
  std::string path;
  std::string text;
  bool madeByUser = false;  // a user's template made it
};

// The page kinds of one class, as the preview and the command line name them.
inline const char* const kPageKinds[] = {"list", "add", "edit", "show"};

// Every page file of the project, in the order the run writes them: per class its list, form,
// show page and data access, then the shared files.
std::vector<TPageFile> MakePages(const TProjectModel& project, const TTemplateSet& templates = TTemplateSet::BuiltIn());
std::vector<TPageFile> MakePages(const TProjectView& project, const TTemplateSet& templates);

// The files of one class's page of a kind ("list", "add", "edit", "show"; add and edit are one form):
// the page, its code-behind and the class's page data access. Empty when the kind is unknown.
std::vector<TPageFile> MakeClassPage(const TProjectModel& project, const TClassModel& entry, const std::string& kind,
                                     const TTemplateSet& templates = TTemplateSet::BuiltIn());

// The files of MakeClassPage as one text, each after a line "==> PATH <==", as the preview shows them.
std::string PreviewText(const TProjectModel& project, const TClassModel& entry, const std::string& kind,
                        const TTemplateSet& templates = TTemplateSet::BuiltIn());

// Writes every page file into the site with one progress line per file.
void MakePageFiles(const TProjectView& project, const TTemplateSet& templates, TSiteWriter& site,
                   const TProgressCallback& progress);

}  // namespace TPageOperate
