#include "split/piece_name.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "format/text_lines.h"

namespace vsm {
namespace {

// Code points of the Windows-1252 bytes 0x80 to 0x9F; the undefined ones keep their number.
constexpr std::array<char16_t, 32> kHighControlRange{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

char32_t CodePointOf(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHighControlRange[byte - 0x80];
  return byte;
}

void AppendUtf8(std::string& out, char32_t code_point) {
  if (code_point < 0x80) {
    out += static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    out += static_cast<char>(0xC0 | (code_point >> 6));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code_point >> 12));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  }
}

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

std::string LowerAscii(std::string text);

// Windows takes these names, with any extension, for devices: a piece so named could not be
// created there, nor copied there from elsewhere.
bool IsDeviceName(std::string_view stem) {
  const std::string base = LowerAscii(std::string(stem.substr(0, stem.find('.'))));
  if (base == "con" || base == "prn" || base == "aux" || base == "nul") return true;
  return base.size() == 4 && (base.starts_with("com") || base.starts_with("lpt")) &&
         base[3] >= '1' && base[3] <= '9';
}

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string Numbered(const std::string& stem, int number) {
  std::string name = stem;
  name += '_';
  name += std::to_string(number);
  return name;
}

}  // namespace

std::string Windows1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (const char byte : text) AppendUtf8(out, CodePointOf(static_cast<unsigned char>(byte)));
  return out;
}

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
