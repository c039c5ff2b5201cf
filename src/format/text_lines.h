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
  // The first byte of the next line; only when not at the end.
  char Peek() const { return text_[position_]; }

 private:
  friend class ColumnReader;  // reads the columns of a line straight from the text
  // Moves on to the line after the one that ends at `line_end` (a line end, or the text's end).
  void MovePast(const char* line_end);

  std::string_view text_;
  std::size_t position_ = 0;
};

// Calls `visit` with each line of a table the user edits (the preferred antennas, the satellite
// positions): an empty file is one empty line all the same.
template <class Visit>
void ForEachRow(std::string_view text, Visit visit) {
  LineCursor cursor(text);
  std::string_view line;
  if (!cursor.Next(line)) line = {};
  do {
    visit(line);
  } while (cursor.Next(line));
}

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

// Reads a number from `p` on: leading blanks skipped, an optional sign, then decimal digits up to
// the first other character (none read as 0). The value wraps at the width of `Unsigned`. Returns
// where the reading stopped.
template <class Unsigned>
const char* ReadNumber(const char* p, const char* end, Unsigned& value) {
  while (p != end && *p == ' ') ++p;
  bool negative = false;
  if (p != end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  Unsigned magnitude = 0;
  for (; p != end && static_cast<unsigned char>(*p - '0') < 10; ++p) {
    magnitude = static_cast<Unsigned>(magnitude * 10u + static_cast<Unsigned>(*p - '0'));
  }
  value = negative ? static_cast<Unsigned>(Unsigned{0} - magnitude) : magnitude;
  return p;
}

// A number column: leading blanks skipped, an optional sign, then decimal digits up to the first
// other character; anything else reads as 0. Values wrap at 32 (or 64) bits.
std::int32_t ParseLong(std::string_view field);
std::int64_t ParseQuad(std::string_view field);

// The columns of a line read one after the other, in a single pass: what the record parsers use
// on every line. A column reads exactly as through Columns and ParseLong, except that there is no
// limit on the number of columns.
//
// Made on a LineCursor, it reads the line that the cursor stands on straight from the text: a
// column ends at a TAB and the last one at the line end, so reading the columns finds where the
// line ends and the line is not searched for its end first. FinishLine then moves the cursor on.
// The reader runs this for every column of hundreds of thousands of lines, so it is defined here,
// where the compiler can fold it into the record parsers.
class ColumnReader {
 public:
  explicit ColumnReader(std::string_view line)
      : next_(line.data()), end_(line.data() + line.size()) {}
  explicit ColumnReader(LineCursor& cursor)
      : next_(cursor.text_.data() + cursor.position_),
        end_(cursor.text_.data() + cursor.text_.size()),
        cursor_(&cursor) {}

  // The next column as text; empty past the last column.
  std::string_view Text() {
    if (next_ == nullptr) return {};
    const char* const start = next_;
    const char* const stop = EndOfColumn(start);
    MovePast(stop);
    return {start, static_cast<std::size_t>(stop - start)};
  }

  // The next column as a number (see ParseLong); 0 past the last column.
  std::int32_t Long() {
    if (next_ == nullptr) return 0;
    std::uint32_t value = 0;
    MovePast(EndOfColumn(ReadNumber(next_, end_, value)));
    return static_cast<std::int32_t>(value);
  }

  // Only when made on a cursor: moves the cursor on to the next line, past the columns not read.
  void FinishLine();

 private:
  // TAB and the three line ends are the only bytes below 14 that end a column, so one comparison
  // passes over every other byte.
  static bool EndsColumn(char c) {
    return static_cast<unsigned char>(c) < 14 && (c == '\t' || c == '\r' || c == '\n' || c == '\0');
  }
  const char* EndOfColumn(const char* p) const {
    while (p != end_ && !EndsColumn(*p)) ++p;
    return p;
  }
  // Moves past the column that ends at `stop`: on to the next column after a TAB, past the last
  // one at the end of the line.
  void MovePast(const char* stop) {
    if (stop != end_ && *stop == '\t') {
      next_ = stop + 1;
    } else {
      next_ = nullptr;
      line_end_ = stop;
    }
  }

  const char* next_;                // the start of the next column; null once past the last one
  const char* end_;                 // the end of the line, or of the cursor's text
  const char* line_end_ = nullptr;  // where the line ends, once its last column is read
  LineCursor* cursor_ = nullptr;
};

// The text with leading and trailing spaces removed (spaces only).
std::string_view TrimSpaces(std::string_view text);

// The text with the ASCII letters A to Z made lower case; every other byte stays as it is.
std::string LowerAscii(std::string_view text);

}  // namespace vsm
