#pragma once

#include <stdexcept>
#include <string>

// Where the program keeps its files. Two layouts exist:
//  - portable: the executable's folder holds bak/ and is writable; the catalogue,
//    bak/, projects/ and help/ all sit beside the executable (the build's bin folder);
//  - installed: the catalogue and projects/ live in the user's data folder
//    ($XDG_DATA_HOME/corvanthel, by default ~/.local/share/corvanthel), and the
//    template site and the help page are read from the install's share/corvanthel,
//    found relative to the executable so that a relocated install works.
// A folder given on the command line (--dir) holds the catalogue, bak/ and projects/.

// The folder that cannot be made ready for the program's data.
class TDataLocationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What the choice depends on; empty texts are unset.
struct TDataLocationInputs {
  std::string executableFolder;  // absolute
  std::string dirOverride;       // --dir FOLDER
  std::string xdgDataHome;       // $XDG_DATA_HOME
  std::string home;              // $HOME, or the account's home folder
};

// How the data folder was chosen.
enum class TDataMode { Portable, Installed, ChosenFolder };

// Absolute paths without a trailing slash.
struct TDataLocation {
  TDataMode mode = TDataMode::Portable;
  std::string dataFolder;      // holds the catalogue and projects/
  std::string catalogueFile;   // dataFolder/projects.mdb
  std::string sitesFolder;     // dataFolder/projects: one generated site per project
  std::string templateFolder;  // the template site copied into every site
  std::string helpFolder;      // holds index.html
  std::string userTemplates;   // dataFolder/templates: the user's generation templates, over the built-in ones
};

namespace DataLocation {

// The install's share folder as seen from the folder of the installed executables.
extern const char* const kShareFromBin;

// Decides the layout; looks at the file system but changes nothing.
// TDataLocationError when installed mode finds neither a data home nor a home folder.
TDataLocation Resolve(const TDataLocationInputs& inputs);

// The inputs of this process: the folder of the running executable, the override
// and the environment (with the account's home folder when HOME is unset).
TDataLocationInputs FromEnvironment(const std::string& dirOverride);

// The folder of the running executable (absolute).
std::string ExecutableFolder();

// In installed mode, creates the user's data folder when it is missing (its parents
// too); TDataLocationError naming the folder and the reason when it cannot be made.
// The other modes use a folder that must already be there.
void PrepareDataFolder(const TDataLocation& location);

}  // namespace DataLocation
