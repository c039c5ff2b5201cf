#include "format/text_lines.h"

#include <cstring>

namespace vsm {

bool LineCursor::Next(std::string_view& line) {
  if (position_ >= text_.size()) return false;
  const char* const begin = text_.data() + position_;
  const char* const end = text_.data() + text_.size();
  const char* p = begin;
  while (p != end && *p != '\n' && *p != '\r' && *p != '\0') ++p;
  line = std::string_view(begin, static_cast<std::size_t>(p - begin));
  if (p != end) {
    ++p;
    if (p[-1] == '\r' && p != end && *p == '\n') ++p;
  }
  position_ = static_cast<std::size_t>(p - text_.data());
  return true;
}

std::string_view FirstLine(std::string_view text) {
  LineCursor cursor(text);
  std::string_view line;
  cursor.Next(line);
  return line;
}

Columns::Columns(std::string_view line) {
  std::size_t start = 0;
  while (count_ < kMaxColumns) {
    const std::size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos) {
      columns_[count_++] = line.substr(start);
      break;
    }
    columns_[count_++] = line.substr(start, tab - start);
    start = tab + 1;
  }
}

namespace {

template <class Unsigned>
Unsigned ParseWrapping(std::string_view field) {
  std::size_t i = 0;
  while (i < field.size() && field[i] == ' ') ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
  Unsigned value = 0;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
    value = static_cast<Unsigned>(value * 10u + static_cast<Unsigned>(field[i] - '0'));
  }
  return negative ? static_cast<Unsigned>(Unsigned{0} - value) : value;
}

}  // namespace

std::int32_t ParseLong(std::string_view field) {
  return static_cast<std::int32_t>(ParseWrapping<std::uint32_t>(field));
}

std::int64_t ParseQuad(std::string_view field) {
  return static_cast<std::int64_t>(ParseWrapping<std::uint64_t>(field));
}

std::string_view TrimSpaces(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

}  // namespace vsm
