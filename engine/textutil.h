// Small text and file utilities of the engine: trimming, extensions, number
// texts, temporary names, erasing by mask, free space.
#ifndef QUILLPRINT_ENGINE_TEXTUTIL_H_
#define QUILLPRINT_ENGINE_TEXTUTIL_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace vz {

// Trimming removes characters with codes 0 to 32 ("blanks" to the engine).
std::string TrimBoth(std::string_view s);
std::string TrimRight(std::string_view s);
std::string TrimLeft(std::string_view s);

std::string ToUpperAscii(std::string_view s);
std::string ToLowerAscii(std::string_view s);

// Adds "." and `ext` when the name has no extension (trailing blanks are cut
// first). The extension is what follows the last "." after the last "/".
std::string DefaultExtension(std::string_view name, std::string_view ext);
// Replaces the extension (or adds it).
std::string ForceExtension(std::string_view name, std::string_view ext);
// The extension without its dot, "" when there is none.
std::string ExtensionOf(std::string_view name);
// The name without folder and extension.
std::string BaseNameOf(std::string_view name);
// The name without folder.
std::string FileNameOf(std::string_view name);
// The folder part including its trailing "/", "" when there is none.
std::string DirectoryOf(std::string_view name);

// Two digits with a leading "0" (7 -> "07").
std::string TwoDigits(unsigned value);
// Decimal digits, at most 10 characters.
std::string NumberText(int64_t n);

// A new empty file in the temporary folder whose name starts "TZP". On
// failure: the operating-system code with "Error requesting unique file
// name [UniqueFilename]" through the error state, and "" as result.
std::string UniqueFileName();

// Erases one file, or every file matching a mask with "*" or "?". One file:
// a failure reports its code with "Error erasing <name>". A mask: failures
// are counted and reported as code 5, "Could not erase <count> files like
// <mask>". Returns true when everything went.
bool EraseFiles(const std::string& mask);

// Kilobytes free on the file system holding `path` ("" for the current
// folder); -1 when it cannot be queried.
int64_t FreeDiskSpace(const std::string& path);

}  // namespace vz

#endif  // QUILLPRINT_ENGINE_TEXTUTIL_H_
