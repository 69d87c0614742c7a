// Text and file utilities.
#include "engine/textutil.h"

#include <vector>

#include "engine/errors.h"
#include "platform/file.h"

namespace vz {

namespace {
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }
}  // namespace

std::string TrimRight(std::string_view s) {
  size_t n = s.size();
  while (n > 0 && IsBlank(s[n - 1])) --n;
  return std::string(s.substr(0, n));
}

std::string TrimLeft(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  return std::string(s.substr(i));
}

std::string TrimBoth(std::string_view s) { return TrimLeft(TrimRight(s)); }

std::string ToUpperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string ToLowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

namespace {
// Position of the extension's dot, or npos.
size_t ExtensionDot(std::string_view name) {
  size_t slash = name.find_last_of('/');
  size_t dot = name.find_last_of('.');
  if (dot == std::string_view::npos) return dot;
  if (slash != std::string_view::npos && dot < slash) return std::string_view::npos;
  return dot;
}
}  // namespace

std::string DefaultExtension(std::string_view name, std::string_view ext) {
  std::string n = TrimRight(name);
  if (ExtensionDot(n) != std::string::npos) return n;
  return n + "." + std::string(ext);
}

std::string ForceExtension(std::string_view name, std::string_view ext) {
  std::string n = TrimRight(name);
  size_t dot = ExtensionDot(n);
  if (dot != std::string::npos) n.resize(dot);
  return n + "." + std::string(ext);
}

std::string ExtensionOf(std::string_view name) {
  size_t dot = ExtensionDot(name);
  return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot + 1));
}

std::string FileNameOf(std::string_view name) {
  size_t slash = name.find_last_of('/');
  return std::string(slash == std::string_view::npos ? name : name.substr(slash + 1));
}

std::string BaseNameOf(std::string_view name) {
  std::string file = FileNameOf(name);
  size_t dot = file.find_last_of('.');
  if (dot != std::string::npos) file.resize(dot);
  return file;
}

std::string DirectoryOf(std::string_view name) {
  size_t slash = name.find_last_of('/');
  return slash == std::string_view::npos ? std::string() : std::string(name.substr(0, slash + 1));
}

std::string TwoDigits(unsigned value) {
  std::string s = std::to_string(value);
  return s.size() < 2 ? "0" + s : s;
}

std::string NumberText(int64_t n) {
  std::string s = std::to_string(n);
  return s.size() > 10 ? s.substr(0, 10) : s;
}

std::string UniqueFileName() {
  std::string name;
  int rc = plat::UniqueTempFile(&name);
  if (rc != plat::kOk) {
    SetError(static_cast<uint16_t>(rc), "Error requesting unique file name [UniqueFilename]");
    return std::string();
  }
  return name;
}

bool EraseFiles(const std::string& mask) {
  if (mask.find_first_of("*?") == std::string::npos) {
    int rc = plat::Erase(mask);
    if (rc != plat::kOk) {
      SetError(static_cast<uint16_t>(rc), "Error erasing " + mask);
      return false;
    }
    return true;
  }
  std::vector<std::string> names;
  int rc = plat::ListWildcard(mask, &names);
  if (rc != plat::kOk && rc != plat::kFileNotFound) {
    SetError(static_cast<uint16_t>(rc), "Error erasing " + mask);
    return false;
  }
  int failed = 0;
  for (const auto& n : names) {
    if (plat::Erase(n) != plat::kOk) ++failed;
  }
  if (failed > 0) {
    SetError(5, "Could not erase " + std::to_string(failed) + " files like " + mask);
    return false;
  }
  return true;
}

int64_t FreeDiskSpace(const std::string& path) {
  return plat::FreeSpaceKb(path.empty() ? plat::CurrentDirectory() : path);
}

}  // namespace vz
