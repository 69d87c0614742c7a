// INI files read and written by section and key: the program's own INI file
// (its version) and the window-position store use them.
//
// The semantics follow the desktop profile routines people know:
//
//   * section and key names are compared without regard to (ASCII) case and
//     without the blanks around them; the first section of a name and the
//     first key of a name in it win, later duplicates are ignored;
//   * a value is the text after the first "=", trimmed; a pair of matching
//     quotes around it is removed on reading;
//   * lines starting with ";" or "#" are comments; lines that are neither a
//     section, a key nor a comment are kept but otherwise ignored, as are keys
//     before the first section;
//   * LF and CRLF line ends and a UTF-8 byte-order mark are accepted; written
//     lines take the line end the file already uses (LF for a new file);
//   * a missing, unreadable or oversized file reads as "no entries", so every
//     read gives its default.
//
// Writing reads the file afresh, changes or adds the entries and replaces the
// whole file in one step: the new text goes to a temporary file in the same
// folder, is synced, and is renamed over the old name, and the folder is
// synced. Another program (or a crash) therefore sees either the old file or
// the new one, never half of each. Every other section, key, comment and
// stray line is kept byte for byte. An existing file that cannot be read is
// never replaced, because its other entries would be lost.
//
// The object holds only the path; every call goes to the disk. Plain C++.
#ifndef QUILLPRINT_PLATFORM_INI_H_
#define QUILLPRINT_PLATFORM_INI_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

// Result of a write whose section, key or value cannot be stored: an empty
// name, a line break or NUL anywhere, "]" in a section name, "=" in a key, or
// a key that would read back as a section or a comment. The file is untouched.
inline constexpr int kIniInvalidEntry = 87;

// Files larger than this are not INI files this program wrote; they read as
// empty, and writing to them fails with kNotEnoughMemory, leaving them alone.
inline constexpr int64_t kIniMaxFileBytes = int64_t{16} << 20;

struct IniEntry {
  std::string section;
  std::string key;
  std::string value;
};

class IniFile {
 public:
  explicit IniFile(std::string path);

  const std::string& path() const { return path_; }

  // Stores the value of section/key in *value and returns true when the file
  // holds the key; false (and *value unchanged) otherwise.
  bool ReadValue(std::string_view section, std::string_view key, std::string* value) const;

  // The value, or `def` when the key is absent or the file cannot be read.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view def) const;

  // The value as a decimal ("-12") or hexadecimal ("0x1F", "$1F") integer;
  // `def` when the key is absent or its value is not entirely such a number
  // within the range of int.
  int ReadInteger(std::string_view section, std::string_view key, int def) const;

  // Whether the file holds a section of that name.
  bool SectionExists(std::string_view section) const;

  // Write one value, creating the file, the section or the key as needed.
  // Return 0 or an error code of the file layer (kIniInvalidEntry for a bad
  // entry); on failure the file is as it was.
  int WriteString(std::string_view section, std::string_view key, std::string_view value);
  int WriteInteger(std::string_view section, std::string_view key, int value);

  // Writes several values with a single replacement of the file: all of them
  // reach the disk or none does.
  int WriteValues(const std::vector<IniEntry>& entries);

 private:
  // Reads the whole file. A missing file gives kOk and empty text; *exists
  // tells the two apart.
  int Load(std::string* text, bool* exists) const;

  std::string path_;
};

}  // namespace plat

#endif  // QUILLPRINT_PLATFORM_INI_H_
