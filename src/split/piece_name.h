#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "model/settings.h"

namespace vsm {

// Longest piece name, in bytes of its UTF-8 form, before its number and ".vrk" (on every system,
// so that every system cuts a name alike).
inline constexpr std::size_t kMaxPieceNameBytes = 200;
// Where the path limit of the system leaves less, a name is cut further, but never below this many
// characters (number included): a piece whose paths are then still too long is not written, and
// its write is reported as failed.
inline constexpr std::size_t kShortestPieceName = 16;
inline constexpr std::string_view kPieceExtension = ".vrk";

// A name from the channel data made fit for a file name, without number and extension: spaces at
// either end removed; every blank, "/", "\", "<", ">", ":", '"', "|", "?", "*" and control byte
// replaced by "_"; cut to kMaxPieceNameBytes of UTF-8 without splitting a character; a device
// name of Windows ("CON", "nul", "COM0", "LPT¹", "CONIN$", ...) given a "_" before its first ".";
// then converted to the file system's encoding (UTF-8 on Linux, the 8-bit name on Windows).
std::string PieceStem(std::string_view name);

// How many characters of a piece name, its number included and ".vrk" not, keep every path that a
// split writes for the piece within `longest_path` characters: the piece in the result folder and
// its text form in the work folder below the start folder of `settings`, and, while they are
// written, their temporary names and the converter's output in its staging folder. Nothing without
// a limit (kLongestPath: Windows has one).
std::optional<std::size_t> PieceNameRoom(const Settings& settings,
                                         std::optional<std::size_t> longest_path);

// The piece names of one split. A name that an earlier piece of the same split already had,
// ignoring letter case as FAT, exFAT and NTFS do (FoldCaseAsWindowsFileSystems), gets the
// smallest free number ("_2", "_3", ...) before ".vrk", so that no piece overwrites or deletes
// another one, on any disk. Names are decided in Windows-1252, before the conversion to the file
// system's encoding, so that every system gives the same pieces.
class PieceNamer {
 public:
  // `room`: the most characters of a name, number included (PieceNameRoom), but never fewer than
  // kShortestPieceName; a name is cut to it on a character boundary, and a number that it gets
  // takes its place from the end of the cut name. Nothing: only kMaxPieceNameBytes holds.
  explicit PieceNamer(std::optional<std::size_t> room = std::nullopt);

  // "<stem>.vrk" or "<stem>_<n>.vrk" for the antenna or provider named `name`.
  std::string Next(std::string_view name);
  // Makes room for this many names at once, rather than growing with them.
  void Reserve(std::size_t names) { taken_.reserve(names); }

 private:
  bool Take(const std::string& stem);
  // `stem` cut to leave room for `number` ("" or "_<n>"), with the number.
  std::string Fitted(const std::string& stem, const std::string& number) const;

  std::optional<std::size_t> room_;
  std::unordered_set<std::string> taken_;             // stems given out, in one letter case
  std::unordered_map<std::string, int> next_number_;  // per stem in one letter case
};

}  // namespace vsm
