// Start-up of the check desk: which folder the program works in, where its
// INI file and help file are, and how the engine's and the components' own
// reports reach the user as boxes.
//
// The program's folder holds the check table, both INI files and, usually,
// the help file:
//
//   1. `--dir FOLDER` on the command line names it (a shared network folder,
//      say); the folder must exist;
//   2. otherwise the executable's folder, as long as a file can be created
//      there (a copy unpacked into a folder of one's own);
//   3. otherwise (an installed copy under /usr) the user's data folder,
//      ~/.local/share/quillprint, made when missing.
//
// The help file is looked for in the program's folder first, then beside the
// executable, then in the installed data folder (../share/quillprint).
#ifndef QUILLPRINT_APP_STARTUP_H_
#define QUILLPRINT_APP_STARTUP_H_

#include <functional>
#include <string>

#include <QString>

class QWidget;

namespace qp {

inline constexpr char kHelpFileName[] = "quill.hlp";
inline constexpr char kApplicationTitle[] = "Quillprint";

struct FolderChoice {
  std::string folder;  // absolute, ending in "/"; empty on failure
  QString error;       // what went wrong, for the user, when folder is empty
};

// Picks the program's folder by the rules above. `dir_option` is the value
// of --dir (empty when not given); `executable_folder` and `data_folder` are
// passed in so that tests can offer folders of their own. Creates the data
// folder when it comes to that. Changes nothing process-wide.
FolderChoice ChooseProgramFolder(const QString& dir_option, const std::string& executable_folder,
                                 const std::string& data_folder);

// The user's data folder for the program (~/.local/share/quillprint).
std::string UserDataFolder();

// The file name of the program, from which its INI file takes its name:
// "quillprint" unless start-up sets the name it was started under.
const std::string& ProgramFileName();
void SetProgramFileName(const std::string& name);

// The program's INI file: `folder` followed by the program's file name with
// its extension replaced by ".ini" (".ini" appended when it has none).
std::string ProgramIniPath(const std::string& folder, const std::string& program_file_name);

// Where the help file is (see the top of this file). When no candidate
// exists, the path in the program's folder, so that the error names the
// place the user is most likely to look.
QString HelpFilePath();

// The fonts the window design names that this system lacks are drawn with
// metric-compatible faces: "MS Sans Serif" and "Arial" with Liberation Sans.
// Safe to call more than once.
void RegisterFormFonts();

// Called to end the program after the "Program halted." box; std::exit by
// default, a recorder in tests.
using ExitFunction = std::function<void(int status)>;

// Installs the engine's halt hook: the report is shown in a modal box
// captioned "Program halted." with the stop icon (its text cut to 255
// characters), over the window holding the mouse or else the active window;
// then `exit_fn` ends the program with vz::ExitStatusFor(code).
void InstallHaltBox(ExitFunction exit_fn = {});

// Installs the component layer's warning service: each warning is a modal
// warning box over the active window, with the application's title.
void InstallWarningBox();

}  // namespace qp

#endif  // QUILLPRINT_APP_STARTUP_H_
