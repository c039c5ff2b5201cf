#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vsm {

// The texts of a channel list are bytes in Windows-1252, the receiver's code page. Where they
// meet the world outside (a file name on Linux, a window's text) they become Unicode here.

// The character of a Windows-1252 byte. The five bytes that Windows-1252 leaves undefined keep
// their own number, as Windows does.
char16_t Windows1252Character(unsigned char byte);

// Windows-1252 text as UTF-8; ASCII stays as it is.
std::string Windows1252ToUtf8(std::string_view text);

// Text of mixed origin (UTF-8 file names among Windows-1252 list data) as UTF-8: well-formed UTF-8
// sequences stay as they are, every other byte of 0x80 and above is read as Windows-1252.
std::string TextForUtf8Display(std::string_view text);

// The number of bytes of a Windows-1252 byte's character in UTF-8 (1 to 3).
std::size_t Utf8SizeOfWindows1252(unsigned char byte);

// Windows-1252 text with its letters in one case, as the case-blind file systems of Windows (FAT,
// exFAT, NTFS) compare names: A-Z, the capitals 0xC0-0xDE (not 0xD7, the multiplication sign)
// and Š, Œ, Ž, Ÿ become their small letters. Two names that give the same text are one file there.
std::string FoldCaseAsWindowsFileSystems(std::string_view text);

}  // namespace vsm
