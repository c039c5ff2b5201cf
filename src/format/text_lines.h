#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vsm {

// Reads lines from text held in memory. A line ends at CR LF, a lone CR, a lone LF or a NUL
// byte; a line end at the very end starts no further line, and a last line without a line end
// is a line like any other.
class LineCursor {
 public:
  explicit LineCursor(std::string_view text) : text_(text) {}
  // The next line, without its line end; false at the end of the text.
  bool Next(std::string_view& line);
  // The next line that starts with `first`, skipping the lines before it; false at the end.
  bool NextStartingWith(char first, std::string_view& line);
  bool AtEnd() const { return position_ >= text_.size(); }

 private:
  std::string_view text_;
  std::size_t position_ = 0;
};

// The first line of a text (empty for an empty text).
std::string_view FirstLine(std::string_view text);

// The TAB-separated columns of a line, 1-based; a missing column reads as empty and columns past
// `kMaxColumns` are ignored.
class Columns {
 public:
  static constexpr std::size_t kMaxColumns = 14;
  explicit Columns(std::string_view line);
  std::string_view operator[](std::size_t column) const {
    return column >= 1 && column <= count_ ? columns_[column - 1] : std::string_view();
  }

 private:
  std::array<std::string_view, kMaxColumns> columns_{};
  std::size_t count_ = 0;
};

// The columns of a line read one after the other, in a single pass: what the record parsers use
// on every line. A column reads exactly as through Columns and ParseLong, except that there is no
// limit on the number of columns.
class ColumnReader {
 public:
  explicit ColumnReader(std::string_view line)
      : next_(line.data()), end_(line.data() + line.size()) {}
  // The next column as text; empty past the last column.
  std::string_view Text();
  // The next column as a number (see ParseLong); 0 past the last column.
  std::int32_t Long();

 private:
  // Moves past the TAB that ends the column holding `p`, or past the last column.
  void FinishColumnAt(const char* p);

  const char* next_;  // the start of the next column; null once past the last one
  const char* end_;
};

// A number column: leading blanks skipped, an optional sign, then decimal digits up to the first
// other character; anything else reads as 0. Values wrap at 32 (or 64) bits.
std::int32_t ParseLong(std::string_view field);
std::int64_t ParseQuad(std::string_view field);

// The text with leading and trailing spaces removed (spaces only).
std::string_view TrimSpaces(std::string_view text);

// The text with the ASCII letters A to Z made lower case; every other byte stays as it is.
std::string LowerAscii(std::string_view text);

}  // namespace vsm
