#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace vsm {

// Longest piece name, in bytes of its UTF-8 form, before its number and ".vrk" (on every system,
// so that every system cuts a name alike).
inline constexpr std::size_t kMaxPieceNameBytes = 200;

// A name from the channel data made fit for a file name, without number and extension: spaces at
// either end removed; every blank, "/", "\", "<", ">", ":", '"', "|", "?", "*" and control byte
// replaced by "_"; cut to kMaxPieceNameBytes of UTF-8 without splitting a character; a device
// name of Windows ("CON", "nul", "COM1", ...) given a "_" before its first "."; then converted
// to the file system's encoding (UTF-8 on Linux, the 8-bit name on Windows).
std::string PieceStem(std::string_view name);

// The piece names of one split. A name that an earlier piece of the same split already had,
// ignoring letter case as FAT, exFAT and NTFS do (FoldCaseAsWindowsFileSystems), gets the
// smallest free number ("_2", "_3", ...) before ".vrk", so that no piece overwrites or deletes
// another one, on any disk. Names are decided in Windows-1252, before the conversion to the file
// system's encoding, so that every system gives the same pieces.
class PieceNamer {
 public:
  // "<stem>.vrk" or "<stem>_<n>.vrk" for the antenna or provider named `name`.
  std::string Next(std::string_view name);

 private:
  bool Take(const std::string& stem);

  std::unordered_set<std::string> taken_;             // stems given out, in one letter case
  std::unordered_map<std::string, int> next_number_;  // per stem in one letter case
};

}  // namespace vsm
