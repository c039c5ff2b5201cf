#include "split/piece_name.h"

#include <algorithm>

#include "format/text_lines.h"
#include "platform/windows_1252.h"

namespace vsm {
namespace {

bool IsUtf8Continuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

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

std::string_view CutFileSystemName(std::string_view name, std::size_t max_bytes) {
#ifdef _WIN32
  return name.substr(0, max_bytes);
#else
  return CutUtf8(name, max_bytes);
#endif
}

// Windows takes these names, with any extension, for devices: a piece so named could not be
// created there, nor copied there from elsewhere.
bool IsDeviceName(std::string_view stem) {
  const std::string base = LowerAscii(stem.substr(0, stem.find('.')));
  if (base == "con" || base == "prn" || base == "aux" || base == "nul") return true;
  return base.size() == 4 && (base.starts_with("com") || base.starts_with("lpt")) &&
         base[3] >= '1' && base[3] <= '9';
}

std::string Numbered(const std::string& stem, int number) {
  std::string name = stem;
  name += '_';
  name += std::to_string(number);
  return name;
}

}  // namespace

std::string_view CutUtf8(std::string_view text, std::size_t max_bytes) {
  if (text.size() <= max_bytes) return text;
  std::size_t end = max_bytes;
  while (end > 0 && IsUtf8Continuation(text[end])) --end;
  return text.substr(0, end);
}

std::string PieceStem(std::string_view name) {
  std::string stem(TrimSpaces(name));
  for (char& c : stem) {
    if (IsRefusedInFileNames(c)) c = '_';
  }
  std::string cut(CutFileSystemName(FileSystemName(stem), kMaxPieceNameBytes));
  if (IsDeviceName(cut)) {
    const std::size_t base_end = std::min(cut.find('.'), cut.size());
    cut = cut.substr(0, base_end) + '_' + cut.substr(base_end);
  }
  return cut;
}

bool PieceNamer::Take(const std::string& stem) { return taken_.insert(LowerAscii(stem)).second; }

std::string PieceNamer::Next(std::string_view name) {
  std::string stem = PieceStem(name);
  if (!Take(stem)) {
    // Numbers below the one remembered were all taken when it was remembered.
    int& number = next_number_.try_emplace(LowerAscii(stem), 2).first->second;
    while (!Take(Numbered(stem, number))) ++number;
    stem = Numbered(stem, number++);
  }
  return stem + ".vrk";
}

}  // namespace vsm
