// Code pages of table text: 437 (Western) and 866 (Cyrillic), both ways
// to UTF-8, the program's own character set.
//
// Tables and memo files hold one byte per character in the OEM code page of
// the national settings; the windows and messages work in UTF-8. Bytes below
// 0x20 and 0x7F are control characters in table text and keep their code
// points (the code pages' graphic symbols for them are not meant here).
// Characters a code page lacks become "?"; so do malformed UTF-8 sequences.
#ifndef QUILLPRINT_ENGINE_CODEPAGE_H_
#define QUILLPRINT_ENGINE_CODEPAGE_H_

#include <string>
#include <string_view>

namespace vz {

// `codepage` is 437 or 866; any other value is read as 437.
std::string OemToUtf8(std::string_view oem, int codepage);
std::string Utf8ToOem(std::string_view utf8, int codepage);

// The same in the code page of the national settings (TableCodePage()).
std::string OemToUtf8(std::string_view oem);
std::string Utf8ToOem(std::string_view utf8);

// The code point of one byte, and the byte of one code point ('?' when the
// code page lacks it).
char32_t OemToCodePoint(unsigned char byte, int codepage);
char OemFromCodePoint(char32_t cp, int codepage);

}  // namespace vz

#endif  // QUILLPRINT_ENGINE_CODEPAGE_H_
