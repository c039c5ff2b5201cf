#include "platform/windows_1252.h"

#include <array>
#include <utility>

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

bool IsContinuationByte(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The bytes that may follow a lead byte: narrower after E0, ED, F0 and F4, which would otherwise
// start overlong forms, surrogates or characters above U+10FFFF.
std::pair<unsigned char, unsigned char> SecondByteRange(unsigned char lead) {
  switch (lead) {
    case 0xE0:
      return {0xA0, 0xBF};
    case 0xED:
      return {0x80, 0x9F};
    case 0xF0:
      return {0x90, 0xBF};
    case 0xF4:
      return {0x80, 0x8F};
    default:
      return {0x80, 0xBF};
  }
}

std::size_t Utf8SequenceSize(unsigned char lead) {
  if (lead < 0xC2) return 0;  // ASCII, a continuation byte, or the overlong leads C0 and C1
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  if (lead < 0xF5) return 4;
  return 0;
}

// The size of the well-formed UTF-8 sequence that starts text, or 0 when none starts there.
std::size_t WellFormedUtf8Size(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  const std::size_t size = Utf8SequenceSize(lead);
  if (size == 0 || text.size() < size) return 0;
  const auto [low, high] = SecondByteRange(lead);
  const auto second = static_cast<unsigned char>(text[1]);
  if (second < low || second > high) return 0;
  for (std::size_t i = 2; i < size; ++i) {
    if (!IsContinuationByte(static_cast<unsigned char>(text[i]))) return 0;
  }
  return size;
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

std::string TextForUtf8Display(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    const std::size_t size = byte < 0x80 ? 1 : WellFormedUtf8Size(text.substr(at));
    if (size == 0) {
      AppendUtf8(out, Windows1252Character(byte));
      ++at;
    } else {
      out += text.substr(at, size);
      at += size;
    }
  }
  return out;
}

}  // namespace vsm
