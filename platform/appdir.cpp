// The program's folder, kept process-wide like the engine's other settings.
#include "platform/appdir.h"

#include <unistd.h>

#include <climits>

#include "platform/file.h"

namespace plat {

namespace {

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::string& Stored() {
  static std::string folder;
  return folder;
}

}  // namespace

std::string ExecutableFolder() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return std::string();
  std::string exe(buf, static_cast<size_t>(n));
  size_t slash = exe.find_last_of('/');
  if (slash == std::string::npos) return std::string();
  return exe.substr(0, slash + 1);
}

void SetProgramFolder(const std::string& folder) {
  Stored() = folder.empty() ? std::string() : WithSlash(AbsolutePath(folder));
}

const std::string& ProgramFolder() {
  std::string& folder = Stored();
  if (folder.empty()) {
    folder = ExecutableFolder();
    if (folder.empty()) folder = WithSlash(CurrentDirectory());
  }
  return folder;
}

bool IsWritableFolder(const std::string& folder) {
  if (!IsDirectory(folder)) return false;
  std::string probe = WithSlash(folder) + ".qpwrite" + std::to_string(::getpid());
  File f;
  if (f.CreateNew(probe) != kOk) return false;
  f.Close();
  Erase(probe);
  return true;
}

}  // namespace plat
