// Lines, columns and numbers of the text form. The line cursor skips long lines several bytes at a
// time and jumps to the next line that starts with a given byte; both must cut exactly the lines
// that a byte-by-byte reading cuts, wherever the line ends fall.

#include "format/text_lines.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vsm {
namespace {

std::vector<std::string> Lines(std::string_view text) {
  LineCursor cursor(text);
  std::vector<std::string> lines;
  std::string_view line;
  while (cursor.Next(line)) lines.emplace_back(line);
  return lines;
}

TEST(LineCursor, AcceptsEveryLineEnd) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Lines("a\r\nb\rc\nd"), (V{"a", "b", "c", "d"}));
  EXPECT_EQ(Lines(std::string("a\0b", 3)), (V{"a", "b"}));
  EXPECT_EQ(Lines("a\r\n"), V{"a"});  // a final line end starts no further line
  EXPECT_EQ(Lines("a\r\n\r\n"), (V{"a", ""}));
  EXPECT_EQ(Lines("a\r\r"), (V{"a", ""}));
  EXPECT_EQ(Lines("\n\r"), (V{"", ""}));
  EXPECT_EQ(Lines(""), V{});
}

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

TEST(LineCursor, NextCutsTheLinesOfAByteByByteReading) {
  for (const std::string& text : MixedTexts()) {
    EXPECT_EQ(Lines(text), LinesByteByByte(text)) << testing::PrintToString(text);
  }
}

TEST(LineCursor, NextStartingWithFindsTheSameLinesAsReadingEveryLine) {
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

TEST(LineCursor, ReadingGoesOnAfterTheLineFound) {
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

TEST(Columns, MissingColumnsReadEmptyAndExtraOnesAreIgnored) {
  const Columns columns("a\t\tc");
  EXPECT_EQ(columns[1], "a");
  EXPECT_EQ(columns[2], "");
  EXPECT_EQ(columns[3], "c");
  EXPECT_EQ(columns[4], "");
  const Columns many("1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\t14\t15");
  EXPECT_EQ(many[14], "14");
}

TEST(Numbers, ReadLikeTheReceiverWritesThem) {
  EXPECT_EQ(ParseLong("007"), 7);
  EXPECT_EQ(ParseLong("  -12x"), -12);
  EXPECT_EQ(ParseLong("+5"), 5);
  EXPECT_EQ(ParseLong(""), 0);
  EXPECT_EQ(ParseLong("abc"), 0);
  EXPECT_EQ(ParseLong("4294967296"), 0);  // wraps at 32 bits
  EXPECT_EQ(ParseLong("2147483648"), INT32_MIN);
  EXPECT_EQ(ParseQuad("4294967296"), 4294967296LL);
  EXPECT_EQ(ParseQuad("-9223372036854775808"), INT64_MIN);
}

// Long runs of digits, wrapping at the width of the value, and digits cut off by a column's end.
TEST(Numbers, LongRunsWrapAndStopAtTheColumnEnd) {
  EXPECT_EQ(ParseLong("1234567"), 1234567);
  EXPECT_EQ(ParseLong("12345678"), 12345678);
  EXPECT_EQ(ParseLong("123456789"), 123456789);
  EXPECT_EQ(ParseLong("99999999x"), 99999999);
  EXPECT_EQ(ParseLong("1234567\t8901234"), 1234567);
  EXPECT_EQ(ParseLong("0000000000000012"), 12);
  EXPECT_EQ(ParseLong("-87654321\t"), -87654321);
  EXPECT_EQ(ParseLong("4294967297"), 1);
  EXPECT_EQ(ParseLong("4294967296007"), 7);  // 1000 times 2^32, plus 7
  EXPECT_EQ(ParseQuad("12345678901234567"), 12345678901234567LL);
  EXPECT_EQ(ParseQuad("18446744073709551617"), 1);
}

// The record parsers read columns in one pass; every column must read as through Columns and
// ParseLong, whatever the line holds.
TEST(ColumnReader, ReadsEveryColumnAsColumnsAndParseLongDo) {
  const char alphabet[] = {'\t', '\t', ' ', '-', '+', '0', '7', '9', 'x', '\xE9'};
  std::uint32_t state = 12345;
  for (int round = 0; round < 3000; ++round) {
    std::string line;
    const int length = static_cast<int>(state % 40);
    for (int i = 0; i < length; ++i) {
      state = state * 1103515245u + 12345u;
      line += alphabet[(state >> 16) % sizeof alphabet];
    }
    SCOPED_TRACE(line);
    const Columns columns(line);
    ColumnReader as_text(line);
    ColumnReader as_numbers(line);
    for (std::size_t column = 1; column <= Columns::kMaxColumns + 1; ++column) {
      const std::string_view expected = column <= Columns::kMaxColumns ? columns[column] : "";
      if (column <= Columns::kMaxColumns) {
        ASSERT_EQ(as_text.Text(), expected) << column;
      }
      ASSERT_EQ(as_numbers.Long(), ParseLong(expected)) << column;
    }
  }
}

// Made on a cursor, the reader reads the line straight from the text and finds its end itself:
// it must read the lines that the cursor cuts, however many of their columns are read, and leave
// the cursor on the next one.
TEST(ColumnReader, OnACursorReadsTheLinesThatTheCursorCuts) {
  const char alphabet[] = {'\t', '\t', ' ', '-', '7', '9', 'x', '\r', '\n', '\0', '\x01', '\xE9'};
  std::uint32_t state = 777;
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const int length = static_cast<int>(state % 90);
    for (int i = 0; i < length; ++i) {
      state = state * 1103515245u + 12345u;
      text += alphabet[(state >> 16) % sizeof alphabet];
    }
    SCOPED_TRACE(testing::PrintToString(text));
    LineCursor lines(text);
    LineCursor cursor(text);
    for (std::string_view line; lines.Next(line);) {
      ASSERT_FALSE(cursor.AtEnd());
      const Columns columns(line);
      ColumnReader reader(cursor);
      state = state * 1103515245u + 12345u;
      const std::size_t read = (state >> 16) % (Columns::kMaxColumns + 2);
      for (std::size_t column = 1; column <= read; ++column) {
        const std::string_view expected = column <= Columns::kMaxColumns ? columns[column] : "";
        if (column % 2 == 0) {
          ASSERT_EQ(reader.Long(), ParseLong(expected)) << column;
        } else {
          ASSERT_EQ(reader.Text(), expected) << column;
        }
      }
      reader.FinishLine();
      LineCursor after_reader = cursor;
      LineCursor after_line = lines;
      std::string_view next_of_reader, next_line;
      ASSERT_EQ(after_reader.Next(next_of_reader), after_line.Next(next_line));
      ASSERT_EQ(next_of_reader.data(), next_line.data());
    }
    EXPECT_TRUE(cursor.AtEnd());
  }
}

}  // namespace
}  // namespace vsm
