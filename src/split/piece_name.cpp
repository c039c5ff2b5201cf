#include "split/piece_name.h"

#include <algorithm>

#include "format/conversions.h"
#include "format/text_lines.h"
#include "platform/atomic_file.h"
#include "platform/windows_1252.h"

namespace vsm {
namespace {

bool IsRefusedInFileNames(char byte) {
  switch (byte) {
    case ' ':
    case '/':
    case '\\':
    case '<':
    case '>':
    case ':':
    case '"':
    case '|':
    case '?':
    case '*':
      return true;
    default:
      return static_cast<unsigned char>(byte) < 0x20;
  }
}

std::string FileSystemName(std::string_view name) {
#ifdef _WIN32
  return std::string(name);  // the 8-bit name is the system's ANSI name
#else
  return Windows1252ToUtf8(name);
#endif
}

// The longest start of a Windows-1252 name whose UTF-8 form has at most `max_bytes`: the same cut
// on every system, so that the same names meet and every system gives the same pieces.
std::string_view CutForUtf8(std::string_view name, std::size_t max_bytes) {
  std::size_t bytes = 0;
  std::size_t end = 0;
  while (end < name.size()) {
    const std::size_t size = Utf8SizeOfWindows1252(static_cast<unsigned char>(name[end]));
    if (bytes + size > max_bytes) break;
    bytes += size;
    ++end;
  }
  return name.substr(0, end);
}

// Windows takes these names, in any letter case and with any extension, for devices: a piece so
// named could not be created there, nor copied there from elsewhere. The ports count from 0 to 9
// and on with the superscript digits, Windows-1252 0xB9, 0xB2 and 0xB3.
bool IsDeviceName(std::string_view stem) {
  const std::string base = LowerAscii(stem.substr(0, stem.find('.')));
  for (const std::string_view device : {"con", "prn", "aux", "nul", "conin$", "conout$"}) {
    if (base == device) return true;
  }
  const auto port = base.size() == 4 ? static_cast<unsigned char>(base[3]) : 0;
  const bool port_number =
      (port >= '0' && port <= '9') || port == 0xB9 || port == 0xB2 || port == 0xB3;
  return port_number && (base.starts_with("com") || base.starts_with("lpt"));
}

std::string NumberSuffix(int number) {
  std::string suffix(1, '_');
  suffix += std::to_string(number);
  return suffix;
}

// A device name gets a "_" before its first ".".
std::string NotADevice(std::string stem) {
  if (IsDeviceName(stem)) stem.insert(std::min(stem.find('.'), stem.size()), 1, '_');
  return stem;
}

// The piece name still in Windows-1252: replacements, cut and device names, before the
// conversion to the file system's encoding, so that names are decided alike on every system.
std::string Windows1252Stem(std::string_view name) {
  std::string stem(TrimSpaces(name));
  for (char& c : stem) {
    if (IsRefusedInFileNames(c)) c = '_';
  }
  return NotADevice(std::string(CutForUtf8(stem, kMaxPieceNameBytes)));
}

}  // namespace

std::string PieceStem(std::string_view name) { return FileSystemName(Windows1252Stem(name)); }

std::optional<std::size_t> PieceNameRoom(const Settings& settings,
                                         std::optional<std::size_t> longest_path) {
  if (!longest_path) return std::nullopt;
  // The paths of a piece whose name is empty, as long as they get while written.
  const std::size_t text_form = settings.TextFormOf(kPieceExtension).size();
  const std::size_t converted =
      settings.ResultPath(kPieceExtension).size() + StagingFolder::kNameLength + 1;
  const std::size_t taken = std::max(text_form, converted) + kTemporarySuffixLength;
  return taken < *longest_path ? *longest_path - taken : 0;
}

PieceNamer::PieceNamer(std::optional<std::size_t> room) : room_(room) {
  if (room_) room_ = std::max(*room_, kShortestPieceName);
}

bool PieceNamer::Take(const std::string& stem) {
  return taken_.insert(FoldCaseAsWindowsFileSystems(stem)).second;
}

std::string PieceNamer::Fitted(const std::string& stem, const std::string& number) const {
  if (!room_ || stem.size() + number.size() <= *room_) return stem + number;
  // In Windows-1252 a byte is a character.
  return NotADevice(stem.substr(0, *room_ - number.size())) + number;
}

std::string PieceNamer::Next(std::string_view name) {
  const std::string stem = Windows1252Stem(name);
  std::string piece = Fitted(stem, "");
  if (!Take(piece)) {
    // Numbers below the one remembered were all taken when it was remembered.
    int& number = next_number_.try_emplace(FoldCaseAsWindowsFileSystems(stem), 2).first->second;
    while (!Take(piece = Fitted(stem, NumberSuffix(number)))) ++number;
    ++number;
  }
  return FileSystemName(piece) + std::string(kPieceExtension);
}

}  // namespace vsm
