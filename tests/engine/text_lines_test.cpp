#include "format/text_lines.h"

#include <gtest/gtest.h>

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
  EXPECT_EQ(Lines("a\r\n"), V{"a"});   // a final line end starts no further line
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

}  // namespace
}  // namespace vsm
