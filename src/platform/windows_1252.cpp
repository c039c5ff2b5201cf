#include "platform/windows_1252.h"

#include <array>

namespace vsm {
namespace {

// Where Windows-1252 differs from Latin-1: the characters of the bytes 0x80 to 0x9F.
constexpr std::array<char16_t, 32> kHighControlRange{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

void AppendUtf8(std::string& out, char16_t character) {
  if (character < 0x80) {
    out += static_cast<char>(character);
  } else if (character < 0x800) {
    out += static_cast<char>(0xC0 | (character >> 6));
    out += static_cast<char>(0x80 | (character & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (character >> 12));
    out += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (character & 0x3F));
  }
}

}  // namespace

char16_t Windows1252Character(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHighControlRange[byte - 0x80];
  return byte;
}

std::size_t Utf8SizeOfWindows1252(unsigned char byte) {
  const char16_t character = Windows1252Character(byte);
  return character < 0x80 ? 1 : character < 0x800 ? 2 : 3;
}

std::string FoldCaseAsWindowsFileSystems(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7)) {
      c = static_cast<char>(byte + 0x20);
    } else if (byte == 0x8A || byte == 0x8C || byte == 0x8E) {  // Š Œ Ž
      c = static_cast<char>(byte + 0x10);
    } else if (byte == 0x9F) {  // Ÿ
      c = static_cast<char>(0xFF);
    }
  }
  return folded;
}

std::string Windows1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (const char byte : text)
    AppendUtf8(out, Windows1252Character(static_cast<unsigned char>(byte)));
  return out;
}

}  // namespace vsm
