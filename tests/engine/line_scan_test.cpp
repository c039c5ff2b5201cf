// The line cursor skips long lines several bytes at a time and jumps to the next line that
// starts with a given byte. Both must cut exactly the lines that a byte-by-byte reading cuts,
// wherever the line ends fall.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "format/text_lines.h"

namespace vsm {
namespace {

// Lines cut one byte at a time: CR LF, CR, LF and NUL each end a line; an end at the very end
// starts no further line.
std::vector<std::string> LinesByteByByte(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t i = 0;
  while (i < text.size()) {
    std::string line;
    while (i < text.size() && text[i] != '\r' && text[i] != '\n' && text[i] != '\0') {
      line += text[i++];
    }
    lines.push_back(line);
    if (i < text.size()) {
      const bool cr = text[i++] == '\r';
      if (cr && i < text.size() && text[i] == '\n') ++i;
    }
  }
  return lines;
}

// Texts over a small alphabet, so that every kind of line end meets every position in a word.
std::vector<std::string> MixedTexts() {
  const char alphabet[] = {'a', 'b', '\t', '[', '\r', '\n', '\0', 'z', 'a', 'b', 'c', 'd'};
  std::vector<std::string> texts = {"", "[", "\r\n", "abc", "[x]\r\n[y]", std::string(40, 'a')};
  std::uint32_t state = 12345;
  for (int t = 0; t < 300; ++t) {
    std::string text;
    const int length = t % 70;
    for (int i = 0; i < length; ++i) {
      state = state * 1103515245u + 12345u;
      // Mostly letters, so that lines longer than a word occur.
      const std::uint32_t pick = (state >> 16) % (t % 3 == 0 ? 12u : 40u);
      text += pick < 12 ? alphabet[pick] : static_cast<char>('e' + pick % 20);
    }
    texts.push_back(text);
  }
  return texts;
}

TEST(LineScanTest, NextCutsTheLinesOfAByteByByteReading) {
  for (const std::string& text : MixedTexts()) {
    LineCursor cursor(text);
    std::vector<std::string> lines;
    for (std::string_view line; cursor.Next(line);) lines.emplace_back(line);
    EXPECT_EQ(lines, LinesByteByByte(text)) << testing::PrintToString(text);
  }
}

TEST(LineScanTest, NextStartingWithFindsTheSameLinesAsReadingEveryLine) {
  for (const std::string& text : MixedTexts()) {
    std::vector<std::string> expected;
    for (const std::string& line : LinesByteByByte(text)) {
      if (!line.empty() && line.front() == '[') expected.push_back(line);
    }
    LineCursor cursor(text);
    std::vector<std::string> found;
    for (std::string_view line; cursor.NextStartingWith('[', line);) found.emplace_back(line);
    EXPECT_EQ(found, expected) << testing::PrintToString(text);
    EXPECT_TRUE(cursor.AtEnd());
  }
}

TEST(LineScanTest, ReadingGoesOnAfterTheLineFound) {
  const std::string text = "a[b\r\n[one\r\nnext\r[two";
  LineCursor cursor(text);
  std::string_view line;
  ASSERT_TRUE(cursor.NextStartingWith('[', line));
  EXPECT_EQ(line, "[one");
  ASSERT_TRUE(cursor.Next(line));
  EXPECT_EQ(line, "next");
  ASSERT_TRUE(cursor.NextStartingWith('[', line));
  EXPECT_EQ(line, "[two");
  EXPECT_FALSE(cursor.NextStartingWith('[', line));
}

}  // namespace
}  // namespace vsm
