#include "format/text_lines.h"

#include <cstring>

namespace vsm {

namespace {

bool IsLineEnd(char c) { return c == '\n' || c == '\r' || c == '\0'; }

constexpr std::uint64_t kEveryByte = 0x0101010101010101ull;
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

bool HasZeroByte(std::uint64_t word) { return ((word - kEveryByte) & ~word & kHighBits) != 0; }

// Whether any of eight bytes ends a line: the common case of a long line is skipped eight bytes
// at a time.
bool HasLineEnd(std::uint64_t word) {
  return HasZeroByte(word) || HasZeroByte(word ^ (kEveryByte * '\n')) ||
         HasZeroByte(word ^ (kEveryByte * '\r'));
}

const char* FindLineEnd(const char* p, const char* end) {
  for (std::uint64_t word; end - p >= 8; p += 8) {
    std::memcpy(&word, p, sizeof word);
    if (HasLineEnd(word)) break;
  }
  while (p != end && !IsLineEnd(*p)) ++p;
  return p;
}

}  // namespace

bool LineCursor::Next(std::string_view& line) {
  if (position_ >= text_.size()) return false;
  const char* const begin = text_.data() + position_;
  const char* const end = FindLineEnd(begin, text_.data() + text_.size());
  line = std::string_view(begin, static_cast<std::size_t>(end - begin));
  MovePast(end);
  return true;
}

void LineCursor::MovePast(const char* line_end) {
  const char* p = line_end;
  const char* const end = text_.data() + text_.size();
  if (p != end) {
    ++p;
    if (p[-1] == '\r' && p != end && *p == '\n') ++p;
  }
  position_ = static_cast<std::size_t>(p - text_.data());
}

bool LineCursor::NextStartingWith(char first, std::string_view& line) {
  const char* const text = text_.data();
  while (position_ < text_.size()) {
    const void* found = std::memchr(text + position_, first, text_.size() - position_);
    if (found == nullptr) break;
    const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(found) - text);
    // Every line starts at the cursor or right after a line end.
    if (at == position_ || IsLineEnd(text[at - 1])) {
      position_ = at;
      return Next(line);
    }
    position_ = at + 1;
    // Back on a line start: finish the line that holds the character found.
    if (!Next(line)) break;
  }
  position_ = text_.size();
  return false;
}

std::string_view FirstLine(std::string_view text) {
  LineCursor cursor(text);
  std::string_view line;
  cursor.Next(line);
  return line;
}

Columns::Columns(std::string_view line) {
  // Columns are short: a plain loop beats a library search per column.
  const char* start = line.data();
  const char* const end = start + line.size();
  for (const char* p = start; p != end; ++p) {
    if (*p != '\t') continue;
    columns_[count_++] = std::string_view(start, static_cast<std::size_t>(p - start));
    if (count_ == kMaxColumns) return;
    start = p + 1;
  }
  columns_[count_++] = std::string_view(start, static_cast<std::size_t>(end - start));
}

namespace {

template <class Unsigned>
Unsigned ParseNumber(std::string_view field) {
  Unsigned value = 0;
  ReadNumber(field.data(), field.data() + field.size(), value);
  return value;
}

}  // namespace

void ColumnReader::FinishLine() {
  if (cursor_ == nullptr) return;
  cursor_->MovePast(next_ == nullptr ? line_end_ : FindLineEnd(next_, end_));
}

std::int32_t ParseLong(std::string_view field) {
  return static_cast<std::int32_t>(ParseNumber<std::uint32_t>(field));
}

std::int64_t ParseQuad(std::string_view field) {
  return static_cast<std::int64_t>(ParseNumber<std::uint64_t>(field));
}

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

std::string_view TrimSpaces(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

}  // namespace vsm
