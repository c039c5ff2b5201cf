#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace vsm {

// Longest piece name, in bytes of the file system's encoding, before its number and ".vrk".
inline constexpr std::size_t kMaxPieceNameBytes = 200;

// At most `max_bytes` of UTF-8 text, cut before a character that would not fit whole.
std::string_view CutUtf8(std::string_view text, std::size_t max_bytes);

// A name from the channel data made fit for a file name, without number and extension: spaces at
// either end removed; every blank, "/", "\", "<", ">", ":", '"', "|", "?", "*" and control byte
// replaced by "_"; converted to the file system's encoding (UTF-8 on Linux, the 8-bit name on
// Windows); cut to kMaxPieceNameBytes; a device name of Windows ("CON", "nul", "COM1", ...)
// gets a "_" before its first ".".
std::string PieceStem(std::string_view name);

// The piece names of one split. A name that an earlier piece of the same split already had,
// ignoring ASCII letter case, gets the smallest free number ("_2", "_3", ...) before ".vrk", so
// that no piece overwrites or deletes another one.
class PieceNamer {
 public:
  // "<stem>.vrk" or "<stem>_<n>.vrk" for the antenna or provider named `name`.
  std::string Next(std::string_view name);

 private:
  bool Take(const std::string& stem);

  std::unordered_set<std::string> taken_;             // lower-case stems given out
  std::unordered_map<std::string, int> next_number_;  // per lower-case stem
};

}  // namespace vsm
