// The program's folder: where the check table, both INI files and the help
// file live. Process-wide; the start-up code decides it once (the
// executable's folder, the user's data folder when that cannot be written,
// or a folder given on the command line) and everything else asks here.
// Plain C++.
#ifndef QUILLPRINT_PLATFORM_APPDIR_H_
#define QUILLPRINT_PLATFORM_APPDIR_H_

#include <string>

namespace plat {

// The folder of the running executable as an absolute path ending in "/";
// empty when the system does not tell.
std::string ExecutableFolder();

// Sets the program's folder. A relative folder is made absolute against the
// current folder now; a trailing "/" is added. An empty text goes back to the
// default.
void SetProgramFolder(const std::string& folder);

// The program's folder, ending in "/". Until SetProgramFolder is called: the
// executable's folder, or the current folder when that is unknown.
const std::string& ProgramFolder();

// Whether a file can be created in the folder (the test really creates and
// removes one, since permission bits say nothing about read-only mounts).
bool IsWritableFolder(const std::string& folder);

}  // namespace plat

#endif  // QUILLPRINT_PLATFORM_APPDIR_H_
