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

}  // namespace
}  // namespace vsm
